#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace widgets {

// Text drawn raised: a light copy one pixel up-left, a dark copy one pixel
// down-right, the text itself on top. Sizes itself to its text.
class Label3D : public QWidget {
    Q_OBJECT
public:
    explicit Label3D(QWidget* parent = nullptr);
    explicit Label3D(const QString& text, QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return text_; }

    void SetColors(const QColor& text, const QColor& light, const QColor& dark);
    void SetAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString text_;
    QColor textColor_{0x1f, 0x3f, 0x7a};
    QColor lightColor_{Qt::white};
    QColor darkColor_{0x9a, 0xa9, 0xc0};
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
};

} // namespace widgets
