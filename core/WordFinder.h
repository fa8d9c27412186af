#pragma once

#include "core/FormTable.h"
#include "core/SpellingSuggester.h"
#include "core/WordIndex.h"

#include <string>
#include <string_view>
#include <vector>

namespace core {

// What a line of the result list is.
enum class RowKind {
    Result,     // a headword the search found: "headword (padded to 30) gloss"
    Form,       // the query is an inflected form of Word: "went → go (go 的过去式)"
    Suggestion, // a spelling close to the query, listed like a result
    FilterHint, // the word/phrase filter hides every match; the other box shows them
    Note,       // a heading over the suggestions
    History,    // a word opened earlier (the window's history list)
    Command,    // an action of the window's own ("清除历史记录")
};

// One line of the result list. Text is GBK.
struct ListRow {
    RowKind Kind = RowKind::Result;
    std::string Word; // the headword Enter or a double-click opens; empty for hints and notes
    std::string Text; // as listed
};

// The query box's search with what a learner needs when the prefix search
// alone finds nothing useful: the word index, the inflected forms table and
// the spelling suggestions, owned together by the main window or a CLI
// command and used from one thread. The prefix search is WordIndex's, and
// its results are listed as they are; around them:
// - when the query (without trailing blanks) is an inflected form, one Form
//   row per base first;
// - when the query lists nothing and ends in blanks, the results of the
//   query without them;
// - when the word/phrase filter hides every match, a FilterHint row last;
// - when an English query matches nothing at all and is no form, a Note and
//   up to 8 Suggestion rows, the closest spellings first.
class WordFinder {
public:
    WordFinder() = default;
    // The forms table reads through the index's file: not copied or moved.
    WordFinder(const WordFinder&) = delete;
    WordFinder& operator=(const WordFinder&) = delete;

    // Loads the word index and the forms table (member 7) from `path` as
    // WordIndex::LoadWordIndex does; the suggestions are built when first
    // needed. True when the headword and gloss lists were read.
    bool Load(const std::string& path = {}, WordIndex::Reading reading = WordIndex::Reading::Whole);

    WordIndex& Index() { return index_; }
    const FormTable& Forms() const { return forms_; }

    // The query box's change handler: WordIndex::Dispatch, then the rows.
    // Blank and Failed leave the rows as they were.
    SearchOutcome Find(std::string_view queryBoxText);
    const std::vector<ListRow>& Rows() const { return rows_; }

    // The spelling suggestions for an English word, as rows (for tools);
    // builds the suggestion index on first use.
    std::vector<ListRow> SuggestionRows(std::string_view word);

private:
    void AddResults();

    WordIndex index_;
    FormTable forms_;
    SpellingSuggester suggester_;
    std::vector<ListRow> rows_;
};

// The text of a Form row: form + " → " + base + " (" + base + " 的" + kinds
// + ")". GBK.
std::string FormRowText(std::string_view form, const FormBase& base);

} // namespace core
