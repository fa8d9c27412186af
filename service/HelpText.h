#pragma once

#include "storage/TCDF.h"

#include <string>
#include <vector>

namespace service {

// Replaces `lines` with the lines of the help document (document markup,
// GBK): member core::kHelpMember of sd.102. False, with `lines` unchanged,
// when sd.102 does not exist or its help member is absent, damaged or too
// large; `why`, when given, tells which.
bool ReadHelpText(std::vector<std::string>& lines, storage::ReadStatus* why = nullptr);

} // namespace service
