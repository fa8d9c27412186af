// Containers assembled byte by byte here, independently of TCDF's writer:
// they pin the stored format, and damaged copies of them must read back as
// clean failures.
#include "storage/TCDF.h"

#include "TestFolder.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace storage {
namespace {

// Bit-at-a-time CRC with the register started at 0 (no table, unlike the
// library's).
uint32_t SlowStrCrc(std::string_view text) {
    uint32_t reg = 0;
    for (unsigned char b : text) {
        reg ^= b;
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 1) ? (reg >> 1) ^ 0xEDB88320u : reg >> 1;
    }
    return ~reg;
}

uint32_t IdOf(std::string name, uint8_t seed = 0) {
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    char text[11];
    std::snprintf(text, sizeof text, "%08X%02X", SlowStrCrc(name), seed);
    return SlowStrCrc(std::string_view(text, 10));
}

std::string Le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
    return s;
}

std::string Xored(std::string data, uint32_t key) {
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(data[i] ^ static_cast<char>(key >> (8 * (i % 4))));
    return data;
}

std::string Deflated(const std::string& plain) {
    uLongf size = compressBound(plain.size());
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(plain.data()), plain.size(), 9);
    out.resize(size);
    return Le32(static_cast<uint32_t>(plain.size())) + out;
}

std::string Record(uint32_t id, uint8_t seed, uint8_t type, const std::string& data,
                   uint16_t reserved = 0) {
    std::string header = Le32(id) + Le32(static_cast<uint32_t>(data.size()));
    header += static_cast<char>(seed);
    header += static_cast<char>(type);
    header += static_cast<char>(reserved & 0xFF);
    header += static_cast<char>(reserved >> 8);
    return header + data;
}

struct Member {
    std::string name; // read with this name ...
    uint8_t seed;     // ... under this seed
    std::string plain;
};

// A small container covering every kind of record the format holds.
class HandMadeContainer : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string text = "line one\r\nline two\n";
        const std::string picture(300, '\x7E');
        bytes += Record(IdOf("Alpha"), 0, 0, "plain text");
        bytes += Record(IdOf("00000001"), 0, 1, Xored(text, 0xFFFFFFFFu));
        bytes += Record(IdOf("00000002"), 0, 2, Deflated(picture), 0xBEEF);
        bytes += Record(IdOf("owned", 9), 9, 128, Xored("keyed by id", IdOf("owned", 9)));
        bytes += Record(IdOf("empty"), 0, 0, "");
        bytes += Record(IdOf("dup"), 0, 28, "old");
        bytes += Record(IdOf("0000000A"), 0, 0, "\x01\x02");
        bytes += Record(IdOf("dup"), 0, 28, "new");
        members = {{"ALPHA", 0, "plain text"},  {"00000001", 0, text}, {"00000002", 0, picture},
                   {"owned", 9, "keyed by id"}, {"empty", 0, ""},      {"dup", 0, "new"},
                   {"0000000a", 0, "\x01\x02"}};
    }

    std::string Path() const { return folder / "hand.dat"; }

    test::TestFolder folder;
    std::string bytes;
    std::vector<Member> members;
};

TEST_F(HandMadeContainer, ReadsBackExactly) {
    test::WriteFileBytes(Path(), bytes);
    TCDF cdf(Path());
    for (const Member& m : members) {
        cdf.SetNameSeed(m.seed);
        std::string text = "untouched";
        ASSERT_TRUE(cdf.ReadString(m.name, text)) << m.name;
        EXPECT_EQ(text, m.plain) << m.name;
    }
    std::vector<std::string> lines;
    cdf.SetNameSeed(0);
    ASSERT_TRUE(cdf.ReadStrings(1u, lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"line one", "line two"}));
    uint32_t value = 0xFFFFFFFFu;
    ASSERT_TRUE(cdf.ReadInteger(10u, value));
    EXPECT_EQ(value, 0xFFFF0201u);
    ASSERT_TRUE(cdf.ReadString(2u, lines[0]));
    EXPECT_EQ(cdf.Header().Reserved, 0xBEEF);
}

