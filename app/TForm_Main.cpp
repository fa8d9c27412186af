#include "app/TForm_Main.h"

#include "app/ResultListModel.h"
#include "app/TFrame_Dic.h"
#include "core/ServiceData.h"
#include "core/TaggedText.h"
#include "download/PackageList.h"
#include "download/TSoftUpdate.h"
#include "download/Texts.h"
#include "download/qt/TForm_SoftDownLoad.h"
#include "net/TShakeHand.h"
#include "platform/Gbk.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "service/qt/TForm_Help.h"
#include "service/qt/TForm_SoftOnline.h"
#include "study/VocBaseData.h"
#include "study/qt/TForm_EnFollowMP3.h"
#include "study/qt/TForm_VocBaseInfo.h"
#include "widgets/Application.h"
#include "widgets/ChromeArt.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/WindowChrome.h"
#include "widgets/WindowMemory.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace app {

namespace {

constexpr int kAdHeight = 60;

// Names of the window state in "nv.dat".
constexpr std::string_view kMainWindowValue = "MainWindow";
constexpr std::string_view kMaximizedValue = "MainWindowMaximized";
constexpr std::string_view kWordBoxValue = "WordBox";
constexpr std::string_view kPhraseBoxValue = "PhraseBox";

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

std::string QueryBoxGbk(const QLineEdit* edit) {
    return platform::Utf8ToGbk(edit->text().toStdString());
}

// The designed advertisement picture, shown while sd.102 has none.
QPixmap DesignedAdPicture() {
    QPixmap pixmap(468, kAdHeight);
    QPainter p(&pixmap);
    QLinearGradient gradient(0, 0, 0, kAdHeight);
    gradient.setColorAt(0, widgets::chrome_art::kFrameFill);
    gradient.setColorAt(1, Qt::white);
    p.fillRect(pixmap.rect(), gradient);
    p.setPen(widgets::chrome_art::kNavy);
    QFont font = p.font();
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.drawText(pixmap.rect(), Qt::AlignCenter, widgets::ApplicationTitle());
    return pixmap;
}

} // namespace

TForm_Main::TForm_Main(QWidget* parent)
    : QWidget(parent), appLog_(std::make_unique<net::TAppLog>()) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    setObjectName(QStringLiteral("Form_Main"));
    QGuiApplication::setApplicationDisplayName(widgets::ApplicationTitle());
    chrome_ = new widgets::WindowChrome(this);
    chrome_->SetTitle(widgets::ApplicationTitle());
    chrome_->IconLabel()->setPixmap(widgets::chrome_art::AppIcon(16, devicePixelRatioF()));

    QFont windowFont = font();
    windowFont.setFamilies(
        {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    windowFont.setPixelSize(14);
    setFont(windowFont);

    auto* body = chrome_->Body();
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildHead(body);
    Frame_Dic1 = new TFrame_Dic(body);
    layout->addWidget(Frame_Dic1, 1);
    widgets::PlaceOnScreen(this);
    setMinimumSize(kMinWidth, kMinHeight);
    RestoreWindowState();

    // The single base-info window, shared by every vocabulary window.
    baseInfo_ = std::make_unique<study::TForm_VocBaseInfo>(std::make_unique<study::VocBaseData>());
    fetch_.SetDownloader(entryDownloader_.AsDownloader());
    opener_ = [this](const std::string& path) {
        display::ShowVocWindow(path, VocServices(), this);
    };

    connect(Frame_Dic1, &TFrame_Dic::QueryChanged, this, &TForm_Main::RunQuery);
    connect(Frame_Dic1, &TFrame_Dic::FilterClicked, this, &TForm_Main::RunQuery);
    connect(Frame_Dic1, &TFrame_Dic::OpenFromList, this, &TForm_Main::OpenSelectedEntry);
    connect(Frame_Dic1, &TFrame_Dic::OpenFromQuery, this, &TForm_Main::OpenQueryEntry);

    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] {
        // Stands for the click on the hidden Button1.
        QMetaObject::invokeMethod(this, &TForm_Main::Button1Click, Qt::QueuedConnection);
    });
    Timer2 = new QTimer(this);
    Timer2->setInterval(1000);
    Timer2->setSingleShot(true);
    connect(Timer2, &QTimer::timeout, this, [this] { Frame_Dic1->LabeledEdit_Input->setFocus(); });
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1)
        startArgument_ = arguments[1].toStdString();
    updaterStarter_ = [] {
        return download::TSoftUpdate::StartUpdater(download::TSoftUpdate::RunningProgramName());
    };
    softUpdate_ = std::make_unique<download::TSoftUpdate>(appLog_.get());
}

TForm_Main::~TForm_Main() {
    startupCheck_.request_stop();
    if (startupCheck_.joinable())
        startupCheck_.join();
    softUpdate_.reset();
    appLog_.reset();
    std::remove(platform::ScratchFile("out.mp3").c_str());
    std::remove(fetch_.EntryTempFile().c_str());
}

