#include "storage/StrCRC.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

namespace storage {
namespace {

TEST(StrCRCTest, KnownVectors) {
    EXPECT_EQ(StrCRC("abc"), 0x359A672Fu);
    EXPECT_EQ(WordHash("Apple"), 0x90F3D8B2u);
    EXPECT_EQ(WordHash("APPLE"), WordHash("apple"));
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
    // An empty text leaves the register at 0, complemented.
    EXPECT_EQ(StrCRC(""), 0xFFFFFFFFu);
    EXPECT_EQ(Crc32(""), 0u);
}

TEST(StrCRCTest, Crc32ChainsPieces) {
    EXPECT_EQ(Crc32("6789", Crc32("12345")), 0xCBF43926u);
}

TEST(StrCRCTest, WordHashLowersOnlyAsciiLetters) {
    // Bytes of a GBK character (0xB0 0xA1) are left as they are.
    const std::string gbk = "\xB0\xA1Z";
    EXPECT_EQ(WordHash(gbk), StrCRC("\xB0\xA1z"));
}

TEST(StrCRCTest, FileCrcCoversTheWholeFile) {
    test::TestFolder folder;
    std::string big(200000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 + 3);
    test::WriteFileBytes(folder / "big.bin", big);
    EXPECT_EQ(FileCrc32(folder / "big.bin"), Crc32(big));
    test::WriteFileBytes(folder / "empty.bin", "");
    EXPECT_EQ(FileCrc32(folder / "empty.bin"), 0u);
    EXPECT_EQ(FileCrc32(folder / "missing.bin"), 0u);
}

} // namespace
} // namespace storage
