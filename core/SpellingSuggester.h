#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace core {

class WordIndex;

// Spelling suggestions among the single-word headwords of a word index, by
// symmetric deletion: every spelling is indexed under itself and each of its
// one-letter deletions; a query looks up itself and its one- and two-letter
// deletions, and every spelling found is checked by its true edit distance
// (letters inserted, deleted, replaced, or two neighbours swapped). That
// finds everything within one edit, and the two-edit spellings a deletion
// on each side reaches (a letter dropped and one doubled, two letters
// added). A plain class; the owner builds it once from a loaded index.
class SpellingSuggester {
public:
    struct Suggestion {
        uint32_t Line = 0; // headword line in the index
        int Distance = 0;
    };

    // Indexes the words of `index`, whose headword list must be read whole
    // (WordIndex::ReadHeadwords). A word is 2 to 40 ASCII letters, hyphens
    // and apostrophes; of several lines with one spelling (case ignored) the
    // lowest rank is kept.
    void Build(const WordIndex& index);
    bool Built() const { return built_; }

    // Up to `limit` headword lines within edit distance 2 of `word` (1 for
    // words of four letters or fewer), ASCII case ignored: the closest
    // first, then the lower rank, then the lower line. None for a word with
    // other characters.
    std::vector<Suggestion> Suggest(std::string_view word, size_t limit = 8) const;

    // Edit distance with adjacent transpositions (optimal string alignment).
    static int Distance(std::string_view a, std::string_view b);

private:
    struct Spelling {
        uint32_t Offset = 0; // into spellings_
        uint16_t Length = 0;
        uint32_t Line = 0;
        uint32_t Rank = 0;
    };
    std::string_view Text(const Spelling& spelling) const {
        return std::string_view(spellings_).substr(spelling.Offset, spelling.Length);
    }

    std::string spellings_;       // lower-cased spellings, end to end
    std::vector<Spelling> words_; // one per distinct spelling
    // hash << 32 | word number of every spelling and one-letter deletion,
    // sorted by hash.
    std::vector<uint64_t> variants_;
    bool built_ = false;
};

} // namespace core
