#include "display/RichTextDocument.h"
#include "display/MonospaceMetrics.h"
#include "display/PlainText.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace display {
namespace {

// Ascent = Size, descent = Size / 2: styles of different sizes have
// different heights, characters are one pixel per byte.
class SizedMetrics : public MonospaceMetrics {
public:
    FontExtent Extent(const TTextStyle& style) const override {
        return {style.Size, style.Size / 2};
    }
};

// Characters of proportional widths ('i' 1, 'm' 3, others 2) measured only
// through TextWidth, so the default FitBytes search is exercised.
class ProportionalMetrics : public FontMetrics {
public:
    FontExtent Extent(const TTextStyle&) const override { return {8, 2}; }
    int TextWidth(const TTextStyle&, std::string_view text) const override {
        int width = 0;
        for (char c : text)
            width += c == 'i' ? 1 : c == 'm' ? 3 : 2;
        return width;
    }
};

class ScaledMetrics : public MonospaceMetrics {
public:
    double DeviceScale() const override { return 2.0; }
};

std::shared_ptr<TTextStyleTable> SixStyles() {
    auto table = std::make_shared<TTextStyleTable>();
    for (int size : {10, 20, 10, 10, 10, 10})
        table->TextStyles.push_back(TTextStyle{"Arial", size});
    return table;
}

std::shared_ptr<TImageList> Icons(int size = 16) {
    auto list = std::make_shared<TImageList>();
    list->Width = size;
    list->Height = size;
    list->Images = {Picture::Filled(size, size, 0), Picture::Filled(size, size, 0xFF)};
    return list;
}

class RichTextLayout : public ::testing::Test {
protected:
    RichTextLayout() { doc.SetStyle(SixStyles()); }

    std::string PieceText(int pieceNo) const {
        const auto& piece = doc.Pieces().at(static_cast<std::size_t>(pieceNo));
        return doc.Items()[static_cast<std::size_t>(piece.ItemNo)].Text.substr(piece.Offset,
                                                                               piece.Length);
    }
    std::vector<std::string> AllPieceTexts() const {
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < doc.Pieces().size(); ++i)
            texts.push_back(PieceText(static_cast<int>(i)));
        return texts;
    }

    RichTextDocument doc;
};

TEST_F(RichTextLayout, LongWordAtLineStartIsBrokenAtFittingLength) {
    doc.AddFromNewLine("abcdefghijklmnopqrstuvwxy", 0);
    doc.Format(10);
    EXPECT_EQ(AllPieceTexts(), (std::vector<std::string>{"abcdefghij", "klmnopqrst", "uvwxy"}));
    ASSERT_EQ(doc.Lines().size(), 3u);
    EXPECT_EQ(doc.Pieces()[1].Top, 1);
    EXPECT_EQ(doc.Pieces()[2].Left, 0);
}

TEST_F(RichTextLayout, LongWordAfterOtherItemsMovesToNextLineFirst) {
    doc.AddFromNewLine("ab ", 0);
    doc.Add("cdefghij", 0); // 8 characters: fits a line of its own, not the rest
    doc.Add("klmnopqrstuvw", 0);
    doc.Format(10);
    EXPECT_EQ(AllPieceTexts(), (std::vector<std::string>{"ab ", "cdefghij", "klmnopqrst", "uvw"}));
    EXPECT_EQ(doc.Pieces()[1].LineNo, 1);
    EXPECT_EQ(doc.Pieces()[1].Left, 0);
    EXPECT_EQ(doc.Pieces()[2].LineNo, 2);
}

TEST_F(RichTextLayout, TextIsCutBackToTheLastSpaceWhichEndsThePiece) {
    doc.AddFromNewLine("one two three four", 0);
    doc.Format(9);
    EXPECT_EQ(AllPieceTexts(), (std::vector<std::string>{"one two ", "three ", "four"}));
    // A continuation that ends in a word wraps at its own last fitting space.
    doc.Clear();
    doc.AddFromNewLine("xxxxxx", 0);
    doc.Add(" a bcdef", 0);
    doc.Format(10);
    EXPECT_EQ(AllPieceTexts(), (std::vector<std::string>{"xxxxxx", " a ", "bcdef"}));
    EXPECT_EQ(doc.Pieces()[1].Left, 6);
}

