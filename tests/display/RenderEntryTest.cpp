#include "display/RenderEntry.h"

#include "core/TaggedText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using display::RichTextDocument;

// GBK texts used below.
const std::string kSynonymLabel = "    \xCD\xAC\xD2\xE5\xB4\xCA: "; // "    同义词: "
const std::string kOpen = "\xA1\xBA", kClose = "\xA1\xBB";          // 『 』
const std::string kApple = "\xC6\xBB\xB9\xFB";                      // 苹果

std::string Field(const std::string& value, const std::string& tag) {
    return core::MakeTagField(value, tag);
}

std::string Voc(const std::string& fields) {
    return Field(fields, "Voc");
}

struct Rendered {
    RichTextDocument Document;
    display::ActionList Actions;
    // The text items only, as (text, style, starts a line).
    struct Text {
        std::string Value;
        int Style;
        bool NewLine;
        friend bool operator==(const Text&, const Text&) = default;
    };
    std::vector<Text> Texts() const {
        std::vector<Text> texts;
        for (const auto& item : Document.Items())
            if (item.Info.IsText())
                texts.push_back({item.Text, item.Info.StyleNo, !item.Info.SameAsPrev});
        return texts;
    }
    // Index of the first text item equal to value, -1 if none.
    int ItemOf(const std::string& value) const {
        for (int i = 0; i < Document.ItemCount(); ++i)
            if (Document.Items()[i].Text == value)
                return i;
        return -1;
    }
};

Rendered Render(const std::string& record) {
    Rendered r;
    r.Document.SetStyle(std::make_shared<const display::TTextStyleTable>(display::VocStyleTable()));
    auto images = std::make_shared<display::TImageList>();
    images->Images = {display::Picture::Filled(16, 16, 0xFF0000),
                      display::Picture::Filled(16, 16, 0x00FF00)};
    EXPECT_TRUE(display::RenderEntry(record, r.Document, r.Actions, images));
    r.Document.Format(400);
    return r;
}

TEST(RenderEntry, EmptyRecordLeavesTheDocumentAlone) {
    RichTextDocument document;
    document.AddFromNewLine("old", 0);
    display::ActionList actions{"stale"};
    EXPECT_FALSE(display::RenderEntry("", document, actions, nullptr));
    EXPECT_EQ(document.ItemCount(), 1);
    EXPECT_TRUE(actions.empty());
}

TEST(RenderEntry, HeadwordAloneWithoutPhoneticsAndSound) {
    Rendered r = Render(Voc(Field("apple", "Name") + Field(kApple, "CN")));
    int at = r.ItemOf("apple");
    ASSERT_GE(at, 0);
    const auto& items = r.Document.Items();
    EXPECT_EQ(items[at].Info.StyleNo, 0);
    EXPECT_FALSE(items[at].Info.SameAsPrev);
    // The next item is the spacer picture, on its own line.
    ASSERT_LT(at + 1, r.Document.ItemCount());
    EXPECT_EQ(items[at + 1].Info.StyleNo, display::rvsPicture);
    EXPECT_TRUE(r.Actions.empty());
    EXPECT_EQ(r.Document.JumpCount(), 0);
}

