#include "widgets/TileImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace widgets {

TileImage::TileImage(QWidget* parent) : QWidget(parent) {}

void TileImage::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void TileImage::paintEvent(QPaintEvent* event) {
    if (picture_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawTiledPixmap(rect(), picture_);
}

void TileImage::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
    }
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace widgets
