#include "display/Picture.h"

#include <algorithm>

namespace display {

std::shared_ptr<const Picture> Picture::Filled(int width, int height, std::uint32_t rgb) {
    auto picture = std::make_shared<Picture>();
    picture->Width = std::max(width, 0);
    picture->Height = std::max(height, 0);
    picture->FillRgb = rgb & 0xFFFFFFu;
    return picture;
}

std::shared_ptr<const Picture> Picture::FromPixels(int width, int height,
                                                   std::vector<std::uint32_t> pixels) {
    auto picture = std::make_shared<Picture>();
    picture->Width = std::max(width, 0);
    picture->Height = std::max(height, 0);
    if (pixels.size() == static_cast<std::size_t>(picture->Width) * picture->Height)
        picture->Pixels = std::move(pixels);
    return picture;
}

} // namespace display