void TForm_Main::BuildHead(QWidget* body) {
    // TFrame_AppHead: the advertisement picture (TFrame_AppAD) and the
    // command buttons.
    auto* head = new QWidget(body);
    head->setObjectName(QStringLiteral("Frame_AppHead1"));
    head->setAutoFillBackground(true);
    QPalette palette = head->palette();
    palette.setColor(QPalette::Window, widgets::chrome_art::kFrameFill);
    head->setPalette(palette);
    auto* row = new QHBoxLayout(head);
    row->setContentsMargins(8, 4, 8, 4);

    Image_AD = new QLabel(head);
    Image_AD->setObjectName(QStringLiteral("Image_AD"));
    Image_AD->setAlignment(Qt::AlignCenter);
    Image_AD->setFixedHeight(kAdHeight);
    Image_AD->setMinimumWidth(120);
    Image_AD->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Image_AD->setCursor(Qt::PointingHandCursor);
    Image_AD->setPixmap(DesignedAdPicture());
    Image_AD->installEventFilter(this);
    row->addWidget(Image_AD, 1);

    auto makeButton = [head, row](const char* caption, const char* hint) {
        auto* button = new widgets::LbSpeedButton(head);
        button->setText(Utf8(caption));
        if (hint)
            button->SetHint(Utf8(hint));
        row->addWidget(button);
        return button;
    };
    LbSpeedButton_Help = makeButton("帮助", nullptr);
    LbSpeedButton_OnLine = makeButton("客服", "在线客服");
    LbSpeedButton_DL = makeButton("下载", "词典下载");
    LbSpeedButton_SoftUpdate = makeButton("更新", nullptr);
    LbSpeedButton_SoftUpdate->hide();
    connect(LbSpeedButton_Help, &QAbstractButton::clicked, this,
            [this] { service::ShowHelp(this); });
    connect(LbSpeedButton_OnLine, &QAbstractButton::clicked, this,
            [this] { service::ShowSoftOnline(this); });
    connect(LbSpeedButton_DL, &QAbstractButton::clicked, this, &TForm_Main::DownloadPackages);
    connect(LbSpeedButton_SoftUpdate, &QAbstractButton::clicked, this,
            &TForm_Main::SoftUpdateClick);
    static_cast<QVBoxLayout*>(body->layout())->addWidget(head);
    chrome_->AddDragArea(head);
}

void TForm_Main::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    chrome_->PlaceTitleButtons();
    chrome_->SetRoundRegion(11, 11);
    Frame_Dic1->LabeledEdit_Input->clear();
    indexLoaded_ = index_.LoadWordIndex();
    if (!indexLoaded_)
        ShowIndexProblem();
    LoadAdImage();
    Frame_Dic1->LabeledEdit_Input->setFocus();
    Timer1->start();
}

void TForm_Main::Button1Click() {
    if (startupCheck_.joinable())
        return;
    startupCheck_ = std::jthread([this](std::stop_token stop) { StartupCheck(stop); });
}

void TForm_Main::StartupCheck(std::stop_token stop) {
    {
        net::TShakeHand client;
        std::atomic<bool> cancelled{stop.stop_requested()};
        std::stop_callback onStop(stop, [&cancelled] { cancelled = true; });
        client.SetCancelFlag(&cancelled);
        if (platform::EqualIgnoringAsciiCase(startArgument_, "install"))
            client.ReportInstall();
    }
    const bool found = !stop.stop_requested() && softUpdate_->CheckForUpdates(stop);
    if (stop.stop_requested())
        return;
    QMetaObject::invokeMethod(
        this,
        [this, found, mode = softUpdate_->UpdateMode()] { StartupCheckFinished(found, mode); },
        Qt::QueuedConnection);
}

void TForm_Main::StartupCheckFinished(bool found, const std::string& mode) {
    // The thread has nothing left to do but return.
    startupCheck_.join();
    startupCheckDone_ = true;
    if (found) {
        if (platform::EqualIgnoringAsciiCase(mode, "Hint")) {
            LbSpeedButton_SoftUpdate->show();
            Timer2->start();
        } else {
            SoftUpdateClick();
        }
    }
    Timer2->start();
}

void TForm_Main::SoftUpdateClick() {
    LbSpeedButton_SoftUpdate->setEnabled(false);
    download::ShowSoftDownLoad(softUpdate_->DownloadList(), appLog_.get(), this);
    if (softUpdate_->ApplyUpdates()) {
        if (updaterStarter_()) {
            close();
            QCoreApplication::quit();
            return;
        }
        // Without fu the program stays; "fu.dat" waits for the next update.
        appLog_->Add("update: the updater fu cannot be started");
    }
    LbSpeedButton_SoftUpdate->hide();
}

void TForm_Main::closeEvent(QCloseEvent* event) {
    SaveWindowState();
    QWidget::closeEvent(event);
}

void TForm_Main::SaveWindowState() const {
    widgets::WriteRect(kMainWindowValue, isMaximized() ? normalGeometry() : geometry());
    widgets::WriteSwitch(kMaximizedValue, isMaximized());
    widgets::WriteSwitch(kWordBoxValue, Frame_Dic1->CheckBox_Word->isChecked());
    widgets::WriteSwitch(kPhraseBoxValue, Frame_Dic1->CheckBox_Phrase->isChecked());
}

