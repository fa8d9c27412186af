#pragma once

#include "core/LineList.h"
#include "storage/TCDF.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace core {

// How a search (or the query dispatch) ended.
enum class SearchStatus {
    Blank,        // dispatch only: the query was empty after trimming; nothing ran
    NotQualified, // the query cannot be searched; the result list is now empty
    Ran,          // the search ran; the result list holds its results (maybe none)
    Failed,       // the index is missing or malformed; the result list is unchanged
};

struct SearchOutcome {
    SearchStatus Status = SearchStatus::NotQualified;
    std::string Error; // what was wrong with the index, for Failed only (ASCII)

    bool Ok() const { return Status != SearchStatus::Failed; }
};

// A run of headword lines: Start .. Start + Count - 1.
struct Bucket {
    uint32_t Start = 0;
    uint32_t Count = 0;
};

struct PairBucketLookup {
    bool Found = false; // a record with that two-letter prefix exists
    Bucket Range;       // 0 and 0 unless Found
    std::string Error;  // set when the matching record's numbers are unusable
};

// The dictionary's word index ("voc.dat") and its searches. Owned by one
// user (the main window or a CLI command) and used from one thread. All text
// is GBK. A search never lists results from a malformed index: it fails and
// keeps the previous result list instead.
//
// Search aids, built from the stored members the first time a search needs
// them and kept until the next load, make a search cost what it lists rather
// than what its bucket or posting run holds; the results are those of the
// plain scans either way:
// - per two-letter bucket, its lines in upper-cased headword order, so a
//   prefix of three letters or more is two binary searches;
// - per Chinese character, whether its posting run is in rank order (member
//   6, else line order) and whether it names every line whose gloss holds
//   the character. A query of several characters then walks the shortest
//   complete run and finds each candidate's place in the first character's
//   run by binary search.
class WordIndex {
public:
    // Member numbers inside "voc.dat".
    enum Member : uint32_t {
        HeadwordMember = 0,
        GlossMember = 1,
        LetterBucketMember = 2,
        PairBucketMember = 3,
        CnCharTableMember = 4,
        CnPostingMember = 5,
        // Optional: the rank of each line as u32, 0 the most frequent
        // headword; posting runs list their lines by ascending rank.
        RankMember = 6,
        // Optional: the inflected forms table (core::FormTable).
        FormMember = 7,
    };

    // How LoadWordIndex reads the file.
    enum class Reading {
        // Every member at once, kept until the next load; search aids on.
        Whole,
        // Each member when a search first needs it, the Chinese tables only
        // the entry and run a query asks for; search aids off (a single query
        // costs less than building them). For one-shot tools.
        OnDemand,
    };

    // Replaces the loaded index with the compound data file at `path`
    // (empty: "voc.dat"; a relative path is a data file, see
    // platform::DataFile). Members that are absent, damaged or beyond the
    // size an index member may have (16 MiB, 2^21 lines) stay empty; the
    // gloss list is read only when the headword list was. True when both the
    // headword and the gloss lists were read (OnDemand: are present). The
    // result list is not touched.
    bool LoadWordIndex(const std::string& path = {}, Reading reading = Reading::Whole);
    // After a failed load: what is wrong, naming the file (ASCII, English).
    std::string LoadError() const;
    // The file of the last load.
    const std::string& IndexFile() const { return indexFile_; }

    // Turns the search aids on or off (Whole reading turns them on). They
    // need the headword and gloss lists whole, which OnDemand reading then
    // reads at once.
    void SetSearchAids(bool on);

    // The word/phrase filter of the query frame: words only at start. With
    // both or neither set nothing is filtered.
    void SetFilter(bool words, bool phrases);
    bool ShowWords() const { return showWords_; }
    bool ShowPhrases() const { return showPhrases_; }

    // Stores the query box text without its leading bytes of code 32 and below.
    void SetQueryText(std::string_view queryBoxText);
    const std::string& QueryText() const { return queryText_; }

    // The query box's change handler: sets the query text; a blank query
    // leaves the result list as it was (Blank); a first byte of 0x80 or above
    // runs SearchChinese, anything else SearchEnglish.
    SearchOutcome Dispatch(std::string_view queryBoxText);

    // Prefix search of the headwords through the letter and pair buckets.
    // Results are "XX" (headword length, upper-case hex) + result line,
    // sorted (see ResultLineLess); capped at 1001 for one- and two-letter
    // queries.
    SearchOutcome SearchEnglish();
    // Search of the glosses through the posting run of the first character,
    // in posting order; capped at 1001 for a one-character query, otherwise
    // only glosses that contain the whole query.
    SearchOutcome SearchChinese();

    // How many lines the current query would list with another filter; the
    // result list and the filter stay as they are. 0 when that search fails.
    size_t CountWithFilter(bool words, bool phrases);

    // The first pair bucket record whose "EN" field equals `prefix`, ASCII
    // case ignored.
    PairBucketLookup FindPairBucket(std::string_view prefix) const;

    // Lines of the last search: MakeTagField(headword, "En") +
    // MakeTagField(gloss, "Cn"), after an English search with the length prefix.
    const std::vector<std::string>& ResultList() const { return resultList_; }

    // The list box items for ResultList(), index for index: the headword
    // padded with spaces to 30 bytes, one space, the gloss.
    std::vector<std::string> ListItems() const;

