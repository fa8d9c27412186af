#include "download/qt/TForm_SoftDownLoad.h"

#include "core/TaggedText.h"
#include "download/ConnectionLimit.h"
#include "download/PackageList.h"
#include "download/ProgressText.h"
#include "download/ServerList.h"
#include "download/Texts.h"
#include "download/qt/DownloadArt.h"
#include "download/qt/TFrame_SoftDownLoad.h"
#include "platform/Gbk.h"
#include "platform/Text.h"
#include "widgets/Application.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/WindowChrome.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace download {

namespace {

QString FromGbk(const std::string& gbk) {
    return QString::fromStdString(platform::GbkToUtf8(gbk));
}

} // namespace

TForm_SoftDownLoad::TForm_SoftDownLoad(std::vector<std::string> list, net::TAppLog* log,
                                       QWidget* parent)
    : QDialog(parent), dlList_(std::move(list)), log_(log) {
    setObjectName(QStringLiteral("Form_SoftDownLoad"));
    Chrome = new widgets::WindowChrome(this);
    Chrome->SetTitle(widgets::ApplicationTitle() + QStringLiteral(" ---> ") +
                     QStringLiteral("[下载]"));
    auto* layout = new QVBoxLayout(Chrome->Body());
    layout->setContentsMargins(0, 0, 0, 0);
    Frame_SoftDownLoad1 = new TFrame_SoftDownLoad(Chrome->Body());
    layout->addWidget(Frame_SoftDownLoad1);
    widgets::PlaceOnScreen(this);

    Timer1 = new QTimer(this);
    Timer1->setInterval(kProgressInterval);
    connect(Timer1, &QTimer::timeout, this, &TForm_SoftDownLoad::UpdateProgress);
    Timer_AutoDL = new QTimer(this);
    Timer_AutoDL->setInterval(kAutoInterval);
    connect(Timer_AutoDL, &QTimer::timeout, this, &TForm_SoftDownLoad::AutoNext);

    TFrame_SoftDownLoad* frame = Frame_SoftDownLoad1;
    connect(frame->LbSpeedButton_Start, &QAbstractButton::clicked, this,
            &TForm_SoftDownLoad::Start);
    connect(frame->LbSpeedButton_Stop, &QAbstractButton::clicked, this, &TForm_SoftDownLoad::Stop);
    connect(frame->ListView1, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (Frame_SoftDownLoad1->LbSpeedButton_Start->isEnabled())
            Start();
    });
    savedMaxConnections_ = RaiseConnectionLimit();
}

TForm_SoftDownLoad::~TForm_SoftDownLoad() {
    item_.reset();
    RestoreConnectionLimit(savedMaxConnections_);
}

bool TForm_SoftDownLoad::Downloading() const {
    return Frame_SoftDownLoad1->LbSpeedButton_Stop->isEnabled();
}

int TForm_SoftDownLoad::RowState(int row) const {
    return row >= 0 && static_cast<size_t>(row) < rowState_.size()
               ? rowState_[static_cast<size_t>(row)]
               : -1;
}

void TForm_SoftDownLoad::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    FillList();
}

void TForm_SoftDownLoad::FillList() {
    QTreeWidget* list = Frame_SoftDownLoad1->ListView1;
    list->clear();
    rowEntry_.clear();
    rowState_.clear();
    for (size_t i = 0; i < dlList_.size(); ++i) {
        const std::string size = core::GetTagValue(dlList_[i], "FS");
        if (size.empty())
            continue;
        auto* row = new QTreeWidgetItem(list);
        row->setText(TFrame_SoftDownLoad::kTitle, FromGbk(core::GetTagValue(dlList_[i], "Title")));
        const std::optional<uint32_t> bytes = platform::ParseHex32(size);
        row->setText(TFrame_SoftDownLoad::kSize,
                     bytes ? QString::number(*bytes) : QString::fromStdString(size));
        rowEntry_.push_back(i);
        rowState_.push_back(kRowWaiting);
        SetRowState(static_cast<int>(rowState_.size()) - 1, kRowWaiting);
    }
    Frame_SoftDownLoad1->Label_Title->setText(QStringLiteral("下载列表[%1]").arg(rowState_.size()));
    Frame_SoftDownLoad1->LbSpeedButton_Start->setEnabled(!rowState_.empty());
}

void TForm_SoftDownLoad::SetRowState(int row, int state) {
    QTreeWidgetItem* item = Frame_SoftDownLoad1->ListView1->topLevelItem(row);
    if (!item)
        return;
    rowState_[static_cast<size_t>(row)] = state;
    item->setIcon(TFrame_SoftDownLoad::kTitle, art::RowStateImage(state, devicePixelRatioF()));
}

int TForm_SoftDownLoad::ChooseItem() const {
    const QTreeWidget* list = Frame_SoftDownLoad1->ListView1;
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    const int row = selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.front());
    return download::ChooseItem(rowState_, row, Frame_SoftDownLoad1->CheckBox_AutoDL->isChecked());
}

void TForm_SoftDownLoad::ShowMessage(const std::string& gbk) {
    QMessageBox::information(this, widgets::ApplicationTitle(), FromGbk(gbk));
}

bool TForm_SoftDownLoad::StartItem(int row) {
    const std::optional<DownloadListEntry> entry =
        DownloadListEntry::Parse(dlList_[rowEntry_[static_cast<size_t>(row)]]);
    if (!entry)
        return false;
    // The previous item has finished (its completion came), so this joins at
    // once, or within a second after a stop.
    item_.reset();
    item_ = std::make_unique<DLItem>(*entry);
    itemRow_ = row;
    return true;
}

