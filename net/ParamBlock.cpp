#include "net/ParamBlock.h"

#include "net/Md5.h"
#include "platform/Gbk.h"
#include "platform/Text.h"

#include <array>

namespace net {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr size_t kCheckDigits = 32;

constexpr std::array<uint8_t, 7> kInstallFields = {0, 2, 3, 8, 20, 21, 4};
constexpr std::array<uint8_t, 7> kSendChatFields = {0, 2, 3, 8, 4, 137, 128};
constexpr std::array<uint8_t, 6> kPollChatFields = {0, 2, 3, 8, 4, 30};
constexpr std::array<uint8_t, 7> kFileAddressFields = {0, 2, 3, 8, 4, 31, 32};
constexpr std::array<uint8_t, 5> kPackageListFields = {0, 2, 3, 8, 4};
constexpr std::array<uint8_t, 5> kNoticeFields = {0, 2, 3, 8, 40};
constexpr std::array<uint8_t, 8> kLocateFields = {0, 2, 3, 8, 31, 32, 34, 35};
constexpr std::array<uint8_t, 6> kServerListFields = {0, 2, 3, 8, 31, 36};

void AppendHex(std::string& out, uint64_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += kHex[(value >> shift) & 15];
}

void AppendHexBytes(std::string& out, std::string_view bytes) {
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
}

uint32_t* IntSlot(ParamValues& v, uint8_t tag) {
    switch (tag) {
    case kTagOperation:
        return &v.Operation;
    case kTagProduct:
        return &v.Product;
    case kTagSoftware:
        return &v.Software;
    case kTagProgramCrc:
        return &v.ProgramCrc;
    case kTagClientId:
        return &v.ClientId;
    case kTagIID:
        return &v.IID;
    case kTagPID:
        return &v.PID;
    case kTagLastMessage:
        return &v.LastMessage;
    case kTagFileClass:
        return &v.FileClass;
    case kTagFileNumber:
        return &v.FileNumber;
    case kTagOffset:
        return &v.Offset;
    case kTagLength:
        return &v.Length;
    case kTagSelector:
        return &v.Selector;
    case kTagNoticeKind:
        return &v.NoticeKind;
    default:
        return nullptr;
    }
}

std::string* TextSlot(ParamValues& v, uint8_t tag) {
    return tag == kTagUserName ? &v.UserName : tag == kTagMessage ? &v.Message : nullptr;
}

// Reads fields off the front of a block body; every read checks the length
// that is left.
class FieldReader {
public:
    explicit FieldReader(std::string_view body) : rest_(body) {}

    bool AtEnd() const { return rest_.empty(); }

    // `digits` hex digits as a number; false when fewer are left.
    bool Number(size_t digits, uint64_t& value) {
        if (rest_.size() < digits)
            return false;
        value = 0;
        for (size_t i = 0; i < digits; ++i)
            value = value * 16 + static_cast<uint64_t>(platform::HexDigitValue(rest_[i]));
        rest_.remove_prefix(digits);
        return true;
    }

    bool Field(uint8_t tag, ParamValues& values) {
        uint64_t found = 0;
        if (!Number(2, found) || found != tag)
            return false;
        if (uint32_t* slot = IntSlot(values, tag)) {
            uint64_t value = 0;
            if (tag >= 128 && (!Number(2, found) || found != 8))
                return false;
            if (!Number(8, value))
                return false;
            *slot = static_cast<uint32_t>(value);
            return true;
        }
        std::string* text = TextSlot(values, tag);
        uint64_t hexDigits = 0;
        if (!text || !Number(tag < 200 ? 2 : 4, hexDigits) || hexDigits % 2 != 0 ||
            hexDigits > rest_.size())
            return false;
        text->clear();
        for (uint64_t i = 0; i < hexDigits; i += 2) {
            uint64_t byte = 0;
            Number(2, byte);
            *text += static_cast<char>(byte);
        }
        return true;
    }

private:
    std::string_view rest_;
};

} // namespace

std::span<const uint8_t> OperationFields(uint32_t operation) {
    switch (operation) {
    case kOpReportInstall:
        return kInstallFields;
    case kOpSendChat:
        return kSendChatFields;
    case kOpPollChat:
        return kPollChatFields;
    case kOpFileAddress:
        return kFileAddressFields;
    case kOpNotices:
        return kNoticeFields;
    case kOpLocateWordData:
        return kLocateFields;
    case kOpServerList:
        return kServerListFields;
    default:
        return kPackageListFields;
    }
}

bool IsKnownOperation(uint32_t operation) {
    switch (operation) {
    case kOpReportInstall:
    case kOpSendChat:
    case kOpPollChat:
    case kOpFileAddress:
    case kOpPackageList:
    case kOpNotices:
    case kOpLocateWordData:
    case kOpServerList:
        return true;
    default:
        return false;
    }
}

bool IsTextTag(uint8_t tag) {
    return tag == kTagUserName || tag == kTagMessage;
}

std::string EncodeIntField(uint8_t tag, uint32_t value) {
    std::string field;
    AppendHex(field, tag, 2);
    if (tag >= 128)
        field += "08";
    AppendHex(field, value, 8);
    return field;
}

std::string EncodeTextField(uint8_t tag, std::string_view text) {
    std::string field;
    AppendHex(field, tag, 2);
    if (tag == 9) {
        field += text;
        return field;
    }
    if (tag >= 128) {
        text = platform::GbkPrefix(text, tag < 200 ? kMaxShortText : kMaxLongText);
        AppendHex(field, 2 * text.size(), tag < 200 ? 2 : 4);
    }
    AppendHexBytes(field, text);
    return field;
}

std::string EncodeFields(uint32_t operation, const ParamValues& values) {
    ParamValues v = values;
    v.Operation = operation;
    std::string fields;
    for (uint8_t tag : OperationFields(operation)) {
        if (const uint32_t* slot = IntSlot(v, tag))
            fields += EncodeIntField(tag, *slot);
        else
            fields += EncodeTextField(tag, *TextSlot(v, tag));
    }
    return fields;
}

std::string BlockCheck(std::string_view fields) {
    std::string hashed(fields);
    hashed += ' ';
    return Md5Hex(hashed, true);
}

DecodedBlock DecodeParamBlock(std::string_view block) {
    DecodedBlock decoded;
    decoded.Error = BlockError::Malformed;
    if (block.size() <= kCheckDigits)
        return decoded;
    for (char c : block)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return decoded;
    const std::string_view body = block.substr(0, block.size() - kCheckDigits);
    // The operation decides the layout; it is the first field.
    FieldReader first(body);
    ParamValues probe;
    if (!first.Field(kTagOperation, probe))
        return decoded;
    FieldReader reader(body);
    for (uint8_t tag : OperationFields(probe.Operation))
        if (!reader.Field(tag, decoded.Values))
            return decoded;
    if (!reader.AtEnd())
        return decoded;
    decoded.Error =
        BlockCheck(body) == block.substr(body.size()) ? BlockError::None : BlockError::BadCheck;
    return decoded;
}

} // namespace net
