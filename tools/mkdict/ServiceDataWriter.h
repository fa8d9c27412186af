#pragma once

#include "core/ServiceData.h"

#include <string>
#include <vector>

namespace tools {

// The service and display data "sd.102": member 102000001 the advertisement
// picture (GIF), 102000002 the advertisement record (tagged text with "Url"
// and "Title"), 102000100 the help document (lines of the document markup,
// GBK, CR LF). Member 102000000 (the service address) is left out, so the
// program keeps its built-in address.
class ServiceDataWriter {
public:
    static constexpr uint32_t kAdPicture = core::kAdPictureMember;
    static constexpr uint32_t kAdRecord = core::kAdRecordMember;
    static constexpr uint32_t kHelp = core::kHelpMember;

    // The help document, UTF-8 lines.
    static std::vector<std::string> HelpLines();
    static std::string AdRecord();
    // False on a write error; an existing file is replaced.
    static bool Write(const std::string& path);
    // The same with another help document (UTF-8 lines).
    static bool Write(const std::string& path, const std::vector<std::string>& helpLines);
};

} // namespace tools
