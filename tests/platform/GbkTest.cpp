#include "platform/Gbk.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace platform {
namespace {

TEST(GbkTest, ConvertsBothWaysAndDropsWhatGbkCannotHold) {
    EXPECT_EQ(GbkToUtf8("apple \xC6\xBB\xB9\xFB"), "apple \xE8\x8B\xB9\xE6\x9E\x9C");
    EXPECT_EQ(Utf8ToGbk("\xE8\x8B\xB9\xE6\x9E\x9C"), "\xC6\xBB\xB9\xFB");
    // An emoji has no GBK code; invalid UTF-8 is dropped too.
    EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                        "b\xFF"
                        "c"),
              "abc");
}

TEST(GbkTest, ThreadsConvertAtOnce) {
    // Each thread keeps its own converters.
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&wrong] {
            for (int i = 0; i < 2000; ++i) {
                if (GbkToUtf8("x\xC6\xBB\xB9\xFB") != "x\xE8\x8B\xB9\xE6\x9E\x9C" ||
                    Utf8ToGbk("\xE8\x8B\xB9y") != "\xC6\xBBy" || GbkToUtf8("ascii") != "ascii")
                    ++wrong;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
}

TEST(GbkTest, BrokenCharacterBecomesOneReplacementAndKeepsWhatFollows) {
    const std::string replacement = "\xEF\xBF\xBD";
    // A lead byte cut off by a blank or a field marker.
    EXPECT_EQ(GbkToUtf8("ab\xB0 cd"), "ab" + replacement + " cd");
    EXPECT_EQ(GbkToUtf8("\xB0<Cn>"), replacement + "<Cn>");
    // A lead byte at the very end.
    EXPECT_EQ(GbkToUtf8("x\xB0"), "x" + replacement);
    // Bytes that start no character at all.
    EXPECT_EQ(GbkToUtf8("y\xFFz"), "y" + replacement + "z");
}

TEST(GbkTest, OnlyBytes81ToFELeadADoubleByteCharacter) {
    // 0x80 and 0xFF are single bytes; 0x81 and 0xFE lead a pair.
    EXPECT_EQ(GbkCharLength("\x80" "a", 0), 1u);
    EXPECT_EQ(GbkCharLength("\x81" "a", 0), 2u);
    EXPECT_EQ(GbkCharLength("\xFE" "a", 0), 2u);
    EXPECT_EQ(GbkCharLength("\xFF" "a", 0), 1u);
    EXPECT_EQ(GbkCharLength("a\xC6", 1), 1u); // a lead byte at the very end
    // The trail byte 0x41 ('A') of "\x81\x41" is no character of its own.
    const std::string text = "x\x81\x41\xC6\xBB\x80y";
    EXPECT_EQ(GbkCharCount(text), 5u);
    EXPECT_EQ(GbkCharStart(text, 2), 1u);
    EXPECT_EQ(GbkCharStart(text, 4), 3u);
    EXPECT_EQ(GbkCharStart(text, 5), 5u);
    EXPECT_EQ(GbkCharStart(text, text.size()), text.size());
    // A prefix never ends inside a character.
    EXPECT_EQ(GbkPrefix(text, 2), "x");
    EXPECT_EQ(GbkPrefix(text, 3), "x\x81\x41");
    EXPECT_EQ(GbkPrefix(text, 4), "x\x81\x41");
    EXPECT_EQ(GbkPrefix(text, 100), text);
}

} // namespace
} // namespace platform
