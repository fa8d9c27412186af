#include "display/qt/TRichTextView.h"
#include "display/qt/Fonts.h"
#include "display/qt/QtConvert.h"
#include "display/qt/QtFontMetrics.h"
#include "platform/Gbk.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace display {
namespace {

std::string Gbk(const char* utf8) {
    return platform::Utf8ToGbk(utf8);
}

std::shared_ptr<TTextStyleTable> Table() {
    auto table = std::make_shared<TTextStyleTable>();
    for (int i = 0; i < 6; ++i)
        table->TextStyles.push_back(TTextStyle{"Arial", 10});
    return table;
}

// True when the image holds pixels of more than one colour.
bool HasContent(const QImage& image) {
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first)
                return true;
    return false;
}

class RichTextViewTest : public ::testing::Test {
protected:
    RichTextViewTest() {
        view.SetStyle(table);
        view.SetLeftMargin(10);
        view.SetRightMargin(10);
        view.resize(300, 200);
        view.show();
    }

    // The centre of a piece, in viewport coordinates.
    QPoint CentreOf(int pieceNo) const {
        const auto& piece = view.Document().Pieces().at(static_cast<std::size_t>(pieceNo));
        const int offset = view.VScrollPos() * view.Document().ScrollStep();
        return {piece.Left + piece.Width / 2, piece.Top + piece.Height / 2 - offset};
    }
    // A point inside character `offset` of a text piece.
    QPoint InsideChar(int pieceNo, std::size_t offset) const {
        const auto& piece = view.Document().Pieces().at(static_cast<std::size_t>(pieceNo));
        const auto& item = view.Document().Items()[static_cast<std::size_t>(piece.ItemNo)];
        const TTextStyle& style = table->StyleOrDefault(item.Info.StyleNo);
        const std::string_view text = std::string_view(item.Text).substr(piece.Offset);
        const int before = view.Metrics().TextWidth(style, text.substr(0, offset));
        const int after =
            view.Metrics().TextWidth(style, text.substr(0, offset + platform::GbkCharLength(text, offset)));
        return {piece.Left + (before + after) / 2, CentreOf(pieceNo).y()};
    }
    QWidget* Viewport() const { return view.viewport(); }
    // The right end of the laid-out text.
    int TextRight() const {
        int right = 0;
        for (const auto& piece : view.Document().Pieces())
            right = std::max(right, piece.Left + piece.Width);
        return right;
    }

    std::shared_ptr<TTextStyleTable> table = Table();
    TRichTextView view;
};

TEST_F(RichTextViewTest, ClickOnAJumpReportsItsNumber) {
    auto icons = std::make_shared<TImageList>();
    icons->Images = {Picture::Filled(16, 16, 0xFF0000)};
    view.AddFromNewLine("go ", 0);
    view.Add("first", 4);
    view.AddImageJump(0, icons, false);
    view.Add("second", 5);
    view.SetFirstJumpNo(0);
    view.Format();
    ASSERT_EQ(view.Document().Pieces().size(), 4u);
    QSignalSpy jumps(&view, &TRichTextView::OnJump);

    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CentreOf(1));
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CentreOf(2));
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CentreOf(3));
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CentreOf(0)); // plain text
    ASSERT_EQ(jumps.count(), 3);
    EXPECT_EQ(jumps.at(0).at(0).toInt(), 0);
    EXPECT_EQ(jumps.at(1).at(0).toInt(), 1);
    EXPECT_EQ(jumps.at(2).at(0).toInt(), 2);

    // Pressed on one jump and released on another: nothing.
    jumps.clear();
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, CentreOf(1));
    QTest::mouseMove(Viewport(), CentreOf(3));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, CentreOf(3));
    EXPECT_EQ(jumps.count(), 0);

    // FirstJumpNo is added.
    view.SetFirstJumpNo(10);
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CentreOf(3));
    ASSERT_EQ(jumps.count(), 1);
    EXPECT_EQ(jumps.at(0).at(0).toInt(), 12);
}

