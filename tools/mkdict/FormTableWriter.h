#pragma once

#include "tools/mkdict/Headword.h"
#include "tools/mkdict/Inflections.h"
#include "tools/mkdict/WordNetReader.h"

#include <map>
#include <string>
#include <vector>

namespace tools {

// The inflected forms table of the word index (member 7 of "voc.dat"): every
// inflected form the data knows, with the headwords it belongs to and what
// it is of each ("过去式", "复数", ...). Sources: the forms each entry lists
// and WordNet's exception lists (irregular plurals, verb forms, comparisons
// of adjectives and adverbs: "better" of good and of well), verb phrases
// included ("gave up" of give up). A form is never its own base.
class FormTableWriter {
public:
    // `words` in rank order, most frequent first: a form's bases are listed
    // in that order. The entries' forms are taken at once.
    explicit FormTableWriter(const std::vector<Headword>& words);

    // The exception lists' forms whose base is a headword. Verb forms get
    // their kind from the base's regular and irregular forms, else from the
    // ending.
    void AddExceptions(const WordNetReader& wordNet, const Inflections& inflections);

    // Lines "form TAB base TAB kinds", kinds joined by "、", sorted by form
    // and then by the base's rank; GBK, CR LF after each.
    std::string Member() const;
    size_t FormCount() const { return forms_.size(); }

    // Kinds, in the order a line lists them.
    enum Kind {
        Plural,
        Past,
        PastParticiple,
        PresentParticiple,
        ThirdPerson,
        Present,
        Comparative,
        Superlative,
        KindCount
    };

private:
    void Add(const std::string& form, size_t base, Kind kind);

    const std::vector<Headword>& words_;
    std::map<std::string, size_t> rankOf_; // lower-cased headword -> rank
    // form -> base rank -> kinds (bit i for Kind i)
    std::map<std::string, std::map<size_t, unsigned>> forms_;
};

} // namespace tools
