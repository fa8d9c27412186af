#include "study/qt/TForm_VocBaseInfo.h"

#include "display/qt/TRichTextView.h"
#include "platform/Gbk.h"
#include "platform/Paths.h"
#include "platform/qt/QtMediaPlayer.h"
#include "study/qt/StudyArt.h"
#include "widgets/ChromeArt.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/WindowChrome.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QWindow>

#include <cstdio>

namespace study {
namespace {

std::shared_ptr<display::TTextStyleTable> MakeStyleTable() {
    auto table = std::make_shared<display::TTextStyleTable>();
    const std::string song = platform::Utf8ToGbk("宋体");
    display::TTextStyle name;
    name.FontName = "Arial";
    name.Size = 11;
    name.Style = display::fsBold;
    name.Color = display::TColor::FromRgb(0x000080);
    display::TTextStyle meaning;
    meaning.FontName = song;
    meaning.Size = 10;
    meaning.Color = display::TColor::FromRgb(0x202020);
    meaning.CharSet = display::TCharSet::GB2312;
    display::TTextStyle phonetic;
    phonetic.FontName = display::kPhoneticFontName;
    phonetic.Size = 10;
    phonetic.Color = display::TColor::FromRgb(0x8b1a1a);
    phonetic.CharSet = display::TCharSet::Symbol;
    display::TTextStyle forms;
    forms.FontName = song;
    forms.Size = 9;
    forms.Color = display::TColor::FromRgb(0x2e6b30);
    forms.CharSet = display::TCharSet::GB2312;
    table->TextStyles = {name, meaning, phonetic, forms};
    table->Color = display::TColor::FromRgb(0xFFFFFF);
    table->HoverColor = display::TColor::FromRgb(0x0000FF);
    return table;
}

widgets::LbSpeedButton* MakeToggle(const char* captionUtf8, QWidget* parent) {
    auto* button = new widgets::LbSpeedButton(parent);
    button->setText(QString::fromUtf8(captionUtf8));
    button->SetCaptionColor(Qt::white);
    button->SetHighlightColor(QColor(255, 255, 255, 60));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TForm_VocBaseInfo::TForm_VocBaseInfo(std::unique_ptr<VocSource> source,
                                     std::unique_ptr<platform::MediaPlayer> player, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint),
      source_(std::move(source)), player_(std::move(player)) {
    if (!player_)
        player_ = std::make_unique<platform::QtMediaPlayer>();

    widgets::ChromeOptions options;
    options.edges = {widgets::ChromeEdge::Left, widgets::ChromeEdge::Right,
                     widgets::ChromeEdge::Bottom};
    options.titleHeight = kTitleHeight;
    options.footStrip = false;
    chrome_ = new widgets::WindowChrome(this, options);
    chrome_->SetTitle(QString::fromUtf8("词汇信息"));
    chrome_->MinimizeButton()->hide();
    chrome_->MaximizeButton()->hide();
    chrome_->CloseButton()->hide();
    // Neither title double-click nor anything else maximises this window.
    chrome_->TitlePanel()->installEventFilter(this);

    LbSpeedButton_ShowVocYB = MakeToggle("音标", chrome_->TitlePanel());
    LbSpeedButton_ShowVocCXBH = MakeToggle("词形变化", chrome_->TitlePanel());
    LbSpeedButton_FormFollow = MakeToggle("窗口跟随", chrome_->TitlePanel());
    for (auto* button :
         {LbSpeedButton_ShowVocYB, LbSpeedButton_ShowVocCXBH, LbSpeedButton_FormFollow})
        chrome_->TitleLayout()->addWidget(button);
    chrome_->TitleLayout()->addSpacing(40); // room for the close button and Image3

    LbSpeedButton_Close = new widgets::LbSpeedButton(chrome_->TitlePanel());
    LbSpeedButton_Close->SetGlyph(widgets::chrome_art::TitleButtonGlyph(
        widgets::chrome_art::TitleGlyph::Close, devicePixelRatioF()));
    LbSpeedButton_Close->SetHighlightColor(QColor(255, 255, 255, 70));
    LbSpeedButton_Close->SetHint(QString::fromUtf8("关闭"));
    LbSpeedButton_Close->setFocusPolicy(Qt::NoFocus);
    LbSpeedButton_Close->resize(16, 16);
    // The right end of the title strip: a thin ornament the close button
    // keeps its distance from.
    Image3 = new QWidget(chrome_->TitlePanel());
    Image3->resize(6, kTitleHeight);

    StyleTable_Voc = MakeStyleTable();
    RichText_Voc = MakeStudyView(chrome_->Body(), StyleTable_Voc, 6);
    ImageList_Voc = VoiceImageList();

    connect(RichText_Voc, &display::TRichTextView::OnJump, this,
            &TForm_VocBaseInfo::RichText_VocJump);
    connect(LbSpeedButton_Close, &QAbstractButton::clicked, this, &QWidget::hide);
    connect(LbSpeedButton_ShowVocYB, &QAbstractButton::clicked, this,
            [this] { ToggleOption(&VocBaseOptions::ShowYB, kKeyShowYB, true); });
    connect(LbSpeedButton_ShowVocCXBH, &QAbstractButton::clicked, this,
            [this] { ToggleOption(&VocBaseOptions::ShowCXBH, kKeyShowCXBH, true); });
    connect(LbSpeedButton_FormFollow, &QAbstractButton::clicked, this,
            [this] { ToggleOption(&VocBaseOptions::FormFollow, kKeyFormFollow, false); });

    info_.Options = LoadVocBaseOptions();
    UpdateGlyphs();
    resize(kClientWidth, kClientHeight);
}

TForm_VocBaseInfo::~TForm_VocBaseInfo() {
    player_->SetUrl({});
    player_->Close();
    std::remove(platform::ScratchFile("voc.mp3").c_str());
}

bool TForm_VocBaseInfo::ShowVocBaseInfo(const std::string& text) {
    if (!source_ || !info_.FindVocs(text, *source_))
        return false;
    ShowVocList();
    if (info_.Options.FormFollow) {
        const QPoint pointer = QCursor::pos();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const WindowPlace place = PlaceNearPointer(pointer.x(), pointer.y(), width(), height(),
                                                   screen.width(), screen.height());
        move(place.Left, place.Top);
    }
    // A modal window (the vocabulary window that asks for this one) blocks
    // every window that is not its own, so while one is open this window
    // belongs to it.
    QWidget* modal = QApplication::activeModalWidget();
    create();
    if (QWindow* own = windowHandle())
        own->setTransientParent(modal && modal != this ? modal->windowHandle() : nullptr);
    show();
    raise();
    activateWindow();
    return true;
}

void TForm_VocBaseInfo::ShowVocList() {
    info_.ShowVocList(RichText_Voc->Document(), ImageList_Voc);
    RichText_Voc->Format();
}

void TForm_VocBaseInfo::UpdateGlyphs() {
    const qreal ratio = devicePixelRatioF();
    LbSpeedButton_ShowVocYB->SetGlyph(CheckGlyph(info_.Options.ShowYB, ratio));
    LbSpeedButton_ShowVocCXBH->SetGlyph(CheckGlyph(info_.Options.ShowCXBH, ratio));
    LbSpeedButton_FormFollow->SetGlyph(CheckGlyph(info_.Options.FormFollow, ratio));
}

void TForm_VocBaseInfo::ToggleOption(bool VocBaseOptions::*option, const char* key, bool rerender) {
    bool& value = info_.Options.*option;
    value = !value;
    UpdateGlyphs();
    StoreVocBaseOption(key, value);
    if (rerender)
        ShowVocList();
}

void TForm_VocBaseInfo::RichText_VocJump(int jumpNo) {
    if (source_)
        info_.PlayHotSpot(jumpNo, *source_, *player_, platform::ScratchFile("voc.mp3"));
}

void TForm_VocBaseInfo::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TForm_VocBaseInfo::FormResize() {
    QWidget* title = chrome_->TitlePanel();
    Image3->move(title->width() - Image3->width(), 0);
    LbSpeedButton_Close->move(Image3->x() - LbSpeedButton_Close->width() - 2,
                              (title->height() - LbSpeedButton_Close->height()) / 2);
    LbSpeedButton_Close->raise();
}

bool TForm_VocBaseInfo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == chrome_->TitlePanel()) {
        if (event->type() == QEvent::MouseButtonDblClick)
            return true;
        if (event->type() == QEvent::Resize)
            FormResize();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace study
