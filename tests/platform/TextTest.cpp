#include "platform/Text.h"
#include "platform/ByteOrder.h"
#include "platform/FileHandle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/file.h>

namespace platform {
namespace {

using Lines = std::vector<std::string>;

TEST(TextTest, CaseFoldsAsciiLettersOnly) {
    // Bytes of GBK characters ("苹" C6 BB) stay as they are.
    EXPECT_EQ(UpperAscii("apple \xC6\xBB z"), "APPLE \xC6\xBB Z");
    EXPECT_EQ(LowerAscii("ApPLE@[`{"), "apple@[`{");
    EXPECT_TRUE(EqualIgnoringAsciiCase("Result", "rESULT"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("Result", "Resul"));
    // '@' and '`' sit next to the letters and must not fold into them.
    EXPECT_FALSE(EqualIgnoringAsciiCase("@", "`"));
    EXPECT_TRUE(StartsWithIgnoringAsciiCase("Content-Range: bytes", "content-range:"));
    EXPECT_FALSE(StartsWithIgnoringAsciiCase("Con", "content"));
}

TEST(TextTest, ParsesWholeHexTextsThatFit32Bits) {
    EXPECT_EQ(ParseHex32("00018E71"), 102001u);
    EXPECT_EQ(ParseHex32("ffffffff"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseHex32("0000000001"), 1u); // leading zeros do not overflow
    EXPECT_EQ(ParseHex32("100000000"), std::nullopt);
    for (const char* bad : {"", " 1", "1 ", "-1", "+1", "0x1", "1G", "\xC6\xBB"})
        EXPECT_EQ(ParseHex32(bad), std::nullopt) << bad;
    EXPECT_EQ(HexDigitValue('/'), -1);
    EXPECT_EQ(HexDigitValue(':'), -1);
    EXPECT_EQ(HexDigitValue('g'), -1);
    EXPECT_EQ(ParseDecimal32("0004294967295"), 4294967295u);
    for (const char* bad : {"", "4294967296", "-1", "+1", " 1", "1a"})
        EXPECT_EQ(ParseDecimal32(bad), std::nullopt) << bad;
    EXPECT_EQ(HexNumber(102001), "00018E71");
    EXPECT_EQ(HexNumber(0x9, 2), "09");
    EXPECT_EQ(HexNumber(0x1AB, 2), "1AB"); // wider values keep every digit
    EXPECT_EQ(HexNumber(0xFFFFFFFF), "FFFFFFFF");
    EXPECT_EQ(HexNumber(0, 1), "0");
}

TEST(TextTest, SplitsLinesAtEveryKindOfBreak) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd\r\n"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\r\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\n"), Lines{""});
    EXPECT_EQ(SplitLines("a"), Lines{"a"});
    EXPECT_EQ(SplitLines(""), Lines{});
}

TEST(TextTest, TrimmedDropsControlBytesAndBlanksAtTheEndsOnly) {
    EXPECT_EQ(Trimmed(" \t\r\n a b \x01"), "a b");
    EXPECT_EQ(Trimmed(" \t "), "");
    // A GBK character ending in a byte above 0x20 is never cut.
    EXPECT_EQ(Trimmed("\xD3\xC3\xBB\xA7 "), "\xD3\xC3\xBB\xA7");
}

TEST(ByteOrderTest, ReadsWhatItWrites) {
    std::string bytes;
    AppendLe32(bytes, 0x00018E71);
    EXPECT_EQ(bytes, std::string("\x71\x8E\x01\x00", 4));
    EXPECT_EQ(ReadLe32(bytes, 0), 102001u);
    char two[2];
    PutLe16(two, 0xFEFF);
    EXPECT_EQ(ReadLe16(std::string_view(two, 2), 0), 0xFEFF);
    EXPECT_EQ(ReadLe32("\xFF\xFF\xFF\xFF", 0), 0xFFFFFFFFu);
}

TEST(FileHandleTest, ClosesOnceAndLocksExclusively) {
    const std::string path =
        std::filesystem::temp_directory_path() / ("quendic-handle-" + std::to_string(::getpid()));
    FileHandle a = FileHandle::Open(path, O_RDWR | O_CREAT | O_TRUNC);
    ASSERT_TRUE(a.IsOpen());
    ASSERT_TRUE(a.WriteAll("0123456789"));
    EXPECT_EQ(a.Length(), 10u);
    char four[4];
    ASSERT_TRUE(a.ReadAt(6, four, 4));
    EXPECT_EQ(std::string(four, 4), "6789");
    EXPECT_FALSE(a.ReadAt(8, four, 4)); // past the end
    ASSERT_TRUE(a.Lock(LOCK_EX));

    // A second open file description cannot take the lock while `a` holds it,
    // and can once `a` has moved away and been closed.
    FileHandle b = FileHandle::Open(path, O_RDONLY);
    EXPECT_FALSE(b.Lock(LOCK_EX | LOCK_NB));
    EXPECT_FALSE(b.IsOpen()); // a failed lock closes the handle
    FileHandle moved = std::move(a);
    EXPECT_FALSE(a.IsOpen());
    EXPECT_TRUE(moved.Close());
    EXPECT_FALSE(moved.Close());
    FileHandle c = FileHandle::Open(path, O_RDONLY);
    EXPECT_TRUE(c.Lock(LOCK_EX | LOCK_NB));
    std::filesystem::remove(path);
}

} // namespace
// Line stepping against SplitLines, and SkipLines (which counts breaks
// sixteen bytes at a time) against stepping, on texts full of CR, LF and
// CR LF, from every line start, with and without the text's end in sight.
TEST(LineStepsTest, SkipLinesPassesWhatNextLinePasses) {
    std::mt19937 random(5);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\r', '\n', 'c', 'd', 'e', 'f'};
    for (int round = 0; round < 300; ++round) {
        std::string text(random() % 120, ' ');
        for (char& c : text)
            c = alphabet[random() % (round % 2 == 0 ? 10 : 6)];
        std::vector<size_t> starts;
        std::vector<std::string> lines;
        for (size_t at = 0; at < text.size(); at = NextLine(text, at).Next) {
            const LineSpan line = NextLine(text, at);
            starts.push_back(at);
            lines.push_back(text.substr(line.Begin, line.End - line.Begin));
        }
        ASSERT_EQ(lines, SplitLines(text)) << round;
        for (size_t first = 0; first < starts.size(); ++first) {
            for (bool textEnds : {true, false}) {
                const uint64_t wanted = random() % (starts.size() + 3);
                // Stepping: every line, but unless the text ends there the
                // last one only when its break is followed by more text.
                size_t expected = starts[first];
                uint64_t left = wanted;
                while (left > 0 && expected < text.size()) {
                    const LineSpan line = NextLine(text, expected);
                    if (line.Next == text.size() && !textEnds)
                        break;
                    expected = line.Next;
                    --left;
                }
                uint64_t count = wanted;
                EXPECT_EQ(SkipLines(text, starts[first], count, textEnds), expected)
                    << round << " from " << first << " skipping " << wanted;
                EXPECT_EQ(count, left);
            }
        }
    }
}

} // namespace platform