TEST_F(RichTextViewTest, JumpsShowTheLinkCursor) {
    view.AddFromNewLine("plain ", 0);
    view.Add("link", 5);
    view.Format();
    QTest::mouseMove(Viewport(), CentreOf(1));
    EXPECT_EQ(Viewport()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(Viewport(), CentreOf(0));
    EXPECT_EQ(Viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(RichTextViewTest, DoubleAndRightClicksReportTheWordUnderThePointer) {
    view.AddFromNewLine(Gbk("an apple, 苹果"), 2);
    view.Format();
    QSignalSpy words(&view, &TRichTextView::OnWordDblClick);
    QSignalSpy rightWords(&view, &TRichTextView::OnWordRightClick);

    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, InsideChar(0, 4));
    ASSERT_EQ(words.count(), 1);
    EXPECT_EQ(words.at(0).at(0).value<std::string>(), "apple");
    EXPECT_EQ(words.at(0).at(1).toInt(), 2);

    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, InsideChar(0, 2)); // the space
    ASSERT_EQ(words.count(), 2);
    EXPECT_EQ(words.at(1).at(0).value<std::string>(), "");

    const QPoint chinese = InsideChar(0, 12);
    QTest::mouseClick(Viewport(), Qt::RightButton, {}, chinese);
    ASSERT_EQ(rightWords.count(), 1);
    EXPECT_EQ(rightWords.at(0).at(0).value<std::string>(), Gbk("苹果"));
    const QPoint global = Viewport()->mapToGlobal(chinese);
    EXPECT_EQ(rightWords.at(0).at(2).toInt(), global.x());
    EXPECT_EQ(rightWords.at(0).at(3).toInt(), global.y());

    // With SingleClick a single click is enough; a double click adds nothing.
    view.SetSingleClick(true);
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, InsideChar(0, 0));
    ASSERT_EQ(words.count(), 3);
    EXPECT_EQ(words.at(2).at(0).value<std::string>(), "an");
}

TEST_F(RichTextViewTest, DragSelectsAndCtrlCCopiesTheSelection) {
    view.AddFromNewLine("first line", 0);
    view.AddFromNewLine(Gbk("第二行"), 0);
    view.AddFromNewLine("third", 0);
    view.Format();
    QSignalSpy selects(&view, &TRichTextView::OnSelect);
    QApplication::clipboard()->setText(QStringLiteral("old"));

    const QPoint start(5, CentreOf(0).y()); // left of the text, in the margin
    const QPoint end(290, CentreOf(2).y());
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(Viewport(), end);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, end);
    EXPECT_EQ(selects.count(), 1);
    EXPECT_EQ(view.SelectedText(), Gbk("first line\r第二行\rthird"));

    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("first line\n第二行\nthird"));

    // Ctrl+Insert copies too; a click without a drag drops the selection.
    QApplication::clipboard()->setText(QStringLiteral("old"));
    QTest::keyClick(&view, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("first line\n第二行\nthird"));
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, CentreOf(1));
    EXPECT_TRUE(view.SelectedText().empty());
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
}