TEST_F(RichTextLayout, AddAsFirstItemStartsTheFirstLine) {
    doc.LeftMargin = 15;
    doc.Add("abc", 0);
    doc.Add("def", 0);
    doc.Format(100);
    ASSERT_EQ(doc.Lines().size(), 1u);
    EXPECT_FALSE(doc.Items()[0].Info.SameAsPrev);
    EXPECT_EQ(doc.Pieces()[0].Left, 15);
    EXPECT_EQ(doc.Pieces()[0].Top, 0);
    EXPECT_EQ(doc.Pieces()[1].Left, 18);
}

TEST_F(RichTextLayout, GbkDoubleByteCharactersAreNeverSplit) {
    const std::string chinese = "\xD6\xD0\xCE\xC4\xD7\xD6"; // three characters, 6 bytes
    doc.AddFromNewLine(chinese, 0);
    doc.Format(5); // room for two and a half characters
    EXPECT_EQ(AllPieceTexts(), (std::vector<std::string>{chinese.substr(0, 4), chinese.substr(4)}));
    // Too narrow for even one character: at least one whole character per line.
    doc.Format(1);
    EXPECT_EQ(AllPieceTexts(), (std::vector<std::string>{chinese.substr(0, 2), chinese.substr(2, 2),
                                                         chinese.substr(4)}));
    // A trail byte in the ASCII range is part of its character.
    doc.Clear();
    doc.AddFromNewLine("a\x81\x40"
                       "b",
                       0);
    doc.Format(2);
    EXPECT_EQ(AllPieceTexts(), (std::vector<std::string>{"a", "\x81\x40", "b"}));
}

TEST_F(RichTextLayout, DefaultFitSearchUsesTextWidth) {
    doc.SetMetrics(std::make_shared<ProportionalMetrics>());
    doc.AddFromNewLine("iiiimmmm", 0); // widths 1 1 1 1 3 3 3 3
    doc.Format(10);
    EXPECT_EQ(AllPieceTexts(), (std::vector<std::string>{"iiiimm", "mm"}));
    EXPECT_EQ(doc.Pieces()[0].Width, 10);
}

TEST_F(RichTextLayout, JumpNumbersAreSharedByTextAndImageJumpsInListOrder) {
    auto icons = Icons();
    doc.AddFromNewLine("first", 5);
    doc.Add("plain", 0);
    doc.AddImageBullet(0, icons, false);
    doc.AddImageJump(1, icons, false);
    doc.AddFromNewLine("a long second jump", 4);
    doc.Format(12);
    EXPECT_EQ(doc.Items()[0].Info.JumpNo, 0);
    EXPECT_EQ(doc.Items()[1].Info.JumpNo, -1);
    EXPECT_EQ(doc.Items()[2].Info.JumpNo, -1);
    EXPECT_EQ(doc.Items()[3].Info.JumpNo, 1);
    EXPECT_EQ(doc.Items()[4].Info.JumpNo, 2);
    EXPECT_EQ(doc.JumpCount(), 3);

    // Every piece of a wrapped jump text reports the same number, offset by
    // FirstJumpNo.
    doc.FirstJumpNo = 100;
    int pieces = 0;
    for (const auto& piece : doc.Pieces()) {
        if (piece.ItemNo != 4)
            continue;
        ++pieces;
        EXPECT_EQ(doc.JumpNoAt(piece.Left, piece.Top), 102);
    }
    EXPECT_GE(pieces, 2);
    EXPECT_EQ(doc.JumpNoAt(doc.Pieces()[1].Left, doc.Pieces()[1].Top), -1);
}

