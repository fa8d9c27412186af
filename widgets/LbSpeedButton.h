#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

class QVariantAnimation;

namespace widgets {

// Flat owner-drawn button with a caption and/or a glyph. Nothing but the
// content is drawn until the mouse comes over it; the highlight then fades
// in (and out when the mouse leaves). Pressed, it is drawn sunk; disabled,
// the caption and glyph are drawn faded. The hint is the tool tip. An "&" in
// the caption underlines the next letter, and Alt with that letter clicks the
// button (QAbstractButton's mnemonic).
class LbSpeedButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit LbSpeedButton(QWidget* parent = nullptr);
    ~LbSpeedButton() override;

    // The glyph is drawn at its device-independent size, left of the caption
    // (centred when there is no caption). A null pixmap removes it.
    void SetGlyph(const QPixmap& glyph);
    const QPixmap& Glyph() const { return glyph_; }

    void SetHint(const QString& hint) { setToolTip(hint); }

    // Highlight drawn under the mouse (fades in) and while pressed.
    void SetHighlightColor(const QColor& colour);
    void SetCaptionColor(const QColor& colour);
    // Corner radius of the highlight, in pixels.
    void SetRadius(int radius);

    // 0 (no highlight) .. 1 (mouse over, animation finished).
    qreal HoverLevel() const { return hoverLevel_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void AnimateHoverTo(qreal level);

    QPixmap glyph_;
    QColor highlight_{0x3a, 0x6f, 0xc0, 60};
    QColor caption_{0x1f, 0x3f, 0x7a};
    int radius_ = 3;
    qreal hoverLevel_ = 0;
    QVariantAnimation* hoverAnimation_ = nullptr; // owned as a child
};

} // namespace widgets
