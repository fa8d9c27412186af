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
#include <QShortcut>
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
    connect(Frame_Dic1, &TFrame_Dic::HistoryRequested, this, &TForm_Main::ShowHistory);
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::Key_F3)}) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, Frame_Dic1, &TFrame_Dic::FocusQuery);
    }
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
    indexLoaded_ = finder_.Load();
    if (!indexLoaded_)
        ShowIndexProblem();
    history_.Load();
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
    finder_.Index().SetFilter(Frame_Dic1->CheckBox_Word->isChecked(),
                              Frame_Dic1->CheckBox_Phrase->isChecked());
    core::SearchOutcome outcome = finder_.Find(QueryBoxGbk(Frame_Dic1->LabeledEdit_Input));
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
    const QString file = QString::fromStdString(finder_.Index().IndexFile());
    Frame_Dic1->Label_Hint->setText(QFileInfo::exists(file)
                                        ? Utf8("词库数据错误：词库索引文件“%1”已损坏。").arg(file)
                                        : Utf8("词库数据错误：找不到词库索引文件“%1”。").arg(file));
}

void TForm_Main::ShowResultList() {
    // Result rows follow the result list in its order; the list box cuts
    // their long headwords (ListBoxItem).
    std::vector<core::ListRow> rows = finder_.Rows();
    const auto& lines = finder_.Index().ResultList();
    size_t next = 0;
    for (core::ListRow& row : rows) {
        if (row.Kind == core::RowKind::Result && next < lines.size())
            row.Text = ListBoxItem(lines[next++]);
    }
    Frame_Dic1->ListModel->SetRows(std::move(rows));
}

void TForm_Main::ShowHistory() {
    std::vector<core::ListRow> rows;
    for (const std::string& word : history_.Words())
        rows.push_back({core::RowKind::History, word, word});
    if (rows.empty())
        rows.push_back({core::RowKind::Note, {}, platform::Utf8ToGbk("（还没有查看过的词汇）")});
    else
        rows.push_back({core::RowKind::Command, {}, platform::Utf8ToGbk("清除历史记录")});
    Frame_Dic1->ListModel->SetRows(std::move(rows));
    Frame_Dic1->SelectRow(0);
}

void TForm_Main::ShowFetchProblem(const core::FetchResult& result, QWidget* parent) {
    QString message;
    const QString path = QString::fromStdString(result.Path);
    if (result.Status == core::FetchStatus::CannotWrite)
        message =
            Utf8("无法打开词条：文件夹“%1”不能写入。请检查该文件夹的权限和磁盘空间。").arg(path);
    else if (result.Status == core::FetchStatus::Damaged)
        message = Utf8("无法打开词条：数据文件“%1”已损坏。").arg(path);
    if (!message.isEmpty())
        QMessageBox::warning(parent, widgets::ApplicationTitle(), message);
}

core::FetchStatus TForm_Main::OpenEntry(const std::string& word) {
    const core::FetchResult result = fetch_.OpenEntry(word, [&](const std::string& path) {
        history_.Add(word);
        opener_(path);
    });
    ShowFetchProblem(result, this);
    Frame_Dic1->FocusQuery();
    return result.Status;
}

bool TForm_Main::FetchForVocWindow(const std::string& word) {
    const core::FetchResult result = fetch_.OpenEntry(word, nullptr);
    if (!result) {
        ShowFetchProblem(result, QApplication::activeModalWidget());
        return false;
    }
    history_.Add(word);
    return true;
}

void TForm_Main::ActivateRow(int row) {
    const auto& rows = Frame_Dic1->ListModel->Rows();
    if (row < 0 || static_cast<size_t>(row) >= rows.size())
        return;
    const core::ListRow chosen = rows[static_cast<size_t>(row)];
    switch (chosen.Kind) {
    case core::RowKind::Result:
    case core::RowKind::Form:
    case core::RowKind::Suggestion:
    case core::RowKind::History:
        OpenEntry(chosen.Word);
        break;
    case core::RowKind::FilterHint:
        // The other box shows what the filter hid.
        (Frame_Dic1->CheckBox_Word->isChecked() ? Frame_Dic1->CheckBox_Phrase
                                                : Frame_Dic1->CheckBox_Word)
            ->click();
        break;
    case core::RowKind::Command:
        history_.Clear();
        ShowHistory();
        break;
    case core::RowKind::Note:
        break;
    }
}

void TForm_Main::OpenSelectedEntry() {
    ActivateRow(Frame_Dic1->SelectedIndex());
}

void TForm_Main::OpenQueryEntry() {
    // A line chosen with the arrow keys first; then a Chinese query opens
    // its first result, an English one the word typed or, when that has no
    // entry, the word it is a form of.
    if (Frame_Dic1->SelectedIndex() >= 0) {
        ActivateRow(Frame_Dic1->SelectedIndex());
        return;
    }
    std::string word(platform::Trimmed(QueryBoxGbk(Frame_Dic1->LabeledEdit_Input)));
    if (word.empty())
        return;
    const auto& rows = Frame_Dic1->ListModel->Rows();
    if (static_cast<unsigned char>(word.front()) >= 0x80) {
        if (!rows.empty() && rows.front().Kind == core::RowKind::Result)
            ActivateRow(0);
        return;
    }
    if (OpenEntry(word) == core::FetchStatus::Absent && !rows.empty() &&
        rows.front().Kind == core::RowKind::Form)
        ActivateRow(0);
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
    services.OpenWord = [this](const std::string& word) { return FetchForVocWindow(word); };
    return services;
}

} // namespace app
