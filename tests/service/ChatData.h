#pragma once

#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "platform/Gbk.h"

#include <string>
#include <string_view>
#include <vector>

namespace service::test {

inline std::string Gbk(std::string_view utf8) {
    return platform::Utf8ToGbk(utf8);
}

// A chat record as the service sends it (GBK texts); rid 0 leaves "RID" out,
// as on a record written after sending.
inline std::string ChatRecord(int rid, std::string_view name, std::string_view time,
                              std::string_view message) {
    std::string record = rid > 0 ? core::MakeTagField(std::to_string(rid), "RID") : "";
    return record + core::MakeTagField(name, "Name") + core::MakeTagField(time, "Time") +
           core::MakeTagField(message, "Msg");
}

// Records 1..count from "desk", message "m<n>", RIDs 1..count.
inline std::vector<std::string> NumberedRecords(int first, int count) {
    std::vector<std::string> records;
    for (int n = first; n < first + count; ++n)
        records.push_back(ChatRecord(n, "desk", "2026-01-01 10:00:00", "m" + std::to_string(n)));
    return records;
}

inline bool WriteHistory(const std::string& path, const std::vector<std::string>& records) {
    return core::AppendListFile(records, path, true);
}

} // namespace service::test