TEST(RenderEntry, BasicInformationLayout) {
    Rendered r = Render(Voc(Field("apple", "Name") + Field("5Apl", "YB") + Field("1F", "MP3") +
                            Field(kApple + "<0d0a>n.", "CN") + Field("apples", "CXBH")));
    const auto& items = r.Document.Items();
    // Section bullet starts a line, title follows on it.
    ASSERT_GE(r.Document.ItemCount(), 3);
    EXPECT_EQ(items[0].Info.StyleNo, display::rvsPicture);
    EXPECT_EQ(items[0].Graphic->Height, 10);
    EXPECT_EQ(items[0].Graphic->Width, 1);
    EXPECT_EQ(items[1].Info.StyleNo, display::rvsImageBullet);
    EXPECT_EQ(items[1].Info.ImageIndex, 0);
    EXPECT_EQ(items[2].Info.StyleNo, 12);
    EXPECT_TRUE(items[2].Info.SameAsPrev);

    int phonetic = r.ItemOf("    / 5Apl /    ");
    ASSERT_GE(phonetic, 0);
    EXPECT_EQ(items[phonetic].Info.StyleNo, 1);
    EXPECT_TRUE(items[phonetic].Info.SameAsPrev);
    EXPECT_EQ(items[phonetic + 1].Info.StyleNo, display::rvsImageJump);
    EXPECT_EQ(items[phonetic + 1].Info.ImageIndex, 1);
    EXPECT_TRUE(items[phonetic + 1].Info.SameAsPrev);
    ASSERT_EQ(r.Actions.size(), 1u);
    EXPECT_EQ(r.Actions[0], "<MP3>1F</MP3><Action>PlayMP3</Action><TXT>apple</TXT>");

    // The meaning lines are split at the escape, whatever its case.
    EXPECT_EQ(items[r.ItemOf(kApple)].Info.StyleNo, 2);
    EXPECT_EQ(items[r.ItemOf("n.")].Info.StyleNo, 2);
    EXPECT_EQ(items[r.ItemOf("apples")].Info.StyleNo, 3);
}

TEST(RenderEntry, MarkedExampleGivesThreeSegmentsAndAPlainSentence) {
    std::string example = Field("1", "XH") +
                          Field("I ate an " + kOpen + "apple" + kClose + " today.", "En") +
                          Field("2A", "MP3") + Field(kApple, "Cn");
    Rendered r = Render(Voc(Field("apple", "Name")) + Field(example, "Example"));
    auto texts = r.Texts();
    int at = r.ItemOf("1. ");
    ASSERT_GE(at, 0);
    const auto& items = r.Document.Items();
    EXPECT_EQ(items[at].Info.StyleNo, 13);
    EXPECT_FALSE(items[at].Info.SameAsPrev);
    ASSERT_LT(at + 4, r.Document.ItemCount());
    EXPECT_EQ(items[at + 1].Text, "I ate an ");
    EXPECT_EQ(items[at + 1].Info.StyleNo, 6);
    EXPECT_EQ(items[at + 2].Text, "apple");
    EXPECT_EQ(items[at + 2].Info.StyleNo, 8);
    EXPECT_EQ(items[at + 3].Text, " today.");
    EXPECT_EQ(items[at + 3].Info.StyleNo, 6);
    EXPECT_TRUE(items[at + 3].Info.SameAsPrev);
    // A blank keeps the speaker icon off the last word.
    EXPECT_EQ(items[at + 4].Text, " ");
    EXPECT_EQ(items[at + 5].Info.StyleNo, display::rvsImageJump);
    EXPECT_TRUE(items[at + 5].Info.SameAsPrev);
    ASSERT_EQ(r.Actions.size(), 1u);
    EXPECT_EQ(core::GetTagValue(r.Actions[0], "TXT"), "I ate an apple today.");
    EXPECT_EQ(core::GetTagValue(r.Actions[0], "MP3"), "2A");
    int translation = r.ItemOf("  " + kApple);
    ASSERT_GE(translation, 0);
    EXPECT_EQ(items[translation].Info.StyleNo, 7);
}

TEST(RenderEntry, BlankTranslationAddsNoLine) {
    const std::string withBlank = Field("1", "XH") + Field("Go.", "En") + Field(" ", "Cn");
    const std::string without = Field("2", "XH") + Field("Stop.", "En");
    Rendered r = Render(Voc(Field("go", "Name")) + Field(withBlank + "\r\n" + without, "Example"));
    const auto& items = r.Document.Items();
    for (const char* sentence : {"Go.", "Stop."}) {
        const int at = r.ItemOf(sentence);
        ASSERT_GE(at, 0) << sentence;
        // Straight on to the closing spacer: no translation line, no spacer for it.
        ASSERT_LT(at + 1, r.Document.ItemCount());
        EXPECT_EQ(items[at + 1].Info.StyleNo, display::rvsPicture);
        EXPECT_EQ(items[at + 1].Graphic->Height, 4);
    }
}

