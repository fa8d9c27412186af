#include "service/HelpText.h"

#include "core/ServiceData.h"

namespace service {

bool ReadHelpText(std::vector<std::string>& lines) {
    return core::ReadServiceLines(core::kHelpMember, lines);
}

} // namespace service
