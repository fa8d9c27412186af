#include "tools/mkdict/SpokenFrequencies.h"

#include "tools/mkdict/TextUtil.h"

#include <charconv>

namespace tools {
namespace {

// The JSON string value after `"key":` at or after `pos`, within [pos, end).
bool StringAfter(std::string_view text, std::string_view key, size_t pos, size_t end,
                 std::string& value) {
    const size_t at = text.find(key, pos);
    if (at == std::string_view::npos || at >= end) {
        return false;
    }
    const size_t open = text.find('"', text.find(':', at + key.size()));
    if (open == std::string_view::npos || open >= end) {
        return false;
    }
    value.clear();
    for (size_t i = open + 1; i < end; ++i) {
        if (text[i] == '\\' && i + 1 < end) {
            value += text[++i];
        } else if (text[i] == '"') {
            return true;
        } else {
            value += text[i];
        }
    }
    return false;
}

bool NumberAfter(std::string_view text, std::string_view key, size_t pos, size_t end,
                 uint64_t& value) {
    const size_t at = text.find(key, pos);
    if (at == std::string_view::npos || at >= end) {
        return false;
    }
    size_t digits = text.find(':', at + key.size());
    if (digits == std::string_view::npos || digits >= end) {
        return false;
    }
    ++digits;
    while (digits < end && text[digits] == ' ') {
        ++digits;
    }
    return std::from_chars(text.data() + digits, text.data() + end, value).ec == std::errc();
}

} // namespace

bool SpokenFrequencies::Parse(std::string_view json) {
    const size_t first = json.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || json[first] != '[') {
        return false;
    }
    for (size_t pos = json.find('{', first); pos != std::string_view::npos;
         pos = json.find('{', pos + 1)) {
        const size_t end = json.find('}', pos);
        if (end == std::string_view::npos) {
            return false;
        }
        std::string word;
        uint64_t count = 0;
        if (!StringAfter(json, "\"word\"", pos, end, word) ||
            !NumberAfter(json, "\"count\"", pos, end, count)) {
            return false;
        }
        Entry& entry = counts_[AsciiLower(word)];
        entry.Count += count;
        if (!word.empty() && word[0] >= 'A' && word[0] <= 'Z' && word != "I") {
            entry.Capitalised = true;
        }
        pos = end;
    }
    return true;
}

bool SpokenFrequencies::Load(const std::string& path) {
    std::string text;
    return ReadWholeFile(path, text) && Parse(text);
}

uint64_t SpokenFrequencies::Count(std::string_view word) const {
    const auto it = counts_.find(AsciiLower(word));
    return it == counts_.end() ? 0 : it->second.Count;
}

bool SpokenFrequencies::Capitalised(std::string_view word) const {
    const auto it = counts_.find(AsciiLower(word));
    return it != counts_.end() && it->second.Capitalised;
}

} // namespace tools
