#include "core/TaggedText.h"
#include "platform/Gbk.h"

#include <gtest/gtest.h>

namespace {

using core::FieldSafe;
using core::GetTagValue;
using core::MakeTagField;
using core::TextBetween;

std::string Gbk(std::string_view utf8) {
    return platform::Utf8ToGbk(utf8);
}

TEST(TaggedTextTest, ResultLineFieldsReadPastLeadingText) {
    const std::string line = "05<En>apple</En><Cn>" + Gbk("苹果") + "</Cn>";
    EXPECT_EQ(GetTagValue(line, "Cn"), Gbk("苹果"));
    EXPECT_EQ(GetTagValue(line, "En"), "apple");
    EXPECT_EQ(GetTagValue(line, "Url"), "");
}

TEST(TaggedTextTest, MissingEmptyAndUnterminatedFieldsReadEmpty) {
    EXPECT_EQ(GetTagValue("<Url>http://x", "Url"), "");
    EXPECT_EQ(GetTagValue("<Url></Url><ID>1</ID>", "Url"), "");
    EXPECT_EQ(GetTagValue("<ID>1</ID>", "Url"), "");
    EXPECT_EQ(GetTagValue("", "Url"), "");
    // An unterminated field does not run on into the rest of the text.
    EXPECT_EQ(TextBetween("<A>value and more", "<A>", "</A>"), "");
}

TEST(TaggedTextTest, PrefixTagDoesNotMatchLongerTag) {
    EXPECT_EQ(GetTagValue("<Index10>7</Index10><Index1>3</Index1>", "Index1"), "3");
    EXPECT_EQ(GetTagValue("<Index10>7</Index10><Index1>3</Index1>", "Index10"), "7");
}

TEST(TaggedTextTest, FirstFieldWinsAndSameTagsDoNotNest) {
    EXPECT_EQ(GetTagValue("<A>1</A><A>2</A>", "A"), "1");
    EXPECT_EQ(GetTagValue("<A>x<A>y</A>z</A>", "A"), "x<A>y");
}

TEST(TaggedTextTest, DifferentTagsNest) {
    const std::string text = "<A>pre<B>inner</B>post</A>";
    EXPECT_EQ(GetTagValue(text, "A"), "pre<B>inner</B>post");
    EXPECT_EQ(GetTagValue(text, "B"), "inner");
}

TEST(TaggedTextTest, CaseInsensitiveMatchKeepsValueCase) {
    EXPECT_EQ(GetTagValue("<en>MixedCase</EN>", "En"), "MixedCase");
    EXPECT_EQ(GetTagValue("<en>x</en>", "En", true), "");
    EXPECT_EQ(GetTagValue("<En>x</En>", "En", true), "x");
    EXPECT_EQ(TextBetween("abcSTARTxYzEND", "start", "end"), "xYz");
}

TEST(TaggedTextTest, CaseFoldingTouchesAsciiLettersOnly) {
    // 0xC1 would become 0xE1 under a Latin-1 fold; it must stay a distinct byte.
    EXPECT_EQ(TextBetween("<\xC1>v</\xC1>", "<\xE1>", "</\xE1>"), "");
    EXPECT_EQ(TextBetween("<\xC1>v</\xC1>", "<\xC1>", "</\xC1>"), "v");
    // '@' (0x40) and '`' (0x60) are not letters.
    EXPECT_EQ(TextBetween("x@y", "`", ""), "");
}

TEST(TaggedTextTest, MatchNeverStartsInsideDoubleByteCharacter) {
    // 0xB0 0x41 is one character whose second byte is 'A': a search for "A"
    // must not find it, but finds the real 'A' that follows.
    const std::string text = "\xB0\x41<A>v</A>";
    EXPECT_EQ(GetTagValue(text, "A"), "v");
    EXPECT_EQ(TextBetween("\xB0\x41"
                          "BC",
                          "ABC", ""),
              "");
    EXPECT_EQ(TextBetween("\xB0\x41"
                          "ABC",
                          "ABC", ""),
              "");
    EXPECT_EQ(TextBetween("\xB0\x41"
                          "ABCd",
                          "ABC", ""),
              "d");
    // Case-folded search steps the same way ('a' folds to the trail byte 'A').
    EXPECT_EQ(TextBetween("\xB0\x41"
                          "x",
                          "a", ""),
              "");
    // A value holding Chinese text and a closing marker is cut at the marker.
    const std::string gloss = Gbk("喜欢<0D0A>爱");
    EXPECT_EQ(GetTagValue("<Cn>" + gloss + "</Cn>", "Cn"), gloss);
    // Markers that start with a non-letter may also sit on trail bytes
    // (0x40 '@' is one); with and without case folding.
    EXPECT_EQ(TextBetween("\xB0@@x", "@", ""), "x");
    EXPECT_EQ(TextBetween("\xB0@@x", "@", "", true), "x");
    EXPECT_EQ(TextBetween("\xB0@x", "@", ""), "");
    EXPECT_EQ(TextBetween("\xB0@x", "@x", "", true), "");
    EXPECT_EQ(TextBetween("a\xB0[b[c]", "[", "]"), "c");
    EXPECT_EQ(TextBetween("a\xB0[b[c]", "[", "]", true), "c");
    // A lone lead byte at the very end is still searched as one byte.
    EXPECT_EQ(TextBetween("x\xB0", "\xB0", ""), "");
    EXPECT_EQ(TextBetween("x\xB0", "x", ""), "\xB0");
}

TEST(TaggedTextTest, EmptyMarkers) {
    EXPECT_EQ(TextBetween("whole text", "", ""), "whole text");
    EXPECT_EQ(TextBetween("head:tail", "", ":"), "head");
    EXPECT_EQ(TextBetween("head:tail", ":", ""), "tail");
    EXPECT_EQ(TextBetween("head", "", ":"), "");
    EXPECT_EQ(TextBetween("", "", ""), "");
}

TEST(TaggedTextTest, KeepTagsWrapsValueEvenWhenMissing) {
    EXPECT_EQ(GetTagValue("<Pos>12</Pos>", "Pos", false, true), "<Pos>12</Pos>");
    EXPECT_EQ(GetTagValue("", "Pos", false, true), "<Pos></Pos>");
    // The markers are rebuilt from the requested tag, not copied from the text.
    EXPECT_EQ(GetTagValue("<pos>12</pos>", "Pos", false, true), "<Pos>12</Pos>");
}

TEST(TaggedTextTest, MakeTagField) {
    EXPECT_EQ(MakeTagField("", "ID"), "<ID></ID>");
    EXPECT_EQ(MakeTagField("0", "ID"), "<ID>0</ID>");
    const std::string record = MakeTagField("x", "A") + MakeTagField(MakeTagField("y", "B"), "C");
    EXPECT_EQ(record, "<A>x</A><C><B>y</B></C>");
    EXPECT_EQ(GetTagValue(record, "B"), "y");
}

TEST(TaggedTextTest, FieldSafeValueCannotEndItsFieldOrRecord) {
    // "a</Msg><RID>9</RID>", a line break, 你.
    const std::string hostile = "a</Msg><RID>9</RID>\r\n\xC4\xE3";
    const std::string record = MakeTagField(FieldSafe(hostile), "Msg") + MakeTagField("1", "RID");
    EXPECT_EQ(GetTagValue(record, "RID"), "1");
    EXPECT_EQ(GetTagValue(record, "Msg"), "a\xA3\xBC/Msg\xA3\xBE\xA3\xBCRID\xA3\xBE"
                                          "9"
                                          "\xA3\xBC/RID\xA3\xBE  \xC4\xE3");
    EXPECT_EQ(FieldSafe("\xC4\xE3 ok"), "\xC4\xE3 ok");

    // A stray lead byte cannot take the next byte with it: not a line break,
    // not the "<" of the closing tag.
    const std::pair<std::string, std::string> stray[] = {{"x\x81", "x"},
                                                         {"x\x81\n<RID>7</RID>",
                                                          "x \xA3\xBCRID\xA3\xBE"
                                                          "7"
                                                          "\xA3\xBC/RID\xA3\xBE"},
                                                         {"x\xFE<y", "x\xA3\xBCy"},
                                                         {"x\xC4\r", "x "}};
    for (const auto& [value, safe] : stray) {
        const std::string line = MakeTagField(FieldSafe(value), "Msg") + MakeTagField("1", "RID");
        EXPECT_EQ(GetTagValue(line, "Msg"), safe) << value;
        EXPECT_EQ(GetTagValue(line, "RID"), "1") << value;
    }
}

} // namespace

namespace {

// A value from a file or the network cannot add fields of its own to a
// record, and a cut character at its end cannot swallow the "<" of its
// closing tag.
TEST(TaggedTextTest, TextFieldHoldsItsValueOnly) {
    const std::string request = core::MakeTextField("<Fn>/etc/passwd</Fn>", "TXT") +
                                core::MakeTextField("/tmp/out.mp3", "Fn");
    EXPECT_EQ(core::GetTagValue(request, "Fn"), "/tmp/out.mp3");
    const std::string cut = "\xC6\xBB\xB9"; // 苹 and half of 果
    EXPECT_EQ(core::GetTagValue(core::MakeTextField(cut, "T"), "T"), "\xC6\xBB");
    EXPECT_EQ(core::GetTagValue(core::MakeTextField(cut, "T") + "<U>u</U>", "U"), "u");
}

} // namespace
