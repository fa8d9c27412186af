#include "tools/mkdict/CmuPhonetics.h"

#include "tools/mkdict/TextUtil.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <unordered_set>
#include <utility>

extern char** environ;

namespace tools {
namespace {

struct PhoneSymbol {
    const char* Phone;
    const char* Stressed;
    const char* Unstressed;
};

constexpr std::array<PhoneSymbol, 40> kPhones{{
    {"aa", "ɑ", "ɑ"},   {"ae", "æ", "æ"},   {"ah", "ʌ", "ə"},   {"ao", "ɔ", "ɔ"},
    {"aw", "aʊ", "aʊ"}, {"ax", "ə", "ə"},   {"ay", "aɪ", "aɪ"}, {"eh", "ɛ", "ɛ"},
    {"er", "ɝ", "ɚ"},   {"ey", "eɪ", "eɪ"}, {"ih", "ɪ", "ɪ"},   {"iy", "i", "i"},
    {"ow", "oʊ", "oʊ"}, {"oy", "ɔɪ", "ɔɪ"}, {"uh", "ʊ", "ʊ"},   {"uw", "u", "u"},
    {"b", "b", "b"},    {"ch", "tʃ", "tʃ"}, {"d", "d", "d"},    {"dh", "ð", "ð"},
    {"f", "f", "f"},    {"g", "ɡ", "ɡ"},    {"hh", "h", "h"},   {"jh", "dʒ", "dʒ"},
    {"k", "k", "k"},    {"l", "l", "l"},    {"m", "m", "m"},    {"n", "n", "n"},
    {"ng", "ŋ", "ŋ"},   {"p", "p", "p"},    {"r", "ɹ", "ɹ"},    {"s", "s", "s"},
    {"sh", "ʃ", "ʃ"},   {"t", "t", "t"},    {"th", "θ", "θ"},   {"v", "v", "v"},
    {"w", "w", "w"},    {"y", "j", "j"},    {"z", "z", "z"},    {"zh", "ʒ", "ʒ"},
}};

const PhoneSymbol* FindPhone(std::string_view phone) {
    for (const auto& entry : kPhones) {
        if (phone == entry.Phone) {
            return &entry;
        }
    }
    return nullptr;
}

// Espeak symbols and what this dictionary writes for them, longest first.
constexpr std::array<std::pair<const char*, const char*>, 17> kEspeakMap{{
    {"ɜːɹ", "ɝ"},
    {"ɜː", "ɝ"},
    {"ɑː", "ɑ"},
    {"ɔː", "ɔ"},
    {"iː", "i"},
    {"uː", "u"},
    {"oː", "oʊ"},
    {"ː", ""},
    {"ᵻ", "ɪ"},
    {"ɾ", "t"},
    {"ɐ", "ə"},
    {"ʔ", ""},
    {"ɫ", "l"},
    {"ɬ", "l"},
    {"x", "k"},
    {"̩", ""},
    {"ɚː", "ɚ"},
}};

bool IsVowelStart(std::string_view ipa, size_t pos) {
    static constexpr std::array<std::string_view, 13> kVowels{"ɑ", "æ", "ʌ", "ə", "ɔ", "a", "ɛ",
                                                              "ɝ", "ɚ", "e", "ɪ", "i", "o"};
    for (std::string_view v : kVowels) {
        if (ipa.substr(pos, v.size()) == v) {
            return true;
        }
    }
    return ipa.substr(pos, 2) == "ʊ" || ipa[pos] == 'u';
}

size_t PreviousCharStart(std::string_view text, size_t pos) {
    if (pos == 0) {
        return 0;
    }
    --pos;
    while (pos > 0 && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) {
        --pos;
    }
    return pos;
}

// Start of the syllable onset within the consonants text[from, to) before a
// vowel: the longest English onset ("st" in "understand", "dʒ" in "mg",
// "kl" in "o'clock") or else the last consonant alone.
size_t OnsetStart(std::string_view text, size_t from, size_t to) {
    static const std::set<std::string_view> onsets = {
        "tʃ", "dʒ", "pɹ", "pl",  "pj",  "bɹ",  "bl",  "bj",  "tɹ",  "tw", "dɹ",
        "dw", "kɹ", "kl", "kw",  "kj",  "ɡɹ",  "ɡl",  "ɡw",  "fɹ",  "fl", "fj",
        "θɹ", "θw", "ʃɹ", "vj",  "mj",  "hj",  "sp",  "st",  "sk",  "sm", "sn",
        "sl", "sw", "sf", "spɹ", "spl", "spj", "stɹ", "skɹ", "skw", "skj"};
    std::vector<size_t> starts; // code points of the run, last first
    for (size_t at = to; at > from && starts.size() < 3;) {
        at = PreviousCharStart(text, at);
        starts.push_back(at);
    }
    for (size_t length = starts.size(); length >= 2; --length) {
        if (onsets.contains(text.substr(starts[length - 1], to - starts[length - 1]))) {
            return starts[length - 1];
        }
    }
    return starts.empty() ? to : starts.front();
}

} // namespace

bool CmuPhonetics::ParseLine(std::string_view line, std::string& word, std::string& ipa,
                             int* syllableCount, char* partOfSpeech) {
    if (line.size() < 4 || line[0] != '(' || line[1] != '"') {
        return false;
    }
    const size_t close = line.find('"', 2);
    const size_t body = line.find("(((", close == std::string_view::npos ? 0 : close);
    if (close == std::string_view::npos || body == std::string_view::npos) {
        return false;
    }
    word = AsciiLower(line.substr(2, close - 2));
    if (partOfSpeech != nullptr) {
        const std::string tag = Trim(line.substr(close + 1, body - close - 1));
        *partOfSpeech = tag == "n" ? 'n' : tag == "v" ? 'v' : tag == "j" ? 'a' : '\0';
    }
    // Syllables: "((ph ph ph) stress)".
    std::vector<std::pair<std::vector<std::string>, bool>> syllables;
    size_t pos = body + 1;
    while (true) {
        const size_t open = line.find("((", pos);
        if (open == std::string_view::npos) {
            break;
        }
        const size_t phonesEnd = line.find(')', open + 2);
        if (phonesEnd == std::string_view::npos || phonesEnd + 2 >= line.size()) {
            return false;
        }
        const std::vector<std::string> phones = Words(line.substr(open + 2, phonesEnd - open - 2));
        const bool stressed = line[phonesEnd + 2] == '1';
        syllables.emplace_back(phones, stressed);
        pos = phonesEnd + 1;
    }
    if (syllables.empty()) {
        return false;
    }
    // The lexicon ends a weak syllable in "er" before a syllable that starts
    // with a vowel ("around": (er) (aw n d)); the r starts the next one:
    // əˈɹaʊnd, ˈdɪfəɹənt.
    static const std::set<std::string_view> vowels = {"aa", "ae", "ah", "ao", "aw", "ax",
                                                      "ay", "eh", "er", "ey", "ih", "iy",
                                                      "ow", "oy", "uh", "uw"};
    for (size_t i = 0; i + 1 < syllables.size(); ++i) {
        auto& [phones, stressed] = syllables[i];
        auto& next = syllables[i + 1].first;
        if (!stressed && !phones.empty() && phones.back() == "er" && !next.empty() &&
            vowels.contains(next.front())) {
            phones.back() = "ax";
            next.insert(next.begin(), "r");
        }
    }
    ipa.clear();
    if (syllableCount != nullptr) {
        *syllableCount = static_cast<int>(syllables.size());
    }
    bool primaryGiven = false;
    for (const auto& [phones, stressed] : syllables) {
        if (stressed && syllables.size() > 1) {
            ipa += primaryGiven ? "ˌ" : "ˈ";
            primaryGiven = true;
        }
        for (size_t k = 0; k < phones.size(); ++k) {
            const PhoneSymbol* symbol = FindPhone(phones[k]);
            if (symbol == nullptr) {
                return false;
            }
            if (phones[k] == "r" && k > 0 && phones[k - 1] == "er") {
                continue; // "er r" in one syllable: the vowel holds the r
            }
            ipa += stressed ? symbol->Stressed : symbol->Unstressed;
        }
    }
    return true;
}

void CmuPhonetics::Parse(std::string_view text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string word;
        std::string ipa;
        int syllables = 0;
        char pos = 0;
        // The first line of a word is its default reading; lines tagged with
        // a part of speech are also kept for it.
        if (ParseLine(text.substr(start, end - start), word, ipa, &syllables, &pos)) {
            if (pos != 0) {
                auto& readings = tagged_[word];
                if (std::none_of(readings.begin(), readings.end(),
                                 [&](const auto& r) { return r.first == pos; })) {
                    readings.emplace_back(pos, ipa);
                }
            }
            if (!ipa_.contains(word)) {
                syllables_.emplace(word, syllables);
                ipa_.emplace(std::move(word), std::move(ipa));
            }
        }
        start = end + 1;
    }
}

