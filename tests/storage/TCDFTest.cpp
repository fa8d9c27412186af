#include "storage/TCDF.h"

#include "storage/StrCRC.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

namespace storage {
namespace {

class TCDFTest : public ::testing::Test {
protected:
    test::TestFolder folder;
};

TEST_F(TCDFTest, RelativeNamesAreDataFiles) {
    TCDF cdf("10\\0000ABCD.dat");
    EXPECT_EQ(cdf.FileName(), folder.Path() + "10/0000ABCD.dat");
    cdf.SetFileName("/elsewhere/x.dat");
    EXPECT_EQ(cdf.FileName(), "/elsewhere/x.dat");
    // A user folder apart from the program folder: its copy comes first.
    testsupport::TestFolders install(true);
    std::filesystem::create_directories(install.User("10"));
    test::WriteFileBytes(install.User("10/0000ABCD.dat"), "");
    EXPECT_EQ(TCDF("10\\0000ABCD.dat").FileName(), install.User("10/0000ABCD.dat"));
    EXPECT_EQ(TCDF("voc.dat").FileName(), install / "voc.dat");
}

// A member larger than the reader can use is refused before it is decoded:
// a small zlib member claiming gigabytes costs nothing.
TEST_F(TCDFTest, ReadLimitRefusesLargeMembersBeforeDecoding) {
    TCDF cdf("limit.dat");
    cdf.SetCodeType(2);
    Stream big(3u << 20, '\n');
    ASSERT_TRUE(cdf.AddStream("big", big));
    cdf.SetCodeType(0);
    Stream plain(1000, 'p');
    ASSERT_TRUE(cdf.AddStream("plain", plain));
    Stream out = "untouched";
    cdf.SetReadLimit(1u << 20);
    EXPECT_FALSE(cdf.ReadStream("big", out));
    EXPECT_EQ(cdf.LastReadStatus(), ReadStatus::TooLarge);
    EXPECT_EQ(out, "untouched");
    cdf.SetReadLimit(999);
    EXPECT_FALSE(cdf.ReadStream("plain", out));
    EXPECT_EQ(cdf.LastReadStatus(), ReadStatus::TooLarge);
    cdf.SetReadLimit(1000);
    EXPECT_TRUE(cdf.ReadStream("plain", out));
    EXPECT_EQ(cdf.LastReadStatus(), ReadStatus::Ok);
    EXPECT_FALSE(cdf.ReadStream("none", out));
    EXPECT_EQ(cdf.LastReadStatus(), ReadStatus::Absent);
    cdf.SetReadLimit(kDefaultReadLimit);
    ASSERT_TRUE(cdf.ReadStream("big", out));
    EXPECT_EQ(out.size(), 3u << 20);
}

TEST_F(TCDFTest, NameToIdLowersTheNameAndMixesInTheSeed) {
    TCDF cdf;
    const uint32_t h = StrCRC("apple");
    char text[11];
    std::snprintf(text, sizeof text, "%08X%02X", h, 0);
    EXPECT_EQ(cdf.NameToId("Apple"), StrCRC(text));
    EXPECT_EQ(cdf.NameToId("APPLE"), cdf.NameToId("apple"));
    cdf.SetNameSeed(0x1F);
    std::snprintf(text, sizeof text, "%08X%02X", h, 0x1F);
    EXPECT_EQ(cdf.NameToId("apple"), StrCRC(text));
    EXPECT_EQ(TCDF::NumberName(5), "00000005");
    EXPECT_EQ(TCDF::NumberName(0xFFFFFFFFu), "FFFFFFFF");
}

TEST_F(TCDFTest, NumbersNameTheSameMemberAsTheirHexText) {
    TCDF cdf("a.dat");
    ASSERT_TRUE(cdf.AddInteger(255, 42));
    uint32_t value = 0;
    EXPECT_TRUE(cdf.ReadInteger("000000ff", value));
    EXPECT_EQ(value, 42u);
    value = 0;
    EXPECT_TRUE(cdf.ReadInteger("000000FF", value));
    EXPECT_EQ(value, 42u);
    EXPECT_FALSE(cdf.ReadInteger(254, value));
}

TEST_F(TCDFTest, EveryCodingTypeRoundTripsThroughTheFile) {
    const Stream plain = "member data \x00\x01\x80\xFF with an odd length!";
    for (int type : {0, 1, 2, 20, 21, 22, 23, 24, 25, 26, 27, 28, 128, 200}) {
        TCDF writer("types.dat");
        writer.SetCodeType(static_cast<uint8_t>(type));
        Stream s = plain;
        ASSERT_TRUE(writer.AddStream("member" + std::to_string(type), s)) << type;
        TCDF reader("types.dat");
        Stream back;
        ASSERT_TRUE(reader.ReadStream("member" + std::to_string(type), back)) << type;
        EXPECT_EQ(back, plain) << type;
        EXPECT_EQ(reader.Header().CodeType, type);
    }
}

TEST_F(TCDFTest, AppendCodesTheCallersStreamAndStoresTheHeader) {
    TCDF cdf("h.dat");
    cdf.SetCodeType(128);
    cdf.SetNameSeed(7);
    Stream s = "abcdef";
    ASSERT_TRUE(cdf.AddStream("word", s));
    const uint32_t id = cdf.NameToId("word");
    EXPECT_EQ(cdf.Header().Id, id);
    EXPECT_EQ(cdf.Header().Size, 6u);
    // The caller's stream now holds the stored bytes: XOR with the id.
    TCode coder;
    coder.Key = id;
    Stream expected = "abcdef";
    coder.Encode(20, expected);
    EXPECT_EQ(s, expected);

    const std::string file = test::ReadFileBytes(folder / "h.dat");
    ASSERT_EQ(file.size(), 18u);
    EXPECT_EQ(static_cast<uint8_t>(file[8]), 7);
    EXPECT_EQ(static_cast<uint8_t>(file[9]), 128);
    EXPECT_EQ(file.substr(12), expected);
}

TEST_F(TCDFTest, Type20AfterType128ReusesTheMemberIdAsKey) {
    TCDF cdf("k.dat");
    cdf.SetCodeType(128);
    Stream first = "first";
    ASSERT_TRUE(cdf.AddStream("one", first));
    cdf.SetCodeType(20);
    Stream second = "second";
    ASSERT_TRUE(cdf.AddStream("two", second));
    TCode coder;
    coder.Key = cdf.NameToId("one");
    Stream expected = "second";
    coder.Encode(20, expected);
    EXPECT_EQ(second, expected);
}

TEST_F(TCDFTest, ReadLoadsTheStoredHeaderForLaterAppends) {
    {
        TCDF writer("r.dat");
        writer.SetNameSeed(3);
        writer.SetCodeType(1);
        ASSERT_TRUE(writer.AddInteger("x", 1));
    }
    TCDF cdf("r.dat");
    cdf.SetNameSeed(3);
    uint32_t v = 0;
    ASSERT_TRUE(cdf.ReadInteger("x", v));
    EXPECT_EQ(cdf.Header().CodeType, 1);
    ASSERT_TRUE(cdf.AddInteger("y", 2));
    TCDF check("r.dat");
    const auto records = check.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].Header.CodeType, 1);
    EXPECT_EQ(records[1].Header.NameSeed, 3);
}

