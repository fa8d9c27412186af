#include "tools/mkdict/IndexWriter.h"

#include "tools/mkdict/ContainerBuilder.h"
#include "tools/mkdict/TextUtil.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace tools {
namespace {

std::string JoinLines(const std::vector<IndexLine>& lines, bool glosses) {
    std::string out;
    for (const IndexLine& line : lines) {
        out += glosses ? line.Gloss : line.Headword;
        out += "\r\n";
    }
    return out;
}

} // namespace

void IndexWriter::Order(std::vector<IndexLine>& lines) {
    // (bucket 0-25 or 26 for the rest, group byte, rank). Groups are ranked
    // by their best line, so the key of a line needs its group's best rank.
    std::map<std::pair<int, char>, uint32_t> groupBest;
    auto bucketOf = [](const IndexLine& line) {
        const char first = line.Headword.empty() ? '\0' : platform::UpperAscii(line.Headword[0]);
        return (first >= 'A' && first <= 'Z') ? first - 'A' : 26;
    };
    auto groupOf = [&](const IndexLine& line) -> char {
        if (bucketOf(line) == 26 || line.Headword.size() < 2) {
            return '\0'; // one-letter headwords first; the rest one group
        }
        return platform::UpperAscii(line.Headword[1]);
    };
    for (const IndexLine& line : lines) {
        const auto key = std::make_pair(bucketOf(line), groupOf(line));
        auto [it, inserted] = groupBest.emplace(key, line.Rank);
        if (!inserted) {
            it->second = std::min(it->second, line.Rank);
        }
    }
    std::stable_sort(lines.begin(), lines.end(), [&](const IndexLine& a, const IndexLine& b) {
        const int bucketA = bucketOf(a);
        const int bucketB = bucketOf(b);
        if (bucketA != bucketB) {
            return bucketA < bucketB;
        }
        const char groupA = groupOf(a);
        const char groupB = groupOf(b);
        if (groupA != groupB) {
            if (groupA == '\0' || groupB == '\0') {
                return groupA == '\0';
            }
            const uint32_t bestA = groupBest[{bucketA, groupA}];
            const uint32_t bestB = groupBest[{bucketB, groupB}];
            return bestA != bestB ? bestA < bestB : groupA < groupB;
        }
        return a.Rank != b.Rank ? a.Rank < b.Rank : a.Headword < b.Headword;
    });
}

std::string IndexWriter::LetterBuckets(const std::vector<IndexLine>& lines) {
    std::string out;
    size_t pos = 0;
    for (int n = 0; n < 26; ++n) {
        const size_t start = pos;
        while (pos < lines.size() && !lines[pos].Headword.empty() &&
               platform::UpperAscii(lines[pos].Headword[0]) == 'A' + n) {
            ++pos;
        }
        const std::string number = std::to_string(n);
        out += "<Index" + number + ">" + std::to_string(start) + "</Index" + number + ">";
        out += "<Count" + number + ">" + std::to_string(pos - start) + "</Count" + number + ">";
    }
    return out;
}

std::string IndexWriter::PairBuckets(const std::vector<IndexLine>& lines) {
    std::string out;
    size_t pos = 0;
    while (pos < lines.size()) {
        const std::string& word = lines[pos].Headword;
        const char first = word.empty() ? '\0' : platform::UpperAscii(word[0]);
        if (word.size() < 2 || first < 'A' || first > 'Z') {
            ++pos;
            continue;
        }
        const std::string pair = {first, platform::UpperAscii(word[1])};
        const size_t start = pos;
        while (pos < lines.size() && lines[pos].Headword.size() >= 2 &&
               platform::UpperAscii(lines[pos].Headword[0]) == pair[0] &&
               platform::UpperAscii(lines[pos].Headword[1]) == pair[1]) {
            ++pos;
        }
        out += "<EN>" + pair + "</EN><Index>" + std::to_string(start) + "</Index><Count>" +
               std::to_string(pos - start) + "</Count>\r\n";
    }
    return out;
}

void IndexWriter::ChinesePostings(const std::vector<IndexLine>& lines, std::string& table,
                                  std::string& postings, size_t* distinctCharacters) {
    std::vector<std::vector<uint32_t>> runs(32768);
    for (uint32_t i = 0; i < lines.size(); ++i) {
        const std::string& gloss = lines[i].Gloss;
        for (size_t p = 0; p < gloss.size();) {
            const auto lead = static_cast<unsigned char>(gloss[p]);
            if (lead < 0x80) {
                ++p;
                continue;
            }
            if (p + 1 >= gloss.size()) {
                break;
            }
            const auto trail = static_cast<unsigned char>(gloss[p + 1]);
            p += 2;
            if (lead >= 0xA1 && lead <= 0xA9) {
                continue;
            }
            auto& run = runs[(lead << 8 | trail) - 0x8000];
            if (run.empty() || run.back() != i) {
                run.push_back(i);
            }
        }
    }
    table.clear();
    postings.clear();
    size_t distinct = 0;
    for (auto& run : runs) {
        std::stable_sort(run.begin(), run.end(), [&](uint32_t a, uint32_t b) {
            return lines[a].Rank != lines[b].Rank ? lines[a].Rank < lines[b].Rank : a < b;
        });
        AppendLittle32(table, static_cast<uint32_t>(postings.size()));
        AppendLittle32(table, static_cast<uint32_t>(run.size()));
        for (uint32_t line : run) {
            AppendLittle32(postings, line);
        }
        distinct += run.empty() ? 0 : 1;
    }
    if (distinctCharacters != nullptr) {
        *distinctCharacters = distinct;
    }
}

std::string IndexWriter::Ranks(const std::vector<IndexLine>& lines) {
    std::string ranks;
    ranks.reserve(4 * lines.size());
    for (const IndexLine& line : lines)
        AppendLittle32(ranks, line.Rank);
    return ranks;
}

bool IndexWriter::Write(const std::string& path, std::vector<IndexLine>& lines,
                        size_t* distinctCharacters, const std::string& formTable) {
    Order(lines);
    std::string members[8];
    members[0] = JoinLines(lines, false);
    members[1] = JoinLines(lines, true);
    members[2] = LetterBuckets(lines);
    members[3] = PairBuckets(lines);
    ChinesePostings(lines, members[4], members[5], distinctCharacters);
    members[6] = Ranks(lines);
    members[7] = formTable;
    ContainerBuilder cdf;
    for (uint32_t n = 0; n < 8; ++n) {
        if (n < 7 || !formTable.empty())
            cdf.Add(n, members[n]);
    }
    return cdf.Save(path);
}

} // namespace tools
