#pragma once

#include "tools/mkdict/CedictReader.h"

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tools {

// A Chinese rendering of an English headword, UTF-8. Pos is 'v' when the
// English sense read "to ...", else 0 (the caller assigns the word's own).
struct ChineseCandidate {
    std::string Chinese;
    char Pos = 0;
    int Score = 0;
};

// An English phrase of a dictionary sense that contains the headword, with
// its Chinese ("to book ahead" -> 预订).
struct SensePhrase {
    std::string English; // as written in the sense, parentheses removed
    std::string Chinese;
    int Rank = 0; // lower is better
};

// English -> Chinese, by inverting the English senses of CC-CEDICT.
//
// A sense (or one of its ";"-separated parts) whose text equals the headword,
// after removing parentheses and a leading "to"/"a"/"an"/"the", is a
// candidate; so is the part before the first comma ("Paris, capital of
// France"). Candidates score higher for a whole-sense match, for an earlier
// sense and for an entry with fewer senses; senses marked (Tw), (old),
// (literary), (bound form), (archaic), (dialect) and the like, abbreviations,
// variants and proper nouns (capitalised pinyin, unless the headword itself is
// capitalised) are demoted, and so are rare characters (outside the first
// level of GB2312). Common words, which build many compounds, are preferred.
// Only Chinese that GBK can hold is kept.
class ChineseGlosses {
public:
    explicit ChineseGlosses(const std::vector<CedictEntry>& entries);

    // Best first; at most `limit`. `capitalised` is true for names
    // ("Paris"), which then prefer proper-noun entries.
    std::vector<ChineseCandidate> Candidates(std::string_view headword, bool capitalised,
                                             size_t limit = 8) const;

    // Senses of two to six words that contain the headword as a whole word,
    // best first.
    std::vector<SensePhrase> Phrases(std::string_view headword, size_t limit = 4) const;

    // Every sense text usable as a headword of its own: two to four words of
    // ASCII letters (lower case) with at least one candidate. Sorted.
    std::vector<std::string> PhraseHeadwords() const;

    // The normalised key of a sense part, as the index uses it. "to go" ->
    // "go" with verb = true. Exposed for tests.
    static std::string NormaliseSense(std::string_view sense, bool& verb);

private:
    struct Posting {
        uint32_t Entry;
        uint16_t Sense;
        int16_t Base; // score before the headword-specific adjustments
        char Pos;
    };
    const std::vector<CedictEntry>& entries_;
    std::unordered_map<std::string, std::vector<Posting>> exact_;
    std::unordered_map<std::string, std::vector<Posting>> contained_;
};

} // namespace tools
