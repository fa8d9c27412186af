#include "net/TSHParam.h"

#include "platform/Paths.h"
#include "platform/Registry.h"
#include "storage/StrCRC.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <optional>
#include <random>

namespace net {
namespace {

constexpr std::string_view kMakerKey = "Software\\Marvane";
constexpr std::string_view kProductKey = "Software\\Marvane\\102";
constexpr std::string_view kClientIdName = "00000001";

// A stored number, or a text holding a decimal 32-bit number.
std::optional<uint32_t> AsNumber(const platform::RegValue& value) {
    if (const auto* number = std::get_if<uint32_t>(&value))
        return *number;
    const std::string& text = std::get<std::string>(value);
    int64_t parsed = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || error != std::errc() || stop != end || parsed < INT32_MIN ||
        parsed > static_cast<int64_t>(UINT32_MAX))
        return std::nullopt;
    return static_cast<uint32_t>(parsed);
}

uint32_t ReadProductValue(std::string_view name) {
    platform::RegValue value;
    if (!platform::RegReadValue(platform::RegRoot::CurrentUser, kProductKey, name, value))
        return 0;
    return AsNumber(value).value_or(0);
}

} // namespace

std::string TSHParam::AddIntField(uint8_t tag, int64_t value) {
    return EncodeIntField(tag, static_cast<uint32_t>(value));
}

std::string TSHParam::AddTextField(uint8_t tag, std::string_view text) {
    return EncodeTextField(tag, text);
}

std::string TSHParam::AppendCheck(std::string block) {
    block += BlockCheck(block);
    return block;
}

std::string TSHParam::BuildParams(uint32_t operation, const ParamValues& values) const {
    ParamValues v = values;
    v.Product = kProductNumber;
    v.Software = kSoftwareNumber;
    // Only what the layout carries is read: the registry and the program
    // file are not touched for a block that does not hold them.
    for (uint8_t tag : OperationFields(operation)) {
        switch (tag) {
        case kTagClientId:
            v.ClientId = GetClientId();
            break;
        case kTagIID:
            v.IID = ReadIID();
            break;
        case kTagPID:
            v.PID = ReadPID();
            break;
        case kTagProgramCrc:
            v.ProgramCrc = ProgramCrc();
            break;
        default:
            break;
        }
    }
    return AppendCheck(EncodeFields(operation, v));
}

uint32_t TSHParam::GetClientId() const {
    platform::RegValue value;
    if (platform::RegReadValue(platform::RegRoot::CurrentUser, kMakerKey, kClientIdName, value)) {
        if (const std::optional<uint32_t> number = AsNumber(value))
            return *number;
    }
    // Made under the store's lock, so two threads (or programs) that both
    // find it missing end up with one number.
    const bool stored = platform::RegEnsureValue(
        platform::RegRoot::CurrentUser, kMakerKey, kClientIdName, platform::RegNumber,
        [](const platform::RegValue& existing) { return AsNumber(existing).has_value(); },
        [] { return platform::RegValue(NewClientId()); }, value);
    return stored ? AsNumber(value).value_or(0) : 0;
}

uint32_t TSHParam::NewClientId() {
    std::random_device device;
    std::uniform_int_distribution<int> pick(0, 999);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[96];
    std::snprintf(text, sizeof text, "%08X%04d-%02d-%02d %02d:%02d:%02d",
                  static_cast<unsigned>(pick(device)), local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return storage::StrCRC(text);
}

uint32_t TSHParam::ReadIID() {
    return ReadProductValue("IID");
}

uint32_t TSHParam::ReadPID() {
    return ReadProductValue("PID");
}

uint32_t TSHParam::ProgramCrc() {
    static const uint32_t crc = storage::FileCrc32(platform::ProgramFile());
    return crc;
}

} // namespace net