TEST(RenderEntry, MarkAtTheStartKeepsTheSegmentParity) {
    std::string example = Field("2", "XH") + Field(kOpen + "Apples" + kClose + " are red.", "En");
    Rendered r = Render(Voc(Field("apple", "Name")) + Field(example, "Example"));
    EXPECT_EQ(r.Document.Items()[r.ItemOf("Apples")].Info.StyleNo, 8);
    EXPECT_EQ(r.Document.Items()[r.ItemOf(" are red.")].Info.StyleNo, 6);
    EXPECT_TRUE(r.Actions.empty()); // no MP3 on the line: no speaker
}

TEST(RenderEntry, PartOfSpeechHeadingsAndItemNumbers) {
    std::string ywjs;
    const char* parts[] = {"n.", "n.", "n.", "v.", "v."};
    for (int i = 0; i < 5; ++i)
        ywjs += Field(parts[i], "CX") + Field("def" + std::to_string(i), "En") + "\r\n";
    Rendered r = Render(Voc(Field("w", "Name")) + Field(ywjs, "YWJS"));
    std::vector<std::pair<std::string, int>> shown;
    bool inDefinitions = false;
    for (const auto& text : r.Texts()) {
        if (text.Value == "\xD3\xA2\xCE\xC4\xBD\xE2\xCA\xCD") { // 英文解释
            inDefinitions = true;
            continue;
        }
        if (inDefinitions)
            shown.emplace_back(text.Value, text.Style);
    }
    std::vector<std::pair<std::string, int>> expected = {
        {"n.", 9},    {"1. ", 13}, {"def1", 10}, {"2. ", 13},
        {"def2", 10}, {"v.", 9},   {"1. ", 13},  {"def4", 10},
    };
    EXPECT_EQ(shown, expected);
}

std::string Definitions(const std::string& tyc) {
    return Field(Field("adj.", "CX") + Field("", "En") + "\r\n" + Field("adj.", "CX") +
                     Field("of size", "En") + Field(tyc, "TYC"),
                 "YWJS");
}

TEST(RenderEntry, SynonymsAreJumpsSeparatedByCommas) {
    Rendered r = Render(Voc(Field("huge", "Name")) + Definitions("[1=big][2=large]"));
    auto texts = r.Texts();
    auto label = std::find(texts.begin(), texts.end(), Rendered::Text{kSynonymLabel, 11, true});
    ASSERT_NE(label, texts.end());
    ASSERT_GE(texts.end() - label, 4);
    EXPECT_EQ(label[1], (Rendered::Text{"big", 5, false}));
    EXPECT_EQ(label[2], (Rendered::Text{", ", 10, false}));
    EXPECT_EQ(label[3], (Rendered::Text{"large", 5, false}));
    ASSERT_EQ(r.Actions.size(), 2u);
    EXPECT_EQ(r.Actions[0], "<Action>ShowTYC</Action><TXT>big</TXT>");
    EXPECT_EQ(r.Actions[1], "<Action>ShowTYC</Action><TXT>large</TXT>");
    EXPECT_EQ(r.Document.JumpCount(), 2);
}

TEST(RenderEntry, SynonymListWithoutNumberOneShowsNothing) {
    Rendered r = Render(Voc(Field("huge", "Name")) + Definitions("[2=large]"));
    EXPECT_EQ(r.ItemOf(kSynonymLabel), -1);
    EXPECT_EQ(r.ItemOf("large"), -1);
    EXPECT_TRUE(r.Actions.empty());
}

