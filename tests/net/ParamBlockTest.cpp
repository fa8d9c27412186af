#include "net/ParamBlock.h"
#include "net/BlockQuery.h"
#include "net/Md5.h"
#include "net/TSHParam.h"

#include <gtest/gtest.h>

namespace net {
namespace {

TEST(Md5Test, Rfc1321Vectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456789"
         "0",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, digest] : vectors) {
        EXPECT_EQ(Md5Hex(text, false), digest) << text;
        std::string upper = digest;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(Md5Hex(text, true), upper) << text;
    }
}

TEST(FieldTest, EncodingsOfEveryTagRange) {
    EXPECT_EQ(TSHParam::AddTextField(128, "abc"), "8006616263");
    EXPECT_EQ(TSHParam::AddTextField(128, ""), "8000");
    EXPECT_EQ(TSHParam::AddIntField(30, -1), "1EFFFFFFFF");
    EXPECT_EQ(TSHParam::AddIntField(20, 0), "1400000000");
    EXPECT_EQ(TSHParam::AddIntField(3, 102001), "0300018E71");
    EXPECT_EQ(TSHParam::AddIntField(200, 0x1234), "C80800001234");
    EXPECT_EQ(TSHParam::AddTextField(5, "AB"), "054142");
    EXPECT_EQ(TSHParam::AddTextField(9, "as is"), "09as is");
    EXPECT_EQ(TSHParam::AddTextField(137, "\xC4\xE3"), "8904C4E3");
    EXPECT_EQ(TSHParam::AddTextField(255, "ab"), "FF00046162");
}

TEST(FieldTest, OverlongTextIsCutOnACharacterBoundary) {
    // 126 ASCII bytes and one double-byte character: 128 bytes, one too many.
    const std::string text = std::string(126, 'x') + "\xC4\xE3";
    const std::string field = TSHParam::AddTextField(128, text);
    EXPECT_EQ(field.substr(0, 4), "80FC"); // 126 bytes: the character is left out whole
    EXPECT_EQ(field.size(), 4 + 2 * 126u);
    const std::string longText = std::string(32766, 'y') + "\xC4\xE3";
    EXPECT_EQ(TSHParam::AddTextField(200, longText).substr(0, 6), "C8FFFC");
    EXPECT_EQ(TSHParam::AddTextField(199, std::string(127, 'z')).substr(0, 4), "C7FE");
}

TEST(BlockTest, CheckIsMd5OfTheBlockAndABlank) {
    // The notices block of client 0x0012ABCD, check from an independent MD5.
    ParamValues v;
    v.ClientId = 0x0012ABCD;
    v.NoticeKind = 1;
    const std::string fields = EncodeFields(kOpNotices, v);
    EXPECT_EQ(fields, "000000001602000000660300018E71080012ABCD2800000001");
    EXPECT_EQ(TSHParam::AppendCheck(fields), fields + "6AE689D10725D5D9E10D827EB5BF1A72");
}

TEST(BlockTest, BlockQueryTextAndCheck) {
    EXPECT_EQ(BlockQueryCheck(5, 0, 65536), "e49138dceea612f2fa334002e80791f4");
    BlockRequest block{0xFFFFFFFFu, 102001, 11, 0x90, 65536, 100};
    EXPECT_EQ(BlockQuery(block), "cid=4294967295&sid=102001&fc=11&fid=00000090&pos=65536&len=100"
                                 "&check=" +
                                     BlockQueryCheck(0xFFFFFFFFu, 65536, 100));
}

// Every operation's values, as far as its layout carries them.
ParamValues Sample(uint32_t operation) {
    ParamValues v;
    v.Operation = operation;
    for (uint8_t tag : OperationFields(operation)) {
        switch (tag) {
        case kTagProgramCrc:
            v.ProgramCrc = 0xDEADBEEF;
            break;
        case kTagClientId:
            v.ClientId = 0x80000001;
            break;
        case kTagIID:
            v.IID = 7;
            break;
        case kTagPID:
            v.PID = 0xFFFFFFFF;
            break;
        case kTagLastMessage:
            v.LastMessage = 41;
            break;
        case kTagFileClass:
            v.FileClass = 11;
            break;
        case kTagFileNumber:
            v.FileNumber = 0x90;
            break;
        case kTagOffset:
            v.Offset = 123456;
            break;
        case kTagLength:
            v.Length = 789;
            break;
        case kTagSelector:
            v.Selector = 1;
            break;
        case kTagNoticeKind:
            v.NoticeKind = 1;
            break;
        case kTagUserName:
            v.UserName = "\xD3\xC3\xBB\xA7";
            break; // 用户
        case kTagMessage:
            v.Message = std::string(127, 'm');
            break;
        default:
            break;
        }
    }
    return v;
}

