#include "core/ServiceData.h"

#include "platform/Paths.h"
#include "platform/Text.h"
#include "storage/TCDF.h"

#include <filesystem>
#include <system_error>

namespace core {

std::string ServiceDataFile(uint32_t member) {
    return platform::DataFile("sd." + std::to_string(member / 1000000));
}

namespace {

uint64_t MemberLimit(uint32_t member) {
    switch (member) {
    case kHelpMember:
        return 1u << 20;
    case kAdPictureMember:
        return 4u << 20;
    default:
        return 64u << 10;
    }
}

} // namespace

bool ReadServiceMember(uint32_t member, std::string& bytes, storage::ReadStatus* why) {
    const std::string file = ServiceDataFile(member);
    std::error_code error;
    storage::ReadStatus status = storage::ReadStatus::Absent;
    storage::Stream stream;
    if (std::filesystem::is_regular_file(file, error)) {
        storage::TCDF data(file);
        data.SetReadLimit(MemberLimit(member));
        data.ReadStream(member, stream);
        status = data.LastReadStatus();
    }
    if (why)
        *why = status;
    if (status != storage::ReadStatus::Ok)
        return false;
    bytes = std::move(stream);
    return true;
}

bool ReadServiceLines(uint32_t member, std::vector<std::string>& lines, storage::ReadStatus* why) {
    std::string bytes;
    if (!ReadServiceMember(member, bytes, why))
        return false;
    lines = platform::SplitLines(bytes);
    return true;
}

} // namespace core
