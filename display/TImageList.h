#pragma once

#include "display/Picture.h"

#include <memory>
#include <vector>

namespace display {

// An image list: images of one size (Width x Height pixels), addressed by
// index. Image jumps and bullets refer to an image of a list; the document
// shares ownership of the list with the window that made it.
struct TImageList {
    int Width = 16;
    int Height = 16;
    std::vector<PicturePtr> Images;

    // The image numbered index, or nullptr when the list has no such image
    // (the item then keeps its place and paints nothing).
    PicturePtr Image(int index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= Images.size())
            return nullptr;
        return Images[static_cast<std::size_t>(index)];
    }
};

using ImageListPtr = std::shared_ptr<const TImageList>;

} // namespace display
