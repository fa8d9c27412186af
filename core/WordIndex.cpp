#include "core/WordIndex.h"

#include "core/TaggedText.h"
#include "platform/ByteOrder.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "storage/TCDF.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>

namespace core {
namespace {

// Results of one- and two-letter English and one-character Chinese queries
// stop once the list holds more than this many lines (so at most 1001).
constexpr size_t ResultCap = 1000;
constexpr size_t ListItemWidth = 30;
constexpr size_t CnTableEntrySize = 8;
constexpr std::string_view LineBreakEscape = "<0D0A>";

// A decimal number as stored in the bucket fields, blanks around it allowed.
// Empty (a missing field), signs, other characters and values beyond 32 bits
// are not numbers.
std::optional<uint32_t> ParseCount(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.size() > 10)
        return std::nullopt;
    return platform::ParseDecimal32(text);
}

// Appends `gloss` with every "<0D0A>" (any letter case) written as two
// spaces: the gloss as the result list shows it.
void AppendShownGloss(std::string& out, std::string_view gloss) {
    size_t from = 0;
    for (;;) {
        size_t at = FindWholeChar(gloss, LineBreakEscape, false, from);
        if (at == std::string_view::npos)
            break;
        out.append(gloss.substr(from, at - from)).append("  ");
        from = at + LineBreakEscape.size();
    }
    out.append(gloss.substr(from));
}

// `prefix` + MakeTagField(headword, "En") + MakeTagField(shownGloss, "Cn"),
// built in one allocation.
// Index text that would break the line's fields loses its "<" and ">" (see
// MakeTextField).
std::string MakeResultLine(std::string_view prefix, std::string_view headword,
                           std::string_view shownGloss) {
    auto hasMarks = [](std::string_view text) {
        return text.find_first_of("<>") != std::string_view::npos;
    };
    if (hasMarks(headword) || hasMarks(shownGloss))
        return std::string(prefix) + MakeTextField(headword, "En") +
               MakeTextField(shownGloss, "Cn");
    std::string line;
    line.reserve(prefix.size() + headword.size() + shownGloss.size() + 18);
    line.append(prefix).append("<En>").append(headword).append("</En><Cn>");
    line.append(shownGloss).append("</Cn>");
    return line;
}

constexpr size_t LengthPrefixSize = 2 * sizeof(size_t);

// `length` in upper-case hexadecimal, at least two digits, written into
// `buffer` (LengthPrefixSize bytes).
std::string_view LengthPrefix(size_t length, char* buffer) {
    constexpr char digits[] = "0123456789ABCDEF";
    char* end = buffer + LengthPrefixSize;
    char* begin = end;
    do {
        *--begin = digits[length & 0xF];
        length >>= 4;
    } while (length != 0 || end - begin < 2);
    return {begin, static_cast<size_t>(end - begin)};
}

SearchOutcome Failure(std::string error) {
    return {SearchStatus::Failed, std::move(error)};
}

// Sizes an index member may have: over ten times those of the full
// dictionary, and a bound on memory for a file that claims far more.
constexpr uint64_t kIndexMemberLimit = 16u << 20; // bytes, decoded
constexpr size_t kIndexLineLimit = 1u << 21;      // lines of a list member

size_t LineCount(std::string_view text) {
    size_t lines = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++lines;
    return lines + (!text.empty() && text.back() != '\n' && text.back() != '\r' ? 1 : 0);
}

} // namespace

