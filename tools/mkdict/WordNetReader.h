#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tools {

// Parts of speech as WordNet's data files name them: 'n', 'v', 'a', 'r'
// (satellite adjectives count as 'a').
struct WordNetSense {
    char Pos = 'n';
    uint32_t TagCount = 0;
    int SenseNumber = 0;
    int LexFile = 0; // lexicographer file: 18 is noun.person
    std::string Spelling; // the lemma as this synset writes it
    std::string Definition;
    std::vector<std::string> Synonyms; // the other words of the synset, blanks for '_'
    std::vector<std::string> Examples;
    // Words this sense derives from or gives rise to (WordNet's lexical "+"
    // and "\\" pointers: "sadly" -> "sad", "absence" -> "absent"), as
    // lower-case keys with their part of speech.
    std::vector<std::pair<char, std::string>> Related;
};

struct WordNetLemma {
    std::string Key;                  // lower case, blanks for '_'
    std::string Display;              // spelling in the synset of the most frequent sense
    uint64_t TagCount = 0;            // sum over the senses: the frequency signal
    uint64_t GlossCount = 0;          // occurrences in WordNet's definitions and examples
    std::vector<WordNetSense> Senses; // most frequent first, then by sense number
};

// Reads WordNet 3.0 dictionary files from one folder: index.sense (senses and
// tag counts), data.noun/verb/adj/adv (definitions, synonyms, examples) and
// the exception lists noun.exc, verb.exc, adj.exc and adv.exc.
class WordNetReader {
public:
    // False when index.sense or a data file cannot be read.
    bool Load(const std::string& folder);

    const std::map<std::string, WordNetLemma>& Lemmas() const { return lemmas_; }
    // Inflected form -> base forms, per part of speech ('n', 'v', 'a', 'r').
    const std::multimap<std::string, std::string>& Exceptions(char pos) const;
    // Base form -> inflected forms, per part of speech.
    std::vector<std::string> ExceptionForms(char pos, const std::string& base) const;

    // One data-file line: its words and gloss. Exposed for tests.
    struct Pointer {
        std::string Symbol; // "+", "\\", "@", ...
        uint64_t Offset = 0;
        char Pos = 0; // as the data files write it: n v a s r
        unsigned Source = 0, Target = 0; // word numbers from 1; 0 for the whole synset
    };
    struct SynsetLine {
        std::vector<std::string> Words; // as spelled, '_' kept
        std::vector<Pointer> Pointers;
        std::string Definition;
        std::vector<std::string> Examples;
    };
    static bool ParseDataLine(const std::string& line, SynsetLine& synset);

private:
    std::map<std::string, WordNetLemma> lemmas_;
    std::multimap<std::string, std::string> nounExc_, verbExc_, adjExc_, advExc_;
    std::multimap<std::string, std::string> nounBase_, verbBase_, adjBase_, advBase_;
};

// "big_apple" -> "big apple"; "beautiful(a)" -> "beautiful".
std::string WordNetWordToText(std::string_view word);

} // namespace tools