std::string Block(uint32_t operation) {
    return TSHParam::AppendCheck(EncodeFields(operation, Sample(operation)));
}

TEST(DecodeTest, EveryOperationRoundTrips) {
    for (uint32_t op : {1u, 3u, 4u, 6u, 17u, 22u, 23u, 24u, 99u}) {
        const DecodedBlock decoded = DecodeParamBlock(Block(op));
        ASSERT_EQ(decoded.Error, BlockError::None) << op;
        EXPECT_EQ(decoded.Values, Sample(op)) << op;
        EXPECT_EQ(IsKnownOperation(op), op != 99u);
    }
    // Field orders: the chat text stands before the name.
    EXPECT_EQ(Block(3).substr(50, 4), "89FE");
}

TEST(DecodeTest, EveryTruncationAndByteFlipIsRefused) {
    for (uint32_t op : {1u, 3u, 23u}) {
        const std::string block = Block(op);
        for (size_t n = 0; n < block.size(); ++n)
            EXPECT_NE(DecodeParamBlock(block.substr(0, n)).Error, BlockError::None)
                << op << " " << n;
        for (size_t i = 0; i < block.size(); ++i) {
            std::string flipped = block;
            flipped[i] = flipped[i] == '0' ? '1' : '0';
            EXPECT_NE(DecodeParamBlock(flipped).Error, BlockError::None) << op << " " << i;
        }
    }
}

TEST(DecodeTest, StructureIsCheckedBeforeTheCheck) {
    const std::string fields = EncodeFields(kOpServerList, Sample(kOpServerList));
    const auto decode = [](const std::string& f) {
        return DecodeParamBlock(TSHParam::AppendCheck(f)).Error;
    };
    EXPECT_EQ(decode(fields), BlockError::None);
    // Lower-case digits, an extra field, two fields swapped, a missing field.
    std::string lower = TSHParam::AppendCheck(fields);
    lower[lower.size() - 1] = 'a';
    EXPECT_EQ(DecodeParamBlock(lower).Error, BlockError::Malformed);
    EXPECT_EQ(decode(fields + EncodeIntField(40, 1)), BlockError::Malformed);
    const std::string swapped =
        fields.substr(0, 30) + fields.substr(40, 10) + fields.substr(30, 10) + fields.substr(50);
    EXPECT_EQ(decode(swapped), BlockError::Malformed);
    EXPECT_EQ(decode(fields.substr(0, fields.size() - 10)), BlockError::Malformed);
    // Text lengths that are odd or run past the block.
    const std::string chatHead = EncodeFields(kOpPollChat, {}).substr(0, 50);
    EXPECT_EQ(decode(chatHead + "8903414243" + "8000"), BlockError::Malformed);
    EXPECT_EQ(decode(chatHead + "89FE41" + "8000"), BlockError::Malformed);
    // A chat block written out by hand from the field table.
    EXPECT_EQ(decode("0000000003"
                     "0200000066"
                     "0300018E71"
                     "0800000001"
                     "0400000000"
                     "8900"
                     "8000"),
              BlockError::None);
    EXPECT_EQ(decode(fields + "0"), BlockError::Malformed);
    EXPECT_EQ(DecodeParamBlock("").Error, BlockError::Malformed);
    EXPECT_EQ(DecodeParamBlock(std::string(32, 'A')).Error, BlockError::Malformed);
    EXPECT_EQ(DecodeParamBlock(fields + std::string(32, '0')).Error, BlockError::BadCheck);
}

} // namespace
} // namespace net