TEST_F(TCDFTest, ZeroLengthMemberSucceedsAndLeavesOutputs) {
    TCDF cdf("z.dat");
    Stream empty;
    ASSERT_TRUE(cdf.AddStream("empty", empty));
    Stream s = "kept";
    EXPECT_TRUE(cdf.ReadStream("empty", s));
    EXPECT_EQ(s, "kept");
    std::string text = "old";
    EXPECT_TRUE(cdf.ReadString("empty", text));
    EXPECT_EQ(text, "");
    std::vector<std::string> lines = {"old"};
    EXPECT_TRUE(cdf.ReadStrings("empty", lines));
    EXPECT_TRUE(lines.empty());
    uint32_t value = 0x12345678u;
    EXPECT_TRUE(cdf.ReadInteger("empty", value));
    EXPECT_EQ(value, 0x12345678u);
    test::WriteFileBytes(folder / "out.bin", "previous");
    EXPECT_TRUE(cdf.ReadToFile("empty", folder / "out.bin"));
    EXPECT_EQ(test::ReadFileBytes(folder / "out.bin"), "");
}

TEST_F(TCDFTest, ShortIntegerFillsOnlyTheBytesPresent) {
    TCDF cdf("i.dat");
    Stream two = "\x01\x02";
    ASSERT_TRUE(cdf.AddStream("two", two));
    uint32_t value = 0xAABBCCDDu;
    ASSERT_TRUE(cdf.ReadInteger("two", value));
    EXPECT_EQ(value, 0xAABB0201u);
}

