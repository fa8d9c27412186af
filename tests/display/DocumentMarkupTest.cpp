#include "display/DocumentMarkup.h"
#include "display/PlainText.h"

#include <gtest/gtest.h>

namespace display {
namespace {

// GBK: 【 】 and two Chinese words.
const std::string kOpen = "\xA1\xBE";
const std::string kClose = "\xA1\xBF";
const std::string kHelp = "\xB0\xEF\xD6\xFA"; // 帮助
const std::string kSoft = "\xC8\xED\xBC\xFE"; // 软件

std::string Key(const std::string& name, const std::string& value) {
    return kOpen + name + "=" + value + kClose;
}

std::string Line(const std::string& command, const std::string& text = {},
                 const std::string& style = {}) {
    std::string line = Key("Add", command);
    if (!text.empty()) {
        line += Key("TXT", text);
    }
    if (!style.empty()) {
        line += Key("Style", style);
    }
    return line;
}

RichTextDocument Render(const std::vector<std::string>& lines,
                        const PicturePtr& background = nullptr) {
    RichTextDocument document;
    document.SetStyle(std::make_shared<const TTextStyleTable>(DocViewStyleTable()));
    document.AddFromNewLine("left over", 0);
    ShowDocument(lines, document, background);
    return document;
}

void ExpectSpacer(const RichTextDocument::Item& item, int height) {
    ASSERT_EQ(item.Info.StyleNo, rvsPicture);
    ASSERT_TRUE(item.Graphic);
    EXPECT_EQ(item.Graphic->Height, height);
}

void ExpectText(const RichTextDocument::Item& item, const std::string& text, int styleNo) {
    EXPECT_EQ(item.Text, text);
    EXPECT_EQ(item.Info.StyleNo, styleNo);
}

TEST(DocumentMarkup, EmptyDocumentLeavesAnEmptyView) {
    RichTextDocument document = Render({});
    EXPECT_EQ(document.ItemCount(), 0);
    document.Format(300);
    EXPECT_TRUE(document.Pieces().empty());
}

TEST(DocumentMarkup, FirstAddStartsTheFirstLineInStyleZero) {
    RichTextDocument document = Render({Line("Add", "abc"), Line("Add", "def")});
    ASSERT_EQ(document.ItemCount(), 2);
    ExpectText(document.Items()[0], "abc", 0);
    document.Format(300);
    ASSERT_EQ(document.Lines().size(), 1u);
    EXPECT_EQ(document.Pieces()[0].LineNo, 0);
    EXPECT_EQ(document.Pieces()[1].LineNo, 0) << "Add continues the line";
}

TEST(DocumentMarkup, CommentsAddNothingButTextBeforeSlashesIsNoComment) {
    const std::string command = Line("AddFromNewLine", "x");
    RichTextDocument document = Render({"//" + command, "  //  " + command, "\t//" + command,
                                        "x//" + Line("AddFromNewLine", "y")});
    ASSERT_EQ(document.ItemCount(), 2);
    ExpectSpacer(document.Items()[0], 3);
    ExpectText(document.Items()[1], "y", 0);
    EXPECT_FALSE(document.Items()[1].Info.SameAsPrev);
    EXPECT_TRUE(IsMarkupComment(" // " + command));
    EXPECT_FALSE(IsMarkupComment("/ /" + command));
}

TEST(DocumentMarkup, KeysAndCommandsIgnoreLetterCase) {
    RichTextDocument document =
        Render({kOpen + "add=addbreak" + kClose,
                kOpen + "ADD=aDd" + kClose + Key("txt", "q") + Key("STYLE", "3")});
    ASSERT_EQ(document.ItemCount(), 3);
    ExpectSpacer(document.Items()[0], 3);
    EXPECT_EQ(document.Items()[1].Info.StyleNo, rvsBreak);
    ExpectText(document.Items()[2], "q", 3);
}

TEST(DocumentMarkup, EveryCommandAddsItsItems) {
    RichTextDocument document =
        Render({Line("AddCenterLine", kHelp, "1"), Line("AddSpaceLine"),
                Line("AddFromNewLine", kSoft, "7"), Line("Add", "link", "5")});
    ASSERT_EQ(document.ItemCount(), 6);
    ExpectSpacer(document.Items()[0], 3);
    ExpectText(document.Items()[1], kHelp, 1);
    EXPECT_TRUE(document.Items()[1].Info.Center);
    ExpectSpacer(document.Items()[2], 6);
    ExpectSpacer(document.Items()[3], 3);
    ExpectText(document.Items()[4], kSoft, 7);
    ExpectText(document.Items()[5], "link", 5);
    EXPECT_TRUE(document.Items()[5].Info.SameAsPrev);
    document.Format(400);
    EXPECT_EQ(document.JumpCount(), 1);
}

TEST(DocumentMarkup, LinesWithoutACommandAreIgnored) {
    RichTextDocument document =
        Render({Key("TXT", "abc") + Key("Style", "1"), "Add=Add" + kClose, "plain text", "",
                Key("URL", "x") + Key("TXT", "u"), kOpen + "Add=Add", Line("", "empty command")});
    EXPECT_EQ(document.ItemCount(), 0);
}

TEST(DocumentMarkup, UnknownCommandsAndKeysAreIgnored) {
    RichTextDocument document =
        Render({Line("AddPicture", "z"), Line("Add", "u") + Key("URL", "http://x")});
    ASSERT_EQ(document.ItemCount(), 1);
    ExpectText(document.Items()[0], "u", 0);
}

TEST(DocumentMarkup, KeyWithoutClosingBracketHasAnEmptyValue) {
    EXPECT_EQ(MarkupValue(Key("Add", "Add") + kOpen + "TXT=abc", kOpen + "TXT="), "");
    EXPECT_EQ(MarkupValue(Key("TXT", "one") + Key("TXT", "two"), kOpen + "TXT="), "one");
    EXPECT_EQ(MarkupStyleNo(Key("Add", "Add") + kOpen + "Style=3"), 0);
    RichTextDocument document = Render({Key("Add", "Add") + kOpen + "TXT=abc"});
    ASSERT_EQ(document.ItemCount(), 1);
    ExpectText(document.Items()[0], "", 0);
}

TEST(DocumentMarkup, BadStyleValueRendersInStyleZeroAndTheRestFollows) {
    RichTextDocument document =
        Render({Line("Add", "a", "1"), Line("AddFromNewLine", "b", "x1"), Line("Add", "c", "-3"),
                Line("Add", "d", "2 "), Line("Add", "e", "99999999999"), Line("Add", "f", "2")});
    ASSERT_EQ(document.ItemCount(), 7);
    ExpectText(document.Items()[0], "a", 1);
    ExpectText(document.Items()[2], "b", 0);
    ExpectText(document.Items()[3], "c", 0);
    ExpectText(document.Items()[4], "d", 0);
    ExpectText(document.Items()[5], "e", 0);
    ExpectText(document.Items()[6], "f", 2);
    document.Format(300);
    EXPECT_EQ(document.Lines().size(), 3u) << "a | spacer | b c d e f";
}

TEST(DocumentMarkup, KeysMatchOnlyOnCharacterBoundaries) {
    // "啊" is B0 A1: its trail byte and the next byte look like "【".
    const std::string line = "\xB0\xA1\xBE"
                             "Add=Add" +
                             kClose +
                             "\xB0\xA1\xBE"
                             "TXT=no" +
                             kClose;
    EXPECT_EQ(MarkupValue(line, kOpen + "Add="), "");
    EXPECT_EQ(Render({line}).ItemCount(), 0);
}

TEST(DocumentMarkup, SpacersComeFromTheBackground) {
    std::vector<std::uint32_t> pixels(4 * 8, 0xEEF2FF);
    const PicturePtr background = Picture::FromPixels(4, 8, std::move(pixels));
    RichTextDocument document = Render({Line("AddSpaceLine")}, background);
    ASSERT_EQ(document.ItemCount(), 1);
    const Picture& spacer = *document.Items()[0].Graphic;
    EXPECT_EQ(spacer.Height, 6);
    ASSERT_FALSE(spacer.Pixels.empty());
    EXPECT_EQ(spacer.Pixels[0], 0xEEF2FFu);

    RichTextDocument plain = Render({Line("AddSpaceLine")});
    const Picture& white = *plain.Items()[0].Graphic;
    EXPECT_EQ(white.Width, 1);
    EXPECT_EQ(white.Height, 6);
    EXPECT_TRUE(white.Pixels.empty() ? white.FillRgb == 0xFFFFFF : white.Pixels[0] == 0xFFFFFF);
}

TEST(DocumentMarkup, StyleTableHoldsTheEightFrameStyles) {
    const TTextStyleTable table = DocViewStyleTable();
    ASSERT_EQ(table.TextStyles.size(), 8u);
    EXPECT_EQ(table.TextStyles[0].FontName, "\xCB\xCE\xCC\xE5");
    EXPECT_EQ(table.TextStyles[0].Size, 10);
    EXPECT_TRUE(table.TextStyles[1].IsBold());
    EXPECT_EQ(table.TextStyles[1].Size, 11);
    EXPECT_EQ(table.TextStyles[2].Color, TColor::FromRgb(0x000080));
    EXPECT_TRUE(table.TextStyles[3].IsItalic());
    EXPECT_EQ(table.TextStyles[3].FontName, "Arial");
    EXPECT_EQ(table.TextStyles[4].Color, TColor::FromRgb(0x008000));
    EXPECT_TRUE(table.TextStyles[5].IsUnderline());
    EXPECT_EQ(table.TextStyles[6].Size, 4);
    EXPECT_EQ(table.TextStyles[7].Size, 9);
    EXPECT_EQ(table.TextStyles[7].Color, TColor::FromRgb(0x000080));
}

TEST(DocumentMarkup, PlainRenderingShowsTheDocument) {
    RichTextDocument document =
        Render({Line("AddCenterLine", kHelp, "1"), Line("AddBreak"),
                Line("AddFromNewLine", "see", "0"), Line("Add", " here", "4")});
    const std::vector<std::string> lines = RenderPlainText(document, 20);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::string(8, ' ') + kHelp);
    EXPECT_EQ(lines[1], std::string(20, '-'));
    EXPECT_EQ(lines[2], "see here");
}

} // namespace
} // namespace display