bool CmuPhonetics::Load(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return false;
    }
    Parse(text);
    return true;
}

bool CmuPhonetics::Has(std::string_view word) const {
    return ipa_.contains(AsciiLower(word));
}

int CmuPhonetics::Syllables(std::string_view word) const {
    const auto it = syllables_.find(AsciiLower(word));
    return it == syllables_.end() ? 0 : it->second;
}

std::vector<char> CmuPhonetics::TaggedParts(std::string_view word) const {
    std::vector<char> parts;
    const auto it = tagged_.find(AsciiLower(word));
    if (it != tagged_.end() && it->second.size() > 1) {
        for (const auto& [pos, ipa] : it->second) {
            parts.push_back(pos);
        }
    }
    return parts;
}

std::string CmuPhonetics::WordIpa(const std::string& word, char pos) const {
    if (const auto tagged = tagged_.find(word); tagged != tagged_.end() && pos != 0) {
        for (const auto& [tag, ipa] : tagged->second) {
            if (tag == pos) {
                return ipa;
            }
        }
    }
    const auto it = ipa_.find(word);
    return it == ipa_.end() ? std::string() : it->second;
}

namespace {

constexpr std::string_view kPrimary = "ˈ";
constexpr std::string_view kSecondary = "ˌ";

bool IsVowel(std::string_view letter) {
    static const std::unordered_set<std::string_view> vowels = {"a", "e", "i", "o", "u", "æ", "ɑ",
                                                                "ɒ", "ɔ", "ə", "ɚ", "ɛ", "ɝ", "ɜ",
                                                                "ɪ", "ʊ", "ʌ", "ᵻ", "ɐ"};
    return vowels.contains(letter);
}

// The stress marks of a transcription: byte position and the number of
// syllable nuclei (runs of vowels) before it.
struct StressMark {
    size_t Pos;
    int Syllable;
    bool Primary;
};

std::vector<StressMark> StressMarks(std::string_view ipa) {
    std::vector<StressMark> marks;
    int nuclei = 0;
    bool inVowel = false;
    for (size_t pos = 0; pos < ipa.size();) {
        size_t length = 1;
        const auto lead = static_cast<unsigned char>(ipa[pos]);
        if (lead >= 0xF0) {
            length = 4;
        } else if (lead >= 0xE0) {
            length = 3;
        } else if (lead >= 0xC0) {
            length = 2;
        }
        length = std::min(length, ipa.size() - pos);
        const std::string_view letter = ipa.substr(pos, length);
        if (letter == kPrimary || letter == kSecondary) {
            marks.push_back({pos, nuclei, letter == kPrimary});
            inVowel = false;
        } else if (IsVowel(letter)) {
            nuclei += inVowel ? 0 : 1;
            inVowel = true;
        } else if (letter != "ː") {
            inVowel = false;
        }
        pos += length;
    }
    return marks;
}

// Syllable nuclei of a transcription: vowels, a diphthong (aɪ aʊ eɪ oʊ ɔɪ)
// counting once ("going" has two).
int Nuclei(std::string_view ipa) {
    static const std::set<std::string> diphthongs = {"aɪ", "aʊ", "eɪ", "oʊ", "ɔɪ"};
    int nuclei = 0;
    std::string previous; // the vowel just before, if any
    for (size_t pos = 0; pos < ipa.size();) {
        const auto lead = static_cast<unsigned char>(ipa[pos]);
        const size_t length =
            std::min<size_t>(lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1,
                             ipa.size() - pos);
        const std::string letter(ipa.substr(pos, length));
        pos += length;
        if (letter == "ː") {
            continue;
        }
        if (!IsVowel(letter)) {
            previous.clear();
            continue;
        }
        nuclei += diphthongs.contains(previous + letter) ? 0 : 1;
        previous = diphthongs.contains(previous + letter) ? std::string() : letter;
    }
    return nuclei;
}

} // namespace

