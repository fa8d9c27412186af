#include "display/qt/TForm_Voc.h"

#include "core/EntryFetch.h"
#include "core/TaggedText.h"
#include "display/qt/QtConvert.h"
#include "display/qt/TFrame_Voc.h"
#include "display/qt/TRichTextView.h"
#include "platform/Gbk.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "storage/TCDF.h"
#include "widgets/Application.h"
#include "widgets/Label3D.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/WindowChrome.h"
#include "widgets/WindowMemory.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace display {

namespace {

constexpr int kRenderDelayMs = 200;
// Names of the window state in "nv.dat".
constexpr std::string_view kVocWindowValue = "VocWindow";
constexpr std::string_view kVocZoomValue = "VocZoom";

std::string OutMp3Path() {
    return platform::ScratchFile("out.mp3");
}

QString FromGbk(const std::string& gbk) {
    return QString::fromStdString(platform::GbkToUtf8(gbk));
}

} // namespace

TForm_Voc::TForm_Voc(std::string packagePath, VocWindowServices services, QWidget* parent)
    : QDialog(parent), packagePath_(std::move(packagePath)), services_(std::move(services)),
      styles_(std::make_shared<TTextStyleTable>(VocStyleTable())), images_(VocImageList()) {
    setObjectName(QStringLiteral("Form_Voc"));
    chrome_ = new widgets::WindowChrome(this);
    chrome_->SetTitle(widgets::ApplicationTitle());
    auto* bodyLayout = new QVBoxLayout(chrome_->Body());
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    Frame_Voc1 = new TFrame_Voc(chrome_->Body());
    bodyLayout->addWidget(Frame_Voc1);
    widgets::PlaceOnScreen(this);
    if (const auto remembered = widgets::ReadSize(kVocWindowValue)) {
        resize(remembered->expandedTo(minimumSizeHint()));
        widgets::CentreOverOwner(this);
    }

    TRichTextView* view = Frame_Voc1->RichText_Voc;
    view->SetStyle(styles_);
    background_ = PictureFromImage(view->BackgroundBitmap().toImage());
    connect(view, &TRichTextView::OnJump, this, &TForm_Voc::RichText_VocJump);
    connect(view, &TRichTextView::OnWordDblClick, this,
            [this](const std::string& word, int) { RichText_VocWordDblClick(word); });
    connect(Frame_Voc1->LbSpeedButton_Enlarge, &QAbstractButton::clicked, this,
            [this] { ZoomStyles(1); });
    connect(Frame_Voc1->LbSpeedButton_Shrink, &QAbstractButton::clicked, this,
            [this] { ZoomStyles(-1); });

    // The remembered zoom, a step at a time: one past the size limits ends it.
    const int zoom = widgets::ReadNumber(kVocZoomValue).value_or(0);
    const int step = zoom > 0 ? 1 : -1;
    while (zoom_ != zoom && display::ZoomStyles(*styles_, step))
        zoom_ += step;

    LbSpeedButton_Back = new widgets::LbSpeedButton(chrome_->TitlePanel());
    LbSpeedButton_Back->setText(QString::fromUtf8("◀"));
    LbSpeedButton_Back->SetHint(QString::fromUtf8("后退 (Alt+←)"));
    LbSpeedButton_Forward = new widgets::LbSpeedButton(chrome_->TitlePanel());
    LbSpeedButton_Forward->setText(QString::fromUtf8("▶"));
    LbSpeedButton_Forward->SetHint(QString::fromUtf8("前进 (Alt+→)"));
    // After the title label and before the stretch that keeps the title
    // buttons' end free.
    chrome_->TitleLayout()->insertWidget(2, LbSpeedButton_Back);
    chrome_->TitleLayout()->insertWidget(3, LbSpeedButton_Forward);
    connect(LbSpeedButton_Back, &QAbstractButton::clicked, this, [this] { GoBack(); });
    connect(LbSpeedButton_Forward, &QAbstractButton::clicked, this, [this] { GoForward(); });
    auto* back = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this);
    connect(back, &QShortcut::activated, this, [this] { GoBack(); });
    auto* forward = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), this);
    connect(forward, &QShortcut::activated, this, [this] { GoForward(); });
    UpdateNavigation();

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(kRenderDelayMs);
    connect(Timer1, &QTimer::timeout, this, &TForm_Voc::RenderEntry);
}

TForm_Voc::~TForm_Voc() {
    widgets::WriteSize(kVocWindowValue, isMaximized() ? normalGeometry().size() : size());
    widgets::WriteNumber(kVocZoomValue, zoom_);
    vocFile_.reset();
    std::remove(OutMp3Path().c_str());
    if (services_.HideBaseInfo)
        services_.HideBaseInfo();
}

void TForm_Voc::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    chrome_->PlaceTitleButtons();
    chrome_->SetRoundRegion(11, 11);
    vocFile_ = std::make_unique<storage::TCDF>(packagePath_);
    Timer1->start();
}

