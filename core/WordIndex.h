#pragma once

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
    };

    // Replaces the loaded index with the members of the compound data file at
    // `path` (empty: "voc.dat"; a relative path is a data file, see
    // platform::DataFile). Members that are absent, damaged or beyond the
    // size an index member may have (16 MiB, 2^21 lines) stay empty; the
    // gloss list is read only when the headword list was. True when both the
    // headword and the gloss lists were read. The result list is not touched.
    bool LoadWordIndex(const std::string& path = {});
    // After a failed load: what is wrong, naming the file (ASCII, English).
    std::string LoadError() const;
    // The file of the last load.
    const std::string& IndexFile() const { return indexFile_; }

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

    // The first pair bucket record whose "EN" field equals `prefix`, ASCII
    // case ignored.
    PairBucketLookup FindPairBucket(std::string_view prefix) const;

    // Lines of the last search: MakeTagField(headword, "En") +
    // MakeTagField(gloss, "Cn"), after an English search with the length prefix.
    const std::vector<std::string>& ResultList() const { return resultList_; }

    // The list box items for ResultList(), index for index: the headword
    // padded with spaces to 30 bytes, one space, the gloss.
    std::vector<std::string> ListItems() const;

    const std::vector<std::string>& HeadwordList() const { return headwordList_; }
    const std::vector<std::string>& GlossList() const { return glossList_; }
    const std::string& LetterBuckets() const { return letterBuckets_; }
    const std::vector<std::string>& PairBuckets() const { return pairBuckets_; }
    const std::string& CnCharTable() const { return cnCharTable_; }
    const std::string& CnPostings() const { return cnPostings_; }

private:
    bool PassesFilter(std::string_view headword) const;
    void PackShownGlosses();
    // Gloss of a line as listed (line breaks shown as two spaces); the line
    // must be valid.
    std::string_view ShownGloss(size_t line) const;
    // Error text when line `line` is not in both the headword and gloss list.
    std::string CheckLine(uint64_t line) const;
    // Why member `member` was not loaded.
    std::string MemberProblem(uint32_t member) const;

    std::vector<std::string> headwordList_;
    std::vector<std::string> glossList_;
    std::string letterBuckets_;
    std::vector<std::string> pairBuckets_;
    std::string cnCharTable_;
    std::string cnPostings_;
    bool loaded_[6] = {};
    storage::ReadStatus status_[6] = {};
    std::string indexFile_;
    bool fileMissing_ = false;

    // Derived at load. The glosses as listed, packed end to end so that a
    // long posting run reads them from one block of memory rather than from
    // strings spread over the heap; shownGlossEnds_[i] .. [i + 1] is line i.
    std::string shownGlosses_;
    std::vector<uint32_t> shownGlossEnds_; // shown text is never longer than the stored member
    // Upper-cased "EN" value -> first pair bucket record carrying it.
    std::unordered_map<std::string, size_t> pairIndex_;

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
