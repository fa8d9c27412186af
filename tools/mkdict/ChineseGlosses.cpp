#include "tools/mkdict/ChineseGlosses.h"

#include "platform/Gbk.h"
#include "tools/mkdict/TextUtil.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>

namespace tools {
namespace {

constexpr std::array<std::string_view, 14> kDemotingMarks{
    "(Tw)",       "(old)",       "(literary)",  "(bound form)",     "(archaic)",
    "(dialect)",  "(Cantonese)", "(slang)",     "(Internet slang)", "(loanword)",
    "(Buddhism)", "(TCM)",       "(euphemism)", "(honorific)"};

bool Skipped(std::string_view sense) {
    return StartsWith(sense, "CL:") || StartsWith(sense, "variant of") ||
           StartsWith(sense, "old variant of") || StartsWith(sense, "see ") ||
           StartsWith(sense, "used in") || StartsWith(sense, "surname ") ||
           StartsWith(sense, "also written") || StartsWith(sense, "also pr.") ||
           StartsWith(sense, "abbr. for") || StartsWith(sense, "erhua variant") ||
           StartsWith(sense, "Japanese variant") || StartsWith(sense, "(old) variant") ||
           sense.find("variant of") != std::string_view::npos;
}

int Demotion(std::string_view sense) {
    int penalty = 0;
    for (std::string_view mark : kDemotingMarks) {
        if (sense.find(mark) != std::string_view::npos) {
            penalty += 300;
        }
    }
    if (sense.find("(coll.)") != std::string_view::npos) {
        penalty += 20;
    }
    if (sense.find("(abbr.") != std::string_view::npos || StartsWith(sense, "abbr.")) {
        penalty += 150;
    }
    return penalty;
}

// GB2312 sorts its characters into a first level of the 3755 common ones
// (lead bytes B0-D7, trail bytes A1-FE) and a second of rarer ones (lead
// D8-F7); GBK adds the rest.
// Rare characters make poor glosses for a learner.
int RareCharacterPenalty(std::string_view utf8) {
    const std::string gbk = platform::Utf8ToGbk(utf8);
    int penalty = 0;
    for (size_t i = 0; i < gbk.size(); ++i) {
        const auto lead = static_cast<unsigned char>(gbk[i]);
        if (lead < 0x80) {
            continue;
        }
        const auto trail = ++i < gbk.size() ? static_cast<unsigned char>(gbk[i]) : 0;
        if (trail < 0xA1) {
            penalty += 250; // GBK's own additions use trail bytes 40-A0
        } else if (lead >= 0xD8 && lead <= 0xF7) {
            penalty += 120;
        } else if (lead < 0xB0 || lead > 0xF7) {
            penalty += (lead >= 0xA1 && lead <= 0xA9) ? 0 : 250;
        }
    }
    return penalty;
}

size_t Utf8Length(std::string_view text) {
    size_t count = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

bool PlainPhrase(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || c == ' ' || c == '-' || c == '\'';
    });
}

} // namespace

std::string ChineseGlosses::NormaliseSense(std::string_view sense, bool& verb) {
    std::string text = AsciiLower(StripParentheses(sense));
    while (!text.empty() && (text.back() == '.' || text.back() == ' ' || text.back() == '!')) {
        text.pop_back();
    }
    verb = false;
    if (StartsWith(text, "to ")) {
        verb = true;
        text.erase(0, 3);
    } else if (StartsWith(text, "a ")) {
        text.erase(0, 2);
    } else if (StartsWith(text, "an ")) {
        text.erase(0, 3);
    } else if (StartsWith(text, "the ")) {
        text.erase(0, 4);
    }
    return Trim(text);
}