TEST_F(HandMadeContainer, KeyOfTheLastType128MemberCodesType20) {
    bytes += Record(IdOf("later"), 0, 20, Xored("xor with owned", IdOf("owned", 9)));
    test::WriteFileBytes(Path(), bytes);
    TCDF cdf(Path());
    std::string text;
    // Before any type-128 member the key is 0: the data comes back as stored.
    ASSERT_TRUE(cdf.ReadString("later", text));
    EXPECT_EQ(text, Xored("xor with owned", IdOf("owned", 9)));
    cdf.SetNameSeed(9);
    ASSERT_TRUE(cdf.ReadString("owned", text));
    cdf.SetNameSeed(0);
    ASSERT_TRUE(cdf.ReadString("later", text));
    EXPECT_EQ(text, "xor with owned");
}

TEST_F(HandMadeContainer, WriterProducesTheSameBytes) {
    TCDF cdf(Path());
    cdf.SetCodeType(0);
    Stream s = "plain text";
    ASSERT_TRUE(cdf.AddStream("Alpha", s));
    cdf.SetCodeType(1);
    s = members[1].plain;
    ASSERT_TRUE(cdf.AddStream(1u, s));
    EXPECT_EQ(test::ReadFileBytes(Path()), bytes.substr(0, 12 + 10 + 12 + 19));
}

TEST_F(HandMadeContainer, ListsEveryRecordInFileOrder) {
    test::WriteFileBytes(Path(), bytes);
    const auto records = TCDF(Path()).Records();
    ASSERT_EQ(records.size(), 8u);
    EXPECT_EQ(records[0].Offset, 0u);
    EXPECT_EQ(records[1].Offset, 22u);
    EXPECT_EQ(records[3].Header.NameSeed, 9);
    EXPECT_EQ(records[3].Header.CodeType, 128);
    EXPECT_EQ(records[4].Header.Size, 0u);
}

// Every prefix of the file: members wholly inside read back exactly, the
// others fail cleanly.
TEST_F(HandMadeContainer, TruncatedAtEveryOffset) {
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
        test::WriteFileBytes(Path(), bytes.substr(0, cut));
        TCDF cdf(Path());
        for (const Member& m : members) {
            cdf.SetNameSeed(m.seed);
            Stream s;
            if (!cdf.ReadStream(m.name, s))
                continue;
            // Until the newer duplicate's header is whole, the older one counts.
            if (m.name == "dup" && cut < bytes.size() - 3) {
                EXPECT_EQ(s, "old") << cut;
            } else {
                EXPECT_EQ(s, m.plain) << "cut " << cut << " " << m.name;
            }
        }
        // The first member is whole once its 22 bytes are there.
        Stream first;
        cdf.SetNameSeed(0);
        EXPECT_EQ(cdf.ReadStream("alpha", first), cut >= 22) << cut;
    }
}

TEST_F(HandMadeContainer, FlippedBytesFailCleanly) {
    for (size_t at = 0; at < bytes.size(); ++at) {
        for (unsigned char mask : {0x01, 0x80, 0xFF}) {
            std::string damaged = bytes;
            damaged[at] = static_cast<char>(damaged[at] ^ static_cast<char>(mask));
            test::WriteFileBytes(Path(), damaged);
            TCDF cdf(Path());
            for (const Member& m : members) {
                cdf.SetNameSeed(m.seed);
                std::string text;
                std::vector<std::string> lines;
                uint32_t value = 0;
                (void)cdf.ReadString(m.name, text);
                (void)cdf.ReadStrings(m.name, lines);
                (void)cdf.ReadInteger(m.name, value);
            }
        }
    }
}

TEST_F(HandMadeContainer, SizeBeyondTheFileIsRefused) {
    std::string lying = Record(IdOf("big"), 0, 0, "short");
    lying.replace(4, 4, Le32(0xFFFFFFF0u));
    test::WriteFileBytes(Path(), bytes + lying);
    TCDF cdf(Path());
    Stream s = "kept";
    EXPECT_TRUE(cdf.FindMember(IdOf("big"))); // the torn record is indexed ...
    EXPECT_FALSE(cdf.ReadStream("big", s));   // ... but cannot be read
    EXPECT_EQ(s, "kept");
    // Records before it are unaffected.
    ASSERT_TRUE(cdf.ReadStream("alpha", s));
    EXPECT_EQ(s, "plain text");
}

