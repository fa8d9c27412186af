#pragma once

#include <QColor>
#include <QImage>

namespace widgets {

// Makes `image` a 24-bit picture of width x height pixels with every pixel set
// to `colour`. False (image unchanged) when a side is not positive.
bool FillBitmap(QImage& image, int width, int height, const QColor& colour);

} // namespace widgets