TEST_F(RichTextViewTest, ScrollingKeysAndVScrollPosSurviveRelayout) {
    for (int i = 0; i < 200; ++i)
        view.AddFromNewLine("line " + std::to_string(i), 0);
    view.Format();
    QScrollBar* bar = view.verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_GT(bar->maximum(), 0);
    // Laid out at the width left beside the scroll bar.
    EXPECT_LE(TextRight(), Viewport()->width() - 10);

    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(view.VScrollPos(), bar->maximum());
    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_EQ(view.VScrollPos(), 0);
    QTest::keyClick(&view, Qt::Key_PageDown);
    const int page = view.VScrollPos();
    EXPECT_GT(page, 0);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_GT(view.VScrollPos(), page);

    // The zoom pattern: change sizes, format, restore the position.
    view.SetVScrollPos(40);
    const int kept = view.VScrollPos();
    for (auto& style : table->TextStyles)
        style.Size += 1;
    view.Format();
    view.SetVScrollPos(kept);
    EXPECT_EQ(view.VScrollPos(), 40);
    // A resize lays out again and keeps the position.
    view.resize(400, 200);
    QApplication::processEvents();
    EXPECT_EQ(view.VScrollPos(), 40);
    EXPECT_GT(view.Document().Pieces().front().Width, 0);

    // A short document needs no scroll bar and gets the full width.
    view.Clear();
    view.AddFromNewLine("short", 0);
    view.Format();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(view.VScrollPos(), 0);
}

TEST_F(RichTextViewTest, HeightChangeShowsOrHidesTheScrollBar) {
    for (int i = 0; i < 6; ++i)
        view.AddFromNewLine("line " + std::to_string(i), 0);
    view.Format();
    QScrollBar* bar = view.verticalScrollBar();
    ASSERT_FALSE(bar->isVisible());
    const int height = view.Document().DocumentHeight();

    // Only the height changes: the text no longer fits and must scroll.
    view.resize(view.width(), height / 2);
    QApplication::processEvents();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_LE(TextRight(), Viewport()->width() - 10);

    // And back: the bar goes and the text takes the full width again.
    view.resize(view.width(), 200);
    QApplication::processEvents();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(view.VScrollPos(), 0);
}

TEST_F(RichTextViewTest, WithoutStyleTableTheErrorTextIsPainted) {
    view.AddFromNewLine("text", 0);
    view.Format();
    TRichTextView empty;
    empty.resize(300, 100);
    empty.show();
    empty.AddFromNewLine("text", 0);
    empty.Format();
    EXPECT_TRUE(HasContent(empty.grab().toImage()));
    // With a table and nothing in it the view is blank.
    TRichTextView blank;
    blank.SetStyle(table);
    blank.resize(300, 100);
    blank.show();
    blank.Format();
    EXPECT_FALSE(HasContent(blank.viewport()->grab().toImage()));
}

TEST_F(RichTextViewTest, PaintsTextPicturesImagesRulesAndSelection) {
    QPixmap tile(8, 8);
    tile.fill(Qt::white);
    view.SetBackgroundBitmap(tile);
    auto icons = std::make_shared<TImageList>();
    icons->Images = {Picture::Filled(16, 16, 0x00FF00)};
    view.AddPictureItem(Picture::Filled(40, 20, 0x0000FF));
    view.AddImageBullet(0, icons, true);
    view.Add(Gbk("中文 text"), 0);
    view.AddBreak();
    view.Format();
    view.Document().SetSelection({2, 0}, {2, 2});
    const QImage image = view.viewport()->grab().toImage();
    // grab() renders in device pixels (twice as many on a 2x screen).
    const qreal ratio = image.devicePixelRatio();
    auto at = [&](int x, int y) { return image.pixelColor(qRound(x * ratio), qRound(y * ratio)); };
    const auto& pieces = view.Document().Pieces();
    EXPECT_EQ(at(pieces[0].Left + 5, pieces[0].Top + 5), QColor(0, 0, 255));
    EXPECT_EQ(at(pieces[1].Left + 8, pieces[1].Top + 8), QColor(0, 255, 0));
    const QColor highlight = view.palette().color(QPalette::Highlight);
    bool highlighted = false;
    for (int x = pieces[2].Left; x < pieces[2].Left + 8; ++x)
        highlighted |= at(x, pieces[2].Top + 1) == highlight;
    EXPECT_TRUE(highlighted);
}

