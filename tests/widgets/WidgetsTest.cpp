#include "widgets/FillBitmap.h"
#include "widgets/HoverLabel.h"
#include "widgets/Label3D.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/TileImage.h"

#include <QApplication>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace widgets {
namespace {

TEST(FillBitmap, MakesA24BitPictureOfOneColour) {
    QImage image;
    ASSERT_TRUE(FillBitmap(image, 1, 6, Qt::white));
    EXPECT_EQ(image.size(), QSize(1, 6));
    EXPECT_EQ(image.depth(), 24);
    for (int y = 0; y < 6; ++y) {
        EXPECT_EQ(image.pixel(0, y), qRgb(255, 255, 255));
    }
    ASSERT_TRUE(FillBitmap(image, 3, 2, QColor(0x12, 0x34, 0x56)));
    EXPECT_EQ(image.pixel(2, 1), qRgb(0x12, 0x34, 0x56));
}

TEST(FillBitmap, RefusesEmptySizesAndKeepsThePicture) {
    QImage image;
    ASSERT_TRUE(FillBitmap(image, 2, 2, Qt::red));
    EXPECT_FALSE(FillBitmap(image, 0, 5, Qt::blue));
    EXPECT_FALSE(FillBitmap(image, 5, -1, Qt::blue));
    EXPECT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
}

TEST(TileImage, RepeatsItsPicture) {
    QImage tile(2, 2, QImage::Format_RGB32);
    tile.fill(Qt::white);
    tile.setPixel(0, 0, qRgb(255, 0, 0));
    TileImage image;
    image.SetPicture(QPixmap::fromImage(tile));
    image.resize(6, 4);
    const QImage shot = image.grab().toImage();
    EXPECT_EQ(shot.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(2, 0), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(4, 2), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(1, 0), qRgb(255, 255, 255));
}

TEST(LbSpeedButton, HoverFadesInAndOutAndClicksEmit) {
    LbSpeedButton button;
    button.setText(QStringLiteral("OK"));
    button.resize(button.sizeHint());
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    QSignalSpy clicked(&button, &QAbstractButton::clicked);

    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(&button, &enter);
    QTRY_COMPARE(button.HoverLevel(), 1.0);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    QTRY_COMPARE(button.HoverLevel(), 0.0);

    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    button.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
}

TEST(LbSpeedButton, SizeFitsGlyphAndCaption) {
    LbSpeedButton button;
    QPixmap glyph(16, 16);
    glyph.fill(Qt::red);
    button.SetGlyph(glyph);
    const QSize glyphOnly = button.sizeHint();
    EXPECT_GE(glyphOnly.width(), 16);
    EXPECT_GE(glyphOnly.height(), 16);
    button.setText(QStringLiteral("Caption"));
    EXPECT_GT(button.sizeHint().width(), glyphOnly.width());
    button.SetGlyph(QPixmap());
    EXPECT_TRUE(button.Glyph().isNull());
}

TEST(HoverLabel, TakesHoverColourWhileMouseIsOver) {
    HoverLabel label(QStringLiteral("标题"));
    label.SetColors(Qt::darkBlue, Qt::blue);
    EXPECT_EQ(label.CurrentColor(), QColor(Qt::darkBlue));
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&label, &enter);
    EXPECT_EQ(label.CurrentColor(), QColor(Qt::blue));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&label, &leave);
    EXPECT_EQ(label.CurrentColor(), QColor(Qt::darkBlue));
}

TEST(Label3D, DrawsTextWithLightAndDarkShadow) {
    Label3D label(QStringLiteral("WWW"));
    label.SetColors(Qt::black, Qt::white, Qt::red);
    label.resize(label.sizeHint());
    EXPECT_GT(label.width(), 0);
    const QImage shot = label.grab().toImage();
    bool dark = false;
    bool text = false;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            dark = dark || (c.red() > 200 && c.green() < 60);
            text = text || (c.red() < 40 && c.green() < 40 && c.blue() < 40);
        }
    }
    EXPECT_TRUE(dark);
    EXPECT_TRUE(text);
}

} // namespace
} // namespace widgets
