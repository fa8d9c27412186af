#include "platform/Gbk.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace platform
