#include "download/DownloadListEntry.h"

#include "core/TaggedText.h"
#include "platform/Text.h"

namespace download {

std::optional<DownloadListEntry> DownloadListEntry::Parse(std::string_view record) {
    DownloadListEntry entry;
    const std::pair<const char*, uint32_t*> numbers[] = {
        {"CID", &entry.CID}, {"SID", &entry.SID}, {"FC", &entry.FC},
        {"FID", &entry.FID}, {"FS", &entry.FS},   {"FCRC", &entry.FCRC},
    };
    for (const auto& [tag, field] : numbers) {
        const std::optional<uint32_t> value = platform::ParseHex32(core::GetTagValue(record, tag));
        if (!value)
            return std::nullopt;
        *field = *value;
    }
    entry.Title = core::GetTagValue(record, "Title");
    return entry;
}

} // namespace download
