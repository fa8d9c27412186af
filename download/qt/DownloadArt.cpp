#include "download/qt/DownloadArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace download::art {

QPixmap RowStateImage(int state, qreal devicePixelRatio) {
    QPixmap image(QSize(16, 16) * devicePixelRatio);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colours[] = {QColor(0x9a, 0xa4, 0xb1), kBarFill, QColor(0x2e, 0x9d, 0x4a),
                              QColor(0xd0, 0x3b, 0x32)};
    const QColor colour = colours[state >= 0 && state <= 3 ? state : 0];
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(1, 1, 14, 14));
    QPen pen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (state) {
    case 1: { // an arrow down
        p.drawLine(QPointF(8, 4), QPointF(8, 11));
        QPainterPath head;
        head.moveTo(5, 8.5);
        head.lineTo(8, 11.5);
        head.lineTo(11, 8.5);
        p.drawPath(head);
        break;
    }
    case 2: { // a tick
        QPainterPath tick;
        tick.moveTo(4.5, 8.5);
        tick.lineTo(7, 11);
        tick.lineTo(11.5, 5.5);
        p.drawPath(tick);
        break;
    }
    case 3: // a cross
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
        break;
    default: // a dot: waiting
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(6, 6, 4, 4));
        break;
    }
    return image;
}

QPixmap DownloadBackgroundTile() {
    QPixmap tile(64, 198);
    QPainter p(&tile);
    QLinearGradient gradient(0, 0, 0, tile.height());
    gradient.setColorAt(0, QColor(0xf4, 0xf8, 0xfe));
    gradient.setColorAt(1, QColor(0xd6, 0xe3, 0xf5));
    p.fillRect(tile.rect(), gradient);
    return tile;
}

} // namespace download::art