TEST_F(RichTextLayout, ImagesTakeTheirWidthPlusTwoAndWrapWhenTheyDoNotFit) {
    auto icons = Icons();
    doc.AddFromNewLine("abcd", 0);
    doc.AddImageJump(1, icons, false);
    doc.AddImageJump(1, icons, false);
    doc.Format(30);
    ASSERT_EQ(doc.Pieces().size(), 3u);
    EXPECT_EQ(doc.Pieces()[1].Left, 4);
    EXPECT_EQ(doc.Pieces()[1].Width, 18);
    EXPECT_EQ(doc.Pieces()[1].LineNo, 0);
    EXPECT_EQ(doc.Pieces()[2].LineNo, 1);
    EXPECT_EQ(doc.Pieces()[2].Left, 0);
    // The taller image lowers the text to its baseline.
    EXPECT_EQ(doc.Pieces()[0].Top, 15);
    EXPECT_EQ(doc.Lines()[0].Height, 16);
}

TEST_F(RichTextLayout, MixedFontsShareOneBaseline) {
    doc.SetMetrics(std::make_shared<SizedMetrics>());
    doc.AddFromNewLine("small", 0); // ascent 10, descent 5
    doc.Add("big", 1);              // ascent 20, descent 10
    doc.Add("small", 0);
    doc.AddFromNewLine("next", 0);
    doc.Format(100);
    const auto& p = doc.Pieces();
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].Top + p[0].Ascent, p[1].Top + p[1].Ascent);
    EXPECT_EQ(p[2].Top + p[2].Ascent, p[1].Top + p[1].Ascent);
    EXPECT_EQ(p[0].Top, 10);
    EXPECT_EQ(p[1].Top, 0);
    EXPECT_EQ(doc.Lines()[0].Height, 30);
    EXPECT_EQ(p[3].Top, 30);
}

TEST_F(RichTextLayout, CentredLinesAreCentredInTheLayoutWidth) {
    doc.LeftMargin = 10;
    doc.RightMargin = 10;
    doc.AddCenterLine("abcd", 0);
    doc.Add("ef", 0);
    doc.AddFromNewLine("left", 0);
    doc.AddCenterLine("one two three", 0);
    doc.Format(40); // layout width 20
    const auto& p = doc.Pieces();
    EXPECT_EQ(p[0].Left, 10 + 7); // line "abcdef" of 6 centred in 20
    EXPECT_EQ(p[1].Left, 10 + 7 + 4);
    EXPECT_EQ(p[2].Left, 10);
    EXPECT_EQ(p[3].Left, 10 + (20 - 13) / 2);
}

TEST_F(RichTextLayout, PicturesHaveALineOfTheirOwnCentredOnePixelBelowTheLine) {
    doc.LeftMargin = 5;
    doc.AddFromNewLine("text", 0);
    doc.AddPictureItem(Picture::Filled(10, 4, 0xFFFFFF));
    doc.Add("after", 0); // cannot continue the picture's line
    doc.Format(45);      // layout width 40
    const auto& p = doc.Pieces();
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[1].Left, 5 + 15);
    EXPECT_EQ(p[1].Top, 1 + 1);
    EXPECT_EQ(doc.Lines()[1].Height, 5);
    EXPECT_EQ(p[2].Left, 5);
    EXPECT_EQ(p[2].Top, 6);
    EXPECT_EQ(doc.DocumentHeight(), 7);
}

TEST_F(RichTextLayout, LayoutWidthHonoursPicturesAndTextWidthLimits) {
    doc.LeftMargin = 10;
    doc.RightMargin = 10;
    EXPECT_EQ(doc.LayoutWidth(100), 80);
    doc.MinTextWidth = 90;
    EXPECT_EQ(doc.LayoutWidth(100), 90);
    doc.MinTextWidth = 0;
    doc.AddPictureItem(Picture::Filled(120, 1, 0));
    EXPECT_EQ(doc.LayoutWidth(100), 120);
    doc.MaxTextWidth = 50; // the limit wins, even over the picture
    EXPECT_EQ(doc.LayoutWidth(100), 50);
    doc.Clear();
    doc.MaxTextWidth = 5;
    doc.AddFromNewLine("abcdefgh", 0);
    doc.Format(100);
    EXPECT_EQ(AllPieceTexts(), (std::vector<std::string>{"abcde", "fgh"}));
    EXPECT_EQ(doc.DocumentWidth(), 25);
}

