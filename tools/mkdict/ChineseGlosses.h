#pragma once

#include "tools/mkdict/CedictReader.h"
#include "tools/mkdict/ChineseFrequencies.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tools {

// A Chinese rendering of an English headword, UTF-8. Pos is 'v' when the
// English sense read "to ...", 'a' for "to be ..." ("to be afraid"), else 0
// (the caller assigns the word's own).
struct ChineseCandidate {
    std::string Chinese;
    char Pos = 0;
    int Score = 0;
    // The sense it renders belongs to a special field, a figurative use or
    // an example use ("(basketball) a block" 火锅, "manipulation (e.g. ball
    // handling)"): no gloss beside a general one.
    bool Narrowed = false;
};

// An English phrase of a dictionary sense that contains the headword, with
// its Chinese ("to book ahead" -> 预订).
struct SensePhrase {
    std::string English; // as written in the sense, parentheses removed
    std::string Chinese;
    uint32_t Count = 0;  // how common the Chinese word is (0: unknown)
    bool Marked = false; // slang, literary, dialect, ... (see ChineseGlosses)
    int Rank = 0;        // lower is better
};

// English -> Chinese, by inverting the English senses of CC-CEDICT.
//
// A sense, or one of its ";"-separated parts, whose text equals the headword
// after removing parentheses and a leading "to"/"a"/"an"/"the" is a candidate
// (both count alike); so is the part before the first comma ("Paris, capital
// of France"), a copula sense for an adjective ("to be afraid" for "afraid")
// and, weakest, a qualified sense for its head word ("creative inspiration"
// for "inspiration", when the qualifier is an adjective).
//
// Candidates rank by how common the Chinese word is (the frequency list; the
// number of CC-CEDICT words built on it when there is none), then by how early
// the English sense stands in its entry (the entry's main meaning first).
// Single characters, long words, idioms, parenthesised qualifications ("(of a
// woman) slim"), rare characters (outside the first level of GB2312) and
// proper nouns for lower-case headwords are demoted; a two-character word
// ranks above a single character it contains (照片 before 照). Senses marked
// slang, Internet slang, vulgar, derogatory, dialect, archaic, literary, old,
// regional (Tw, HK, Cantonese), jocular or euphemistic, and rare loanwords
// (骚瑞 for "sorry"), are dropped unless nothing else glosses the word.
// Only Chinese that GBK can hold is kept.
class ChineseGlosses {
public:
    // `frequencies` may be null; `modifier` tells whether an English word is
    // an adjective that can qualify a head word (may be empty: no qualified
    // senses); `profane` whether an English sense is offensive (may be
    // empty: only CC-CEDICT's own marks count). All must outlive this object,
    // as must `entries`.
    explicit ChineseGlosses(const std::vector<CedictEntry>& entries,
                            const ChineseFrequencies* frequencies = nullptr,
                            std::function<bool(std::string_view)> modifier = {},
                            std::function<bool(std::string_view)> profane = {});

    // Best first; at most `limit`. `capitalised` is true for names
    // ("Paris"), which then prefer proper-noun entries. `context` holds
    // lower-case English words of the headword's main sense (its synonyms and
    // definition): a candidate whose entry has another sense with one of them
    // is taken to mean that sense ("scholarship": 奖学金, "student grant").
    std::vector<ChineseCandidate> Candidates(std::string_view headword, bool capitalised,
                                             size_t limit = 8,
                                             const std::vector<std::string>& context = {}) const;

    // Senses of two to six words that contain the headword as a whole word,
    // most common Chinese first.
    std::vector<SensePhrase> Phrases(std::string_view headword, size_t limit = 4) const;

    // Every sense text usable as a headword of its own: two to four words of
    // ASCII letters (lower case) with an unmarked whole-sense candidate.
    // Sorted.
    std::vector<std::string> PhraseHeadwords() const;

    // Every single English word (lower-case letters, maybe an apostrophe or
    // a hyphen) with an unmarked whole-sense candidate. Sorted.
    std::vector<std::string> WordHeadwords() const;

    // Chinese words CC-CEDICT marks vulgar or derogatory in some sense, or
    // with a sense the profanity test finds offensive (手活 "hand job").
    bool Offensive(std::string_view chinese) const {
        return offensive_.contains(std::string(chinese));
    }

    // The normalised key of a sense part, as the index uses it. "to go" ->
    // "go" with verb = true. Exposed for tests.
    static std::string NormaliseSense(std::string_view sense, bool& verb);

private:
    enum Kind : uint8_t { Whole, Part, Comma, Copula, Qualified };
    struct Posting {
        uint32_t Entry;
        uint16_t Sense;
        uint8_t Part;
        Kind How;
        char Pos;
        bool Marked;   // a register or regional mark: dropped unless alone
        bool Narrowed; // a special field or an example use (ChineseCandidate)
        int16_t Penalty; // qualifications, idioms, domain marks
    };
    int Score(const Posting& posting, bool capitalised) const;

    const std::vector<CedictEntry>& entries_;
    std::vector<int16_t> entryScore_; // commonness, length and rarity of each entry's word
    std::vector<uint32_t> entryCount_;
    std::vector<char> characterTag_; // frequency-list tag of single characters, else 0
    std::unordered_map<std::string, std::vector<Posting>> exact_;
    std::unordered_map<std::string, std::vector<Posting>> contained_;
    std::unordered_set<std::string> offensive_;
};

} // namespace tools
