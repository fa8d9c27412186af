#include "storage/TCode.h"

#include "platform/Paths.h"
#include "platform/SystemInfo.h"
#include "storage/StrCRC.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace storage {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

TEST(TCodeTest, XorUsesLittleEndianKeyBytesAndShortFinalGroup) {
    TCode coder;
    coder.Key = 0x11223344u;
    Stream s = Bytes({0x00, 0x00, 0x00, 0x00, 0xFF, 0x0F});
    EXPECT_TRUE(coder.Encode(20, s));
    EXPECT_EQ(s, Bytes({0x44, 0x33, 0x22, 0x11, 0xBB, 0x3C}));
    EXPECT_TRUE(coder.Decode(20, s));
    EXPECT_EQ(s, Bytes({0x00, 0x00, 0x00, 0x00, 0xFF, 0x0F}));
    // Type 128 is XOR with the same key.
    EXPECT_TRUE(coder.Encode(128, s));
    EXPECT_EQ(s, Bytes({0x44, 0x33, 0x22, 0x11, 0xBB, 0x3C}));
}

TEST(TCodeTest, NotInvertsEveryByteAndIsItsOwnInverse) {
    TCode coder;
    Stream s = Bytes({0x00, 0x01, 0xFE, 0x80, 0x7F});
    coder.Encode(1, s);
    EXPECT_EQ(s, Bytes({0xFF, 0xFE, 0x01, 0x7F, 0x80}));
    coder.Decode(1, s);
    EXPECT_EQ(s, Bytes({0x00, 0x01, 0xFE, 0x80, 0x7F}));
}

TEST(TCodeTest, UncodedTypesLeaveDataUnchanged) {
    TCode coder;
    coder.Key = 0xDEADBEEFu;
    for (int type : {0, 3, 19, 24, 25, 26, 27, 28, 127, 129, 255}) {
        Stream s = "some data";
        coder.Encode(static_cast<uint8_t>(type), s);
        EXPECT_EQ(s, "some data") << "type " << type;
        coder.Decode(static_cast<uint8_t>(type), s);
        EXPECT_EQ(s, "some data") << "type " << type;
    }
}

TEST(TCodeTest, MachineKeysComeFromProgramFileAndDrives) {
    TCode coder;
    const uint32_t programCrc = FileCrc32(platform::ProgramFile());
    EXPECT_NE(programCrc, 0u);
    EXPECT_EQ(coder.KeyForType(21), programCrc);
    EXPECT_EQ(coder.KeyForType(22), platform::DriveCapacityKiB("/usr/lib"));
    EXPECT_NE(coder.KeyForType(22), 0u);
    EXPECT_EQ(coder.KeyForType(23), platform::DriveCapacityKiB(platform::ProgramFile()));
    EXPECT_EQ(coder.KeyForType(24), 0u);
    EXPECT_EQ(platform::DriveCapacityKiB(""), 0u);
    EXPECT_EQ(platform::DriveCapacityKiB("/no/such/folder"), 0u);
    for (int type : {21, 22, 23}) {
        Stream s = "machine bound";
        coder.Encode(static_cast<uint8_t>(type), s);
        coder.Decode(static_cast<uint8_t>(type), s);
        EXPECT_EQ(s, "machine bound");
    }
}

TEST(TCodeTest, ZipStartsWithLengthAndInflatesBack) {
    Stream plain;
    for (int i = 0; i < 5000; ++i)
        plain += static_cast<char>(i % 37);
    Stream s = plain;
    ASSERT_TRUE(ZipStream(s));
    EXPECT_EQ(s.substr(0, 4), Bytes({0x88, 0x13, 0x00, 0x00}));
    // The body is a zlib stream that zlib itself inflates.
    std::string out(plain.size(), '\0');
    uLongf outSize = out.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &outSize,
                         reinterpret_cast<const Bytef*>(s.data() + 4), s.size() - 4),
              Z_OK);
    EXPECT_EQ(out, plain);
    ASSERT_TRUE(UnzipStream(s));
    EXPECT_EQ(s, plain);
}

TEST(TCodeTest, ZipAndUnzipRefuseWhatTheyCannotCode) {
    Stream empty;
    EXPECT_FALSE(ZipStream(empty));
    EXPECT_TRUE(empty.empty());
    EXPECT_FALSE(UnzipStream(empty));

    Stream zeroLength = Bytes({0, 0, 0, 0, 0x78, 0x01});
    EXPECT_FALSE(UnzipStream(zeroLength));
    EXPECT_EQ(zeroLength, Bytes({0, 0, 0, 0, 0x78, 0x01}));

    Stream tooShort = Bytes({5, 0});
    EXPECT_FALSE(UnzipStream(tooShort));
    EXPECT_EQ(tooShort, Bytes({5, 0}));
}

TEST(TCodeTest, UnzipFailsUnlessExactlyTheStatedLengthInflates) {
    Stream packed = std::string(1000, 'x');
    ASSERT_TRUE(ZipStream(packed));

    auto withLength = [&](uint32_t n) {
        Stream s = packed;
        for (int i = 0; i < 4; ++i)
            s[static_cast<size_t>(i)] = static_cast<char>(n >> (8 * i));
        return s;
    };
    for (uint32_t n : {999u, 1001u, 0xFFFFFFFFu, 20000u}) {
        Stream s = withLength(n);
        const Stream before = s;
        EXPECT_FALSE(UnzipStream(s)) << n;
        EXPECT_EQ(s, before);
    }
    // Cut short: every shorter prefix fails and stays as it was.
    for (size_t keep = 4; keep < packed.size(); ++keep) {
        Stream s = packed.substr(0, keep);
        EXPECT_FALSE(UnzipStream(s)) << keep;
        EXPECT_EQ(s.size(), keep);
    }
    // Not a zlib stream at all.
    Stream garbage = withLength(10) + "not a zlib stream";
    EXPECT_FALSE(UnzipStream(garbage));
}

TEST(TCodeTest, UnzipOfLargeOutputGrowsAsNeeded) {
    // 1 MiB of zeros packs to about 1 KiB: far beyond the first output piece.
    Stream s(1 << 20, '\0');
    ASSERT_TRUE(ZipStream(s));
    EXPECT_LT(s.size(), 8000u);
    ASSERT_TRUE(UnzipStream(s));
    EXPECT_EQ(s, std::string(1 << 20, '\0'));
}

TEST(TCodeTest, EncodeDecodeRoundTripEveryType) {
    const Stream plain = "round trip \x01\x02\xFF through every coding type";
    for (int type = 0; type < 256; ++type) {
        TCode coder;
        coder.Key = 0x5A5AA5A5u;
        Stream s = plain;
        coder.Encode(static_cast<uint8_t>(type), s);
        coder.Decode(static_cast<uint8_t>(type), s);
        EXPECT_EQ(s, plain) << "type " << type;
    }
}

} // namespace
} // namespace storage