bool ResultLineLess(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t k = 0; k < n; ++k) {
        const auto x = static_cast<unsigned char>(platform::LowerAscii(a[k]));
        const auto y = static_cast<unsigned char>(platform::LowerAscii(b[k]));
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

std::string ListItem(std::string_view resultLine) {
    std::string headword = GetTagValue(resultLine, "En");
    std::string gloss = GetTagValue(resultLine, "Cn");
    std::string item;
    item.reserve(std::max(headword.size(), ListItemWidth) + 1 + gloss.size());
    item.append(headword);
    if (item.size() < ListItemWidth)
        item.append(ListItemWidth - item.size(), ' ');
    item.append(" ").append(gloss);
    return item;
}

bool WordIndex::LoadWordIndex(const std::string& path) {
    headwordList_.clear();
    glossList_.clear();
    shownGlosses_.clear();
    shownGlossEnds_.clear();
    letterBuckets_.clear();
    pairBuckets_.clear();
    cnCharTable_.clear();
    cnPostings_.clear();
    pairIndex_.clear();
    std::fill(std::begin(loaded_), std::end(loaded_), false);

    std::fill(std::begin(status_), std::end(status_), storage::ReadStatus::Absent);
    indexFile_ = platform::DataFile(path.empty() ? "voc.dat" : path);
    std::error_code ec;
    fileMissing_ = !std::filesystem::is_regular_file(indexFile_, ec);
    if (fileMissing_)
        return false;

    try {
        storage::TCDF cdf(indexFile_);
        cdf.SetNameSeed(0);
        cdf.SetReadLimit(kIndexMemberLimit);
        auto read = [&](Member member, std::string& bytes) {
            loaded_[member] = cdf.ReadStream(member, bytes);
            status_[member] = cdf.LastReadStatus();
        };
        auto readLines = [&](Member member, std::vector<std::string>& lines) {
            std::string bytes;
            read(member, bytes);
            if (loaded_[member] && LineCount(bytes) > kIndexLineLimit) {
                loaded_[member] = false;
                status_[member] = storage::ReadStatus::TooLarge;
            }
            if (loaded_[member])
                lines = platform::SplitLines(bytes);
        };
        readLines(HeadwordMember, headwordList_);
        if (loaded_[HeadwordMember])
            readLines(GlossMember, glossList_);
        PackShownGlosses();
        read(LetterBucketMember, letterBuckets_);
        readLines(PairBucketMember, pairBuckets_);
        read(CnCharTableMember, cnCharTable_);
        read(CnPostingMember, cnPostings_);
    } catch (const std::bad_alloc&) {
        // Within the limits above this takes a machine short of memory.
        for (size_t member = 0; member < 6; ++member)
            if (!loaded_[member])
                status_[member] = storage::ReadStatus::TooLarge;
    }

    // First record per prefix, so lookups keep the first-match-wins rule of a
    // scan from the top.
    pairIndex_.reserve(pairBuckets_.size());
    for (size_t i = 0; i < pairBuckets_.size(); ++i)
        pairIndex_.try_emplace(platform::UpperAscii(GetTagValue(pairBuckets_[i], "EN")), i);

    return loaded_[HeadwordMember] && loaded_[GlossMember];
}

std::string WordIndex::MemberProblem(uint32_t member) const {
    if (fileMissing_)
        return "the word index " + indexFile_ + " is missing";
    const std::string which =
        "member " + std::to_string(member) + " of the word index " + indexFile_;
    const storage::ReadStatus status = member < 6 ? status_[member] : storage::ReadStatus::Absent;
    if (status == storage::ReadStatus::Absent || status == storage::ReadStatus::Ok)
        return "the word index " + indexFile_ + " has no member " + std::to_string(member);
    return which + " " + storage::ReadStatusText(status);
}

std::string WordIndex::LoadError() const {
    if (!loaded_[HeadwordMember])
        return MemberProblem(HeadwordMember);
    if (!loaded_[GlossMember])
        return MemberProblem(GlossMember);
    return {};
}

void WordIndex::PackShownGlosses() {
    size_t bytes = 0;
    for (const std::string& gloss : glossList_)
        bytes += gloss.size();
    shownGlosses_.reserve(bytes);
    shownGlossEnds_.reserve(glossList_.size() + 1);
    shownGlossEnds_.push_back(0);
    for (const std::string& gloss : glossList_) {
        AppendShownGloss(shownGlosses_, gloss);
        shownGlossEnds_.push_back(static_cast<uint32_t>(shownGlosses_.size()));
    }
}

std::string_view WordIndex::ShownGloss(size_t line) const {
    return std::string_view(shownGlosses_)
        .substr(shownGlossEnds_[line], shownGlossEnds_[line + 1] - shownGlossEnds_[line]);
}

void WordIndex::SetFilter(bool words, bool phrases) {
    showWords_ = words;
    showPhrases_ = phrases;
}

void WordIndex::SetQueryText(std::string_view queryBoxText) {
    size_t skip = 0;
    while (skip < queryBoxText.size() && static_cast<unsigned char>(queryBoxText[skip]) <= 32)
        ++skip;
    queryText_.assign(queryBoxText.substr(skip));
}

SearchOutcome WordIndex::Dispatch(std::string_view queryBoxText) {
    SetQueryText(queryBoxText);
    if (queryText_.empty())
        return {SearchStatus::Blank, {}};
    if (static_cast<unsigned char>(queryText_.front()) >= 0x80)
        return SearchChinese();
    return SearchEnglish();
}

bool WordIndex::PassesFilter(std::string_view headword) const {
    if (showWords_ == showPhrases_)
        return true;
    const bool phrase = headword.find(' ') != std::string_view::npos;
    return phrase ? showPhrases_ : showWords_;
}

std::string WordIndex::CheckLine(uint64_t line) const {
    if (line < headwordList_.size() && line < glossList_.size())
        return {};
    return "line " + std::to_string(line) + " is outside the word list (" +
           std::to_string(headwordList_.size()) + " headwords, " +
           std::to_string(glossList_.size()) + " glosses)";
}

PairBucketLookup WordIndex::FindPairBucket(std::string_view prefix) const {
    PairBucketLookup lookup;
    auto it = pairIndex_.find(platform::UpperAscii(prefix));
    if (it == pairIndex_.end())
        return lookup;
    const std::string& record = pairBuckets_[it->second];
    std::optional<uint32_t> start = ParseCount(GetTagValue(record, "Index"));
    std::optional<uint32_t> count = ParseCount(GetTagValue(record, "Count"));
    if (!start || !count) {
        lookup.Error =
            "pair bucket record " + std::to_string(it->second) + " has no usable Index and Count";
        return lookup;
    }
    lookup.Found = true;
    lookup.Range = {*start, *count};
    return lookup;
}

SearchOutcome WordIndex::SearchEnglish() {
    std::string_view trimmed = queryText_;
    while (!trimmed.empty() && trimmed.front() == ' ')
        trimmed.remove_prefix(1);
    const std::string q = platform::UpperAscii(trimmed);
    const size_t n = q.size();
    if (n == 0 || q[0] < 'A' || q[0] > 'Z') {
        resultList_.clear();
        return {SearchStatus::NotQualified, {}};
    }
    if (!loaded_[HeadwordMember])
        return Failure(MemberProblem(HeadwordMember));
    if (!loaded_[GlossMember])
        return Failure(MemberProblem(GlossMember));

    Bucket bucket;
    if (n == 1) {
        if (!loaded_[LetterBucketMember])
            return Failure(MemberProblem(LetterBucketMember));
        const std::string letter = std::to_string(q[0] - 'A');
        std::optional<uint32_t> start = ParseCount(GetTagValue(letterBuckets_, "Index" + letter));
        std::optional<uint32_t> count = ParseCount(GetTagValue(letterBuckets_, "Count" + letter));
        if (!start || !count)
            return Failure("the letter bucket fields Index" + letter + " and Count" + letter +
                           " are missing or not numbers");
        bucket = {*start, *count};
    } else {
        if (!loaded_[PairBucketMember])
            return Failure(MemberProblem(PairBucketMember));
        PairBucketLookup lookup = FindPairBucket(std::string_view(q).substr(0, 2));
        if (!lookup.Error.empty())
            return Failure(std::move(lookup.Error));
        bucket = lookup.Range;
    }
    const uint64_t end = uint64_t{bucket.Start} + bucket.Count;
    if (bucket.Count > 0) {
        if (std::string error = CheckLine(end - 1); !error.empty())
            return Failure("bucket " + std::to_string(bucket.Start) + "+" +
                           std::to_string(bucket.Count) + ": " + error);
    }

    std::vector<std::string> results;
    results.reserve(n <= 2 ? std::min<size_t>(bucket.Count, ResultCap + 1) : 64);
    char prefix[LengthPrefixSize];
    for (size_t i = bucket.Start; i < end; ++i) {
        const std::string& headword = headwordList_[i];
        if (n >= 3 && !platform::StartsWithIgnoringAsciiCase(headword, q))
            continue;
        if (!PassesFilter(headword))
            continue;
        results.push_back(
            MakeResultLine(LengthPrefix(headword.size(), prefix), headword, ShownGloss(i)));
        if (n <= 2 && results.size() > ResultCap)
            break;
    }
    std::sort(results.begin(), results.end(),
              [](const std::string& a, const std::string& b) { return ResultLineLess(a, b); });
    resultList_.swap(results);
    return {SearchStatus::Ran, {}};
}

SearchOutcome WordIndex::SearchChinese() {
    const std::string& q = queryText_;
    const size_t n = q.size();
    if (n < 2 || static_cast<unsigned char>(q[0]) < 0x80) {
        resultList_.clear();
        return {SearchStatus::NotQualified, {}};
    }
    for (uint32_t member : {HeadwordMember, GlossMember, CnCharTableMember, CnPostingMember}) {
        if (!loaded_[member])
            return Failure(MemberProblem(member));
    }

    const uint32_t code =
        static_cast<unsigned char>(q[0]) * 256u + static_cast<unsigned char>(q[1]);
    const size_t entry = (code - 0x8000u) * CnTableEntrySize;
    if (entry + CnTableEntrySize > cnCharTable_.size())
        return Failure("the Chinese character table is too short for code " + std::to_string(code));
    const uint32_t offset = platform::ReadLe32(cnCharTable_, entry);
    const uint32_t count = platform::ReadLe32(cnCharTable_, entry + 4);
    if (uint64_t{offset} + uint64_t{count} * 4 > cnPostings_.size())
        return Failure("the posting run " + std::to_string(offset) + "+" + std::to_string(count) +
                       " lies outside the posting table");

    std::vector<std::string> results;
    results.reserve(n < 3 ? std::min<size_t>(count, ResultCap + 1) : 64);
    for (uint32_t k = 0; k < count; ++k) {
        const uint32_t line = platform::ReadLe32(cnPostings_, offset + size_t{k} * 4);
        if (std::string error = CheckLine(line); !error.empty())
            return Failure("posting " + std::to_string(k) + " of code " + std::to_string(code) +
                           ": " + error);
        // The gloss test comes before the filter only because it rules out
        // most candidates of a long run without touching their headwords;
        // both must pass either way.
        const std::string_view gloss = ShownGloss(line);
        // The query must occur in the shown gloss as whole characters: a byte
        // match that starts on a trail byte is a different text.
        if (n >= 3 && FindWholeChar(gloss, q, true) == std::string_view::npos)
            continue;
        const std::string& headword = headwordList_[line];
        if (!PassesFilter(headword))
            continue;
        if (n < 3 && results.size() > ResultCap)
            break;
        results.push_back(MakeResultLine({}, headword, gloss));
    }
    resultList_.swap(results);
    return {SearchStatus::Ran, {}};
}

std::vector<std::string> WordIndex::ListItems() const {
    std::vector<std::string> items;
    items.reserve(resultList_.size());
    for (const std::string& line : resultList_)
        items.push_back(ListItem(line));
    return items;
}

} // namespace core