std::string CmuPhonetics::MovePrimaryStress(std::string_view ipa, std::string_view reference) {
    const std::vector<StressMark> wanted = StressMarks(reference);
    const auto primary = std::find_if(wanted.begin(), wanted.end(),
                                      [](const StressMark& mark) { return mark.Primary; });
    const std::vector<StressMark> marks = StressMarks(ipa);
    if (primary == wanted.end() || marks.size() < 2) {
        return std::string(ipa);
    }
    size_t best = 0;
    for (size_t i = 1; i < marks.size(); ++i) {
        if (std::abs(marks[i].Syllable - primary->Syllable) <
            std::abs(marks[best].Syllable - primary->Syllable)) {
            best = i;
        }
    }
    std::string out;
    size_t copied = 0;
    for (size_t i = 0; i < marks.size(); ++i) {
        out.append(ipa.substr(copied, marks[i].Pos - copied));
        out.append(i == best ? kPrimary : kSecondary);
        copied = marks[i].Pos + (marks[i].Primary ? kPrimary.size() : kSecondary.size());
    }
    out.append(ipa.substr(copied));
    return out;
}

std::vector<std::string>
CmuPhonetics::WordsWithSeveralStresses(const std::vector<std::string>& texts) const {
    std::set<std::string> found;
    for (const std::string& text : texts) {
        for (const std::string& word : Words(AsciiLower(text))) {
            for (const std::string& piece : Split(word, '-')) {
                const auto it = ipa_.find(piece);
                if (it != ipa_.end() && StressMarks(it->second).size() > 1 &&
                    std::all_of(piece.begin(), piece.end(),
                                [](char c) { return c >= 'a' && c <= 'z'; })) {
                    found.insert(piece);
                }
            }
        }
    }
    return {found.begin(), found.end()};
}

