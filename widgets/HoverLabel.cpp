#include "widgets/HoverLabel.h"

namespace widgets {

HoverLabel::HoverLabel(QWidget* parent) : QLabel(parent) {
    ApplyColor(normal_);
}

HoverLabel::HoverLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    ApplyColor(normal_);
}

void HoverLabel::SetColors(const QColor& normal, const QColor& hover) {
    normal_ = normal;
    hover_ = hover;
    ApplyColor(underMouse() ? hover_ : normal_);
}

void HoverLabel::enterEvent(QEnterEvent* event) {
    ApplyColor(hover_);
    QLabel::enterEvent(event);
}

void HoverLabel::leaveEvent(QEvent* event) {
    ApplyColor(normal_);
    QLabel::leaveEvent(event);
}

void HoverLabel::ApplyColor(const QColor& colour) {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, colour);
    setPalette(pal);
}

} // namespace widgets