TEST_F(TCDFTest, NewestDuplicateWinsAndBothRecordsStay) {
    TCDF cdf("d.dat");
    ASSERT_TRUE(cdf.AddInteger("dup", 1));
    ASSERT_TRUE(cdf.AddInteger("other", 9));
    uint32_t v = 0;
    ASSERT_TRUE(cdf.ReadInteger("dup", v));
    EXPECT_EQ(v, 1u);
    // An append empties the index; the next read finds the new record.
    ASSERT_TRUE(cdf.AddInteger("DUP", 2));
    ASSERT_TRUE(cdf.ReadInteger("dup", v));
    EXPECT_EQ(v, 2u);
    EXPECT_EQ(cdf.Records().size(), 3u);
}

TEST_F(TCDFTest, MissingFilesAndMembersFailWithoutTouchingOutputs) {
    TCDF cdf("none.dat");
    Stream s = "kept";
    EXPECT_FALSE(cdf.ReadStream(0u, s));
    EXPECT_EQ(s, "kept");
    EXPECT_FALSE(cdf.ReadToFile(0u, folder / "never.bin"));
    EXPECT_FALSE(std::filesystem::exists(folder / "never.bin"));
    EXPECT_FALSE(cdf.AddFile(1u, folder / "missing.bin"));
    EXPECT_FALSE(std::filesystem::exists(folder / "none.dat"));
    EXPECT_FALSE(cdf.AddInteger("", 1));
    // An append into a folder that does not exist fails.
    TCDF nested("no-folder\\x.dat");
    EXPECT_FALSE(nested.AddInteger(1u, 1));
}