void CmuPhonetics::TakePrimaryStressFrom(const std::string& word, std::string_view reference) {
    const auto it = ipa_.find(word);
    if (it != ipa_.end()) {
        it->second = MovePrimaryStress(it->second, reference);
    }
    if (const auto tagged = tagged_.find(word); tagged != tagged_.end()) {
        for (auto& [pos, ipa] : tagged->second) {
            ipa = MovePrimaryStress(ipa, reference);
        }
    }
}

namespace {

// Words that stay unstressed in a phrase or a hyphenated word.
bool FunctionWord(std::string_view word) {
    static const std::set<std::string_view> words = {
        "a",  "an", "the", "of",  "to",   "and",  "or",   "for",  "at",   "by",   "from",
        "with", "as", "in", "on", "into", "onto", "than", "but",  "nor",  "if",   "is"};
    return words.contains(word);
}

bool Particle(std::string_view word) {
    static const std::set<std::string_view> words = {
        "up",     "down",  "out",     "off",   "in",    "on",    "over",  "away",
        "back",   "through", "around", "about", "along", "across", "by", "forward",
        "aside",  "apart", "together"};
    return words.contains(word);
}

// A stressed transcription: a one-syllable word gets the mark it lacks.
std::string Stressed(const std::string& ipa) {
    return StressMarks(ipa).empty() ? std::string(kPrimary) + ipa : ipa;
}

std::string Unstressed(std::string ipa) {
    for (std::string_view mark : {kPrimary, kSecondary}) {
        for (size_t at = ipa.find(mark); at != std::string::npos; at = ipa.find(mark, at)) {
            ipa.erase(at, mark.size());
        }
    }
    return ipa;
}

std::string Secondary(std::string ipa) {
    for (size_t at = ipa.find(kPrimary); at != std::string::npos; at = ipa.find(kPrimary, at)) {
        ipa.replace(at, kPrimary.size(), kSecondary);
    }
    return ipa;
}

} // namespace

std::string CmuPhonetics::Ipa(std::string_view text, char pos) const {
    const std::vector<std::string> words = Words(AsciiLower(text));
    std::vector<std::string> parts;
    for (const std::string& word : words) {
        const std::vector<std::string> pieces = Split(word, '-');
        if (pieces.size() == 1) {
            std::string ipa = WordIpa(word, words.size() == 1 ? pos : char(0));
            if (ipa.empty()) {
                return {};
            }
            parts.push_back(std::move(ipa));
            continue;
        }
        // "T-shirt": one word, the first stressed piece primary.
        std::string joined;
        bool primaryGiven = false;
        for (const std::string& piece : pieces) {
            std::string ipa = WordIpa(piece, 0);
            if (ipa.empty()) {
                return {};
            }
            if (FunctionWord(piece)) {
                joined += Unstressed(ipa);
            } else {
                joined += primaryGiven ? Secondary(Stressed(ipa)) : Stressed(ipa);
                primaryGiven = true;
            }
        }
        parts.push_back(std::move(joined));
    }
    if (parts.size() == 1) {
        return parts.front();
    }
    // A phrase: every content word stressed; a verb's particle takes the
    // primary stress.
    const bool phrasalVerb = pos == 'v' && words.size() == 2 && Particle(words[1]);
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        std::string ipa = parts[i];
        if (phrasalVerb) {
            ipa = i == 0 ? Secondary(Stressed(ipa)) : Stressed(ipa);
        } else if (FunctionWord(words[i]) && words[i].find('-') == std::string::npos) {
            ipa = Unstressed(ipa);
        } else {
            ipa = Stressed(ipa);
        }
        out += (out.empty() ? "" : " ") + ipa;
    }
    return out;
}

