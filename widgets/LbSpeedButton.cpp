#include "widgets/LbSpeedButton.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <algorithm>

namespace widgets {

namespace {
constexpr int kHoverMilliseconds = 140;
constexpr int kGlyphSpacing = 4; // between glyph and caption, pixels
constexpr int kPadding = 4;      // around the content, pixels
} // namespace

LbSpeedButton::LbSpeedButton(QWidget* parent)
    : QAbstractButton(parent), hoverAnimation_(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    hoverAnimation_->setDuration(kHoverMilliseconds);
    connect(hoverAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        hoverLevel_ = value.toReal();
        update();
    });
}

LbSpeedButton::~LbSpeedButton() = default;

void LbSpeedButton::SetGlyph(const QPixmap& glyph) {
    glyph_ = glyph;
    updateGeometry();
    update();
}

void LbSpeedButton::SetHighlightColor(const QColor& colour) {
    highlight_ = colour;
    update();
}

void LbSpeedButton::SetCaptionColor(const QColor& colour) {
    caption_ = colour;
    update();
}

void LbSpeedButton::SetRadius(int radius) {
    radius_ = radius;
    update();
}

QSize LbSpeedButton::sizeHint() const {
    const QSize glyphSize = glyph_.isNull() ? QSize() : glyph_.deviceIndependentSize().toSize();
    const QSize textSize =
        text().isEmpty() ? QSize()
                         : fontMetrics().size(Qt::TextSingleLine | Qt::TextShowMnemonic, text());
    int width = glyphSize.width() + textSize.width();
    if (!glyphSize.isEmpty() && !textSize.isEmpty()) {
        width += kGlyphSpacing;
    }
    const int height = std::max(glyphSize.height(), textSize.height());
    return {width + 2 * kPadding, height + 2 * kPadding};
}

QSize LbSpeedButton::minimumSizeHint() const {
    return sizeHint();
}

void LbSpeedButton::enterEvent(QEnterEvent* event) {
    if (isEnabled()) {
        AnimateHoverTo(1);
    }
    QAbstractButton::enterEvent(event);
}

void LbSpeedButton::leaveEvent(QEvent* event) {
    AnimateHoverTo(0);
    QAbstractButton::leaveEvent(event);
}

void LbSpeedButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        hoverAnimation_->stop();
        hoverLevel_ = 0;
    }
    QAbstractButton::changeEvent(event);
}

void LbSpeedButton::AnimateHoverTo(qreal level) {
    hoverAnimation_->stop();
    hoverAnimation_->setStartValue(hoverLevel_);
    hoverAnimation_->setEndValue(level);
    hoverAnimation_->start();
}

void LbSpeedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool sunk = isDown() || isChecked();
    const qreal level = sunk ? 1.0 : hoverLevel_;
    if (level > 0 && isEnabled()) {
        QColor fill = highlight_;
        fill.setAlphaF(std::min(1.0, highlight_.alphaF() * level * (sunk ? 1.6 : 1.0)));
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius_, radius_);
        painter.fillPath(path, fill);
    }

    const QPoint sink = sunk ? QPoint(1, 1) : QPoint();
    const QSize glyphSize = glyph_.isNull() ? QSize() : glyph_.deviceIndependentSize().toSize();
    const bool hasText = !text().isEmpty();
    int contentWidth = glyphSize.width();
    if (hasText) {
        contentWidth +=
            fontMetrics().size(Qt::TextSingleLine | Qt::TextShowMnemonic, text()).width() +
            (glyphSize.isEmpty() ? 0 : kGlyphSpacing);
    }
    int x = std::max(0, (width() - contentWidth) / 2);
    if (!isEnabled()) {
        painter.setOpacity(0.4);
    }
    if (!glyphSize.isEmpty()) {
        const QPoint at(x, (height() - glyphSize.height()) / 2);
        painter.drawPixmap(at + sink, glyph_);
        x += glyphSize.width() + kGlyphSpacing;
    }
    if (hasText) {
        painter.setPen(isEnabled() ? caption_
                                   : palette().color(QPalette::Disabled, QPalette::WindowText));
        const QRect textRect(QPoint(x, 0), QPoint(width() - 1, height() - 1));
        painter.drawText(textRect.translated(sink),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, text());
    }
}

} // namespace widgets
