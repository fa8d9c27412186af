#include "study/qt/StudyArt.h"

#include "display/qt/TFrame_Voc.h"
#include "display/qt/TRichTextView.h"
#include "widgets/ChromeArt.h"

#include <QPainter>
#include <QVBoxLayout>

namespace study {

display::ImageListPtr VoiceImageList() {
    // The vocabulary window's loudspeaker, so both windows show the same one.
    auto list = std::make_shared<display::TImageList>();
    list->Images.push_back(display::VocImageList()->Image(1));
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

display::TRichTextView*
MakeStudyView(QWidget* body, std::shared_ptr<const display::TTextStyleTable> table, int margin) {
    auto* view = new display::TRichTextView(body);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    view->SetStyle(std::move(table));
    view->SetLeftMargin(margin);
    view->SetRightMargin(margin);
    view->SetBackgroundBitmap(widgets::chrome_art::DocumentBackgroundTile());
    view->setFocusPolicy(Qt::NoFocus);
    return view;
}

} // namespace study