TEST_F(HandMadeContainer, ImpossibleCompressedLengthIsRefused) {
    std::string packed = Deflated("tiny");
    packed.replace(0, 4, Le32(0x7FFFFFFFu));
    test::WriteFileBytes(Path(), Record(IdOf("z"), 0, 2, packed));
    TCDF cdf(Path());
    Stream s;
    EXPECT_FALSE(cdf.ReadStream("z", s));
    EXPECT_TRUE(s.empty());

    // So are bytes after the end of the zlib stream.
    test::WriteFileBytes(Path(), Record(IdOf("z"), 0, 2, Deflated("clean") + "junk"));
    TCDF junk(Path());
    EXPECT_FALSE(junk.ReadStream("z", s));
    EXPECT_EQ(junk.LastReadStatus(), ReadStatus::Damaged);

    // A zero length word is damage as well, not a member stored as is.
    packed.replace(0, 4, Le32(0));
    test::WriteFileBytes(Path(), Record(IdOf("z"), 0, 2, packed));
    TCDF again(Path());
    EXPECT_FALSE(again.ReadStream("z", s));
}

class TornTail : public HandMadeContainer {};

TEST_F(TornTail, AppendAfterCutDataReplacesTheTornRecord) {
    const std::string torn = Record(IdOf("cut"), 0, 0, std::string(100, 'c')).substr(0, 40);
    test::WriteFileBytes(Path(), bytes + torn);
    TCDF cdf(Path());
    ASSERT_EQ(cdf.Records().size(), 9u);
    ASSERT_TRUE(cdf.AddInteger("after", 77));
    EXPECT_EQ(test::ReadFileBytes(Path()).size(), bytes.size() + 16);
    uint32_t value = 0;
    ASSERT_TRUE(cdf.ReadInteger("after", value));
    EXPECT_EQ(value, 77u);
    Stream s;
    EXPECT_FALSE(cdf.ReadStream("cut", s));
    std::string text;
    ASSERT_TRUE(cdf.ReadString("dup", text));
    EXPECT_EQ(text, "new");
}

TEST_F(TornTail, AppendAfterCutHeaderDropsTheStrayBytes) {
    for (size_t stray = 1; stray < 12; ++stray) {
        test::WriteFileBytes(Path(), bytes + std::string(stray, '\x55'));
        TCDF cdf(Path());
        ASSERT_TRUE(cdf.AddInteger(99u, 5)) << stray;
        EXPECT_EQ(test::ReadFileBytes(Path()), bytes + Record(IdOf("00000063"), 0, 0, Le32(5)));
    }
}

// One damaged size field in the middle makes the rest of the file look like a
// torn record; the records behind it must survive the next append.
TEST_F(TornTail, DamagedSizeBeforeIntactRecordsRefusesTheAppend) {
    std::string file;
    std::vector<size_t> offsets;
    for (int i = 0; i < 20; ++i) {
        offsets.push_back(file.size());
        file += Record(IdOf("m" + std::to_string(i)), 0, 0, std::string(500, char('a' + i)));
    }
    for (uint32_t bit = 1; bit != 0; bit <<= 1) {
        std::string damaged = file;
        damaged.replace(offsets[5] + 4, 4, Le32(500 ^ bit));
        test::WriteFileBytes(Path(), damaged);
        TCDF cdf(Path());
        // Either the append is refused, or (the chain still ends at the end
        // of the file) it only adds bytes: nothing before is ever cut.
        const bool appended = cdf.AddInteger("after", 1);
        const std::string after = test::ReadFileBytes(Path());
        EXPECT_EQ(after.substr(0, damaged.size()), damaged) << bit;
        EXPECT_EQ(after.size(), damaged.size() + (appended ? 16 : 0)) << bit;
        std::string text;
        EXPECT_TRUE(cdf.ReadString("m4", text));
    }
}

TEST_F(TornTail, IntactFileIsNotTouchedBeforeTheAppend) {
    test::WriteFileBytes(Path(), bytes);
    TCDF cdf(Path());
    ASSERT_TRUE(cdf.AddInteger(99u, 5));
    EXPECT_EQ(test::ReadFileBytes(Path()), bytes + Record(IdOf("00000063"), 0, 0, Le32(5)));
}

} // namespace
} // namespace storage
