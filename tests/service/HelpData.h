#pragma once

#include "core/ServiceData.h"
#include "storage/TCDF.h"

#include <string>
#include <vector>

namespace service::test {

// GBK help document lines: a centred title, a rule and two paragraphs, one
// of them with a jump-style word.
inline std::vector<std::string> SampleHelpLines() {
    return {
        "\xA1\xBE"
        "Add=AddCenterLine\xA1\xBF\xA1\xBETXT=\xC8\xED\xBC\xFE\xB0\xEF\xD6\xFA\xA1\xBF"
        "\xA1\xBEStyle=1\xA1\xBF", // 软件帮助
        "// a comment line",
        "\xA1\xBE"
        "Add=AddBreak\xA1\xBF",
        "\xA1\xBE"
        "Add=AddFromNewLine\xA1\xBF\xA1\xBETXT=\xB2\xE9\xD1\xAF\xB5\xA5\xB4\xCA\xA1\xBF", // 查询单词
        "\xA1\xBE"
        "Add=Add\xA1\xBF\xA1\xBETXT= more\xA1\xBF\xA1\xBEStyle=4\xA1\xBF",
    };
}

// Writes `lines` (CR LF separated) as the help member of sd.102 in the
// program folder, after an unrelated member.
inline bool WriteHelpData(const std::vector<std::string>& lines,
                          std::uint32_t member = core::kHelpMember) {
    storage::TCDF data(core::ServiceDataFile(member));
    storage::Stream other = "advertisement";
    if (!data.AddStream(102000001u, other)) {
        return false;
    }
    storage::Stream text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return data.AddStream(member, text);
}

} // namespace service::test
