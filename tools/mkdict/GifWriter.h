#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

// A paletted picture and its GIF89a encoding. The LZW stream uses 9-bit codes
// only (a clear code every 250 pixels), which every decoder reads; the
// pictures made here are small, so the missing compression does not matter.
class GifWriter {
public:
    GifWriter(int width, int height);

    // Palette of up to 256 colours 0xRRGGBB; pixel values index it.
    void SetPalette(std::vector<uint32_t> colours) { palette_ = std::move(colours); }
    void SetPixel(int x, int y, uint8_t index);
    // Upper-case ASCII letters, digits and blanks in a 5x7 pixel font, each
    // font pixel drawn as a scale x scale square.
    void DrawText(int x, int y, std::string_view text, int scale, uint8_t index);
    static int TextWidth(std::string_view text, int scale) {
        return static_cast<int>(text.size()) * 6 * scale - scale;
    }

    std::string Encode() const;

    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_;
    int height_;
    std::vector<uint8_t> pixels_;
    std::vector<uint32_t> palette_;
};

// The advertisement picture of the service data: a blue banner with the
// program's name.
std::string MakeAdvertisementGif();

} // namespace tools
