#pragma once

#include "tools/mkdict/WordNetReader.h"

#include <map>
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

// Inflected forms of single words: irregular verbs from the irregular verb
// list (past and participle told apart), WordNet's exception lists for the
// other irregular forms and for doubled consonants, regular spelling rules for
// the rest. Adjectives get forms only when the exception list has them or the
// word has one syllable (no "more"/"most" forms are made up).
class Inflections {
public:
    explicit Inflections(const WordNetReader* wordNet = nullptr) : wordNet_(wordNet) {}

    // Parses the irregular verb list, a JSON object of the form
    // {"go":[["went","gone"]], ...}. False for text that does not parse.
    bool ParseIrregularVerbs(std::string_view json);
    bool LoadIrregularVerbs(const std::string& path);
    size_t IrregularVerbCount() const { return irregular_.size(); }

    // Forms for the parts of speech given ('n', 'v', 'a'); syllables is the
    // word's syllable count (0 when unknown). Phrases get no forms.
    InflectedForms Forms(const std::string& word, const std::vector<char>& parts,
                         int syllables) const;

    // The one-line text of an entry record: "复数: apples" or
    // "过去式: went  过去分词: gone  现在分词: going  第三人称单数: goes" (UTF-8).
    static std::string Describe(const InflectedForms& forms);

private:
    std::string Exception(char pos, const std::string& base, std::string_view suffix) const;
    const WordNetReader* wordNet_;
    std::map<std::string, std::pair<std::string, std::string>> irregular_;
};

} // namespace tools
