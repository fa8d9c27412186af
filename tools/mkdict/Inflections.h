#pragma once

#include "tools/mkdict/SpokenFrequencies.h"
#include "tools/mkdict/WordLists.h"
#include "tools/mkdict/WordNetReader.h"

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

struct InflectedForms {
    std::string Plural;               // nouns
    std::string Past, PastParticiple; // verbs
    std::string PresentParticiple, ThirdPerson;
    std::string Comparative, Superlative; // adjectives
    bool Empty() const { return Plural.empty() && Past.empty() && Comparative.empty(); }
    // Every distinct form, in the order above.
    std::vector<std::string> All() const;
};

// Inflected forms of single words and of verb phrases ("give up": "gave up",
// "given up"): irregular verbs from the irregular verb list (past and
// participle told apart), WordNet's exception lists for the other irregular
// forms and for doubled consonants, regular spelling rules for the rest.
// Adjectives get forms only when the exception list has them or the word has
// one syllable, or two ending in "y" ("happier"); no "more"/"most" forms are
// made up.
//
// With word lists given, a form made by rule is kept only when it is attested:
// a plural or a comparison must be in the word list (up to kAttestedSize), and
// a verb's regular forms only when its past is. A comparative that is a word
// of its own ("liver", "broker", "goner") proves nothing, so such an adjective
// is compared only when its superlative is heard in the spoken list at least
// kSpokenSuperlatives times. Listed irregular forms need no attestation.
class Inflections {
public:
    static constexpr int kAttestedSize = 60;
    static constexpr uint64_t kSpokenSuperlatives = 10;

    explicit Inflections(const WordNetReader* wordNet = nullptr) : wordNet_(wordNet) {}

    // Word lists that attest forms made by rule; either may be null (then
    // such forms are kept as made). Not owned; they must outlive this object.
    void SetAttestation(const WordLists* words, const SpokenFrequencies* spoken) {
        words_ = words;
        spoken_ = spoken;
    }

    // Parses the irregular verb list, a JSON object of the form
    // {"go":[["went","gone"]], ...}. False for text that does not parse. Of
    // several pairs the first past is taken, with the first of its
    // participles that WordNet does not know as an adjective ("bear": bore,
    // borne, since "born" is an adjective of its own).
    bool ParseIrregularVerbs(std::string_view json);
    bool LoadIrregularVerbs(const std::string& path);
    size_t IrregularVerbCount() const { return irregular_.size(); }
    // The word is the listed past or participle of some verb ("read", "wound").
    bool IrregularPastForm(const std::string& word) const { return pastForms_.contains(word); }

    // Forms for the parts of speech given ('n', 'v', 'a'); syllables is the
    // syllable count of the word that inflects (0 when unknown). A phrase
    // gets only verb forms, made on its first word ("give up" -> "gave up").
    InflectedForms Forms(const std::string& word, const std::vector<char>& parts,
                         int syllables) const;

    // Forms made by rule and left out as unattested, over all calls so far.
    size_t Rejected() const { return rejected_; }

    // The one-line text of an entry record: "复数: apples" or
    // "过去式: went  过去分词: gone  现在分词: going  第三人称单数: goes" (UTF-8).
    static std::string Describe(const InflectedForms& forms);

private:
    InflectedForms WordForms(const std::string& word, const std::vector<char>& parts,
                             int syllables) const;
    std::string Exception(char pos, const std::string& base, std::string_view suffix) const;
    bool Attested(const std::string& form) const;
    bool IsAdjective(const std::string& word) const;
    const WordNetReader* wordNet_;
    const WordLists* words_ = nullptr;
    const SpokenFrequencies* spoken_ = nullptr;
    mutable size_t rejected_ = 0; // a count for the coverage report only
    // verb -> (past, participle) pairs in list order
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> irregular_;
    std::set<std::string> pastForms_;
};

} // namespace tools
