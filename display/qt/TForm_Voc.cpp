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

#include <QMessageBox>
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
    Frame_Voc1->myLabel3d_Voc->setText(FromGbk(EntryHeadword(record)));
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
    if (!platform::EqualIgnoringAsciiCase(core::GetTagValue(action, "Action"), "PlayMP3"))
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
