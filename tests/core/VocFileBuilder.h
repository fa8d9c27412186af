#pragma once

// Builds word index files ("voc.dat") for tests and benchmarks, independently
// of the code that reads them: entries are sorted so that every letter and
// pair bucket is one contiguous run, and each two-byte character of a gloss
// gets a posting of the entry's line. Members are kept as raw bytes so a test
// can damage any of them before writing.

#include "storage/TCDF.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testing_voc {

struct VocEntry {
    std::string Headword; // GBK, no line breaks
    std::string Gloss;    // GBK, line breaks written "<0D0A>"
    // With a rank for every entry, member 6 holds them and the posting runs
    // list lines by rank; otherwise runs are in line order and there is no
    // member 6.
    std::optional<uint32_t> Rank = std::nullopt;
};

struct VocMembers {
    std::vector<std::string> Headwords;
    std::vector<std::string> Glosses;
    std::string LetterBuckets;
    std::vector<std::string> PairBuckets;
    std::string CnCharTable; // 32768 entries of offset, count (LE32 each)
    std::string CnPostings;  // LE32 line numbers
    std::string Ranks;       // LE32 per line (member 6)
    std::string Forms;       // the forms table (member 7)
    std::array<bool, 8> Present{true, true, true, true, true, true, false, false};
};

inline char UpperByte(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

inline std::string UpperText(std::string text) {
    for (char& c : text)
        c = UpperByte(c);
    return text;
}

inline void PutLe32(std::string& out, uint32_t value) {
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
}

inline uint32_t GetLe32(const std::string& in, size_t pos) {
    uint32_t value = 0;
    for (int k = 0; k < 4; ++k)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(in[pos + k])) << (8 * k);
    return value;
}

// Lays out the posting table from one run of line numbers per character code
// (0x8000 and above).
inline void SetPostings(VocMembers& members,
                        const std::map<uint32_t, std::vector<uint32_t>>& runs) {
    members.CnCharTable.assign(32768 * 8, '\0');
    members.CnPostings.clear();
    for (const auto& [code, lines] : runs) {
        const size_t entry = (code - 0x8000) * 8;
        std::string field;
        PutLe32(field, static_cast<uint32_t>(members.CnPostings.size()));
        PutLe32(field, static_cast<uint32_t>(lines.size()));
        members.CnCharTable.replace(entry, 8, field);
        for (uint32_t line : lines)
            PutLe32(members.CnPostings, line);
    }
}

inline VocMembers BuildVocMembers(std::vector<VocEntry> unsorted) {
    std::vector<std::pair<std::string, size_t>> keys; // upper-cased headword, input position
    keys.reserve(unsorted.size());
    for (size_t i = 0; i < unsorted.size(); ++i)
        keys.emplace_back(UpperText(unsorted[i].Headword), i);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<VocEntry> entries;
    entries.reserve(unsorted.size());
    for (const auto& key : keys)
        entries.push_back(std::move(unsorted[key.second]));
    VocMembers members;
    std::map<std::string, std::pair<uint32_t, uint32_t>> pairs; // prefix -> start, count
    std::array<std::pair<uint32_t, uint32_t>, 26> letters{};
    std::map<uint32_t, std::vector<uint32_t>> runs;
    const bool ranked = !entries.empty() && std::all_of(entries.begin(), entries.end(),
                                                        [](const VocEntry& e) { return e.Rank; });
    for (uint32_t line = 0; line < entries.size(); ++line) {
        const VocEntry& entry = entries[line];
        if (ranked)
            PutLe32(members.Ranks, *entry.Rank);
        members.Headwords.push_back(entry.Headword);
        members.Glosses.push_back(entry.Gloss);
        const std::string upper = UpperText(entry.Headword);
        if (!upper.empty() && upper[0] >= 'A' && upper[0] <= 'Z') {
            auto& letter = letters[static_cast<size_t>(upper[0] - 'A')];
            if (letter.second++ == 0)
                letter.first = line;
        }
        if (upper.size() >= 2) {
            auto [it, fresh] = pairs.try_emplace(upper.substr(0, 2), line, 0);
            ++it->second.second;
        }
        const std::string& gloss = entry.Gloss;
        for (size_t i = 0; i < gloss.size();) {
            const auto lead = static_cast<unsigned char>(gloss[i]);
            if (lead >= 0x81 && i + 1 < gloss.size()) {
                const uint32_t code = lead * 256u + static_cast<unsigned char>(gloss[i + 1]);
                std::vector<uint32_t>& run = runs[code];
                if (run.empty() || run.back() != line)
                    run.push_back(line);
                i += 2;
            } else {
                ++i;
            }
        }
    }
    for (size_t n = 0; n < 26; ++n) {
        members.LetterBuckets += "<Index" + std::to_string(n) + ">" +
                                 std::to_string(letters[n].first) + "</Index" + std::to_string(n) +
                                 ">";
        members.LetterBuckets += "<Count" + std::to_string(n) + ">" +
                                 std::to_string(letters[n].second) + "</Count" + std::to_string(n) +
                                 ">";
    }
    if (ranked) {
        members.Present[6] = true;
        for (auto& [code, lines] : runs) {
            std::stable_sort(lines.begin(), lines.end(), [&](uint32_t a, uint32_t b) {
                return *entries[a].Rank < *entries[b].Rank;
            });
        }
    }
    for (const auto& [prefix, range] : pairs)
        members.PairBuckets.push_back("<EN>" + prefix + "</EN><Index>" +
                                      std::to_string(range.first) + "</Index><Count>" +
                                      std::to_string(range.second) + "</Count>");
    SetPostings(members, runs);
    return members;
}

inline std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// Writes the present members to a new file at `path` (absolute).
inline bool WriteVoc(const std::string& path, const VocMembers& members) {
    std::remove(path.c_str());
    storage::TCDF cdf(path);
    cdf.SetNameSeed(0);
    cdf.SetCodeType(0);
    const std::array<std::string, 8> data{JoinLines(members.Headwords),
                                          JoinLines(members.Glosses),
                                          members.LetterBuckets,
                                          JoinLines(members.PairBuckets),
                                          members.CnCharTable,
                                          members.CnPostings,
                                          members.Ranks,
                                          members.Forms};
    for (uint32_t number = 0; number < 8; ++number) {
        if (!members.Present[number])
            continue;
        storage::Stream stream = data[number];
        if (!cdf.AddStream(number, stream))
            return false;
    }
    return true;
}

} // namespace testing_voc
