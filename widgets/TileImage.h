#pragma once

#include <QPixmap>
#include <QWidget>

namespace widgets {

// A widget that covers itself with its picture repeated from the top left
// corner. Without a picture it paints nothing (the parent shows through).
class TileImage : public QWidget {
    Q_OBJECT
public:
    explicit TileImage(QWidget* parent = nullptr);

    void SetPicture(const QPixmap& picture);
    const QPixmap& Picture() const { return picture_; }

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPixmap picture_;
};

} // namespace widgets
