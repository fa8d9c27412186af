#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace service {

// Member of the service data file that holds the help document (lines of
// document markup, GBK). The file is "sd." + (member / 1000000), i.e. sd.102
// in the program folder.
inline constexpr std::uint32_t kHelpMember = 102000100;

// The program folder's service data file for a member number ("sd.102").
std::string ServiceDataFile(std::uint32_t member);

// Replaces `lines` with the lines of the help document. False, with `lines`
// unchanged, when sd.102 does not exist or has no help member.
bool ReadHelpText(std::vector<std::string>& lines);

} // namespace service