TEST(RichTextFonts, WindowsFontNamesMapToInstalledFonts) {
    TTextStyle song{Gbk("宋体"), 10};
    EXPECT_EQ(FontForStyle(song).families().value(0), QStringLiteral("WenQuanYi Micro Hei"));
    TTextStyle arial{"Arial", 11, TColor::FromRgb(0x008000), fsBold | fsUnderline};
    const QFont font = FontForStyle(arial);
    EXPECT_TRUE(font.families().value(0) == QStringLiteral("Liberation Sans") ||
                font.families().value(0) == QStringLiteral("DejaVu Sans"));
    EXPECT_TRUE(font.families().contains(QStringLiteral("WenQuanYi Micro Hei")));
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(font.underline());
    EXPECT_EQ(font.pointSize(), 11);
    // Chinese text really gets a CJK font: no boxes.
    const QFontMetricsF cjk(FontForStyle(song));
    EXPECT_TRUE(cjk.inFont(QChar(0x82F9)));

    TTextStyle phonetic{kPhoneticFontName, 10};
    phonetic.CharSet = TCharSet::Symbol;
    EXPECT_EQ(DisplayText(phonetic, "5ApE"), QString::fromUtf8("\xCB\x88\xC3\xA6p\xC9\x99"));
    EXPECT_EQ(DisplayText(song, Gbk("苹果")), QStringLiteral("苹果"));
    EXPECT_EQ(ResolveColor(arial.Color, QPalette()), QColor(0, 0x80, 0));
    EXPECT_FALSE(ResolveColor(TColor::NoColor(), QPalette()).isValid());
}

TEST(RichTextFonts, QtMetricsFitWholeCharactersConsistentlyWithWidths) {
    QtFontMetrics metrics;
    TTextStyle song{Gbk("宋体"), 12};
    const std::string text = Gbk("苹果和香蕉 apple and banana");
    const int full = metrics.TextWidth(song, text);
    EXPECT_GT(full, 0);
    EXPECT_EQ(metrics.FitBytes(song, text, full), text.size());
    for (int width : {1, full / 3, full / 2, full - 1}) {
        const std::size_t fit = metrics.FitBytes(song, text, width);
        EXPECT_EQ(platform::GbkCharStart(text, fit), fit) << width;
        EXPECT_LE(metrics.TextWidth(song, text.substr(0, fit)), width);
        if (fit < text.size()) {
            EXPECT_GT(metrics.TextWidth(song, text.substr(0, fit + platform::GbkCharLength(text, fit))),
                      width);
        }
    }
    EXPECT_GT(metrics.Extent(song).Height(), 10);
    // Bad GBK bytes are measured, not trusted to map one to one.
    const std::string bad = "ab\xFF\xFF"
                            "cd";
    const std::size_t fit = metrics.FitBytes(song, bad, metrics.TextWidth(song, bad) - 1);
    EXPECT_LT(fit, bad.size());
    EXPECT_EQ(platform::GbkCharStart(bad, fit), fit);
}

TEST(RichTextPictures, PicturesConvertBothWays) {
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgba(0, 0, 0, 0)); // transparent: composed over white
    const PicturePtr picture = PictureFromImage(image);
    ASSERT_EQ(picture->Pixels.size(), 2u);
    EXPECT_EQ(picture->Pixels[0], 0xFF0000u);
    EXPECT_EQ(picture->Pixels[1], 0xFFFFFFu);
    EXPECT_EQ(ImageFromPicture(*picture).pixelColor(0, 0), QColor(255, 0, 0));
    Picture broken;
    broken.Width = 3;
    broken.Height = 2;
    broken.Encoded = "not an image";
    broken.FillRgb = 0x0000FF;
    const QImage filled = ImageFromPicture(broken);
    EXPECT_EQ(filled.size(), QSize(3, 2));
    EXPECT_EQ(filled.pixelColor(2, 1), QColor(0, 0, 255));
    // A size field that lies is not allocated.
    EXPECT_TRUE(ImageFromPicture(*Picture::Filled(100000, 100000, 0)).isNull());
}

} // namespace
} // namespace display
