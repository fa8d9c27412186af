#include "tools/mkdict/Inflections.h"

#include "tools/mkdict/TextUtil.h"

#include <algorithm>
#include <set>

namespace tools {
namespace {

bool IsVowel(char c) {
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}

bool EndsWithSibilant(const std::string& w) {
    return EndsWith(w, "s") || EndsWith(w, "x") || EndsWith(w, "z") || EndsWith(w, "ch") ||
           EndsWith(w, "sh");
}

bool ConsonantY(const std::string& w) {
    return w.size() >= 2 && w.back() == 'y' && !IsVowel(w[w.size() - 2]);
}

// Consonant-vowel-consonant ending of a one-syllable word: "stop", "big".
bool DoublesFinal(const std::string& w, int syllables) {
    if (syllables != 1 || w.size() < 3) {
        return false;
    }
    const char last = w.back();
    return !IsVowel(last) && last != 'w' && last != 'x' && last != 'y' &&
           IsVowel(w[w.size() - 2]) && !IsVowel(w[w.size() - 3]);
}

// Nouns that keep their form in the plural, and "-man" words whose plural is
// not "-men".
bool SamePlural(const std::string& w) {
    static const std::set<std::string> same = {"aircraft", "bison",     "chassis", "corps",
                                               "deer",     "dice",      "means",   "moose",
                                               "offspring", "series",   "sheep",   "species",
                                               "swine"};
    return same.contains(w);
}

bool ManPluralIsMans(const std::string& w) {
    static const std::set<std::string> mans = {
        "ataman", "brahman", "caiman",  "cayman", "doberman", "dolman",   "german", "hetman",
        "human",  "ottoman", "pullman", "roman",  "shaman",   "talisman", "walkman"};
    return mans.contains(w);
}

// Comparisons the adjective exception list lacks.
const std::map<std::string, std::pair<std::string, std::string>>& IrregularComparisons() {
    static const std::map<std::string, std::pair<std::string, std::string>> table = {
        {"far", {"farther", "farthest"}},
        {"ill", {"worse", "worst"}},
        {"little", {"less", "least"}},
        {"many", {"more", "most"}},
        {"much", {"more", "most"}}};
    return table;
}

// Reads a JSON string starting at text[pos] == '"'; advances past it.
bool ReadJsonString(std::string_view text, size_t& pos, std::string& value) {
    if (pos >= text.size() || text[pos] != '"') {
        return false;
    }
    value.clear();
    for (++pos; pos < text.size(); ++pos) {
        if (text[pos] == '\\' && pos + 1 < text.size()) {
            value += text[++pos];
        } else if (text[pos] == '"') {
            ++pos;
            return true;
        } else {
            value += text[pos];
        }
    }
    return false;
}

void SkipBlanks(std::string_view text, size_t& pos) {
    while (pos < text.size() &&
           (text[pos] == ' ' || text[pos] == '\n' || text[pos] == '\r' || text[pos] == '\t')) {
        ++pos;
    }
}

} // namespace

std::vector<std::string> InflectedForms::All() const {
    std::vector<std::string> all;
    for (const std::string* form : {&Plural, &Past, &PastParticiple, &PresentParticiple,
                                    &ThirdPerson, &Comparative, &Superlative}) {
        if (!form->empty() && std::find(all.begin(), all.end(), *form) == all.end()) {
            all.push_back(*form);
        }
    }
    return all;
}

bool Inflections::ParseIrregularVerbs(std::string_view json) {
    // {"verb":[["past","participle"],...], ...}: only the first pair is kept.
    size_t pos = 0;
    SkipBlanks(json, pos);
    if (pos >= json.size() || json[pos] != '{') {
        return false;
    }
    ++pos;
    while (true) {
        SkipBlanks(json, pos);
        if (pos < json.size() && json[pos] == '}') {
            return true;
        }
        std::string verb;
        if (!ReadJsonString(json, pos, verb)) {
            return false;
        }
        SkipBlanks(json, pos);
        if (pos >= json.size() || json[pos] != ':') {
            return false;
        }
        ++pos;
        SkipBlanks(json, pos);
        if (pos >= json.size() || json[pos] != '[') {
            return false;
        }
        int depth = 0;
        std::vector<std::string> strings;
        while (pos < json.size()) {
            const char c = json[pos];
            if (c == '[') {
                ++depth;
                ++pos;
            } else if (c == ']') {
                --depth;
                ++pos;
                if (depth == 0) {
                    break;
                }
            } else if (c == '"') {
                std::string value;
                if (!ReadJsonString(json, pos, value)) {
                    return false;
                }
                strings.push_back(value);
            } else {
                ++pos;
            }
        }
        if (depth != 0) {
            return false;
        }
        auto& pairs = irregular_[verb];
        for (size_t i = 0; i + 1 < strings.size(); i += 2) {
            pairs.emplace_back(strings[i], strings[i + 1]);
            pastForms_.insert(strings[i]);
            pastForms_.insert(strings[i + 1]);
        }
        if (pairs.empty()) {
            irregular_.erase(verb);
        }
        SkipBlanks(json, pos);
        if (pos < json.size() && json[pos] == ',') {
            ++pos;
        }
    }
}

bool Inflections::Attested(const std::string& form) const {
    return words_ == nullptr || words_->Has(form, kAttestedSize);
}

bool Inflections::IsAdjective(const std::string& word) const {
    if (wordNet_ == nullptr) {
        return false;
    }
    const auto it = wordNet_->Lemmas().find(word);
    return it != wordNet_->Lemmas().end() &&
           std::any_of(it->second.Senses.begin(), it->second.Senses.end(),
                       [](const WordNetSense& sense) { return sense.Pos == 'a'; });
}

bool Inflections::LoadIrregularVerbs(const std::string& path) {
    std::string text;
    return ReadWholeFile(path, text) && ParseIrregularVerbs(text);
}

std::string Inflections::Exception(char pos, const std::string& base,
                                   std::string_view suffix) const {
    if (wordNet_ == nullptr) {
        return {};
    }
    std::vector<std::string> forms = wordNet_->ExceptionForms(pos, base);
    std::sort(forms.begin(), forms.end());
    for (const std::string& form : forms) {
        if (suffix.empty() || EndsWith(form, suffix)) {
            return form;
        }
    }
    return {};
}

InflectedForms Inflections::Forms(const std::string& word, const std::vector<char>& parts,
                                  int syllables) const {
    const size_t blank = word.find(' ');
    if (blank == std::string::npos) {
        return WordForms(word, parts, syllables);
    }
    // A verb phrase inflects its verb: "give up" -> "gave up", "given up".
    InflectedForms forms;
    if (std::find(parts.begin(), parts.end(), 'v') == parts.end()) {
        return forms;
    }
    const std::string rest = word.substr(blank);
    const InflectedForms verb = WordForms(word.substr(0, blank), {'v'}, syllables);
    for (auto [to, from] : {std::pair{&forms.Past, &verb.Past},
                            std::pair{&forms.PastParticiple, &verb.PastParticiple},
                            std::pair{&forms.PresentParticiple, &verb.PresentParticiple},
                            std::pair{&forms.ThirdPerson, &verb.ThirdPerson}}) {
        if (!from->empty()) {
            *to = *from + rest;
        }
    }
    return forms;
}

InflectedForms Inflections::WordForms(const std::string& word, const std::vector<char>& parts,
                                      int syllables) const {
    InflectedForms forms;
    if (word.empty() ||
        !std::all_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
        return forms;
    }
    const bool noun = std::find(parts.begin(), parts.end(), 'n') != parts.end();
    const bool verb = std::find(parts.begin(), parts.end(), 'v') != parts.end();
    const bool adjective = std::find(parts.begin(), parts.end(), 'a') != parts.end();
    const std::string stem = word.substr(0, word.size() - 1);
    // A word the exception list holds as the plural of another ("data" of
    // "datum") has no plural of its own.
    const bool pluralAlready = wordNet_ != nullptr && [&] {
        const auto& exceptions = wordNet_->Exceptions('n');
        for (auto [it, end] = exceptions.equal_range(word); it != end; ++it) {
            if (it->second != word) {
                return true;
            }
        }
        return false;
    }();
    if (noun && !pluralAlready) {
        forms.Plural = Exception('n', word, "");
        if (forms.Plural.empty()) {
            forms.Plural = SamePlural(word) ? word
                           : (EndsWith(word, "man") && !ManPluralIsMans(word))
                               ? word.substr(0, word.size() - 3) + "men"
                           : ConsonantY(word)       ? stem + "ies"
                           : EndsWithSibilant(word) ? word + "es"
                                                    : word + "s";
            if (!SamePlural(word) && !Attested(forms.Plural)) {
                forms.Plural.clear(); // "funs", "todays"
                ++rejected_;
            }
        }
    }
    if (verb) {
        const std::string doubled = word + word.back();
        std::vector<std::string> known;
        if (wordNet_ != nullptr) {
            known = wordNet_->ExceptionForms('v', word);
        }
        auto listed = [&](const std::string& form) {
            return std::find(known.begin(), known.end(), form) != known.end();
        };
        const bool doubles =
            listed(doubled + "ed") || listed(doubled + "ing") || DoublesFinal(word, syllables);
        if (auto it = irregular_.find(word); it != irregular_.end()) {
            const auto& pairs = it->second;
            forms.Past = pairs.front().first;
            forms.PastParticiple = pairs.front().second;
            // Of several participles, one WordNet does not know as an
            // adjective and unlike the past ("borne", not "born"); else one
            // unlike the past that is heard at least a fifth as often as the
            // past ("forgotten", not "forgot"; but "struck", not "stricken").
            const auto choose = [&](bool unlikePast, bool notAdjective) {
                for (const auto& [past, participle] : pairs) {
                    const bool heard =
                        !unlikePast || notAdjective ||
                        (spoken_ != nullptr &&
                         5 * spoken_->Count(participle) >= spoken_->Count(past));
                    if (past == forms.Past && (!unlikePast || participle != past) &&
                        (!notAdjective || !IsAdjective(participle)) && heard) {
                        forms.PastParticiple = participle;
                        return true;
                    }
                }
                return false;
            };
            (void)(choose(true, true) || choose(true, false) || choose(false, true));
        } else {
            forms.Past = EndsWith(word, "e") ? word + "d"
                         : ConsonantY(word)  ? stem + "ied"
                         : doubles           ? doubled + "ed"
                                             : word + "ed";
            forms.PastParticiple = forms.Past;
        }
        const std::string ingException = Exception('v', word, "ing");
        forms.PresentParticiple =
            !ingException.empty()  ? ingException
            : EndsWith(word, "ie") ? word.substr(0, word.size() - 2) + "ying"
            : (EndsWith(word, "e") && !EndsWith(word, "ee") && !EndsWith(word, "ye") &&
               !EndsWith(word, "oe") && word.size() > 2)
                ? stem + "ing"
            : doubles ? doubled + "ing"
                      : word + "ing";
        if (!irregular_.contains(word) && Exception('v', word, "ed").empty() &&
            !Attested(forms.Past)) {
            forms.Past.clear();
            forms.PastParticiple.clear();
            forms.PresentParticiple.clear();
            ++rejected_;
        } else if (word == "be") {
            forms.ThirdPerson = "is";
        } else if (word == "have") {
            forms.ThirdPerson = "has";
        } else {
            forms.ThirdPerson = ConsonantY(word)                                  ? stem + "ies"
                                : (EndsWithSibilant(word) || EndsWith(word, "o")) ? word + "es"
                                                                                  : word + "s";
        }
    }
    if (adjective) {
        forms.Comparative = Exception('a', word, "er");
        forms.Superlative = Exception('a', word, "est");
        // "worse", "worst": listed forms without the usual endings.
        if (wordNet_ != nullptr && (forms.Comparative.empty() || forms.Superlative.empty())) {
            std::vector<std::string> listed = wordNet_->ExceptionForms('a', word);
            std::sort(listed.begin(), listed.end());
            for (const std::string& form : listed) {
                std::string& slot = EndsWith(form, "st") ? forms.Superlative : forms.Comparative;
                if (slot.empty()) {
                    slot = form;
                }
            }
        }
        if (const auto it = IrregularComparisons().find(word);
            forms.Comparative.empty() && it != IrregularComparisons().end()) {
            forms.Comparative = it->second.first;
            forms.Superlative = it->second.second;
        }
        const bool byRule = syllables == 1 || (syllables == 2 && ConsonantY(word) &&
                                               words_ != nullptr);
        if (forms.Comparative.empty() && forms.Superlative.empty() && byRule) {
            forms.Comparative = EndsWith(word, "e")     ? word + "r"
                                : ConsonantY(word)      ? stem + "ier"
                                : DoublesFinal(word, 1) ? word + word.back() + "er"
                                                        : word + "er";
            forms.Superlative = EndsWith(word, "e")     ? word + "st"
                                : ConsonantY(word)      ? stem + "iest"
                                : DoublesFinal(word, 1) ? word + word.back() + "est"
                                                        : word + "est";
            // "liver" is attested as the organ, not as a comparison of "live".
            const bool wordOfItsOwn =
                wordNet_ != nullptr && wordNet_->Lemmas().contains(forms.Comparative);
            if (!Attested(forms.Comparative) || !Attested(forms.Superlative) ||
                (wordOfItsOwn && spoken_ != nullptr &&
                 spoken_->Count(forms.Superlative) < kSpokenSuperlatives)) {
                forms.Comparative.clear();
                forms.Superlative.clear();
                ++rejected_;
            }
        }
    }
    return forms;
}

std::string Inflections::Describe(const InflectedForms& forms) {
    std::vector<std::string> parts;
    auto add = [&](const char* label, const std::string& value) {
        if (!value.empty()) {
            parts.push_back(std::string(label) + ": " + value);
        }
    };
    add("复数", forms.Plural);
    add("过去式", forms.Past);
    add("过去分词", forms.PastParticiple);
    add("现在分词", forms.PresentParticiple);
    add("第三人称单数", forms.ThirdPerson);
    add("比较级", forms.Comparative);
    add("最高级", forms.Superlative);
    return Join(parts, "  ");
}

} // namespace tools
