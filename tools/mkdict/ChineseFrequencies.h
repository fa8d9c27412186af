#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tools {

// How common Chinese words are: the word-frequency dictionary of a Chinese
// word segmenter, one "word count tag" line per word (UTF-8, simplified
// characters). Counts of single characters are inflated (the segmenter counts
// them where no word matched), so callers compare them with care.
class ChineseFrequencies {
public:
    void Parse(std::string_view text);
    bool Load(const std::string& path);

    // The count of the word; 0 when the list lacks it.
    uint32_t Count(std::string_view word) const;
    // The first letter of the word's part-of-speech tag ('n' noun, 'v' verb,
    // 'a' adjective, 'd' adverb, 'r' pronoun, ...); 0 when unknown.
    char Tag(std::string_view word) const;
    size_t Size() const { return counts_.size(); }

private:
    struct Entry {
        uint32_t Count = 0;
        char Tag = 0;
    };
    std::unordered_map<std::string, Entry> counts_;
};

} // namespace tools