bool TForm_SoftDownLoad::GetServerList(uint32_t fileClass) {
    ServerListReply reply = FetchServerList(fileClass);
    if (!reply.Ok()) {
        ShowMessage(reply.Message);
        return false;
    }
    serverList_ = std::move(reply.Servers);
    return true;
}

void TForm_SoftDownLoad::Start() {
    const int row = ChooseItem();
    if (row < 0) {
        ShowMessage(text::kNothingToDownload);
        return;
    }
    if (!StartItem(row)) {
        RefuseRow(row);
        return;
    }
    if (serverList_.empty() && !GetServerList(item_->Entry().FC)) {
        ShowMessage(text::kDownloadFailed);
        return;
    }
    TFrame_SoftDownLoad* frame = Frame_SoftDownLoad1;
    const uint64_t serial = ++serial_;
    const bool started =
        item_->Start(serverList_, log_, [this, serial, row](const InstallResult& result) {
            QMetaObject::invokeMethod(
                this, [this, serial, row, result] { Completion(serial, row, result); },
                Qt::QueuedConnection);
        });
    if (!started) {
        RefuseRow(row);
        return;
    }
    frame->LbSpeedButton_Start->setEnabled(false);
    frame->LbSpeedButton_Stop->setEnabled(true);
    SetRowState(row, kRowDownloading);
    frame->ListView1->topLevelItem(row)->setText(TFrame_SoftDownLoad::kRemark,
                                                 QStringLiteral("下载中..."));
    Timer1->start();
}

void TForm_SoftDownLoad::RefuseRow(int row) {
    Frame_SoftDownLoad1->ListView1->topLevelItem(row)->setText(TFrame_SoftDownLoad::kRemark,
                                                               QStringLiteral("失败！"));
    SetRowState(row, kRowFailed);
    ShowMessage(text::kDownloadFailed);
    if (Frame_SoftDownLoad1->CheckBox_AutoDL->isChecked())
        Timer_AutoDL->start();
}

void TForm_SoftDownLoad::Stop() {
    TFrame_SoftDownLoad* frame = Frame_SoftDownLoad1;
    frame->LbSpeedButton_Stop->setEnabled(false);
    Timer1->stop();
    if (item_)
        item_->Stop();
    frame->CheckBox_AutoDL->setChecked(false);
    frame->LbSpeedButton_Start->setEnabled(true);
}

void TForm_SoftDownLoad::UpdateProgress() {
    if (!item_ || itemRow_ < 0)
        return;
    QTreeWidgetItem* row = Frame_SoftDownLoad1->ListView1->topLevelItem(itemRow_);
    const uint64_t received = item_->Received();
    const uint64_t size = item_->Entry().FS;
    const ItemProgress progress =
        MakeItemProgress(received, size, DLItem::NowTick() - item_->StartTick());
    row->setText(TFrame_SoftDownLoad::kSize, QString::number(size));
    row->setText(TFrame_SoftDownLoad::kReceived, QString::number(received));
    row->setText(TFrame_SoftDownLoad::kPercent, FromGbk(progress.Percent));
    row->setText(TFrame_SoftDownLoad::kElapsed, FromGbk(progress.Elapsed));
    row->setText(TFrame_SoftDownLoad::kRemaining, FromGbk(progress.Remaining));
    row->setText(TFrame_SoftDownLoad::kSpeed, FromGbk(progress.Speed));
    if (received >= size)
        Timer1->stop();
}

void TForm_SoftDownLoad::Completion(uint64_t serial, int row, const InstallResult& result) {
    // A stopped item whose row has been started again since: the newer start
    // reports for the row.
    if (serial != serial_ && row == itemRow_)
        return;
    QTreeWidgetItem* item = Frame_SoftDownLoad1->ListView1->topLevelItem(row);
    if (serial == serial_ && result.Ok)
        UpdateProgress();
    item->setText(TFrame_SoftDownLoad::kRemark,
                  result.Ok ? QStringLiteral("成功！") : QStringLiteral("失败！"));
    item->setToolTip(TFrame_SoftDownLoad::kRemark, QString::fromStdString(result.Problem));
    SetRowState(row, result.Ok ? kRowDone : kRowFailed);
    // A stopped item replaced by a newer start only marks its own row.
    if (serial != serial_)
        return;
    TFrame_SoftDownLoad* frame = Frame_SoftDownLoad1;
    frame->LbSpeedButton_Stop->setEnabled(false);
    frame->LbSpeedButton_Start->setEnabled(true);
    if (!result.Ok)
        Timer1->stop();
    if (frame->CheckBox_AutoDL->isChecked())
        Timer_AutoDL->start();
}

void TForm_SoftDownLoad::AutoNext() {
    Timer_AutoDL->stop();
    if (ChooseItem() >= 0)
        Start();
}

void TForm_SoftDownLoad::closeEvent(QCloseEvent* event) {
    if (Downloading()) {
        ShowMessage(text::kDownloading);
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TForm_SoftDownLoad::reject() {
    if (Downloading()) {
        ShowMessage(text::kDownloading);
        return;
    }
    QDialog::reject();
}

bool ShowSoftDownLoad(const std::vector<std::string>& list, net::TAppLog* log, QWidget* parent) {
    TForm_SoftDownLoad window(list, log, parent);
    window.exec();
    return true;
}

} // namespace download
