#include "tools/mkdict/GifWriter.h"

#include <array>

namespace tools {
namespace {

// Rows of 5 bits, top row first; bit 4 is the left column.
struct Glyph {
    char Letter;
    std::array<uint8_t, 7> Rows;
};

constexpr std::array<Glyph, 37> kFont{{
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
}};

void PutLittle16(std::string& out, int value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

} // namespace

GifWriter::GifWriter(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width * height), 0) {}

void GifWriter::SetPixel(int x, int y, uint8_t index) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) {
        pixels_[static_cast<size_t>(y * width_ + x)] = index;
    }
}

void GifWriter::DrawText(int x, int y, std::string_view text, int scale, uint8_t index) {
    for (char c : text) {
        for (const Glyph& glyph : kFont) {
            if (glyph.Letter != c) {
                continue;
            }
            for (int row = 0; row < 7; ++row) {
                for (int col = 0; col < 5; ++col) {
                    if ((glyph.Rows[row] >> (4 - col)) & 1) {
                        for (int dy = 0; dy < scale; ++dy) {
                            for (int dx = 0; dx < scale; ++dx) {
                                SetPixel(x + col * scale + dx, y + row * scale + dy, index);
                            }
                        }
                    }
                }
            }
        }
        x += 6 * scale;
    }
}

std::string GifWriter::Encode() const {
    std::string out = "GIF89a";
    PutLittle16(out, width_);
    PutLittle16(out, height_);
    out += static_cast<char>(0xF7); // global colour table of 256 entries, 8 bits
    out += '\0';                    // background colour
    out += '\0';                    // aspect ratio
    for (int i = 0; i < 256; ++i) {
        const uint32_t colour = i < static_cast<int>(palette_.size()) ? palette_[i] : 0;
        out += static_cast<char>((colour >> 16) & 0xFF);
        out += static_cast<char>((colour >> 8) & 0xFF);
        out += static_cast<char>(colour & 0xFF);
    }
    out += ',';
    PutLittle16(out, 0);
    PutLittle16(out, 0);
    PutLittle16(out, width_);
    PutLittle16(out, height_);
    out += '\0';    // no local table, not interlaced
    out += char(8); // LZW minimum code size

    // 9-bit codes: clear (256), literals, a clear again before the code
    // table would grow to 10 bits, end (257).
    std::string codes;
    uint32_t bitBuffer = 0;
    int bitCount = 0;
    auto emit = [&](uint32_t code) {
        bitBuffer |= code << bitCount;
        bitCount += 9;
        while (bitCount >= 8) {
            codes += static_cast<char>(bitBuffer & 0xFF);
            bitBuffer >>= 8;
            bitCount -= 8;
        }
    };
    int sinceClear = 0;
    emit(256);
    for (uint8_t pixel : pixels_) {
        if (sinceClear == 250) {
            emit(256);
            sinceClear = 0;
        }
        emit(pixel);
        ++sinceClear;
    }
    emit(257);
    if (bitCount > 0) {
        codes += static_cast<char>(bitBuffer & 0xFF);
    }
    for (size_t pos = 0; pos < codes.size(); pos += 255) {
        const size_t length = std::min<size_t>(255, codes.size() - pos);
        out += static_cast<char>(length);
        out.append(codes, pos, length);
    }
    out += '\0'; // block terminator
    out += ';';  // trailer
    return out;
}

std::string MakeAdvertisementGif() {
    GifWriter gif(300, 60);
    std::vector<uint32_t> palette;
    for (int i = 0; i < 64; ++i) { // dark blue to light blue
        palette.push_back(
            static_cast<uint32_t>((0x10 + i) << 16 | (0x30 + 2 * i) << 8 | (0x90 + i)));
    }
    palette.push_back(0xFFFFFF); // 64: text
    palette.push_back(0xFFD040); // 65: accent
    gif.SetPalette(palette);
    for (int y = 0; y < gif.Height(); ++y) {
        for (int x = 0; x < gif.Width(); ++x) {
            gif.SetPixel(x, y, static_cast<uint8_t>((x * 63) / (gif.Width() - 1)));
        }
    }
    const std::string title = "QUENLO";
    gif.DrawText((300 - GifWriter::TextWidth(title, 4)) / 2, 6, title, 4, 64);
    const std::string line = "ENGLISH CHINESE DICTIONARY";
    gif.DrawText((300 - GifWriter::TextWidth(line, 1)) / 2, 42, line, 1, 65);
    for (int x = 20; x < 280; ++x) {
        gif.SetPixel(x, 37, 65);
    }
    return gif.Encode();
}

} // namespace tools