TEST_F(RichTextLayout, LineBreakBandIsTwiceFiveScaledPlusOne) {
    doc.AddFromNewLine("a", 0);
    doc.AddBreak();
    doc.Add("b", 0);
    doc.Format(20);
    ASSERT_EQ(doc.Pieces().size(), 3u);
    EXPECT_EQ(doc.Pieces()[1].Height, 11);
    EXPECT_EQ(doc.Pieces()[1].Width, 20);
    EXPECT_EQ(doc.Pieces()[2].Top, 12);
    doc.SetMetrics(std::make_shared<ScaledMetrics>());
    doc.Format(20);
    EXPECT_EQ(doc.Pieces()[1].Height, 21);
}

TEST_F(RichTextLayout, ScrollStepGrowsForVeryTallDocuments) {
    doc.AddPictureItem(Picture::Filled(1, 299999, 0));
    doc.Format(10);
    EXPECT_EQ(doc.ScrollStep(), RichTextDocument::kDefaultScrollStep); // 30000 steps
    doc.AddPictureItem(Picture::Filled(1, 600000, 0));
    doc.Format(10);
    EXPECT_GT(doc.ScrollStep(), RichTextDocument::kDefaultScrollStep);
    EXPECT_LE(doc.DocumentHeight() / doc.ScrollStep(), 30000);
}

// Records the longest text the layout asks to fit.
class FitRecordingMetrics : public MonospaceMetrics {
public:
    std::size_t FitBytes(const TTextStyle& style, std::string_view gbk,
                         int maxWidth) const override {
        longest = std::max(longest, gbk.size());
        return MonospaceMetrics::FitBytes(style, gbk, maxWidth);
    }
    mutable std::size_t longest = 0;
};

TEST_F(RichTextLayout, LongParagraphsAreMeasuredALineAtATime) {
    // Handing the metrics the whole rest of a paragraph for every line made
    // wrapping quadratic in its length (a long field of a damaged entry
    // record hung the window).
    auto metrics = std::make_shared<FitRecordingMetrics>();
    doc.SetMetrics(metrics);
    std::string text;
    while (text.size() < 200000)
        text += "abcd \xB0\xA1"
                "fgh "; // GBK characters across every boundary
    doc.AddFromNewLine(text, 0);
    doc.Format(100);
    EXPECT_LE(metrics->longest, 4096u);
    // The same lines as measured whole.
    std::size_t covered = 0;
    for (const auto& piece : doc.Pieces()) {
        EXPECT_EQ(piece.Offset, covered);
        EXPECT_LE(piece.Width, 100);
        covered += piece.Length;
    }
    EXPECT_EQ(covered, text.size());
    RichTextDocument whole;
    whole.SetStyle(SixStyles());
    whole.AddFromNewLine(text, 0);
    whole.Format(100);
    EXPECT_EQ(whole.Pieces().size(), doc.Pieces().size());
}

TEST_F(RichTextLayout, WithoutStyleTableOrWithUnknownStylesNothingBreaks) {
    doc.SetStyle(nullptr);
    doc.AddFromNewLine("abc", 0);
    doc.AddImageJump(0, Icons(), true);
    doc.Format(100);
    EXPECT_TRUE(doc.Pieces().empty());
    EXPECT_EQ(doc.Items()[1].Info.JumpNo, 0);
    // A style number the table lacks is laid out in style 0.
    doc.SetStyle(SixStyles());
    doc.SetMetrics(std::make_shared<SizedMetrics>());
    doc.Clear();
    doc.AddFromNewLine("x", 77);
    doc.AddImageJump(9, Icons(), false); // no such image: keeps its place
    doc.AddImageJump(0, nullptr, false);
    doc.Format(100);
    ASSERT_EQ(doc.Pieces().size(), 3u);
    EXPECT_EQ(doc.Pieces()[0].Ascent, 10);
    EXPECT_EQ(doc.Pieces()[2].Width, 2);
}

