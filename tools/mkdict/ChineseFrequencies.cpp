#include "tools/mkdict/ChineseFrequencies.h"

#include "tools/mkdict/TextUtil.h"

#include <algorithm>
#include <charconv>

namespace tools {

void ChineseFrequencies::Parse(std::string_view text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const size_t blank = line.find(' ');
        if (blank == std::string_view::npos || blank == 0) {
            continue;
        }
        const size_t countEnd = line.find(' ', blank + 1);
        const std::string_view digits = line.substr(
            blank + 1, (countEnd == std::string_view::npos ? line.size() : countEnd) - blank - 1);
        uint32_t count = 0;
        if (std::from_chars(digits.data(), digits.data() + digits.size(), count).ec !=
            std::errc()) {
            continue;
        }
        Entry& slot = counts_[std::string(line.substr(0, blank))];
        if (count >= slot.Count) {
            slot.Count = count;
            slot.Tag = countEnd != std::string_view::npos && countEnd + 1 < line.size()
                           ? line[countEnd + 1]
                           : char(0);
        }
    }
}

bool ChineseFrequencies::Load(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return false;
    }
    Parse(text);
    return !counts_.empty();
}

uint32_t ChineseFrequencies::Count(std::string_view word) const {
    const auto it = counts_.find(std::string(word));
    return it == counts_.end() ? 0 : it->second.Count;
}

char ChineseFrequencies::Tag(std::string_view word) const {
    const auto it = counts_.find(std::string(word));
    return it == counts_.end() ? char(0) : it->second.Tag;
}

} // namespace tools
