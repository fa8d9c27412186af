#include "study/qt/StudyArt.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace study {

display::ImageListPtr VoiceImageList() {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor body(0x2f, 0x63, 0xb3);
        QPainterPath speaker;
        speaker.moveTo(2, 6);
        speaker.lineTo(5, 6);
        speaker.lineTo(9, 2.5);
        speaker.lineTo(9, 13.5);
        speaker.lineTo(5, 10);
        speaker.lineTo(2, 10);
        speaker.closeSubpath();
        painter.fillPath(speaker, body);
        painter.setPen(QPen(body, 1.3, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(QRectF(7.5, 5, 4, 6), -50 * 16, 100 * 16);
        painter.drawArc(QRectF(7, 2.5, 7.5, 11), -55 * 16, 110 * 16);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");

    auto picture = std::make_shared<display::Picture>();
    picture->Width = 16;
    picture->Height = 16;
    picture->Encoded.assign(png.constData(), static_cast<size_t>(png.size()));
    auto list = std::make_shared<display::TImageList>();
    list->Images.push_back(std::move(picture));
    return list;
}

QPixmap CheckGlyph(bool checked, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(13, 13) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x2b, 0x56, 0x98), 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 12, 12), 2, 2);
    if (checked) {
        painter.setPen(
            QPen(QColor(0x1d, 0x8a, 0x2e), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF tick[] = {{3, 6.5}, {5.5, 9.2}, {10, 3.8}};
        painter.drawPolyline(tick, 3);
    }
    return pixmap;
}

} // namespace study
