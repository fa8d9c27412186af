#include "core/SpellingSuggester.h"

#include "core/WordIndex.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace core {
namespace {

constexpr size_t kShortest = 2;
constexpr size_t kLongest = 40;
// Queries this short get suggestions within one edit only: two edits of a
// four-letter word leave little of it.
constexpr size_t kShortQuery = 4;

bool WordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '\'';
}

// Lower-cased spelling of a word, or empty when `text` is no word.
std::string WordSpelling(std::string_view text) {
    if (text.size() < kShortest || text.size() > kLongest ||
        !std::all_of(text.begin(), text.end(), WordByte))
        return {};
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// FNV-1a: collisions only cost a distance check.
uint32_t Hash(std::string_view text) {
    uint32_t hash = 2166136261u;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

// Calls visit(deletion) for every distinct text made by deleting one byte:
// of a run of equal bytes only the first is deleted.
template <typename Visit> void ForEachDeletion(std::string_view text, Visit visit) {
    std::string shorter;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i > 0 && text[i] == text[i - 1])
            continue;
        shorter.assign(text.substr(0, i)).append(text.substr(i + 1));
        visit(std::string_view(shorter));
    }
}

// Sorts by the upper 32 bits, two stable counting passes of 16 bits: a
// comparison sort of the few hundred thousand variants would cost more than
// everything else the build does.
void SortByHash(std::vector<uint64_t>& values) {
    std::vector<uint64_t> sorted(values.size());
    std::vector<size_t> counts(65536 + 1);
    for (int shift : {32, 48}) {
        std::fill(counts.begin(), counts.end(), 0);
        for (uint64_t value : values)
            ++counts[((value >> shift) & 0xFFFF) + 1];
        for (size_t digit = 0; digit < 65536; ++digit)
            counts[digit + 1] += counts[digit];
        for (uint64_t value : values)
            sorted[counts[(value >> shift) & 0xFFFF]++] = value;
        values.swap(sorted);
    }
}

} // namespace

void SpellingSuggester::Build(const WordIndex& index) {
    spellings_.clear();
    words_.clear();
    variants_.clear();
    size_t bytes = 0;
    for (size_t line = 0; line < index.HeadwordCount(); ++line)
        bytes += index.Headword(line).size();
    // Reserved whole, so the views the map keys on never move.
    spellings_.reserve(bytes);
    std::unordered_map<std::string_view, uint32_t> seen; // spelling -> word number
    for (size_t line = 0; line < index.HeadwordCount(); ++line) {
        const std::string spelling = WordSpelling(index.Headword(line));
        if (spelling.empty())
            continue;
        const uint32_t rank = index.Rank(line);
        if (const auto it = seen.find(spelling); it != seen.end()) {
            Spelling& known = words_[it->second];
            if (rank < known.Rank) {
                known.Line = static_cast<uint32_t>(line);
                known.Rank = rank;
            }
            continue;
        }
        const auto offset = static_cast<uint32_t>(spellings_.size());
        spellings_ += spelling;
        words_.push_back(
            {offset, static_cast<uint16_t>(spelling.size()), static_cast<uint32_t>(line), rank});
        seen.emplace(Text(words_.back()), static_cast<uint32_t>(words_.size() - 1));
    }
    size_t variants = 0;
    for (const Spelling& word : words_)
        variants += word.Length + 1u;
    variants_.reserve(variants);
    for (uint32_t number = 0; number < words_.size(); ++number) {
        const std::string_view text = Text(words_[number]);
        variants_.push_back(uint64_t{Hash(text)} << 32 | number);
        ForEachDeletion(text, [&](std::string_view deletion) {
            variants_.push_back(uint64_t{Hash(deletion)} << 32 | number);
        });
    }
    SortByHash(variants_);
    built_ = true;
}

std::vector<SpellingSuggester::Suggestion> SpellingSuggester::Suggest(std::string_view word,
                                                                      size_t limit) const {
    std::vector<Suggestion> found;
    const std::string query = WordSpelling(word);
    if (query.empty() || limit == 0)
        return found;
    const int maxDistance = query.size() <= kShortQuery ? 1 : 2;

    // The query, its deletions and, for two edits, theirs.
    std::unordered_set<std::string> probes = {query};
    ForEachDeletion(query, [&](std::string_view once) {
        probes.emplace(once);
        if (maxDistance == 2)
            ForEachDeletion(once, [&](std::string_view twice) { probes.emplace(twice); });
    });
    std::vector<uint32_t> candidates;
    for (const std::string& probe : probes) {
        const uint64_t hash = uint64_t{Hash(probe)} << 32;
        for (auto it = std::lower_bound(variants_.begin(), variants_.end(), hash);
             it != variants_.end() && (*it & 0xFFFFFFFF00000000u) == hash; ++it)
            candidates.push_back(static_cast<uint32_t>(*it));
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());

    struct Ranked {
        int Distance;
        uint32_t Rank;
        uint32_t Line;
    };
    std::vector<Ranked> ranked;
    for (uint32_t number : candidates) {
        const Spelling& spelling = words_[number];
        const int distance = Distance(query, Text(spelling));
        if (distance > 0 && distance <= maxDistance)
            ranked.push_back({distance, spelling.Rank, spelling.Line});
    }
    std::sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
        if (a.Distance != b.Distance)
            return a.Distance < b.Distance;
        return a.Rank != b.Rank ? a.Rank < b.Rank : a.Line < b.Line;
    });
    for (size_t i = 0; i < ranked.size() && i < limit; ++i)
        found.push_back({ranked[i].Line, ranked[i].Distance});
    return found;
}

int SpellingSuggester::Distance(std::string_view a, std::string_view b) {
    // Three rows of the dynamic programme: two back for transpositions.
    std::vector<int> before(b.size() + 1);
    std::vector<int> previous(b.size() + 1);
    std::vector<int> current(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        previous[j] = static_cast<int>(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        current[0] = static_cast<int>(i);
        for (size_t j = 1; j <= b.size(); ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            int best = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                best = std::min(best, before[j - 2] + 1);
            current[j] = best;
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[b.size()];
}

} // namespace core