TEST_F(TCDFTest, FilesAndLinesRoundTrip) {
    std::string bytes;
    for (int i = 0; i < 70000; ++i)
        bytes.push_back(static_cast<char>(i * 31));
    test::WriteFileBytes(folder / "in.bin", bytes);
    TCDF cdf("f.dat");
    cdf.SetCodeType(2);
    ASSERT_TRUE(cdf.AddFile(7u, folder / "in.bin"));
    ASSERT_TRUE(cdf.ReadToFile(7u, folder / "out.bin"));
    EXPECT_EQ(test::ReadFileBytes(folder / "out.bin"), bytes);

    Stream text = "one\r\ntwo\rthree\n\nfive\n";
    ASSERT_TRUE(cdf.AddStream(8u, text));
    std::vector<std::string> lines;
    ASSERT_TRUE(cdf.ReadStrings(8u, lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three", "", "five"}));

    // The container itself as the source: a copy of its bytes before the append.
    const std::string before = test::ReadFileBytes(cdf.FileName());
    ASSERT_TRUE(cdf.AddFile(9u, cdf.FileName()));
    Stream copy;
    ASSERT_TRUE(cdf.ReadStream(9u, copy));
    EXPECT_EQ(copy, before);
}

TEST_F(TCDFTest, ChangingFileEmptiesTheIndex) {
    TCDF a("a.dat");
    ASSERT_TRUE(a.AddInteger(1u, 11));
    TCDF b("b.dat");
    ASSERT_TRUE(b.AddInteger(2u, 22));
    TCDF cdf("a.dat");
    uint32_t v = 0;
    ASSERT_TRUE(cdf.ReadInteger(1u, v));
    cdf.SetFileName("b.dat");
    EXPECT_FALSE(cdf.ReadInteger(1u, v));
    ASSERT_TRUE(cdf.ReadInteger(2u, v));
    EXPECT_EQ(v, 22u);
}

TEST_F(TCDFTest, IndexMadeStaleByAnotherWriterIsRebuilt) {
    TCDF first("s.dat");
    ASSERT_TRUE(first.AddInteger(1u, 11));
    ASSERT_TRUE(first.AddInteger(2u, 22));
    uint32_t v = 0;
    ASSERT_TRUE(first.ReadInteger(2u, v));
    // The file is replaced behind the object's back with another layout.
    std::filesystem::remove(folder / "s.dat");
    TCDF second("s.dat");
    ASSERT_TRUE(second.AddInteger(3u, 33));
    ASSERT_TRUE(second.AddInteger(2u, 44));
    ASSERT_TRUE(first.ReadInteger(2u, v));
    EXPECT_EQ(v, 44u);

    // Replaced by a shorter file: the remembered offset now lies past its end.
    Stream big(4096, 'x');
    ASSERT_TRUE(first.AddStream(9u, big));
    ASSERT_TRUE(first.AddInteger(5u, 55));
    ASSERT_TRUE(first.ReadInteger(5u, v));
    std::filesystem::remove(folder / "s.dat");
    TCDF third("s.dat");
    ASSERT_TRUE(third.AddInteger(5u, 66));
    ASSERT_TRUE(first.ReadInteger(5u, v));
    EXPECT_EQ(v, 66u);
}

TEST_F(TCDFTest, PartsOfAMemberAreItsDecodedBytes) {
    Stream plain;
    for (int i = 0; i < 3000; ++i)
        plain += static_cast<char>('a' + i % 26);
    // Stored unchanged (read in part) and coded (decoded whole, then cut).
    for (int type : {0, 28, 1, 2, 128}) {
        TCDF writer("parts.dat");
        writer.SetCodeType(static_cast<uint8_t>(type));
        Stream s = plain;
        ASSERT_TRUE(writer.AddStream(static_cast<uint32_t>(type), s)) << type;
        TCDF reader("parts.dat");
        for (const auto& [offset, length] :
             {std::pair<uint64_t, size_t>{0, 10}, {2990, 100}, {1234, 0}, {3000, 5}, {9999, 5}}) {
            Stream part = "old";
            uint64_t size = 0;
            ASSERT_TRUE(
                reader.ReadStreamPart(static_cast<uint32_t>(type), offset, length, part, size))
                << type;
            EXPECT_EQ(size, plain.size()) << type;
            EXPECT_EQ(part, offset < plain.size() ? plain.substr(offset, length) : "") << type;
        }
        CdfHeader header;
        ASSERT_TRUE(reader.ReadMemberHeader(static_cast<uint32_t>(type), header));
        EXPECT_EQ(header.CodeType, type);
        EXPECT_EQ(TCode::StoresUnchanged(header.CodeType), type == 0 || type == 28) << type;
    }
    TCDF reader("parts.dat");
    Stream part;
    uint64_t size = 0;
    EXPECT_FALSE(reader.ReadStreamPart(77u, 0, 10, part, size));
    CdfHeader header;
    EXPECT_FALSE(reader.ReadMemberHeader(77u, header));
}

TEST_F(TCDFTest, MembersOfAnImageInMemoryReadAsFromTheFile) {
    const Stream plain = "entry record \x01\x80\xFF";
    for (int type : {0, 1, 2, 20, 28, 128}) {
        std::filesystem::remove(folder / "image.dat");
        TCDF writer("image.dat");
        writer.SetCodeType(static_cast<uint8_t>(type));
        // Appends code the stream in place: each gets its own copy.
        Stream old = "old", first = plain, second = plain;
        ASSERT_TRUE(writer.AddStream(3u, old));
        ASSERT_TRUE(writer.AddStream(0u, first)); // member 0 between others
        ASSERT_TRUE(writer.AddStream(3u, second));
        const std::string image = test::ReadFileBytes(folder / "image.dat");
        Stream read;
        EXPECT_EQ(TCDF::ReadFromImage(image, 0u, read), ReadStatus::Ok) << type;
        EXPECT_EQ(read, plain) << type;
        // The newest of two records with one id wins.
        EXPECT_EQ(TCDF::ReadFromImage(image, 3u, read), ReadStatus::Ok) << type;
        EXPECT_EQ(read, plain) << type;
        EXPECT_EQ(TCDF::ReadFromImage(image, 0u, read, 4), ReadStatus::TooLarge) << type;
        EXPECT_EQ(TCDF::ReadFromImage(image, 9u, read), ReadStatus::Absent) << type;
        // A record running past the end of the image.
        EXPECT_EQ(TCDF::ReadFromImage(image.substr(0, image.size() - 1), 3u, read),
                  ReadStatus::Damaged)
            << type;
    }
    Stream read;
    EXPECT_EQ(TCDF::ReadFromImage("", 0u, read), ReadStatus::Absent);
    EXPECT_EQ(TCDF::ReadFromImage("short", 0u, read), ReadStatus::Absent);
}

TEST(FindSortedTest, ScansShortListsIgnoringCase) {
    // Unsorted on purpose: a short range is scanned, not bisected.
    const std::vector<std::string> list = {"pear", "apple", "Kiwi", "fig", "date"};
    EXPECT_EQ(FindSorted("kiwi", list, 0, 4), 2);
    EXPECT_EQ(FindSorted("DATE", list, 0, 4), 4);
    EXPECT_EQ(FindSorted("plum", list, 0, 4), -1);
    EXPECT_EQ(FindSorted("pear", list, 1, 4), -1);
    EXPECT_EQ(FindSorted("pear", {}, 0, -1), -1);
    EXPECT_EQ(FindSorted("pear", list, 3, 2), -1);
}

TEST(FindSortedTest, BisectsLongSortedLists) {
    std::vector<std::string> list;
    for (int i = 0; i < 100; ++i) {
        char text[9];
        std::snprintf(text, sizeof text, "%08X", i * 3);
        list.emplace_back(text);
    }
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(FindSorted(list[static_cast<size_t>(i)], list, 0, 99), i);
    EXPECT_EQ(FindSorted("00000001", list, 0, 99), -1);
    EXPECT_EQ(FindSorted("00000000", list, 0, 99), 0);
    EXPECT_EQ(FindSorted("FFFFFFFF", list, 0, 99), -1);
    // Equality ignores case on the bisected path too.
    EXPECT_EQ(FindSorted("0000000c", list, 0, 99), 4);
    // A range past the end is clamped, never read beyond the list.
    EXPECT_EQ(FindSorted(list[99], list, 0, 500), 99);
}

TEST(FindSortedTest, BisectionRelyOnOrderNotOnContent) {
    // A wide range that is not sorted shows the halving: an element that a
    // scan would find is missed.
    std::vector<std::string> list(20, "m");
    list[5] = "z";
    EXPECT_EQ(FindSorted("z", list, 0, 19), -1);
    std::vector<std::string> shortList(list.begin(), list.begin() + 10);
    EXPECT_EQ(FindSorted("z", shortList, 0, 9), 5);
}

} // namespace
} // namespace storage
