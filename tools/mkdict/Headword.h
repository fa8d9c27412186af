#pragma once

#include "tools/mkdict/Inflections.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// Everything the builder knows about one headword. Text is UTF-8 here; the
// writers convert to GBK.
struct Headword {
    std::string Name;       // as shown: ASCII, no line breaks
    std::string Key;        // lower case; WordHash and member names derive from it
    uint64_t Frequency = 0; // spoken counts, then WordNet tag and gloss counts; function words first
    int SenseCount = 0;
    bool Capitalised = false;

    struct ChineseLine {
        std::string Label; // "n.", "v.", "adj.", "adv.", or a hand-made one; may be empty
        std::vector<std::string> Words;
    };
    std::vector<ChineseLine> Chinese; // one line per part of speech
    std::vector<std::string> Gloss;   // the index gloss, best first
    // Dictionary: frequency-ranked CC-CEDICT senses; Derived: borrowed from
    // a related word ("sadly" from "sad"); Fallback: no Chinese, the gloss is
    // the part of speech and the head of the English definition.
    enum class GlossSource {
        Dictionary,
        Synonym,
        Derived,
        Fallback,
        Override
    } Source = GlossSource::Dictionary;

    std::string Ipa;
    InflectedForms Forms;

    struct Example {
        std::string En; // headword between 『 and 』
        std::string Cn; // empty for English-only examples
    };
    std::vector<Example> Examples;

    struct Definition {
        std::string Label; // part of speech, as in Chinese lines
        std::string Text;
        std::vector<std::string> Synonyms;
    };
    std::vector<Definition> Definitions; // grouped by part of speech

    std::string WordMp3;    // empty: no recording
    std::string ExampleMp3; // recording of Examples[0]
};

// Rank order: more frequent first, then more senses, then the key.
bool RanksBefore(const Headword& a, const Headword& b);

} // namespace tools
