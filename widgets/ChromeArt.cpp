#include "widgets/ChromeArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace widgets::chrome_art {

namespace {

QPixmap TransparentPixmap(int size, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QPixmap TitleButtonGlyph(TitleGlyph glyph, qreal devicePixelRatio) {
    constexpr int kSize = 14;
    QPixmap pixmap = TransparentPixmap(kSize, devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(kTitleText, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    switch (glyph) {
    case TitleGlyph::Minimize:
        painter.drawLine(QPointF(3.5, 10.5), QPointF(10.5, 10.5));
        break;
    case TitleGlyph::Maximize:
        painter.drawRect(QRectF(3.25, 3.25, 7.5, 7.5));
        break;
    case TitleGlyph::Restore:
        painter.drawRect(QRectF(2.75, 5.25, 6.0, 6.0));
        painter.drawPolyline(
            QPolygonF{{5.25, 5.0}, {5.25, 2.75}, {11.25, 2.75}, {11.25, 8.75}, {9.0, 8.75}});
        break;
    case TitleGlyph::Close:
        painter.drawLine(QPointF(3.5, 3.5), QPointF(10.5, 10.5));
        painter.drawLine(QPointF(10.5, 3.5), QPointF(3.5, 10.5));
        break;
    }
    return pixmap;
}

QPixmap AppIcon(int size, qreal devicePixelRatio) {
    QPixmap pixmap = TransparentPixmap(size, devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(0.5, 0.5, size - 1.0, size - 1.0);
    QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
    fill.setColorAt(0, Qt::white);
    fill.setColorAt(1, QColor(0xe4, 0xee, 0xfb));
    painter.setBrush(fill);
    painter.setPen(QPen(kFrameOutline, 1));
    painter.drawRoundedRect(tile, size / 5.0, size / 5.0);
    // The letter as a ring with a tail, so no font is needed.
    const qreal ring = size * 0.56;
    const QRectF ringRect((size - ring) / 2, (size - ring) / 2 - size * 0.04, ring, ring);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kTitleBottom, std::max(1.5, size / 8.0), Qt::SolidLine, Qt::RoundCap));
    painter.drawEllipse(ringRect);
    painter.drawLine(ringRect.center() + QPointF(ring * 0.18, ring * 0.18),
                     ringRect.bottomRight() + QPointF(ring * 0.08, ring * 0.12));
    return pixmap;
}

QPixmap DocumentBackgroundTile() {
    constexpr int kSize = 64;
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(QColor(0xfd, 0xfe, 0xff));
    // A faint diagonal weave, two levels apart, barely visible behind text.
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if ((x + y) % 8 == 0 || (x - y + kSize) % 16 == 0) {
                image.setPixelColor(x, y, QColor(0xf6, 0xf9, 0xfe));
            }
        }
    }
    return QPixmap::fromImage(image);
}

void PaintFrame(QPainter& painter, const QRect& windowRect, int titleBottom, int cornerWidth,
                int cornerHeight) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF outer = QRectF(windowRect).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(outer, cornerWidth / 2.0, cornerHeight / 2.0);
    painter.fillPath(shape, kFrameFill);

    if (titleBottom > windowRect.top()) {
        QLinearGradient band(0, windowRect.top(), 0, titleBottom);
        band.setColorAt(0, kTitleTop);
        band.setColorAt(0.55, QColor(0x45, 0x7b, 0xc9));
        band.setColorAt(1, kTitleBottom);
        painter.save();
        painter.setClipRect(QRect(windowRect.left(), windowRect.top(), windowRect.width(),
                                  titleBottom - windowRect.top()));
        painter.fillPath(shape, band);
        // A soft highlight line under the top edge.
        painter.setPen(QPen(QColor(255, 255, 255, 70), 1));
        painter.drawLine(QPointF(outer.left() + cornerWidth / 2.0, outer.top() + 1),
                         QPointF(outer.right() - cornerWidth / 2.0, outer.top() + 1));
        painter.restore();
    }
    painter.setPen(QPen(kFrameOutline, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
    painter.restore();
}

} // namespace widgets::chrome_art
