#include "display/qt/TFrame_Voc.h"

#include "display/qt/TRichTextView.h"
#include "widgets/ChromeArt.h"
#include "widgets/Label3D.h"
#include "widgets/LbSpeedButton.h"

#include <QBuffer>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace display {

namespace {

constexpr int kImageSize = 16;

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// A zoom glyph: a magnifier with "+" or "-".
QPixmap ZoomGlyph(bool enlarge) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(widgets::chrome_art::kFrameOutline, 1.6));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
    p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
    if (enlarge)
        p.drawLine(QPointF(6, 3.5), QPointF(6, 8.5));
    return pixmap;
}

PicturePtr EncodedPicture(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    auto picture = std::make_shared<Picture>();
    picture->Width = image.width();
    picture->Height = image.height();
    picture->Encoded.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
    return picture;
}

QImage BlankImage() {
    QImage image(kImageSize, kImageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A teal diamond: the section bullet.
QImage BulletImage() {
    QImage image = BlankImage();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath diamond;
    diamond.moveTo(8, 2);
    diamond.lineTo(14, 8);
    diamond.lineTo(8, 14);
    diamond.lineTo(2, 8);
    diamond.closeSubpath();
    p.fillPath(diamond, QColor(0x00, 0x80, 0x80));
    p.fillRect(QRectF(6.5, 6.5, 3, 3), Qt::white);
    return image;
}

// A loudspeaker with two sound waves.
QImage SpeakerImage() {
    QImage image = BlankImage();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.moveTo(1.5, 6);
    body.lineTo(4.5, 6);
    body.lineTo(8.5, 2.5);
    body.lineTo(8.5, 13.5);
    body.lineTo(4.5, 10);
    body.lineTo(1.5, 10);
    body.closeSubpath();
    p.fillPath(body, QColor(0x1f, 0x5f, 0xc0));
    p.setPen(QPen(QColor(0x1f, 0x5f, 0xc0), 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(7, 5, 5, 6), -60 * 16, 120 * 16);
    p.drawArc(QRectF(6, 2.5, 9, 11), -60 * 16, 120 * 16);
    return image;
}

} // namespace

TFrame_Voc::TFrame_Voc(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel_Title = new QWidget(this);
    auto* titleLayout = new QHBoxLayout(Panel_Title);
    myLabel3d_Voc = new widgets::Label3D(Panel_Title);
    titleLayout->addWidget(myLabel3d_Voc);
    Panel_Title->hide();
    layout->addWidget(Panel_Title);

    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("Panel_VocHeader"));
    header->setAutoFillBackground(true);
    QPalette headerPalette = header->palette();
    headerPalette.setColor(QPalette::Window, widgets::chrome_art::kFrameFill);
    header->setPalette(headerPalette);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(8, 2, 6, 2);
    auto* headerLabel = new widgets::Label3D(Utf8("词汇信息"), header);
    headerLayout->addWidget(headerLabel);
    headerLayout->addStretch(1);
    LbSpeedButton_Enlarge = new widgets::LbSpeedButton(header);
    LbSpeedButton_Enlarge->setObjectName(QStringLiteral("LbSpeedButton_Enlarge"));
    LbSpeedButton_Enlarge->SetGlyph(ZoomGlyph(true));
    LbSpeedButton_Enlarge->SetHint(Utf8("放大"));
    LbSpeedButton_Shrink = new widgets::LbSpeedButton(header);
    LbSpeedButton_Shrink->setObjectName(QStringLiteral("LbSpeedButton_Shrink"));
    LbSpeedButton_Shrink->SetGlyph(ZoomGlyph(false));
    LbSpeedButton_Shrink->SetHint(Utf8("缩小"));
    headerLayout->addWidget(LbSpeedButton_Enlarge);
    headerLayout->addWidget(LbSpeedButton_Shrink);
    layout->addWidget(header);

    RichText_Voc = new TRichTextView(this);
    RichText_Voc->setObjectName(QStringLiteral("RichText_Voc"));
    RichText_Voc->SetLeftMargin(15);
    RichText_Voc->SetRightMargin(10);
    RichText_Voc->SetBackgroundBitmap(VocBackgroundBitmap());
    RichText_Voc->SetVScrollVisible(true);
    RichText_Voc->SetAllowSelection(true);
    RichText_Voc->SetSingleClick(false);
    layout->addWidget(RichText_Voc, 1);

    Panel_YWJS = new QWidget(this);
    auto* ywjsLayout = new QVBoxLayout(Panel_YWJS);
    ywjsLayout->addWidget(new QLabel(Utf8("词汇英文解释"), Panel_YWJS));
    Panel_YWJS->hide();
    layout->addWidget(Panel_YWJS);
}

ImageListPtr VocImageList() {
    auto list = std::make_shared<TImageList>();
    list->Width = kImageSize;
    list->Height = kImageSize;
    list->Images = {EncodedPicture(BulletImage()), EncodedPicture(SpeakerImage())};
    return list;
}

QPixmap VocBackgroundBitmap() {
    return widgets::chrome_art::DocumentBackgroundTile();
}

} // namespace display