void TForm_Main::RestoreWindowState() {
    // A place no screen shows any more (a monitor unplugged) is forgotten.
    if (const auto rect = widgets::ReadRect(kMainWindowValue); rect && widgets::IsOnAScreen(*rect))
        setGeometry(QRect(rect->topLeft(), rect->size().expandedTo(minimumSize())));
    if (widgets::ReadSwitch(kMaximizedValue).value_or(false))
        setWindowState(windowState() | Qt::WindowMaximized);
    if (const auto word = widgets::ReadSwitch(kWordBoxValue))
        Frame_Dic1->CheckBox_Word->setChecked(*word);
    if (const auto phrase = widgets::ReadSwitch(kPhraseBoxValue))
        Frame_Dic1->CheckBox_Phrase->setChecked(*phrase);
}

bool TForm_Main::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image_AD && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        OpenAdLink();
    return QWidget::eventFilter(watched, event);
}

void TForm_Main::RunQuery() {
    index_.SetFilter(Frame_Dic1->CheckBox_Word->isChecked(),
                     Frame_Dic1->CheckBox_Phrase->isChecked());
    core::SearchOutcome outcome = index_.Dispatch(QueryBoxGbk(Frame_Dic1->LabeledEdit_Input));
    if (outcome.Status == core::SearchStatus::Blank)
        return;
    if (outcome.Status == core::SearchStatus::Failed) {
        // A damaged index lists nothing wrong: the list stays and the hint
        // line says why.
        ShowIndexProblem();
        return;
    }
    Frame_Dic1->Label_Hint->setText(Utf8("提示：鼠标双击查看词汇详细信息"));
    ShowResultList();
}

void TForm_Main::ShowIndexProblem() {
    const QString file = QString::fromStdString(index_.IndexFile());
    Frame_Dic1->Label_Hint->setText(QFileInfo::exists(file)
                                        ? Utf8("词库数据错误：词库索引文件“%1”已损坏。").arg(file)
                                        : Utf8("词库数据错误：找不到词库索引文件“%1”。").arg(file));
}

void TForm_Main::ShowResultList() {
    Frame_Dic1->ListModel->SetResultLines(index_.ResultList());
}

void TForm_Main::OpenEntry(const std::string& word) {
    const core::FetchResult result = fetch_.OpenEntry(word, opener_);
    QString message;
    const QString path = QString::fromStdString(result.Path);
    if (result.Status == core::FetchStatus::CannotWrite)
        message =
            Utf8("无法打开词条：文件夹“%1”不能写入。请检查该文件夹的权限和磁盘空间。").arg(path);
    else if (result.Status == core::FetchStatus::Damaged)
        message = Utf8("无法打开词条：数据文件“%1”已损坏。").arg(path);
    if (!message.isEmpty())
        QMessageBox::warning(this, widgets::ApplicationTitle(), message);
}

void TForm_Main::OpenSelectedEntry() {
    int row = Frame_Dic1->SelectedIndex();
    const auto& results = index_.ResultList();
    if (row < 0 || static_cast<size_t>(row) >= results.size())
        return;
    OpenEntry(core::GetTagValue(results[static_cast<size_t>(row)], "En"));
}

void TForm_Main::OpenQueryEntry() {
    std::string word(platform::Trimmed(QueryBoxGbk(Frame_Dic1->LabeledEdit_Input)));
    if (!word.empty())
        OpenEntry(word);
}

bool TForm_Main::BuildPackageList(std::vector<std::string>& list) {
    if (download::BuildPackageList(list))
        return true;
    QMessageBox::information(
        this, widgets::ApplicationTitle(),
        QString::fromStdString(platform::GbkToUtf8(download::text::kPackageListFailed)));
    return false;
}

void TForm_Main::DownloadPackages() {
    std::vector<std::string> list;
    if (BuildPackageList(list))
        download::ShowSoftDownLoad(list, appLog_.get(), this);
}

bool TForm_Main::LoadAdImage() {
    std::string bytes;
    if (!core::ReadServiceMember(core::kAdPictureMember, bytes) || bytes.empty() ||
        bytes.size() > INT_MAX)
        return false;
    QImage picture = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                      static_cast<int>(bytes.size()));
    if (picture.isNull())
        return false;
    Image_AD->setPixmap(QPixmap::fromImage(picture));
    return true;
}

void TForm_Main::OpenAdLink() {
    std::string record;
    if (!core::ReadServiceMember(core::kAdRecordMember, record))
        return;
    std::string url = core::GetTagValue(record, "Url");
    if (!url.empty())
        platform::OpenUrl(url);
}

display::VocWindowServices TForm_Main::VocServices() {
    display::VocWindowServices services;
    services.FollowAlong = [this](const std::string& record) {
        study::ShowEnFollowMP3(record, nullptr, this);
    };
    services.ShowBaseInfo = [this](const std::string& word) { baseInfo_->ShowVocBaseInfo(word); };
    services.HideBaseInfo = [this] { baseInfo_->hide(); };
    return services;
}

} // namespace app