class RichTextPositions : public RichTextLayout {};

TEST_F(RichTextPositions, WordUnderThePointStopsAtDelimiters) {
    doc.AddFromNewLine("see (apple), then", 2);
    doc.Format(100);
    auto word = doc.WordAt(6, 0);
    ASSERT_TRUE(word);
    EXPECT_EQ(word->Text, "apple");
    EXPECT_EQ(word->StyleNo, 2);
    EXPECT_EQ(doc.WordAt(0, 0)->Text, "see");
    EXPECT_EQ(doc.WordAt(16, 0)->Text, "then");
    EXPECT_FALSE(doc.WordAt(17, 0)); // past the text
    EXPECT_FALSE(doc.WordAt(0, 1));  // below it
    doc.Delimiters = " ";
    EXPECT_EQ(doc.WordAt(6, 0)->Text, "(apple),");
}

TEST_F(RichTextPositions, DoubleClickOnASpaceGivesAnEmptyWord) {
    doc.AddFromNewLine("big apple", 0);
    doc.Format(100);
    auto word = doc.WordAt(3, 0);
    ASSERT_TRUE(word);
    EXPECT_TRUE(word->Text.empty());
}

TEST_F(RichTextPositions, WordsAreWholeGbkCharactersAcrossWrappedPieces) {
    const std::string chinese = "\xD6\xD0\xCE\xC4"; // two characters
    doc.AddFromNewLine("ab" + chinese + " cd", 0);
    doc.Format(4); // "ab" + first character, then the rest
    ASSERT_GE(doc.Pieces().size(), 2u);
    auto word = doc.WordAt(3, 0); // second byte of the first character
    ASSERT_TRUE(word);
    EXPECT_EQ(word->Text, "ab" + chinese);
    EXPECT_EQ(doc.WordAt(0, 1)->Text, "ab" + chinese);
    // A GBK delimiter works like an ASCII one.
    doc.Delimiters = "\xCE\xC4";
    EXPECT_EQ(doc.WordAt(0, 0)->Text, "ab\xD6\xD0");
}

TEST_F(RichTextPositions, CopyOverThreeLinesSeparatesThemBySingleCRs) {
    doc.AddFromNewLine("first", 0);
    doc.AddFromNewLine("second", 0);
    doc.Add(" more", 0);
    doc.AddFromNewLine("third", 0);
    doc.Format(100);
    doc.SelectBetween(0, 0, 100, 2);
    EXPECT_EQ(doc.SelectedText(), "first\rsecond more\rthird");
    doc.SelectBetween(100, 2, 2, 0); // backwards, partial ends
    EXPECT_EQ(doc.SelectedText(), "rst\rsecond more\rthird");
    doc.SelectBetween(2, 1, 4, 1);
    EXPECT_EQ(doc.SelectedText(), "co");
    doc.SelectBetween(50, 99, 50, -5); // from below the text to above it
    EXPECT_EQ(doc.SelectedText(), "first\rsecond more\rthird");
    doc.ClearSelection();
    EXPECT_FALSE(doc.HasSelection());
    EXPECT_EQ(doc.SelectedText(), "");
}