// The synonym field is read in one pass; each number's first marker counts,
// its word runs to the next "]" on a character boundary, and the list ends at
// the first number that is missing or empty.
TEST(RenderEntry, SynonymFieldIsReadAsNumberedWords) {
    auto words = [](const std::string& field) {
        Rendered r = Render(Voc(Field("w", "Name")) + Definitions(field));
        std::vector<std::string> found;
        for (const std::string& action : r.Actions)
            found.push_back(core::GetTagValue(action, "TXT"));
        return found;
    };
    using Words = std::vector<std::string>;
    EXPECT_EQ(words("[2=b][1=a][3=c]"), (Words{"a", "b", "c"}));
    EXPECT_EQ(words("[1=a][1=z][2=b]"), (Words{"a", "b"}));
    EXPECT_EQ(words("[1=a][3=c]"), Words{"a"});
    EXPECT_EQ(words("[1=][2=b]"), Words{});
    EXPECT_EQ(words("[01=a][1=b]"), Words{"b"});
    EXPECT_EQ(words("[1=a"), Words{});
    EXPECT_EQ(words("[1=a[2=b]"), (Words{"a[2=b", "b"}));
    EXPECT_EQ(words("[10=j][1=a]"), Words{"a"});
    // "\xB1\x5D" is one character whose second byte is "]".
    EXPECT_EQ(words("[1=\xB1\x5D][2=b]"), (Words{"\xB1\x5D", "b"}));
}

// Text from the entry record cannot add fields to an action record.
TEST(RenderEntry, ActionRecordsHoldTheirTextOnly) {
    Rendered r = Render(Voc(Field("x</TXT><Fn>/etc/passwd</Fn><Repeat>FFFFFFFF</Repeat>", "Name") +
                            Field("1F<Fn>", "MP3")) +
                        Definitions("[1=y<Fn>z]"));
    ASSERT_EQ(r.Actions.size(), 2u);
    for (const std::string& action : r.Actions) {
        EXPECT_EQ(core::GetTagValue(action, "Fn"), "") << action;
        EXPECT_EQ(core::GetTagValue(action, "Repeat"), "") << action;
    }
    const std::string lt = "\xA3\xBC", gt = "\xA3\xBE"; // ＜ ＞
    EXPECT_EQ(core::GetTagValue(r.Actions[0], "TXT"), "x" + lt + "/TXT" + gt + lt + "Fn" + gt +
                                                          "/etc/passwd" + lt + "/Fn" + gt + lt +
                                                          "Repeat" + gt + "FFFFFFFF" + lt +
                                                          "/Repeat" + gt);
    EXPECT_EQ(core::GetTagValue(r.Actions[0], "MP3"), "1F" + lt + "Fn" + gt);
    EXPECT_EQ(core::GetTagValue(r.Actions[1], "TXT"), "y" + lt + "Fn" + gt + "z");
}

TEST(ScaleTest, HugeSynonymFieldRendersInLinearTime) {
    std::string field;
    for (int i = 1; i <= 100000; ++i)
        field += "[" + std::to_string(i) + "=w" + std::to_string(i) + "]";
    RichTextDocument document;
    display::ActionList actions;
    ASSERT_TRUE(display::RenderEntry(Voc(Field("w", "Name")) + Definitions(field), document,
                                     actions, std::make_shared<display::TImageList>()));
    ASSERT_EQ(actions.size(), 100000u);
    EXPECT_EQ(core::GetTagValue(actions.back(), "TXT"), "w100000");
}

TEST(RenderEntry, JumpNumbersFollowTheActionList) {
    std::string examples = Field("1", "XH") + Field("one", "En") + Field("A1", "MP3") + "\r\n" +
                           Field("2", "XH") + Field("two", "En") + Field("A2", "MP3") + "\r\n";
    Rendered r = Render(Voc(Field("big", "Name") + Field("10", "MP3")) +
                        Field(examples, "Example") + Definitions("[1=large][2=huge]"));
    ASSERT_EQ(r.Actions.size(), 5u);
    ASSERT_EQ(r.Document.JumpCount(), 5);
    // Every jump item's number is its action's index.
    std::vector<std::string> byJump(5);
    for (const auto& item : r.Document.Items()) {
        if (!item.Info.IsJump())
            continue;
        ASSERT_GE(item.Info.JumpNo, 0);
        ASSERT_LT(item.Info.JumpNo, 5);
        byJump[item.Info.JumpNo] =
            item.Info.StyleNo == display::rvsImageJump ? "speaker" : item.Text;
    }
    EXPECT_EQ(byJump, (std::vector<std::string>{"speaker", "speaker", "speaker", "large", "huge"}));
    EXPECT_EQ(core::GetTagValue(r.Actions[0], "TXT"), "big");
    EXPECT_EQ(core::GetTagValue(r.Actions[1], "MP3"), "A1");
    EXPECT_EQ(core::GetTagValue(r.Actions[2], "TXT"), "two");
    EXPECT_EQ(core::GetTagValue(r.Actions[3], "TXT"), "large");
}

