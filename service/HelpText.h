#pragma once

#include <string>
#include <vector>

namespace service {

// Replaces `lines` with the lines of the help document (document markup,
// GBK): member core::kHelpMember of sd.102. False, with `lines` unchanged,
// when sd.102 does not exist or has no help member.
bool ReadHelpText(std::vector<std::string>& lines);

} // namespace service
