#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QTreeWidget;

namespace widgets {
class LbSpeedButton;
}

namespace download {

// The panel of the package download window: the list title, the list of
// download entries (8 columns, whole-row selection, grid lines, read-only,
// a state image per row) and the buttons under it.
class TFrame_SoftDownLoad : public QWidget {
    Q_OBJECT
public:
    // Columns of ListView1: the caption, then sub-items 0 to 6.
    enum Column : int {
        kTitle = 0,
        kSize,
        kReceived,
        kPercent,
        kElapsed,
        kRemaining,
        kSpeed,
        kRemark,
        kColumnCount
    };

    explicit TFrame_SoftDownLoad(QWidget* parent = nullptr);

    QLabel* Label_Title = nullptr; // "下载列表[n]"
    QTreeWidget* ListView1 = nullptr;
    widgets::LbSpeedButton* LbSpeedButton_Start = nullptr; // "开始"
    widgets::LbSpeedButton* LbSpeedButton_Stop = nullptr;  // "停止"
    QCheckBox* CheckBox_AutoDL = nullptr;
    QLabel* Label_AutoDL = nullptr; // "自动下载"; a click toggles the check box

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace download
