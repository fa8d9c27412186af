#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tools {

// Word counts of a spoken-English corpus (film subtitles), read from a JSON
// array of {"word": "...", "count": N} objects. Spellings that differ only in
// case are added together; a word the list writes capitalised ("Paris") is
// remembered as usually capitalised.
class SpokenFrequencies {
public:
    // False for text that is not such an array.
    bool Parse(std::string_view json);
    bool Load(const std::string& path);

    // Occurrences of the word, any case; 0 when unknown.
    uint64_t Count(std::string_view word) const;
    // True when the list writes the word with a capital ("I" excepted).
    bool Capitalised(std::string_view word) const;
    size_t Size() const { return counts_.size(); }

private:
    struct Entry {
        uint64_t Count = 0;
        bool Capitalised = false;
    };
    std::unordered_map<std::string, Entry> counts_;
};

} // namespace tools
