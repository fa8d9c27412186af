#include "display/qt/TFrame_DocView.h"

#include "display/DocumentMarkup.h"
#include "display/qt/QtConvert.h"
#include "display/qt/TRichTextView.h"
#include "widgets/ChromeArt.h"
#include "widgets/HoverLabel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace display {

namespace {
constexpr int kViewMargin = 10;       // pixels, both sides
constexpr int kTitleStripHeight = 24; // pixels
} // namespace

TFrame_DocView::TFrame_DocView(QWidget* parent)
    : QWidget(parent), StyleTable1(std::make_shared<TTextStyleTable>(DocViewStyleTable())) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel_Title = new QWidget(this);
    Panel_Title->setFixedHeight(kTitleStripHeight);
    Panel_Title->setAutoFillBackground(true);
    QPalette titlePalette = Panel_Title->palette();
    titlePalette.setColor(QPalette::Window, widgets::chrome_art::kFrameFill);
    Panel_Title->setPalette(titlePalette);
    auto* titleLayout = new QHBoxLayout(Panel_Title);
    titleLayout->setContentsMargins(kViewMargin, 0, kViewMargin, 0);
    Label_Title = new widgets::HoverLabel(QStringLiteral("标题"), Panel_Title);
    Label_Title->SetColors(widgets::chrome_art::kNavy, widgets::chrome_art::kLinkBlue);
    QFont titleFont = Label_Title->font();
    titleFont.setBold(true);
    Label_Title->setFont(titleFont);
    titleLayout->addWidget(Label_Title);
    titleLayout->addStretch(1);
    layout->addWidget(Panel_Title);

    RichText1 = new TRichTextView(this);
    RichText1->SetStyle(StyleTable1);
    RichText1->SetLeftMargin(kViewMargin);
    RichText1->SetRightMargin(kViewMargin);
    RichText1->SetBackgroundBitmap(widgets::chrome_art::DocumentBackgroundTile());
    RichText1->SetVScrollVisible(true);
    RichText1->SetAllowSelection(true);
    layout->addWidget(RichText1, 1);
    background_ = PictureFromImage(RichText1->BackgroundBitmap().toImage());
}

void TFrame_DocView::ShowDocument(const std::vector<std::string>& lines) {
    RichText1->Clear();
    display::ShowDocument(lines, RichText1->Document(), background_);
    RichText1->Format();
}

} // namespace display
