#include "tools/mkdict/ChineseGlosses.h"

#include "platform/Gbk.h"
#include "tools/mkdict/TextUtil.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <tuple>

namespace tools {
namespace {

// Register and regional marks: a sense so marked is no gloss for a learner
// while an unmarked one exists.
constexpr std::array<std::string_view, 17> kDroppingMarks{
    "(Tw)",      "(old)",         "(literary)", "(archaic)", "(dialect)",    "(Cantonese)",
    "(HK)",      "(slang)",       "(Internet slang)", "(vulgar)",  "(derog.)",
    "(euphemism)", "(jocular)",   "(humorous)", "(pejorative)", "(offensive)", "(old term)"};
// Marks of a special field or of a form that is rarely a word of its own.
constexpr std::array<std::string_view, 5> kDemotingMarks{"(bound form)", "(Buddhism)", "(TCM)",
                                                         "(Taoism)", "(idiom)"};
// Rare loanwords (骚瑞 for "sorry") are dropped; common ones (咖啡, 沙发) are
// the standard words.
constexpr uint32_t kCommonLoanword = 50;
// A qualified sense glosses its head word only with a word this common.
constexpr uint32_t kCommonQualified = 100;
// Bonus of a candidate that also means the headword's main sense.
constexpr int kAgreement = 100;
// Further penalty of a single character glossing a phrase.
constexpr int kPhraseCharacter = 200;
// Penalty per sense before the one that matched: an entry's first senses are
// its main meaning, and its count is mostly theirs (设计师 "designer", then
// "architect").
constexpr int kSensePenalty = 130;
// A word at least this common is known whatever characters write it.
constexpr uint32_t kKnownWord = 50;
// Penalty per ";" part before the one that matched: a word's count is mostly
// that of the meaning listed first (提问 "to question; to quiz; to grill").
constexpr int kPartPenalty = 50;
// Penalty of a part narrowed by a parenthesis ("to fix (a price)").
constexpr int kNarrowed = 180;
// Penalty of a single character whose count overstates the sense matched.
constexpr int kCharacterDoubt = 250;
// A single character in a secondary sense gives way to a word containing it
// only when that word is not far behind (牛 "ox; cow" stays ahead of the rare
// 牛只 "cow").
constexpr int kContainingMargin = 300;

bool Skipped(std::string_view sense) {
    return StartsWith(sense, "CL:") || StartsWith(sense, "variant of") ||
           StartsWith(sense, "old variant of") || StartsWith(sense, "see ") ||
           StartsWith(sense, "used in") || StartsWith(sense, "surname ") ||
           StartsWith(sense, "also written") || StartsWith(sense, "also pr.") ||
           StartsWith(sense, "abbr. for") || StartsWith(sense, "erhua variant") ||
           StartsWith(sense, "Japanese variant") || StartsWith(sense, "(old) variant") ||
           sense.find("variant of") != std::string_view::npos;
}

bool HasMark(std::string_view sense, std::string_view mark) {
    return sense.find(mark) != std::string_view::npos;
}

bool DroppingMark(std::string_view sense) {
    return std::any_of(kDroppingMarks.begin(), kDroppingMarks.end(),
                       [&](std::string_view mark) { return HasMark(sense, mark); });
}

// A sense that is nothing but marks ("(loanword)") marks the whole entry.
bool OnlyMarks(std::string_view sense) {
    const std::string rest = Trim(StripParentheses(sense));
    return rest.empty() && !sense.empty();
}

int Demotion(std::string_view sense) {
    int penalty = 0;
    for (std::string_view mark : kDemotingMarks) {
        penalty += HasMark(sense, mark) ? 150 : 0;
    }
    penalty += HasMark(sense, "(coll.)") ? 20 : 0;
    if (HasMark(sense, "(abbr.") || StartsWith(sense, "abbr.")) {
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

// A parenthesis narrows the sense or marks a register ("to fix (a price)",
// "(coll.) milk"); a classifier note ("(CL:位[wei4])") does neither.
bool Narrowed(std::string_view part) {
    for (size_t open = part.find('('); open != std::string_view::npos;
         open = part.find('(', open + 1)) {
        if (!StartsWith(part.substr(open + 1), "CL:")) {
            return true;
        }
    }
    return false;
}

// The note a sense starts with: "basketball" for "(basketball) a block".
std::string_view LeadingNote(std::string_view sense) {
    if (!StartsWith(sense, "(")) {
        return {};
    }
    const size_t close = sense.find(')');
    return close == std::string_view::npos ? std::string_view() : sense.substr(1, close - 1);
}

// A sense that starts by naming a special field ("(basketball) a block",
// "(Christianity) Epiphany") or a figurative use.
bool FieldMarked(std::string_view sense) {
    static const std::set<std::string_view> fields = {
        "fig.",         "computing",     "math.",        "medicine",    "sports",
        "physics",      "chemistry",     "botany",       "anatomy",     "military",
        "finance",      "linguistics",   "law",          "music",       "astronomy",
        "zoology",      "geology",       "biology",      "electronics", "gaming",
        "economics",    "geometry",      "textiles",     "agriculture", "pharmacology",
        "meteorology",  "aviation",      "baseball",     "photography", "statistics",
        "theater",      "ACG",           "mining",       "genetics",    "biochemistry",
        "basketball",   "psychology",    "soccer",       "mineralogy",  "mahjong",
        "accounting",   "printing",      "physiology",   "electricity", "Catholicism",
        "religion",     "martial arts",  "immunology",   "architecture", "philosophy",
        "typography",   "telecommunications", "pharm.",  "grammar",     "dentistry",
        "commerce",     "cinema",        "ball sports",  "Christianity", "sport",
        "ornithology",  "optics",        "mythology",    "metallurgy",  "med.",
        "mechanics",    "manufacturing", "fashion",      "epidemiology", "engineering",
        "Buddhism",     "TCM",           "Taoism",       "Daoism",      "chess",
        "go",           "tennis",        "golf",         "volleyball",  "football",
        "poker",        "cards",         "electrical engineering", "Islam", "Judaism"};
    return fields.contains(LeadingNote(sense));
}

// A sense said of animals or plants ("(of a bird, animal or plant) male" 牡).
bool SaidOfAnimals(std::string_view sense) {
    const std::string_view note = LeadingNote(sense);
    return StartsWith(note, "of ") && (note.find("animal") != std::string_view::npos ||
                                       note.find("bird") != std::string_view::npos ||
                                       note.find("plant") != std::string_view::npos);
}

bool PlainPhrase(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || c == ' ' || c == '-' || c == '\'';
    });
}

// Another sense of the entry holds a word of the context as a whole word.
bool AgreesWith(const CedictEntry& entry, size_t matched, const std::vector<std::string>& context) {
    if (context.empty()) {
        return false;
    }
    for (size_t s = 0; s < entry.Senses.size(); ++s) {
        if (s == matched) {
            continue;
        }
        for (const std::string& part : Split(AsciiLower(entry.Senses[s]), ';')) {
            bool verb = false;
            const std::vector<std::string> words = Words(ChineseGlosses::NormaliseSense(part, verb));
            for (const std::string& word : words) {
                if (std::find(context.begin(), context.end(), word) != context.end()) {
                    return true;
                }
            }
        }
    }
    return false;
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

ChineseGlosses::ChineseGlosses(const std::vector<CedictEntry>& entries,
                               const ChineseFrequencies* frequencies,
                               std::function<bool(std::string_view)> modifier,
                               std::function<bool(std::string_view)> profane)
    : entries_(entries) {
    // Without a frequency list: how many longer words contain a word. Common
    // words build many compounds (苹果: 苹果汁, 苹果派, ...), rare ones none.
    std::unordered_map<std::string, uint32_t> containing;
    if (frequencies == nullptr) {
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
    }
    // Readings of one written word (买卖 mai3 mai4 "to buy and sell", mai3
    // mai5 "shop") share its count.
    // Variants and "used in" notes (锁 "old variant of 鎖") are no readings;
    // traditional characters that simplify alike are (回 and 迴 "to curve").
    std::unordered_map<std::string, uint32_t> readings;
    {
        std::set<std::tuple<std::string, std::string, std::string>> seen;
        for (const CedictEntry& entry : entries) {
            const bool usable =
                std::any_of(entry.Senses.begin(), entry.Senses.end(), [](const std::string& s) {
                    return !Skipped(s) && !OnlyMarks(s);
                });
            if (!entry.ProperNoun && usable &&
                seen.emplace(entry.Simplified, entry.Traditional, AsciiLower(entry.Pinyin)).second) {
                ++readings[entry.Simplified];
            }
        }
    }
    entryScore_.resize(entries.size());
    entryCount_.resize(entries.size());
    characterTag_.resize(entries.size());
    for (uint32_t e = 0; e < entries.size(); ++e) {
        const CedictEntry& entry = entries[e];
        if (!FitsGbk(entry.Simplified) || entry.Simplified.size() > 24) {
            continue;
        }
        uint32_t count = 0;
        if (frequencies != nullptr) {
            count = frequencies->Count(entry.Simplified);
        } else if (const auto found = containing.find(entry.Simplified);
                   found != containing.end()) {
            count = found->second * 8;
        }
        if (const auto it = readings.find(entry.Simplified);
            !entry.ProperNoun && it != readings.end() && it->second > 1) {
            count /= it->second;
        }
        if (frequencies != nullptr && Utf8Length(entry.Simplified) == 1) {
            characterTag_[e] = frequencies->Tag(entry.Simplified);
        }
        entryCount_[e] = count;
        const size_t length = Utf8Length(entry.Simplified);
        const int lengthScore = length == 1   ? -250
                                : length == 2 ? 0
                                : length == 3 ? -20
                                              : -60 * static_cast<int>(length - 3);
        // Rare characters count against a word the frequency list does not
        // know as common (蝙蝠 "bat" and 蜗牛 "snail" are written with
        // second-level characters).
        const int rare = count < kKnownWord ? RareCharacterPenalty(entry.Simplified) : 0;
        entryScore_[e] = static_cast<int16_t>(100 * std::log2(1.0 + count) + lengthScore - rare);

        bool entryMarked = false;
        for (const std::string& sense : entry.Senses) {
            if (OnlyMarks(sense) && (DroppingMark(sense) || HasMark(sense, "(loanword)"))) {
                entryMarked = true;
            }
            if (HasMark(sense, "(vulgar)") || HasMark(sense, "(derog.)") ||
                HasMark(sense, "(offensive)") || (profane && profane(sense))) {
                offensive_.insert(entry.Simplified);
            }
        }
        for (uint16_t s = 0; s < entry.Senses.size() && s < 40; ++s) {
            const std::string& sense = entry.Senses[s];
            if (Skipped(sense) || OnlyMarks(sense)) {
                continue;
            }
            const bool marked = entryMarked || DroppingMark(sense) ||
                                (HasMark(sense, "(loanword)") && count < kCommonLoanword);
            const int demotion = Demotion(sense);
            std::set<std::string> keys;
            auto add = [&](std::string_view part, uint8_t index, Kind how) {
                bool verb = false;
                std::string key = NormaliseSense(part, verb);
                if (key.empty() || key.size() > 60) {
                    return;
                }
                char pos = verb ? 'v' : char(0);
                // "to be afraid" glosses the adjective "afraid".
                for (std::string_view copula : {"be ", "feel ", "become ", "get "}) {
                    if (verb && how != Qualified && StartsWith(key, copula) &&
                        key.find(' ', copula.size()) == std::string::npos) {
                        key.erase(0, copula.size());
                        pos = 'a';
                        how = Copula;
                        break;
                    }
                }
                // "creative inspiration" glosses "inspiration", when the
                // Chinese word is common.
                if (how == Qualified) {
                    const std::vector<std::string> words = Words(key);
                    if (words.size() != 2 || !modifier || !modifier(words[0]) ||
                        count < kCommonQualified) {
                        return;
                    }
                    key = words[1];
                }
                if (!keys.insert(key).second) {
                    return;
                }
                // A field or figurative mark before a later sense holds for
                // every part ("(basketball) a blocked shot; a block" 火锅);
                // before the first, it names the word's own field ("(zoology)
                // bat" 蝙蝠). Animals as what a sense is said of, an example
                // note ("manipulation (e.g. ball handling in sport)") and a
                // bound use (水 "to swim (used mostly in 会水 and 水性)") make
                // a sense special too: such a sense is no gloss beside a
                // general one. Other parentheses mostly explain ("to drink
                // (alcohol)", "(grape) wine", "captain (of a ship)").
                const bool special = (s > 0 && FieldMarked(sense)) || SaidOfAnimals(sense) ||
                                     part.find("(e.g.") != std::string_view::npos ||
                                     HasMark(sense, "(used in ") ||
                                     HasMark(sense, "(used mostly in ");
                const bool narrowed = special || Narrowed(part);
                exact_[key].push_back({e, s, index, how, pos, marked, special,
                                       static_cast<int16_t>(demotion + (narrowed ? kNarrowed : 0))});
            };
            add(sense, 0, Whole);
            const std::vector<std::string> parts = Split(sense, ';');
            for (size_t k = 0; k < parts.size(); ++k) {
                add(parts[k], static_cast<uint8_t>(std::min<size_t>(k, 8)), Part);
            }
            if (const size_t comma = sense.find(','); comma != std::string::npos) {
                add(sense.substr(0, comma), 0, Comma);
            }
            for (size_t k = 0; k < parts.size(); ++k) {
                add(parts[k], static_cast<uint8_t>(std::min<size_t>(k, 8)), Qualified);
            }
            // Phrases that contain a word: the examples of that word.
            bool verb = false;
            const std::string phrase = NormaliseSense(sense, verb);
            const std::vector<std::string> words = Words(phrase);
            if (words.size() >= 2 && words.size() <= 6 && PlainPhrase(phrase)) {
                std::set<std::string> seen;
                for (const std::string& word : words) {
                    if (seen.insert(word).second) {
                        contained_[word].push_back(
                            {e, s, 0, Whole, 0, marked, false, static_cast<int16_t>(demotion)});
                    }
                }
            }
        }
    }
}

int ChineseGlosses::Score(const Posting& posting, bool capitalised) const {
    static constexpr int kKindPenalty[] = {0, 0, 100, 50, 250};
    const int senses = static_cast<int>(entries_[posting.Entry].Senses.size());
    int score = entryScore_[posting.Entry] - kSensePenalty * posting.Sense - kPartPenalty * posting.Part -
                std::min(150, 10 * (senses - 1)) - kKindPenalty[posting.How] - posting.Penalty;
    if (entries_[posting.Entry].ProperNoun != capitalised) {
        score -= 400;
    }
    // A character's count is mostly that of its first meaning ("to eat; to
    // consume" 吃), or of another word read alike (重 zhong4 "heavy", tagged
    // an adjective, and chong2 "to repeat"; 按 "according to" and "to
    // press"): it overstates a later part, or a verb sense where the list
    // tags the character as an adjective, adverb or function word.
    const char tag = characterTag_[posting.Entry];
    if (Utf8Length(entries_[posting.Entry].Simplified) == 1 &&
        (posting.Part > 0 ||
         (posting.Pos == 'v' && tag != 0 &&
          std::string_view("adpcurmq").find(tag) != std::string_view::npos))) {
        score -= kCharacterDoubt;
    }
    return score;
}

std::vector<ChineseCandidate> ChineseGlosses::Candidates(
    std::string_view headword, bool capitalised, size_t limit,
    const std::vector<std::string>& context) const {
    struct Found {
        ChineseCandidate Candidate;
        bool Marked;    // every matching sense carries a register mark
        bool Secondary; // the best match is not the entry's first sense
        uint32_t Count;
    };
    std::vector<Found> found;
    const bool phrase = headword.find(' ') != std::string_view::npos;
    const auto it = exact_.find(AsciiLower(headword));
    if (it == exact_.end()) {
        return {};
    }
    for (const Posting& posting : it->second) {
        const CedictEntry& entry = entries_[posting.Entry];
        int score = Score(posting, capitalised);
        // A phrase ("hold on") is rarely one character (把).
        if (phrase && Utf8Length(entry.Simplified) == 1) {
            score -= kPhraseCharacter;
        }
        if (AgreesWith(entry, posting.Sense, context)) {
            // The entry means the headword's main sense wherever it lists it.
            score += kAgreement + kSensePenalty * posting.Sense;
        }
        const Found next{{entry.Simplified, posting.Pos, score, posting.Narrowed}, posting.Marked,
                         posting.Sense > 0, entryCount_[posting.Entry]};
        auto same = std::find_if(found.begin(), found.end(), [&](const Found& f) {
            return f.Candidate.Chinese == entry.Simplified;
        });
        if (same == found.end()) {
            found.push_back(next);
        } else if (same->Marked != next.Marked ? same->Marked
                                               : score > same->Candidate.Score) {
            *same = next; // an unmarked sense outweighs marked ones
        }
    }
    if (std::any_of(found.begin(), found.end(), [](const Found& f) { return !f.Marked; })) {
        std::erase_if(found, [](const Found& f) { return f.Marked; });
    }
    auto better = [](const Found& a, const Found& b) {
        return a.Candidate.Score != b.Candidate.Score ? a.Candidate.Score > b.Candidate.Score
                                                      : a.Candidate.Chinese < b.Candidate.Chinese;
    };
    std::sort(found.begin(), found.end(), better);
    // A single character used in a secondary sense ranks below a longer word
    // that contains it (照 "photo" below 照片) or whose first sense this is
    // (螺 "spiral shell; snail" below 蜗牛 "snail"); one whose first sense
    // this is keeps its place (狗 "dog" above 疯狗, 书 "book" above 书本).
    for (size_t i = 0; i < found.size(); ++i) {
        if (!found[i].Secondary || Utf8Length(found[i].Candidate.Chinese) != 1) {
            continue;
        }
        for (size_t j = i + 1; j < found.size(); ++j) {
            if (found[j].Candidate.Score < found[i].Candidate.Score - kContainingMargin) {
                break;
            }
            if (found[j].Candidate.Chinese.find(found[i].Candidate.Chinese) != std::string::npos ||
                (!found[j].Secondary && Utf8Length(found[j].Candidate.Chinese) > 1)) {
                found[i].Candidate.Score = found[j].Candidate.Score - 1;
                break;
            }
        }
    }
    std::stable_sort(found.begin(), found.end(), better);
    std::vector<ChineseCandidate> out;
    // Candidates far below the best of their part of speech are noise ("to
    // suit" -> 可); a verb sense ("to book (tickets)" 订) is measured against
    // the verbs, not against the noun (书). Rare characters only when nothing
    // else is there.
    auto floor = [&](char pos) {
        const auto best = std::find_if(found.begin(), found.end(),
                                       [&](const Found& f) { return f.Candidate.Pos == pos; });
        return best->Candidate.Score - 450;
    };
    for (const Found& f : found) {
        if (out.size() < limit && f.Candidate.Score >= floor(f.Candidate.Pos) &&
            (out.empty() || f.Count >= kKnownWord ||
             RareCharacterPenalty(f.Candidate.Chinese) < 120)) {
            out.push_back(f.Candidate);
        }
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
        const int rank = -(entryScore_[posting.Entry] - posting.Penalty - 40 * posting.Sense) +
                         30 * words;
        if (std::any_of(out.begin(), out.end(),
                        [&](const SensePhrase& p) { return p.English == english; })) {
            continue;
        }
        out.push_back(
            {english, entry.Simplified, entryCount_[posting.Entry], posting.Marked, rank});
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

std::vector<std::string> ChineseGlosses::WordHeadwords() const {
    std::vector<std::string> out;
    for (const auto& [key, postings] : exact_) {
        if (key.empty() || key[0] < 'a' || key[0] > 'z' ||
            !std::all_of(key.begin(), key.end(),
                         [](char c) { return (c >= 'a' && c <= 'z') || c == '\'' || c == '-'; })) {
            continue;
        }
        const bool usable = std::any_of(postings.begin(), postings.end(), [&](const Posting& p) {
            return !entries_[p.Entry].ProperNoun && !p.Marked && (p.How == Whole || p.How == Part);
        });
        if (usable) {
            out.push_back(key);
        }
    }
    std::sort(out.begin(), out.end());
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
            return !entries_[p.Entry].ProperNoun && !p.Marked && (p.How == Whole || p.How == Part) &&
                   p.Sense < 3 && RareCharacterPenalty(entries_[p.Entry].Simplified) < 120;
        });
        if (usable) {
            out.push_back(key);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace tools