void TForm_Voc::RenderEntry() {
    Timer1->stop();
    actionList_.clear();
    std::string record;
    if (!vocFile_)
        return;
    vocFile_->SetReadLimit(core::EntryFetch::kEntryRecordLimit);
    if (!vocFile_->ReadString(0u, record) || record.empty())
        return;
    current_.Word = EntryHeadword(record);
    Frame_Voc1->myLabel3d_Voc->setText(FromGbk(current_.Word));
    TRichTextView* view = Frame_Voc1->RichText_Voc;
    view->Clear();
    display::RenderEntry(record, view->Document(), actionList_, images_, background_);
    view->Format();
}

void TForm_Voc::ZoomStyles(int delta) {
    if (!display::ZoomStyles(*styles_, delta))
        return;
    zoom_ += delta;
    TRichTextView* view = Frame_Voc1->RichText_Voc;
    int position = view->VScrollPos();
    view->Format();
    view->SetVScrollPos(position);
}

bool TForm_Voc::PlayEntryMP3(uint32_t memberNo, const std::string& text) {
    std::string path = OutMp3Path();
    if (!vocFile_)
        return false;
    vocFile_->SetReadLimit(core::EntryFetch::kPackageLimit);
    if (!vocFile_->ReadToFile(memberNo, path))
        return false;
    if (services_.FollowAlong)
        services_.FollowAlong(core::MakeTextField(text, "TXT") + core::MakeTextField(path, "FN"));
    return true;
}

void TForm_Voc::RichText_VocJump(int jumpNo) {
    if (jumpNo < 0 || static_cast<size_t>(jumpNo) >= actionList_.size())
        return;
    // Copied: the reader runs modally and the list must not change under us.
    const std::string action = actionList_[static_cast<size_t>(jumpNo)];
    const std::string kind = core::GetTagValue(action, "Action");
    if (platform::EqualIgnoringAsciiCase(kind, "ShowTYC")) {
        OpenWord(core::GetTagValue(action, "TXT"));
        return;
    }
    if (!platform::EqualIgnoringAsciiCase(kind, "PlayMP3"))
        return;
    std::string hex = core::GetTagValue(action, "MP3");
    std::optional<uint32_t> memberNo = ParseMemberNumber(hex);
    if (!memberNo) {
        QMessageBox::critical(this, widgets::ApplicationTitle(),
                              QString::fromUtf8("\"%1\" 不是有效的十六进制数").arg(FromGbk(hex)));
        return;
    }
    PlayEntryMP3(*memberNo, core::GetTagValue(action, "TXT"));
}

bool TForm_Voc::Show(const std::string& word, int scrollPos) {
    if (word.empty() || !services_.OpenWord || !services_.OpenWord(word))
        return false;
    // The package file was written anew: a fresh object reads its members.
    vocFile_ = std::make_unique<storage::TCDF>(packagePath_);
    RenderEntry();
    Frame_Voc1->RichText_Voc->SetVScrollPos(scrollPos);
    return true;
}

bool TForm_Voc::OpenWord(const std::string& word) {
    const Visit leaving{current_.Word, Frame_Voc1->RichText_Voc->VScrollPos()};
    if (!Show(word, 0))
        return false;
    back_.push_back(leaving);
    forward_.clear();
    UpdateNavigation();
    return true;
}

bool TForm_Voc::GoBack() {
    return Step(back_, forward_);
}

bool TForm_Voc::GoForward() {
    return Step(forward_, back_);
}

bool TForm_Voc::Step(std::vector<Visit>& from, std::vector<Visit>& to) {
    if (from.empty())
        return false;
    const Visit leaving{current_.Word, Frame_Voc1->RichText_Voc->VScrollPos()};
    if (!Show(from.back().Word, from.back().ScrollPos))
        return false;
    from.pop_back();
    to.push_back(leaving);
    UpdateNavigation();
    return true;
}

std::vector<std::string> TForm_Voc::BackWords() const {
    std::vector<std::string> words;
    for (auto it = back_.rbegin(); it != back_.rend(); ++it)
        words.push_back(it->Word);
    return words;
}

std::vector<std::string> TForm_Voc::ForwardWords() const {
    std::vector<std::string> words;
    for (auto it = forward_.rbegin(); it != forward_.rend(); ++it)
        words.push_back(it->Word);
    return words;
}

void TForm_Voc::UpdateNavigation() {
    LbSpeedButton_Back->setEnabled(!back_.empty());
    LbSpeedButton_Forward->setEnabled(!forward_.empty());
}

void TForm_Voc::RichText_VocWordDblClick(const std::string& word) {
    if (!word.empty() && services_.ShowBaseInfo)
        services_.ShowBaseInfo(word);
}

std::optional<uint32_t> TForm_Voc::ParseMemberNumber(const std::string& hex) {
    if (hex.size() > 8)
        return std::nullopt;
    return platform::ParseHex32(hex);
}

bool ShowVocWindow(const std::string& packagePath, const VocWindowServices& services,
                   QWidget* parent) {
    TForm_Voc window(packagePath, services, parent);
    window.exec();
    return true;
}

} // namespace display
