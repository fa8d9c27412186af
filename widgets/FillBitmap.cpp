#include "widgets/FillBitmap.h"

namespace widgets {

bool FillBitmap(QImage& image, int width, int height, const QColor& colour) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    QImage filled(width, height, QImage::Format_RGB888);
    if (filled.isNull()) {
        return false;
    }
    filled.fill(colour);
    image = filled;
    return true;
}

} // namespace widgets
