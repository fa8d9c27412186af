#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace display {

// A plain picture for picture items and image lists, independent of any GUI
// toolkit. Width and Height (pixels) are what the layout uses. The content is
// either Pixels (Width * Height values 0xRRGGBB, row by row) or Encoded (the
// bytes of a PNG, GIF, BMP or JPEG file, decoded by the Qt view); with neither,
// the picture is painted in FillRgb.
struct Picture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;
    std::string Encoded;
    std::uint32_t FillRgb = 0xFFFFFF;

    // A picture of one colour (vertical spacers: Width 1, Height h, white).
    static std::shared_ptr<const Picture> Filled(int width, int height, std::uint32_t rgb);
    // A picture from pixels; pixels.size() must be width * height, else the
    // result is a picture filled with white of that size.
    static std::shared_ptr<const Picture> FromPixels(int width, int height,
                                                     std::vector<std::uint32_t> pixels);
};

using PicturePtr = std::shared_ptr<const Picture>;

} // namespace display