TEST(ZoomStyles, StopsAtTheSizeLimits) {
    display::TTextStyleTable table = display::VocStyleTable();
    ASSERT_EQ(table.TextStyles.size(), 14u);
    EXPECT_TRUE(display::ZoomStyles(table, 1));
    EXPECT_EQ(table.TextStyles[0].Size, 13);
    EXPECT_EQ(table.TextStyles[13].Size, 11);

    table = display::VocStyleTable();
    table.TextStyles[0].Size = 72;
    EXPECT_FALSE(display::ZoomStyles(table, 1));
    EXPECT_EQ(table.TextStyles[0].Size, 72);
    EXPECT_EQ(table.TextStyles[2].Size, 11);
    EXPECT_TRUE(display::ZoomStyles(table, -1));

    table = display::VocStyleTable();
    table.TextStyles[3].Size = 6;
    EXPECT_FALSE(display::ZoomStyles(table, -1));
    EXPECT_EQ(table.TextStyles[0].Size, 12);
    EXPECT_TRUE(display::ZoomStyles(table, 1));
    EXPECT_EQ(table.TextStyles[3].Size, 7);
}

TEST(AddSpacer, CutsTheLeftColumnOfTheBackground) {
    RichTextDocument document;
    auto background = display::Picture::FromPixels(2, 2, {0x111111, 0x222222, 0x333333, 0x444444});
    display::AddSpacer(document, 3, 0xFFFFFF, background);
    display::AddSpacer(document, 4, 0xFFFFFF);
    ASSERT_EQ(document.ItemCount(), 2);
    const auto& cut = *document.Items()[0].Graphic;
    EXPECT_EQ(cut.Width, 1);
    EXPECT_EQ(cut.Height, 3);
    EXPECT_EQ(cut.Pixels, (std::vector<std::uint32_t>{0x111111, 0x333333, 0x111111}));
    const auto& filled = *document.Items()[1].Graphic;
    EXPECT_EQ(filled.Height, 4);
    EXPECT_EQ(filled.FillRgb, 0xFFFFFFu);
}

TEST(RenderEntryText, ShowsPhoneticsAsIpaInUtf8) {
    std::string record =
        Voc(Field("apple", "Name") + Field("5Apl", "YB") + Field("1", "MP3") + Field(kApple, "CN"));
    auto lines = display::RenderEntryText(record, 80);
    bool found = false;
    for (const auto& line : lines)
        if (line.find("apple") != std::string::npos &&
            line.find("/ \xCB\x88\xC3\xA6pl /") != std::string::npos)
            found = true;
    EXPECT_TRUE(found);
    bool gloss = false;
    for (const auto& line : lines)
        gloss = gloss || line == "\xE8\x8B\xB9\xE6\x9E\x9C"; // 苹果 in UTF-8
    EXPECT_TRUE(gloss);
    EXPECT_TRUE(display::RenderEntryText("", 80).empty());
    // Spacers, tall ones included, are blank lines, never picture markers.
    std::string examples = Field(Field("1", "XH") + Field("one", "En"), "Example");
    for (const auto& line : display::RenderEntryText(record + examples, 80))
        EXPECT_EQ(line.find("[picture]"), std::string::npos) << line;
}

} // namespace
