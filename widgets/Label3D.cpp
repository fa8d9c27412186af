#include "widgets/Label3D.h"

#include <QEvent>
#include <QPainter>

namespace widgets {

namespace {
constexpr int kShadowOffset = 1; // pixels, each side of the text
} // namespace

Label3D::Label3D(QWidget* parent) : QWidget(parent) {}

Label3D::Label3D(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {}

void Label3D::setText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    updateGeometry();
    update();
}

void Label3D::SetColors(const QColor& text, const QColor& light, const QColor& dark) {
    textColor_ = text;
    lightColor_ = light;
    darkColor_ = dark;
    update();
}

void Label3D::SetAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

QSize Label3D::sizeHint() const {
    const QSize textSize = fontMetrics().size(Qt::TextSingleLine, text_);
    return textSize + QSize(2 * kShadowOffset, 2 * kShadowOffset);
}

void Label3D::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    const QRect area =
        rect().adjusted(kShadowOffset, kShadowOffset, -kShadowOffset, -kShadowOffset);
    const QColor text =
        isEnabled() ? textColor_ : palette().color(QPalette::Disabled, QPalette::Text);
    painter.setPen(lightColor_);
    painter.drawText(area.translated(-kShadowOffset, -kShadowOffset), int(alignment_), text_);
    painter.setPen(darkColor_);
    painter.drawText(area.translated(kShadowOffset, kShadowOffset), int(alignment_), text_);
    painter.setPen(text);
    painter.drawText(area, int(alignment_), text_);
}

void Label3D::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

} // namespace widgets
