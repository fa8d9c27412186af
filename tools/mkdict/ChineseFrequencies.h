#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tools {

// How common Chinese words are, from one or more word-count lists (UTF-8,
// simplified characters):
// - the word-frequency dictionary of a Chinese word segmenter, one
//   "word count tag" line per word; it also gives the part-of-speech tags.
//   Its counts of single characters are inflated (the segmenter counts them
//   where no word matched) and it lacks many verb compounds (想出);
// - corpus counts, "word<TAB>count[<TAB>...]" lines (film subtitles, books),
//   possibly inside a JavaScript template string.
// With the segmenter alone, Count() is its count. With corpora too, it is the
// median of the lists that hold the word, each scaled to the segmenter's
// total, so no single list's quirk decides: a character the segmenter
// inflates (浜) falls back to what the corpora say, a compound the segmenter
// lacks still counts by the corpora.
class ChineseFrequencies {
public:
    void Parse(std::string_view text);
    bool Load(const std::string& path);
    void ParseCorpus(std::string_view text);
    bool LoadCorpus(const std::string& path);

    // The (combined) count of the word; 0 when no list has it.
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
    struct Corpus {
        std::unordered_map<std::string, uint32_t> Counts;
        double Total = 0;
    };
    std::unordered_map<std::string, Entry> counts_;
    double total_ = 0;
    std::vector<Corpus> corpora_;
};

} // namespace tools