ChineseGlosses::ChineseGlosses(const std::vector<CedictEntry>& entries) : entries_(entries) {
    // How many longer words contain a word: common words build many compounds
    // (苹果: 苹果汁, 苹果派, ...), rare ones none. The dictionary's own stand-in
    // for a frequency list.
    std::unordered_map<std::string, uint32_t> containing;
    for (const CedictEntry& entry : entries) {
        std::vector<size_t> starts;
        for (size_t i = 0; i < entry.Simplified.size(); ++i) {
            if ((static_cast<unsigned char>(entry.Simplified[i]) & 0xC0) != 0x80) {
                starts.push_back(i);
            }
        }
        starts.push_back(entry.Simplified.size());
        std::set<std::string> seen;
        for (size_t a = 0; a + 1 < starts.size(); ++a) {
            for (size_t b = a + 1; b < starts.size() && b - a <= 4; ++b) {
                if (a == 0 && b + 1 == starts.size()) {
                    continue; // the word itself
                }
                std::string piece = entry.Simplified.substr(starts[a], starts[b] - starts[a]);
                if (seen.insert(piece).second) {
                    ++containing[std::move(piece)];
                }
            }
        }
    }
    for (uint32_t e = 0; e < entries.size(); ++e) {
        const CedictEntry& entry = entries[e];
        if (!FitsGbk(entry.Simplified) || entry.Simplified.size() > 24) {
            continue;
        }
        const size_t length = Utf8Length(entry.Simplified);
        const int lengthScore = length == 2   ? 40
                                : length == 1 ? 0
                                : length == 3 ? 10
                                              : -20 * int(length - 3);
        const auto found = containing.find(entry.Simplified);
        const double compounds = found == containing.end() ? 0.0 : found->second;
        const int productivity =
            length == 1 ? std::min(160, static_cast<int>(20 * std::log2(1 + compounds)))
                        : std::min(240, static_cast<int>(60 * std::log2(1 + compounds)));
        const int senseCount = static_cast<int>(entry.Senses.size());
        const int rarity = RareCharacterPenalty(entry.Simplified);
        for (uint16_t s = 0; s < entry.Senses.size() && s < 40; ++s) {
            const std::string& sense = entry.Senses[s];
            if (Skipped(sense)) {
                continue;
            }
            const int base = lengthScore + productivity - 40 * s - 15 * (senseCount - 1) -
                             Demotion(sense) - rarity;
            std::set<std::string> keys;
            auto addExact = [&](std::string_view part, int bonus) {
                bool verb = false;
                std::string key = NormaliseSense(part, verb);
                if (key.empty() || key.size() > 60 || !keys.insert(key).second) {
                    return;
                }
                exact_[key].push_back(
                    {e, s, static_cast<int16_t>(base + bonus), verb ? 'v' : char(0)});
            };
            addExact(sense, 1000);
            const std::vector<std::string> parts = Split(sense, ';');
            if (parts.size() > 1) {
                for (size_t k = 0; k < parts.size(); ++k) {
                    addExact(parts[k], 900 - 30 * static_cast<int>(std::min<size_t>(k, 8)));
                }
            }
            if (const size_t comma = sense.find(','); comma != std::string::npos) {
                addExact(sense.substr(0, comma), 650);
            }
            // Phrases that contain a word: the examples of that word.
            bool verb = false;
            const std::string phrase = NormaliseSense(sense, verb);
            const std::vector<std::string> words = Words(phrase);
            if (words.size() >= 2 && words.size() <= 6 && PlainPhrase(phrase)) {
                std::set<std::string> seen;
                for (const std::string& word : words) {
                    if (seen.insert(word).second) {
                        contained_[word].push_back({e, s, static_cast<int16_t>(base), 0});
                    }
                }
            }
        }
    }
}

std::vector<ChineseCandidate> ChineseGlosses::Candidates(std::string_view headword,
                                                         bool capitalised, size_t limit) const {
    std::vector<ChineseCandidate> out;
    const auto it = exact_.find(AsciiLower(headword));
    if (it == exact_.end()) {
        return out;
    }
    for (const Posting& posting : it->second) {
        const CedictEntry& entry = entries_[posting.Entry];
        int score = posting.Base;
        if (entry.ProperNoun != capitalised) {
            score -= 400;
        }
        auto same = std::find_if(out.begin(), out.end(), [&](const ChineseCandidate& c) {
            return c.Chinese == entry.Simplified;
        });
        if (same == out.end()) {
            out.push_back({entry.Simplified, posting.Pos, score});
        } else if (score > same->Score) {
            same->Score = score;
            same->Pos = posting.Pos;
        }
    }
    std::sort(out.begin(), out.end(), [](const ChineseCandidate& a, const ChineseCandidate& b) {
        return a.Score != b.Score ? a.Score > b.Score : a.Chinese < b.Chinese;
    });
    // Candidates far below the best are noise ("to suit" -> 可).
    const int floor = out.empty() ? 0 : out.front().Score - 450;
    std::erase_if(out, [&](const ChineseCandidate& c) {
        // Rare characters only when nothing else is there.
        return c.Score < floor || (&c != &out.front() && RareCharacterPenalty(c.Chinese) >= 120);
    });
    if (out.size() > limit) {
        out.resize(limit);
    }
    return out;
}

std::vector<SensePhrase> ChineseGlosses::Phrases(std::string_view headword, size_t limit) const {
    std::vector<SensePhrase> out;
    const auto it = contained_.find(AsciiLower(headword));
    if (it == contained_.end()) {
        return out;
    }
    for (const Posting& posting : it->second) {
        const CedictEntry& entry = entries_[posting.Entry];
        if (entry.ProperNoun) {
            continue;
        }
        const std::string english = StripParentheses(entry.Senses[posting.Sense]);
        const int words = static_cast<int>(Words(english).size());
        const int rank = -posting.Base + 30 * words;
        if (std::any_of(out.begin(), out.end(),
                        [&](const SensePhrase& p) { return p.English == english; })) {
            continue;
        }
        out.push_back({english, entry.Simplified, rank});
    }
    std::sort(out.begin(), out.end(), [](const SensePhrase& a, const SensePhrase& b) {
        if (a.Rank != b.Rank) {
            return a.Rank < b.Rank;
        }
        return a.English != b.English ? a.English < b.English : a.Chinese < b.Chinese;
    });
    if (out.size() > limit) {
        out.resize(limit);
    }
    return out;
}

std::vector<std::string> ChineseGlosses::PhraseHeadwords() const {
    std::vector<std::string> out;
    for (const auto& [key, postings] : exact_) {
        const size_t words = Words(key).size();
        if (words < 2 || words > 4 || !PlainPhrase(key) || key.find("  ") != std::string::npos) {
            continue;
        }
        const bool usable = std::any_of(postings.begin(), postings.end(), [&](const Posting& p) {
            return !entries_[p.Entry].ProperNoun && p.Base > 600;
        });
        if (usable) {
            out.push_back(key);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace tools
