#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tools {

// The English word lists of a spell checker's word-list collection: files
// "english-words.N", "english-contractions.N", "english-abbreviations.N" and
// their "american-" twins of one folder, where N is the size level (10 the
// commonest words, 95 the rarest). Each word remembers the smallest level
// that lists it; words are kept as written (case matters: "Paris").
class WordLists {
public:
    // Reads every list up to `maxSize`. False when the folder holds none.
    bool Load(const std::string& folder, int maxSize);
    // Adds the words of one list text (one word a line) at a size level.
    void Add(std::string_view text, int size);

    // The smallest size level listing the word; 0 when no list has it.
    int Size(std::string_view word) const;
    // Listed at `maxSize` or below.
    bool Has(std::string_view word, int maxSize) const {
        const int size = Size(word);
        return size != 0 && size <= maxSize;
    }
    size_t Count() const { return sizes_.size(); }

private:
    std::unordered_map<std::string, uint8_t> sizes_;
};

} // namespace tools
