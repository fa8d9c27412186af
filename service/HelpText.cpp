#include "service/HelpText.h"

#include "core/ServiceData.h"

namespace service {

bool ReadHelpText(std::vector<std::string>& lines, storage::ReadStatus* why) {
    return core::ReadServiceLines(core::kHelpMember, lines, why);
}

} // namespace service