std::string CmuPhonetics::NormaliseEspeak(std::string_view ipa) {
    std::string text(Trim(ipa));
    for (const auto& [from, to] : kEspeakMap) {
        std::string replaced;
        const std::string_view needle = from;
        size_t pos = 0;
        while (true) {
            const size_t found = text.find(needle, pos);
            if (found == std::string::npos) {
                replaced.append(text, pos);
                break;
            }
            replaced.append(text, pos, found - pos);
            replaced += to;
            pos = found + needle.size();
        }
        text = std::move(replaced);
    }
    // espeak-ng writes a linking ɹ after an r-coloured vowel before a
    // vowel ("dishonourable" dɪsˈɑnɚɹəbəl); the vowel holds the r already.
    for (const std::string_view rhotic : {std::string_view("ɚɹ"), std::string_view("ɝɹ")}) {
        for (size_t at = text.find(rhotic); at != std::string::npos;
             at = text.find(rhotic, at + 1)) {
            const size_t next = at + rhotic.size();
            if (next < text.size() && IsVowelStart(text, next)) {
                text.erase(at + rhotic.size() - std::string_view("ɹ").size(),
                           std::string_view("ɹ").size());
            }
        }
    }
    // Move each stress mark in front of the onset before it (or the whole
    // consonant run at the start of a word).
    for (const std::string_view mark : {std::string_view("ˈ"), std::string_view("ˌ")}) {
        size_t pos = 0;
        while ((pos = text.find(mark, pos)) != std::string::npos) {
            size_t target = pos;
            size_t scan = pos;
            while (scan > 0) {
                const size_t prev = PreviousCharStart(text, scan);
                if (text[prev] == ' ' || text[prev] == '-' || IsVowelStart(text, prev) ||
                    text.compare(prev, 2, "ˈ") == 0 || text.compare(prev, 2, "ˌ") == 0) {
                    break;
                }
                scan = prev;
            }
            const bool wordStart = scan == 0 || text[PreviousCharStart(text, scan)] == ' ' ||
                                   text[PreviousCharStart(text, scan)] == '-';
            if (wordStart) {
                target = scan;
            } else if (scan < pos) {
                target = OnsetStart(text, scan, pos);
            }
            if (target < pos) {
                text.erase(pos, mark.size());
                text.insert(target, mark);
            }
            pos = target + mark.size() + 1;
        }
    }
    if (text.find(' ') == std::string::npos && Nuclei(text) == 1) {
        return Unstressed(text);
    }
    return text;
}

std::vector<std::string> CmuPhonetics::AskEspeak(const std::vector<std::string>& texts) {
    std::vector<std::string> results(texts.size());
    if (texts.empty()) {
        return results;
    }
    char inName[] = "/tmp/quendic-espeak-in-XXXXXX";
    char outName[] = "/tmp/quendic-espeak-out-XXXXXX";
    const int inFd = ::mkstemp(inName);
    const int outFd = ::mkstemp(outName);
    if (inFd < 0 || outFd < 0) {
        return results;
    }
    std::string input;
    for (const std::string& text : texts) {
        input += text + "\n";
    }
    const bool written =
        ::write(inFd, input.data(), input.size()) == static_cast<ssize_t>(input.size());
    ::lseek(inFd, 0, SEEK_SET);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inFd, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"espeak-ng", "-q", "--ipa", "-v", "en-us", nullptr};
    pid_t pid = 0;
    int status = -1;
    if (written && ::posix_spawnp(&pid, "espeak-ng", &actions, nullptr,
                                  const_cast<char* const*>(argv), environ) == 0) {
        ::waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(inFd);
    ::close(outFd);
    std::string output;
    const bool readOk = ReadWholeFile(outName, output);
    ::unlink(inName);
    ::unlink(outName);
    if (!readOk || status != 0) {
        return results;
    }
    std::vector<std::string> lines;
    for (const std::string& line : Split(output, '\n')) {
        if (!Trim(line).empty()) {
            lines.push_back(line);
        }
    }
    if (lines.size() != texts.size()) {
        return results; // alignment lost: better nothing than wrong sounds
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        results[i] = NormaliseEspeak(lines[i]);
    }
    return results;
}

} // namespace tools
