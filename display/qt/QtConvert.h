#pragma once

#include "display/Picture.h"
#include "display/TColor.h"

#include <QColor>
#include <QImage>
#include <QPalette>

namespace display {

// A style colour on a palette: the system colours become the palette's
// (window text -> Text, window -> Base, highlight -> Highlight, highlight text
// -> HighlightedText); NoColor gives an invalid QColor.
QColor ResolveColor(TColor color, const QPalette& palette);

// A plain picture as a QImage (decoded when it holds encoded bytes; filled
// when it holds neither pixels nor bytes, or the bytes do not decode). The
// result is Width x Height, or a null image for an empty picture or one of
// more than 8192 x 8192 pixels.
QImage ImageFromPicture(const Picture& picture);

// A QImage as a plain picture (pixels; alpha is composed over white).
PicturePtr PictureFromImage(const QImage& image);

} // namespace display
