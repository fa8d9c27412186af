#include "download/qt/TFrame_SoftDownLoad.h"

#include "widgets/ChromeArt.h"
#include "widgets/LbSpeedButton.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace download {

TFrame_SoftDownLoad::TFrame_SoftDownLoad(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Frame_SoftDownLoad1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(6);

    Label_Title = new QLabel(QStringLiteral("下载列表"), this);
    QFont titleFont = Label_Title->font();
    titleFont.setBold(true);
    Label_Title->setFont(titleFont);
    QPalette titlePalette = Label_Title->palette();
    titlePalette.setColor(QPalette::WindowText, widgets::chrome_art::kNavy);
    Label_Title->setPalette(titlePalette);
    layout->addWidget(Label_Title);

    ListView1 = new QTreeWidget(this);
    ListView1->setColumnCount(kColumnCount);
    ListView1->setHeaderLabels({QStringLiteral("内容"), QStringLiteral("大小"),
                                QStringLiteral("完成数"), QStringLiteral("百分比"),
                                QStringLiteral("用时"), QStringLiteral("剩余时间"),
                                QStringLiteral("速度"), QStringLiteral("备注")});
    const int widths[kColumnCount] = {150, 80, 80, 56, 80, 80, 64, 80};
    for (int column = 0; column < kColumnCount; ++column)
        ListView1->setColumnWidth(column, widths[column]);
    ListView1->header()->setStretchLastSection(false);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Grid lines between the cells.
    ListView1->setStyleSheet(QStringLiteral(
        "QTreeView::item { border-right: 1px solid #d3dbe8; border-bottom: 1px solid #d3dbe8; }"));
    layout->addWidget(ListView1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    CheckBox_AutoDL = new QCheckBox(this);
    CheckBox_AutoDL->setChecked(true);
    buttons->addWidget(CheckBox_AutoDL);
    Label_AutoDL = new QLabel(QStringLiteral("自动下载"), this);
    Label_AutoDL->setCursor(Qt::PointingHandCursor);
    Label_AutoDL->installEventFilter(this);
    buttons->addWidget(Label_AutoDL);
    buttons->addStretch(1);
    LbSpeedButton_Start = new widgets::LbSpeedButton(this);
    LbSpeedButton_Start->setText(QStringLiteral("开始"));
    LbSpeedButton_Start->setMinimumWidth(72);
    LbSpeedButton_Start->setEnabled(false);
    buttons->addWidget(LbSpeedButton_Start);
    LbSpeedButton_Stop = new widgets::LbSpeedButton(this);
    LbSpeedButton_Stop->setText(QStringLiteral("停止"));
    LbSpeedButton_Stop->setMinimumWidth(72);
    LbSpeedButton_Stop->setEnabled(false);
    buttons->addWidget(LbSpeedButton_Stop);
    layout->addLayout(buttons);
}

bool TFrame_SoftDownLoad::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label_AutoDL && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        CheckBox_AutoDL->toggle();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace download