TEST_F(RichTextPositions, SelectionTextSkipsNonTextItemsAndCheckpoints) {
    auto icons = Icons(1);
    doc.AddFromNewLine("a", 0);
    doc.AddCheckPoint();
    doc.Add("b", 0);
    doc.AddImageJump(0, icons, false);
    doc.AddFromNewLine("c", 0);
    doc.AddPictureItem(Picture::Filled(1, 2, 0));
    doc.AddFromNewLine("d", 0);
    doc.Format(100);
    doc.SetSelection({0, 0}, {6, 1});
    EXPECT_EQ(doc.SelectedText(), "ab\rc\r\rd");
    // The selected image is reported for painting.
    ASSERT_EQ(doc.Pieces()[2].ItemNo, 3);
    EXPECT_TRUE(doc.SelectedRange(2));
    doc.SetSelection({4, 0}, {6, 1});
    EXPECT_FALSE(doc.SelectedRange(2));
}

TEST_F(RichTextPositions, ClipboardTextIsUtf8WithIpaAndOneNewlinePerLine) {
    auto table = SixStyles();
    table->TextStyles[1] = TTextStyle{kPhoneticFontName, 10};
    doc.SetStyle(table);
    auto icons = Icons(1);
    doc.AddFromNewLine("look ", 0);
    doc.Add("/ lJk /", 1);
    doc.AddImageJump(0, icons, false);
    doc.AddPictureItem(Picture::Filled(1, 6, 0)); // a spacer line between sections
    doc.AddFromNewLine("v. \xBF\xB4", 0);       // GBK
    doc.AddFromNewLine("think ", 0);
    doc.Add("/ WINk /", 1);
    doc.Format(100);
    doc.SetSelection({0, 0}, {6, 99});
    EXPECT_EQ(doc.SelectedText(), "look / lJk /\r\rv. \xBF\xB4\rthink / WINk /");
    EXPECT_EQ(doc.SelectedTextUtf8(), "look / lʊk /\nv. 看\nthink / θɪŋk /");
    // Part of a transcription maps only the selected letters.
    doc.SetSelection({1, 2}, {1, 4});
    EXPECT_EQ(doc.SelectedTextUtf8(), "lʊ");
    doc.ClearSelection();
    EXPECT_EQ(doc.SelectedTextUtf8(), "");
}

TEST_F(RichTextPositions, SelectionNeverSplitsACharacterAndIsClampedToTheDocument) {
    const std::string chinese = "\xD6\xD0\xCE\xC4";
    doc.AddFromNewLine(chinese, 0);
    doc.Format(100);
    doc.SetSelection({0, 1}, {5, 99});
    EXPECT_EQ(doc.SelectedText(), chinese);
    doc.SetSelection({0, 1}, {0, 3}); // inside characters: moved to their starts
    EXPECT_EQ(doc.SelectedText(), chinese.substr(0, 2));
    doc.SelectBetween(3, 0, 5, 0); // nearest boundaries: 2 and 4
    EXPECT_EQ(doc.SelectedText(), chinese.substr(2));
    const auto range = doc.SelectedRange(0);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 2u);
    EXPECT_EQ(range->second, 4u);
}

TEST(RichTextPlainText, RendersLinesMarkersRulesAndDropsSpacers) {
    RichTextDocument doc;
    doc.SetStyle(SixStyles());
    doc.LeftMargin = 15; // margins do not reach the terminal
    auto icons = Icons();
    doc.AddPictureItem(Picture::Filled(1, 6, 0xFFFFFF));
    doc.AddImageBullet(0, icons, true);
    doc.Add("head", 12);
    doc.AddImageJump(1, icons, false);
    doc.AddCenterLine("mid", 0);
    doc.AddBreak();
    doc.AddFromNewLine("one two three", 0);
    doc.AddPictureItem(Picture::Filled(40, 40, 0));
    doc.AddFromNewLine("", 0);
    const auto lines = RenderPlainText(doc, 10);
    EXPECT_EQ(lines, (std::vector<std::string>{" * head[>]", "   mid", "----------", "one two",
                                               "three", "[picture]", ""}));
    EXPECT_TRUE(doc.Pieces().empty()); // the document itself is left unformatted
}

} // namespace
} // namespace display
