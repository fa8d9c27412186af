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

bool ReadServiceMember(uint32_t member, std::string& bytes) {
    const std::string file = ServiceDataFile(member);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return false;
    storage::TCDF data(file);
    storage::Stream stream;
    if (!data.ReadStream(member, stream))
        return false;
    bytes = std::move(stream);
    return true;
}

bool ReadServiceLines(uint32_t member, std::vector<std::string>& lines) {
    std::string bytes;
    if (!ReadServiceMember(member, bytes))
        return false;
    lines = platform::SplitLines(bytes);
    return true;
}

} // namespace core
