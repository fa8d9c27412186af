#include "download/qt/TForm_DownLoad.h"

#include "download/ProgressText.h"
#include "download/qt/DownloadArt.h"
#include "platform/Gbk.h"
#include "widgets/Application.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/TileImage.h"
#include "widgets/WindowChrome.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace download {

namespace {

QString FromGbk(const std::string& gbk) {
    return QString::fromStdString(platform::GbkToUtf8(gbk));
}

QLabel* MakePart(QWidget* panel, const QColor& colour) {
    auto* part = new QLabel(panel);
    part->setAutoFillBackground(true);
    QPalette palette = part->palette();
    palette.setColor(QPalette::Window, colour);
    part->setPalette(palette);
    return part;
}

// A bar of four parts: caps on both ends, the filled part and the rest.
QWidget* MakeBar(QWidget* parent, const QRect& geometry, std::array<QLabel*, 4>& images) {
    auto* panel = new QWidget(parent);
    panel->setGeometry(geometry);
    images = {MakePart(panel, art::kBarCap), MakePart(panel, art::kBarFill),
              MakePart(panel, art::kBarRest), MakePart(panel, art::kBarCap)};
    images[0]->setGeometry(0, 0, TForm_DownLoad::kCapWidth, geometry.height());
    images[3]->setGeometry(TForm_DownLoad::kBarWidth - TForm_DownLoad::kCapWidth, 0,
                           TForm_DownLoad::kCapWidth, geometry.height());
    return panel;
}

QLabel* MakeLabel(QWidget* parent, const QRect& geometry, const QString& text = {}) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

} // namespace

TForm_DownLoad::TForm_DownLoad(std::vector<std::string> items, QWidget* parent)
    : QDialog(parent), items_(std::move(items)) {
    setObjectName(QStringLiteral("Form_DownLoad"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(widgets::ApplicationTitle());
    setFixedSize(kWidth, kHeight);
    QFont windowFont = font();
    windowFont.setFamilies(
        {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    windowFont.setPixelSize(12);
    setFont(windowFont);

    TileImage_MM = new widgets::TileImage(this);
    TileImage_MM->setGeometry(0, 0, kWidth, kHeight);
    TileImage_MM->SetPicture(art::DownloadBackgroundTile());

    Label_Title = MakeLabel(this, QRect(16, 10, 377, 20));
    Label_ProgressTitle = MakeLabel(this, QRect(32, 38, kBarWidth, 18));
    Panel_Progress = MakeBar(this, QRect(32, 58, kBarWidth, 12), Image_Progress);
    Label_SubProgressTitle = MakeLabel(this, QRect(32, 82, kBarWidth, 18));
    Panel_SubProgress = MakeBar(this, QRect(32, 102, kBarWidth, 12), Image_SubProgress);
    Label1 = MakeLabel(this, QRect(32, 124, 56, 18), QStringLiteral("已下载:"));
    Label_DLSize = MakeLabel(this, QRect(90, 124, 120, 18), QStringLiteral("0 K"));
    Label_Time = MakeLabel(this, QRect(230, 124, 147, 18), QStringLiteral("[ 1秒 ]"));
    Label_Time->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label_Time->hide();
    LbSpeedButton_Cancel = new widgets::LbSpeedButton(this);
    LbSpeedButton_Cancel->setText(QStringLiteral("取 消&C"));
    LbSpeedButton_Cancel->setGeometry(297, 156, 80, 26);
    connect(LbSpeedButton_Cancel, &QAbstractButton::clicked, this, &TForm_DownLoad::Cancel);
    for (QWidget* area : {static_cast<QWidget*>(TileImage_MM), static_cast<QWidget*>(Label_Title),
                          static_cast<QWidget*>(Label_ProgressTitle),
                          static_cast<QWidget*>(Label_SubProgressTitle)})
        area->installEventFilter(this);

    // Creation: empty captions and bars.
    Label_Title->clear();
    Label_ProgressTitle->clear();
    Label_SubProgressTitle->clear();
    SetBar(Image_Progress, 0);
    SetBar(Image_SubProgress, 0);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TForm_DownLoad::Tick);

    worker_.SetOnProgress(
        [this](uint8_t stage, const std::string& caption, int64_t position, int64_t total) {
            const QString text = FromGbk(caption);
            QMetaObject::invokeMethod(
                this,
                [this, stage, text, position, total] { OnProgress(stage, text, position, total); },
                Qt::QueuedConnection);
        });
    worker_.SetOnFinish([this](bool succeeded) {
        QMetaObject::invokeMethod(
            this, [this, succeeded] { OnEnded(succeeded); }, Qt::QueuedConnection);
    });
}

TForm_DownLoad::~TForm_DownLoad() {
    worker_.Terminate();
}

int TForm_DownLoad::FilledWidth(int64_t position, int64_t total) {
    if (total <= 0)
        return 0;
    const double width = std::round(static_cast<double>(kBarUsable) / static_cast<double>(total) *
                                    static_cast<double>(position));
    return static_cast<int>(std::clamp(width, 0.0, static_cast<double>(kBarUsable)));
}

void TForm_DownLoad::SetBar(const std::array<QLabel*, 4>& images, int filled) {
    const int height = images[0]->height();
    images[1]->setGeometry(kCapWidth, 0, filled, height);
    images[1]->setVisible(filled > 0);
    images[2]->setGeometry(kCapWidth + filled, 0, kBarUsable - filled, height);
}

void TForm_DownLoad::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    widgets::SetRoundRegion(this, 5, 5);
    if (started_)
        return;
    started_ = true;
    Timer1->start();
    worker_.Start(items_);
}

void TForm_DownLoad::OnProgress(uint8_t stage, const QString& caption, int64_t position,
                                int64_t total) {
    if (stopped_)
        return;
    if (stage == 1) {
        Label_SubProgressTitle->setText(caption);
        Label_DLSize->setText(QString::number(position / 1024) + QStringLiteral(" K"));
        SetBar(Image_SubProgress, FilledWidth(position, total));
    } else if (stage == 0) {
        Label_ProgressTitle->setText(caption);
        SetBar(Image_Progress, FilledWidth(position, total));
    }
}

void TForm_DownLoad::OnEnded(bool succeeded) {
    stopped_ = true;
    ended_ = true;
    succeeded_ = succeeded;
    Timer1->stop();
    worker_.Join();
    accept();
}

void TForm_DownLoad::Cancel() {
    LbSpeedButton_Cancel->setEnabled(false);
    stopped_ = true;
    worker_.Terminate();
}

void TForm_DownLoad::Tick() {
    ++seconds_;
    Label_Time->setText(FromGbk(DownloadTimeLabel(seconds_)));
}

void TForm_DownLoad::reject() {
    if (started_ && !ended_) {
        Cancel();
        return;
    }
    QDialog::reject();
}

bool TForm_DownLoad::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            QWindow* handle = windowHandle();
            dragging_ = handle == nullptr || !handle->startSystemMove();
            dragOffset_ = mouse->globalPosition().toPoint() - pos();
            return true;
        }
    } else if (event->type() == QEvent::MouseMove && dragging_) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() & Qt::LeftButton)
            move(mouse->globalPosition().toPoint() - dragOffset_);
        return true;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        dragging_ = false;
    }
    return QDialog::eventFilter(watched, event);
}

bool ShowDownLoad(const std::vector<std::string>& items, QWidget* parent) {
    TForm_DownLoad window(items, parent);
    window.exec();
    return window.Succeeded();
}

} // namespace download
