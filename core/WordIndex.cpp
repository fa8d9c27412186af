#include "core/WordIndex.h"

#include "core/TaggedText.h"
#include "platform/ByteOrder.h"
#include "platform/Gbk.h"
#include "platform/Paths.h"
#include "platform/Text.h"

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
constexpr uint32_t CnTableEntries = 32768;
constexpr std::string_view LineBreakEscape = "<0D0A>";
// A first character's run this short is scanned: the aids cannot beat it.
constexpr uint32_t ShortRun = 64;
// Sorted buckets held at most, in lines per headword of the index: buckets
// of a sound index never overlap, those of a damaged one may.
constexpr size_t SortedLinesPerHeadword = 2;

// Flags of runFlags_.
constexpr uint8_t OrderChecked = 1;
constexpr uint8_t InRankOrder = 2;
constexpr uint8_t CompletenessChecked = 4;
constexpr uint8_t Complete = 8;

// Compares the upper-cased text, cut to the length of `upperPrefix`, with
// that prefix: negative, 0 or positive. A text shorter than the prefix that
// matches all it has is smaller.
int ComparePrefixIgnoringCase(std::string_view text, std::string_view upperPrefix) {
    const size_t n = std::min(text.size(), upperPrefix.size());
    for (size_t k = 0; k < n; ++k) {
        const auto x = static_cast<unsigned char>(platform::UpperAscii(text[k]));
        const unsigned char y = static_cast<unsigned char>(upperPrefix[k]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return text.size() < upperPrefix.size() ? -1 : 0;
}

// Upper-cased byte order of whole texts, shorter first when one is a prefix
// of the other.
bool LessIgnoringCase(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t k = 0; k < n; ++k) {
        const auto x = static_cast<unsigned char>(platform::UpperAscii(a[k]));
        const auto y = static_cast<unsigned char>(platform::UpperAscii(b[k]));
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

// A decimal number as stored in the bucket fields, blanks around it allowed.
// Empty (a missing field), signs, other characters and values beyond 32 bits
// are not numbers.
std::optional<uint32_t> ParseCount(std::string_view text) {
    return platform::ParseDecimal32(platform::Trimmed(text));
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

uint32_t CodeAt(std::string_view text, size_t pos) {
    return static_cast<unsigned char>(text[pos]) * 256u + static_cast<unsigned char>(text[pos + 1]);
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

uint32_t WordIndex::Run::Line(uint32_t k) const {
    return platform::ReadLe32(Postings, size_t{k} * 4);
}

bool WordIndex::LoadWordIndex(const std::string& path, Reading reading) {
    headwords_.Clear();
    glosses_.Clear();
    letterBuckets_.clear();
    pairBuckets_.clear();
    cnCharTable_.clear();
    cnPostings_.clear();
    ranks_.clear();
    pairIndex_.clear();
    sortedBuckets_.clear();
    sortedLines_ = 0;
    runFlags_.clear();
    linesPerCharacter_.clear();
    std::fill(std::begin(state_), std::end(state_), MemberState::Absent);
    std::fill(std::begin(linesOnDemand_), std::end(linesOnDemand_), false);
    reading_ = reading;
    aids_ = reading == Reading::Whole;

    std::fill(std::begin(status_), std::end(status_), storage::ReadStatus::Absent);
    indexFile_ = platform::DataFile(path.empty() ? "voc.dat" : path);
    cdf_ = storage::TCDF(indexFile_);
    cdf_.SetNameSeed(0);
    cdf_.SetReadLimit(kIndexMemberLimit);
    std::error_code ec;
    fileMissing_ = !std::filesystem::is_regular_file(indexFile_, ec);
    if (fileMissing_)
        return false;

    std::fill(std::begin(state_), std::end(state_), MemberState::Unread);
    // OnDemand: the lists as Need finds them (a list stored unchanged is
    // read line by line later); the other members when a search needs them.
    const uint32_t members = reading == Reading::OnDemand ? GlossMember + 1 : kMembers;
    for (uint32_t member = 0; member < members; ++member)
        Need(static_cast<Member>(member));
    return state_[HeadwordMember] == MemberState::Present &&
           state_[GlossMember] == MemberState::Present;
}

bool WordIndex::Need(Member member) {
    if (state_[member] == MemberState::Unread)
        ReadMember(member);
    return state_[member] == MemberState::Present;
}

void WordIndex::ReadMember(Member member) {
    bool read = false;
    try {
        read = ReadMemberData(member);
    } catch (const std::bad_alloc&) {
        // Within the size limits this takes a machine short of memory.
        read = false;
        status_[member] = storage::ReadStatus::TooLarge;
    }
    state_[member] = read ? MemberState::Present : MemberState::Absent;
}

bool WordIndex::ReadText(Member member, std::string& text, bool lines) {
    if (!cdf_.ReadString(member, text)) {
        status_[member] = cdf_.LastReadStatus();
        return false;
    }
    if (lines && LineCount(text) > kIndexLineLimit) {
        text.clear();
        status_[member] = storage::ReadStatus::TooLarge;
        return false;
    }
    status_[member] = storage::ReadStatus::Ok;
    return true;
}

bool WordIndex::ReadMemberData(Member member) {
    switch (member) {
    case HeadwordMember:
    case GlossMember: {
        // The gloss list is read only together with the headword list.
        if (member == GlossMember && !Need(HeadwordMember))
            return false;
        storage::CdfHeader header;
        if (reading_ == Reading::OnDemand && cdf_.ReadMemberHeader(member, header) &&
            storage::TCode::StoresUnchanged(header.CodeType)) {
            linesOnDemand_[member] = true;
            listSizes_[member] = header.Size;
            status_[member] = storage::ReadStatus::Ok;
            return true;
        }
        std::string text;
        if (!ReadText(member, text, true))
            return false;
        (member == HeadwordMember ? headwords_ : glosses_).Assign(std::move(text));
        return true;
    }
    case LetterBucketMember:
        return ReadText(member, letterBuckets_, false);
    case PairBucketMember: {
        std::string text;
        if (!ReadText(member, text, true))
            return false;
        pairBuckets_ = platform::SplitLines(text);
        // First record per prefix, so lookups keep the first-match-wins rule
        // of a scan from the top.
        pairIndex_.reserve(pairBuckets_.size());
        for (size_t i = 0; i < pairBuckets_.size(); ++i)
            pairIndex_.try_emplace(platform::UpperAscii(GetTagValue(pairBuckets_[i], "EN")), i);
        return true;
    }
    case CnCharTableMember:
    case CnPostingMember: {
        // OnDemand reading takes only the parts a query needs (FindRun); the
        // member is then checked for presence only.
        if (reading_ == Reading::OnDemand) {
            const bool present = cdf_.FindMember(cdf_.NameToId(storage::TCDF::NumberName(member)));
            status_[member] = present ? storage::ReadStatus::Ok : storage::ReadStatus::Absent;
            return present;
        }
        const bool read =
            cdf_.ReadStream(member, member == CnCharTableMember ? cnCharTable_ : cnPostings_);
        status_[member] = cdf_.LastReadStatus();
        return read;
    }
    case RankMember: {
        // Ranks that do not fit the headword list are not used; the list's
        // length is known once it is read whole.
        const bool read = Need(HeadwordMember) && !linesOnDemand_[HeadwordMember] &&
                          cdf_.ReadStream(member, ranks_) && ranks_.size() == 4 * headwords_.Size();
        if (!read)
            ranks_.clear();
        return read;
    }
    case FormMember:
        break;
    }
    return false;
}

std::string WordIndex::ReadLines(const std::vector<uint32_t>& wanted) {
    for (Member member : {HeadwordMember, GlossMember}) {
        if (!linesOnDemand_[member])
            continue;
        auto read = [this, member](uint64_t offset, size_t length, std::string& piece) {
            uint64_t size = 0;
            return cdf_.ReadStreamPart(member, offset, length, piece, size);
        };
        if (!(member == HeadwordMember ? headwords_ : glosses_)
                 .AssignSome(read, listSizes_[member], wanted))
            return "the word index member " + std::to_string(member) + " cannot be read";
    }
    return {};
}

std::vector<std::string> WordIndex::EntryLines(const std::vector<uint32_t>& lines) {
    std::vector<std::string> entries;
    if (!Need(HeadwordMember) || !Need(GlossMember))
        return entries;
    if (LinesOnDemand()) {
        std::vector<uint32_t> wanted = lines;
        std::sort(wanted.begin(), wanted.end());
        wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
        if (!ReadLines(wanted).empty())
            return entries;
    }
    std::string scratch;
    for (uint32_t line : lines) {
        if (ValidLine(line))
            entries.push_back(MakeResultLine({}, headwords_[line], ShownGloss(line, scratch)));
    }
    return entries;
}

void WordIndex::ReadWholeLines(Member member) {
    linesOnDemand_[member] = false;
    std::string text;
    try {
        if (ReadText(member, text, true)) {
            (member == HeadwordMember ? headwords_ : glosses_).Assign(std::move(text));
            return;
        }
    } catch (const std::bad_alloc&) {
        status_[member] = storage::ReadStatus::TooLarge;
    }
    (member == HeadwordMember ? headwords_ : glosses_).Clear();
    state_[member] = MemberState::Absent;
}

std::string WordIndex::MemberProblem(uint32_t member) const {
    if (fileMissing_)
        return "the word index " + indexFile_ + " is missing";
    const storage::ReadStatus status =
        member < kMembers ? status_[member] : storage::ReadStatus::Absent;
    if (status == storage::ReadStatus::Absent || status == storage::ReadStatus::Ok)
        return "the word index " + indexFile_ + " has no member " + std::to_string(member);
    return "member " + std::to_string(member) + " of the word index " + indexFile_ + " " +
           storage::ReadStatusText(status);
}

std::string WordIndex::LoadError() const {
    if (state_[HeadwordMember] != MemberState::Present)
        return MemberProblem(HeadwordMember);
    if (state_[GlossMember] != MemberState::Present)
        return MemberProblem(GlossMember);
    return {};
}

bool WordIndex::ReadHeadwords() {
    if (!Need(HeadwordMember))
        return false;
    if (linesOnDemand_[HeadwordMember])
        ReadWholeLines(HeadwordMember);
    Need(RankMember);
    return state_[HeadwordMember] == MemberState::Present;
}

void WordIndex::SetSearchAids(bool on) {
    aids_ = on;
    for (Member member : {HeadwordMember, GlossMember}) {
        if (on && linesOnDemand_[member])
            ReadWholeLines(member);
    }
}

uint32_t WordIndex::Rank(size_t line) const {
    return ranks_.empty() ? static_cast<uint32_t>(line) : platform::ReadLe32(ranks_, line * 4);
}

std::string_view WordIndex::ShownGloss(size_t line, std::string& scratch) const {
    const std::string_view gloss = glosses_[line];
    if (gloss.find('<') == std::string_view::npos)
        return gloss;
    // Every "<0D0A>" (any letter case) is shown as two spaces.
    scratch.clear();
    size_t from = 0;
    for (;;) {
        const size_t at = FindWholeChar(gloss, LineBreakEscape, false, from);
        if (at == std::string_view::npos)
            break;
        scratch.append(gloss.substr(from, at - from)).append("  ");
        from = at + LineBreakEscape.size();
    }
    scratch.append(gloss.substr(from));
    return scratch;
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

bool WordIndex::ValidLine(uint64_t line) const {
    return line < headwords_.Size() && line < glosses_.Size();
}

std::string WordIndex::CheckLine(uint64_t line) const {
    if (ValidLine(line))
        return {};
    return "line " + std::to_string(line) + " is outside the word list (" +
           std::to_string(headwords_.Size()) + " headwords, " + std::to_string(glosses_.Size()) +
           " glosses)";
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
    std::vector<std::string> results;
    SearchOutcome outcome = RunEnglish(results);
    if (outcome.Status == SearchStatus::NotQualified)
        resultList_.clear();
    else if (outcome.Status == SearchStatus::Ran)
        resultList_.swap(results);
    return outcome;
}

SearchOutcome WordIndex::SearchChinese() {
    std::vector<std::string> results;
    SearchOutcome outcome = RunChinese(results);
    if (outcome.Status == SearchStatus::NotQualified)
        resultList_.clear();
    else if (outcome.Status == SearchStatus::Ran)
        resultList_.swap(results);
    return outcome;
}

size_t WordIndex::CountWithFilter(bool words, bool phrases) {
    if (queryText_.empty())
        return 0;
    const bool keepWords = showWords_;
    const bool keepPhrases = showPhrases_;
    SetFilter(words, phrases);
    std::vector<std::string> results;
    const SearchOutcome outcome = static_cast<unsigned char>(queryText_.front()) >= 0x80
                                      ? RunChinese(results)
                                      : RunEnglish(results);
    SetFilter(keepWords, keepPhrases);
    return outcome.Status == SearchStatus::Ran ? results.size() : 0;
}

SearchOutcome WordIndex::RunEnglish(std::vector<std::string>& results) {
    std::string_view trimmed = queryText_;
    while (!trimmed.empty() && trimmed.front() == ' ')
        trimmed.remove_prefix(1);
    const std::string q = platform::UpperAscii(trimmed);
    const size_t n = q.size();
    if (n == 0 || q[0] < 'A' || q[0] > 'Z')
        return {SearchStatus::NotQualified, {}};
    if (!Need(HeadwordMember))
        return Failure(MemberProblem(HeadwordMember));
    if (!Need(GlossMember))
        return Failure(MemberProblem(GlossMember));

    Bucket bucket;
    if (n == 1) {
        if (!Need(LetterBucketMember))
            return Failure(MemberProblem(LetterBucketMember));
        const std::string letter = std::to_string(q[0] - 'A');
        std::optional<uint32_t> start = ParseCount(GetTagValue(letterBuckets_, "Index" + letter));
        std::optional<uint32_t> count = ParseCount(GetTagValue(letterBuckets_, "Count" + letter));
        if (!start || !count)
            return Failure("the letter bucket fields Index" + letter + " and Count" + letter +
                           " are missing or not numbers");
        bucket = {*start, *count};
    } else {
        if (!Need(PairBucketMember))
            return Failure(MemberProblem(PairBucketMember));
        PairBucketLookup lookup = FindPairBucket(std::string_view(q).substr(0, 2));
        if (!lookup.Error.empty())
            return Failure(std::move(lookup.Error));
        bucket = lookup.Range;
    }
    const uint64_t end = uint64_t{bucket.Start} + bucket.Count;
    if (LinesOnDemand() && bucket.Count > 0) {
        // A line takes at least its line break: a bucket reaching further
        // cannot be read, and CheckLine reports it without reading.
        if (end <= std::max(listSizes_[HeadwordMember], listSizes_[GlossMember]) + 1) {
            std::vector<uint32_t> wanted(bucket.Count);
            for (uint32_t k = 0; k < bucket.Count; ++k)
                wanted[k] = bucket.Start + k;
            if (std::string error = ReadLines(wanted); !error.empty())
                return Failure(std::move(error));
        }
    }
    if (bucket.Count > 0) {
        if (std::string error = CheckLine(end - 1); !error.empty())
            return Failure("bucket " + std::to_string(bucket.Start) + "+" +
                           std::to_string(bucket.Count) + ": " + error);
    }

    results.reserve(n <= 2 ? std::min<size_t>(bucket.Count, ResultCap + 1) : 64);
    char prefix[LengthPrefixSize];
    std::string scratch;
    auto append = [&](size_t line) {
        const std::string_view headword = headwords_[line];
        if (!PassesFilter(headword))
            return;
        results.push_back(MakeResultLine(LengthPrefix(headword.size(), prefix), headword,
                                         ShownGloss(line, scratch)));
    };
    const std::vector<uint32_t>* sorted =
        n >= 3 && aids_ ? SortedBucket(std::string_view(q).substr(0, 2), bucket) : nullptr;
    if (sorted != nullptr) {
        // The matching lines are one stretch of the bucket in headword order.
        auto first = std::partition_point(sorted->begin(), sorted->end(), [&](uint32_t line) {
            return ComparePrefixIgnoringCase(headwords_[line], q) < 0;
        });
        auto last = std::partition_point(first, sorted->end(), [&](uint32_t line) {
            return ComparePrefixIgnoringCase(headwords_[line], q) == 0;
        });
        for (auto it = first; it != last; ++it)
            append(*it);
    } else {
        for (size_t i = bucket.Start; i < end; ++i) {
            if (n >= 3 && !platform::StartsWithIgnoringAsciiCase(headwords_[i], q))
                continue;
            append(i);
            if (n <= 2 && results.size() > ResultCap)
                break;
        }
    }
    std::sort(results.begin(), results.end(),
              [](const std::string& a, const std::string& b) { return ResultLineLess(a, b); });
    return {SearchStatus::Ran, {}};
}

const std::vector<uint32_t>* WordIndex::SortedBucket(std::string_view pair, Bucket bucket) {
    if (auto it = sortedBuckets_.find(std::string(pair)); it != sortedBuckets_.end())
        return &it->second;
    if (sortedLines_ + bucket.Count > SortedLinesPerHeadword * headwords_.Size())
        return nullptr;
    std::vector<uint32_t> lines(bucket.Count);
    for (uint32_t k = 0; k < bucket.Count; ++k)
        lines[k] = bucket.Start + k;
    // Equal headwords keep line order, so the order is a function of the
    // bucket alone.
    std::stable_sort(lines.begin(), lines.end(), [this](uint32_t a, uint32_t b) {
        return LessIgnoringCase(headwords_[a], headwords_[b]);
    });
    sortedLines_ += bucket.Count;
    return &sortedBuckets_.emplace(std::string(pair), std::move(lines)).first->second;
}

std::string WordIndex::FindRun(uint32_t code, Run& run, std::string& buffer) {
    const uint64_t entry = uint64_t{code - 0x8000u} * CnTableEntrySize;
    std::string entryBytes;
    std::string_view table = cnCharTable_;
    uint64_t tableSize = cnCharTable_.size();
    if (reading_ == Reading::OnDemand) {
        if (!cdf_.ReadStreamPart(CnCharTableMember, entry, CnTableEntrySize, entryBytes, tableSize))
            return "the Chinese character table cannot be read";
        table = entryBytes;
    }
    if (entry + CnTableEntrySize > tableSize)
        return "the Chinese character table is too short for code " + std::to_string(code);
    const size_t at = reading_ == Reading::OnDemand ? 0 : static_cast<size_t>(entry);
    const uint32_t offset = platform::ReadLe32(table, at);
    const uint32_t count = platform::ReadLe32(table, at + 4);
    std::string_view postings = cnPostings_;
    uint64_t postingsSize = cnPostings_.size();
    if (reading_ == Reading::OnDemand) {
        if (!cdf_.ReadStreamPart(CnPostingMember, offset, size_t{count} * 4, buffer, postingsSize))
            return "the Chinese posting table cannot be read";
        postings = buffer;
    }
    if (uint64_t{offset} + uint64_t{count} * 4 > postingsSize)
        return "the posting run " + std::to_string(offset) + "+" + std::to_string(count) +
               " lies outside the posting table";
    run.Postings =
        reading_ == Reading::OnDemand ? postings : postings.substr(offset, size_t{count} * 4);
    run.Count = count;
    return {};
}

SearchOutcome WordIndex::RunChinese(std::vector<std::string>& results) {
    const std::string& q = queryText_;
    const size_t n = q.size();
    if (n < 2 || static_cast<unsigned char>(q[0]) < 0x80)
        return {SearchStatus::NotQualified, {}};
    for (Member member : {HeadwordMember, GlossMember, CnCharTableMember, CnPostingMember}) {
        if (!Need(member))
            return Failure(MemberProblem(member));
    }

    const uint32_t code = CodeAt(q, 0);
    Run run;
    std::string buffer;
    if (std::string error = FindRun(code, run, buffer); !error.empty())
        return Failure(std::move(error));

    if (n >= 3 && aids_ && run.Count > ShortRun && SearchThroughShortRun(q, run, results))
        return {SearchStatus::Ran, {}};
    if (LinesOnDemand()) {
        std::vector<uint32_t> wanted(run.Count);
        for (uint32_t k = 0; k < run.Count; ++k)
            wanted[k] = run.Line(k);
        std::sort(wanted.begin(), wanted.end());
        wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
        if (std::string error = ReadLines(wanted); !error.empty())
            return Failure(std::move(error));
    }

    results.reserve(n < 3 ? std::min<size_t>(run.Count, ResultCap + 1) : 64);
    std::string scratch;
    for (uint32_t k = 0; k < run.Count; ++k) {
        const uint32_t line = run.Line(k);
        if (std::string error = CheckLine(line); !error.empty())
            return Failure("posting " + std::to_string(k) + " of code " + std::to_string(code) +
                           ": " + error);
        // The gloss test comes before the filter only because it rules out
        // most candidates of a long run without touching their headwords;
        // both must pass either way.
        const std::string_view gloss = ShownGloss(line, scratch);
        // The query must occur in the shown gloss as whole characters: a byte
        // match that starts on a trail byte is a different text.
        if (n >= 3 && FindWholeChar(gloss, q, true) == std::string_view::npos)
            continue;
        const std::string_view headword = headwords_[line];
        if (!PassesFilter(headword))
            continue;
        if (n < 3 && results.size() > ResultCap)
            break;
        results.push_back(MakeResultLine({}, headword, gloss));
    }
    return {SearchStatus::Ran, {}};
}

bool WordIndex::SearchThroughShortRun(std::string_view q, const Run& first,
                                      std::vector<std::string>& results) {
    // The first run must hold valid lines in strictly rising rank: then a
    // line's place in it is found by bisection, and the plain scan would not
    // fail on it.
    const uint32_t firstCode = CodeAt(q, 0);
    if (!RunInRankOrder(firstCode, first))
        return false;
    // Every line listed has the whole query in its gloss, so each of the
    // query's characters; a complete run of any of them holds all of them.
    Run shortest = first;
    std::string shortestBuffer;
    for (size_t pos = platform::GbkCharLength(q, 0); pos < q.size();
         pos += platform::GbkCharLength(q, pos)) {
        if (platform::GbkCharLength(q, pos) != 2)
            continue;
        const uint32_t code = CodeAt(q, pos);
        Run run;
        std::string buffer;
        if (code == firstCode || !FindRun(code, run, buffer).empty() ||
            run.Count >= shortest.Count || !RunComplete(code, run))
            continue;
        shortest = run;
        shortestBuffer.swap(buffer);
        if (reading_ == Reading::OnDemand)
            shortest.Postings = shortestBuffer;
    }
    if (shortest.Count >= first.Count)
        return false;

    std::vector<std::pair<uint32_t, uint32_t>> found; // place in the first run, line
    std::string scratch;
    for (uint32_t k = 0; k < shortest.Count; ++k) {
        const uint32_t line = shortest.Line(k);
        if (FindWholeChar(ShownGloss(line, scratch), q, true) == std::string_view::npos)
            continue;
        const uint32_t rank = Rank(line);
        uint32_t low = 0;
        uint32_t high = first.Count;
        while (low < high) {
            const uint32_t mid = low + (high - low) / 2;
            if (Rank(first.Line(mid)) < rank)
                low = mid + 1;
            else
                high = mid;
        }
        if (low < first.Count && first.Line(low) == line)
            found.emplace_back(low, line);
    }
    std::sort(found.begin(), found.end());
    for (const auto& [place, line] : found) {
        const std::string_view headword = headwords_[line];
        if (PassesFilter(headword))
            results.push_back(MakeResultLine({}, headword, ShownGloss(line, scratch)));
    }
    return true;
}

bool WordIndex::RunInRankOrder(uint32_t code, const Run& run) {
    if (runFlags_.empty())
        runFlags_.assign(CnTableEntries, 0);
    uint8_t& flags = runFlags_[code - 0x8000u];
    if (!(flags & OrderChecked)) {
        bool ordered = true;
        for (uint32_t k = 0; k < run.Count && ordered; ++k) {
            const uint32_t line = run.Line(k);
            ordered = ValidLine(line) && (k == 0 || Rank(run.Line(k - 1)) < Rank(line));
        }
        flags |= OrderChecked | (ordered ? InRankOrder : 0);
    }
    return flags & InRankOrder;
}

bool WordIndex::RunComplete(uint32_t code, const Run& run) {
    if (!RunInRankOrder(code, run))
        return false;
    uint8_t& flags = runFlags_[code - 0x8000u];
    if (!(flags & CompletenessChecked)) {
        // Its lines are distinct (strictly rising ranks): it is complete when
        // as many of them hold the character as there are such lines.
        const char character[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        std::string scratch;
        uint32_t holding = 0;
        for (uint32_t k = 0; k < run.Count; ++k) {
            if (FindWholeChar(ShownGloss(run.Line(k), scratch), {character, 2}, true) !=
                std::string_view::npos)
                ++holding;
        }
        const bool complete = holding == LinesPerCharacter()[code - 0x8000u];
        flags |= CompletenessChecked | (complete ? Complete : 0);
    }
    return flags & Complete;
}

const std::vector<uint32_t>& WordIndex::LinesPerCharacter() {
    if (!linesPerCharacter_.empty())
        return linesPerCharacter_;
    linesPerCharacter_.assign(CnTableEntries, 0);
    const size_t lines = std::min(headwords_.Size(), glosses_.Size());
    std::vector<uint32_t> lastLine(CnTableEntries, UINT32_MAX);
    std::string scratch;
    for (size_t line = 0; line < lines; ++line) {
        const std::string_view gloss = ShownGloss(line, scratch);
        for (size_t pos = 0; pos < gloss.size(); pos += platform::GbkCharLength(gloss, pos)) {
            if (platform::GbkCharLength(gloss, pos) != 2)
                continue;
            const uint32_t slot = CodeAt(gloss, pos) - 0x8000u;
            if (lastLine[slot] != line) {
                lastLine[slot] = static_cast<uint32_t>(line);
                ++linesPerCharacter_[slot];
            }
        }
    }
    return linesPerCharacter_;
}

std::vector<std::string> WordIndex::ListItems() const {
    std::vector<std::string> items;
    items.reserve(resultList_.size());
    for (const std::string& line : resultList_)
        items.push_back(ListItem(line));
    return items;
}

} // namespace core
