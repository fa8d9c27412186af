#include "core/WordFinder.h"

#include "core/TaggedText.h"
#include "platform/Gbk.h"

namespace core {
namespace {

// The rows' own texts, converted to GBK once.
struct RowTexts {
    std::string Arrow = platform::Utf8ToGbk(" → ");
    std::string Of = platform::Utf8ToGbk(" 的");
    std::string NoneStartWith = platform::Utf8ToGbk("没有以“");
    std::string DidYouMean = platform::Utf8ToGbk("”开头的词条，您要找的是不是：");
    std::string TickPhrases = platform::Utf8ToGbk("勾选“词组”可显示 ");
    std::string TickWords = platform::Utf8ToGbk("勾选“单词”可显示 ");
    std::string HiddenPhrases = platform::Utf8ToGbk(" 个匹配的词组");
    std::string HiddenWords = platform::Utf8ToGbk(" 个匹配的单词");
};

const RowTexts& Texts() {
    static const RowTexts texts;
    return texts;
}

constexpr size_t kSuggestions = 8;

std::string_view WithoutTrailingBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32)
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string FormRowText(std::string_view form, const FormBase& base) {
    std::string text(form);
    text.append(Texts().Arrow).append(base.Base).append(" (").append(base.Base).append(Texts().Of);
    text.append(base.Kinds).append(")");
    return text;
}

bool WordFinder::Load(const std::string& path, WordIndex::Reading reading) {
    rows_.clear();
    suggester_ = SpellingSuggester();
    forms_.Clear();
    const bool loaded = index_.LoadWordIndex(path, reading);
    storage::TCDF& file = index_.File();
    storage::CdfHeader header;
    if (reading == WordIndex::Reading::OnDemand &&
        file.ReadMemberHeader(WordIndex::FormMember, header) &&
        storage::TCode::StoresUnchanged(header.CodeType)) {
        // Read in small pieces when a lookup asks.
        forms_.AssignReader(
            [this](uint64_t offset, size_t length, std::string& piece) {
                uint64_t size = 0;
                return index_.File().ReadStreamPart(WordIndex::FormMember, offset, length, piece,
                                                    size);
            },
            header.Size);
    } else if (std::string text; file.ReadString(WordIndex::FormMember, text)) {
        forms_.Assign(std::move(text));
    }
    return loaded;
}

SearchOutcome WordFinder::Find(std::string_view queryBoxText) {
    SearchOutcome outcome = index_.Dispatch(queryBoxText);
    if (outcome.Status == SearchStatus::Blank || outcome.Status == SearchStatus::Failed)
        return outcome;
    rows_.clear();
    const std::string typed = index_.QueryText();
    const std::string_view query = WithoutTrailingBlanks(typed);
    const bool english = !query.empty() && static_cast<unsigned char>(query.front()) < 0x80;

    if (english) {
        for (const FormBase& base : forms_.Find(query))
            rows_.push_back({RowKind::Form, base.Base, FormRowText(query, base)});
    }
    AddResults();
    const bool forms = !rows_.empty() && rows_.front().Kind == RowKind::Form;
    if (!index_.ResultList().empty() || outcome.Status != SearchStatus::Ran)
        return outcome;

    // Nothing listed: what the other box would show, then the query without
    // its trailing blanks, then other spellings.
    const bool words = index_.ShowWords();
    const bool phrases = index_.ShowPhrases();
    const size_t hidden = words != phrases ? index_.CountWithFilter(!words, !phrases) : 0;
    if (query.size() < typed.size() && !query.empty()) {
        const SearchOutcome trimmed = index_.Dispatch(query);
        if (trimmed.Status == SearchStatus::Ran)
            AddResults();
    }
    if (english && hidden == 0 && !forms && rows_.empty()) {
        std::vector<ListRow> suggestions = SuggestionRows(query);
        if (!suggestions.empty()) {
            std::string note = Texts().NoneStartWith;
            note.append(query).append(Texts().DidYouMean);
            rows_.push_back({RowKind::Note, {}, std::move(note)});
            rows_.insert(rows_.end(), suggestions.begin(), suggestions.end());
        }
    }
    if (hidden > 0) {
        std::string hint = words ? Texts().TickPhrases : Texts().TickWords;
        hint.append(std::to_string(hidden))
            .append(words ? Texts().HiddenPhrases : Texts().HiddenWords);
        rows_.push_back({RowKind::FilterHint, {}, std::move(hint)});
    }
    return outcome;
}

void WordFinder::AddResults() {
    for (const std::string& line : index_.ResultList())
        rows_.push_back({RowKind::Result, GetTagValue(line, "En"), ListItem(line)});
}

std::vector<ListRow> WordFinder::SuggestionRows(std::string_view word) {
    std::vector<ListRow> rows;
    if (!suggester_.Built()) {
        if (!index_.ReadHeadwords())
            return rows;
        suggester_.Build(index_);
    }
    std::vector<uint32_t> lines;
    for (const SpellingSuggester::Suggestion& suggestion : suggester_.Suggest(word, kSuggestions))
        lines.push_back(suggestion.Line);
    for (const std::string& line : index_.EntryLines(lines))
        rows.push_back({RowKind::Suggestion, GetTagValue(line, "En"), ListItem(line)});
    return rows;
}

} // namespace core