    // MakeTagField(headword, "En") + MakeTagField(shown gloss, "Cn") for
    // each of `lines` in the given order, leaving out lines that are not in
    // both lists (OnDemand reading reads them).
    std::vector<std::string> EntryLines(const std::vector<uint32_t>& lines);

    // Reads the headword list and the ranks now, for users that need every
    // headword (OnDemand reading reads them when a search needs them); true
    // when the headword list is present.
    bool ReadHeadwords();

    // The members as read so far (OnDemand reading: what searches needed).
    size_t HeadwordCount() const { return headwords_.Size(); }
    std::string_view Headword(size_t line) const { return headwords_[line]; }
    // Rank of a line: member 6 when it holds one number per headword, else
    // the line number. Lower ranks are more frequent headwords.
    uint32_t Rank(size_t line) const;
    std::vector<std::string> HeadwordList() const { return headwords_.Copy(); }
    std::vector<std::string> GlossList() const { return glosses_.Copy(); }
    const std::string& LetterBuckets() const { return letterBuckets_; }
    const std::vector<std::string>& PairBuckets() const { return pairBuckets_; }
    const std::string& CnCharTable() const { return cnCharTable_; }
    const std::string& CnPostings() const { return cnPostings_; }
    // The file LoadWordIndex opened, for the members other classes read.
    storage::TCDF& File() { return cdf_; }

private:
    enum class MemberState : uint8_t { Unread, Present, Absent };
    static constexpr uint32_t kMembers = 7; // 0-6; the form table is read by its owner

    // A posting run: `count` little-endian line numbers.
    struct Run {
        std::string_view Postings;
        uint32_t Count = 0;
        uint32_t Line(uint32_t k) const;
    };

    // Reads a member unless it was read; true when it is present.
    bool Need(Member member);
    void ReadMember(Member member);
    bool ReadMemberData(Member member);
    // Reads a text member, recording why it failed; `lines`: a list whose
    // line count is bounded too.
    bool ReadText(Member member, std::string& text, bool lines);
    // Why member `member` is not there.
    std::string MemberProblem(uint32_t member) const;
    // OnDemand reading: makes the lines `wanted` (ascending, distinct) of
    // the headword and gloss lists available; an error text when they cannot
    // be read.
    std::string ReadLines(const std::vector<uint32_t>& wanted);
    void ReadWholeLines(Member member);
    bool LinesOnDemand() const { return linesOnDemand_[0] || linesOnDemand_[1]; }
    bool PassesFilter(std::string_view headword) const;
    // Gloss of a line as listed (line breaks shown as two spaces), in
    // `scratch` when it differs from the stored one; the line must be valid.
    std::string_view ShownGloss(size_t line, std::string& scratch) const;
    // Error text when line `line` is not in both the headword and gloss list.
    std::string CheckLine(uint64_t line) const;
    bool ValidLine(uint64_t line) const;

    SearchOutcome RunEnglish(std::vector<std::string>& results);
    SearchOutcome RunChinese(std::vector<std::string>& results);
    // The posting run of a character code; an error text when its table
    // entry or run is outside the members. `buffer` holds OnDemand reads.
    std::string FindRun(uint32_t code, Run& run, std::string& buffer);

    // Search aids.
    const std::vector<uint32_t>* SortedBucket(std::string_view pair, Bucket bucket);
    bool RunInRankOrder(uint32_t code, const Run& run);
    bool RunComplete(uint32_t code, const Run& run);
    const std::vector<uint32_t>& LinesPerCharacter();
    // The multi-character search through the shortest complete run; false
    // when no such run is shorter than the first character's.
    bool SearchThroughShortRun(std::string_view q, const Run& first,
                               std::vector<std::string>& results);

    storage::TCDF cdf_;
    Reading reading_ = Reading::Whole;
    MemberState state_[kMembers] = {};
    storage::ReadStatus status_[kMembers] = {};
    std::string indexFile_;
    bool fileMissing_ = false;
    LineList headwords_;
    LineList glosses_;
    // OnDemand reading of a list stored unchanged: each search reads the
    // lines it needs (member sizes in bytes).
    bool linesOnDemand_[2] = {};
    uint64_t listSizes_[2] = {};
    std::string letterBuckets_;
    std::vector<std::string> pairBuckets_;
    std::string cnCharTable_;
    std::string cnPostings_;
    std::string ranks_; // member 6 when it fits the headword list, else empty
    // Upper-cased "EN" value -> first pair bucket record carrying it.
    std::unordered_map<std::string, size_t> pairIndex_;

    bool aids_ = true;
    std::unordered_map<std::string, std::vector<uint32_t>> sortedBuckets_;
    size_t sortedLines_ = 0;                  // lines held by sortedBuckets_, bounded
    std::vector<uint8_t> runFlags_;           // per character code - 0x8000
    std::vector<uint32_t> linesPerCharacter_; // lines whose shown gloss holds each code

    bool showWords_ = true;
    bool showPhrases_ = false;
    std::string queryText_;
    std::vector<std::string> resultList_;
};

// The fixed order of English result lines: ASCII letters folded to lower
// case, then plain byte order as the tie-break. Independent of the user's
// locale, and total, so equal-ignoring-case lines always sort the same way.
bool ResultLineLess(std::string_view a, std::string_view b);

// ListItems() for one result line.
std::string ListItem(std::string_view resultLine);

} // namespace core
