#pragma once

#include <QColor>
#include <QLabel>

namespace widgets {

// A label whose text takes the hover colour while the mouse is over it and
// its normal colour again when the mouse leaves (the title labels).
class HoverLabel : public QLabel {
    Q_OBJECT
public:
    explicit HoverLabel(QWidget* parent = nullptr);
    explicit HoverLabel(const QString& text, QWidget* parent = nullptr);

    void SetColors(const QColor& normal, const QColor& hover);
    QColor CurrentColor() const { return palette().color(QPalette::WindowText); }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ApplyColor(const QColor& colour);

    QColor normal_{Qt::black};
    QColor hover_{Qt::blue};
};

} // namespace widgets
