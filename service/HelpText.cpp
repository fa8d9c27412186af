#include "service/HelpText.h"

#include "platform/Paths.h"
#include "storage/TCDF.h"

#include <filesystem>
#include <system_error>

namespace service {

std::string ServiceDataFile(std::uint32_t member) {
    return platform::InProgramFolder("sd." + std::to_string(member / 1000000));
}

bool ReadHelpText(std::vector<std::string>& lines) {
    const std::string file = ServiceDataFile(kHelpMember);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return false;
    }
    storage::TCDF data(file);
    std::vector<std::string> document;
    if (!data.ReadStrings(kHelpMember, document)) {
        return false;
    }
    lines = std::move(document);
    return true;
}

} // namespace service
