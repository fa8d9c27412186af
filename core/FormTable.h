#pragma once

#include "core/LineList.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// One headword an inflected form belongs to.
struct FormBase {
    std::string Base;  // the headword as listed, GBK
    std::string Kinds; // what the form is of it, GBK: "过去式", or several joined by "、"
};

// The inflected forms table (member 7 of "voc.dat"): lines
// "form TAB base TAB kinds", the form in lower case, sorted by form (bytes),
// a form's bases most frequent first. A lookup bisects the table through a
// piece reader, so the table is either held in memory (the window) or read
// in a few small pieces from the file (one-shot tools). Lines that do not
// have three fields are ignored; a table out of order finds less, never a
// wrong base.
class FormTable {
public:
    // Holds the table in memory.
    void Assign(std::string text);
    // Reads the table through `read` when asked; `size` is its length.
    void AssignReader(LineList::PieceReader read, uint64_t size);
    void Clear();
    bool Empty() const { return size_ == 0; }

    // The bases of `word` (ASCII case ignored), in stored order; none when
    // the word is no known form or the table cannot be read.
    std::vector<FormBase> Find(std::string_view word) const;

private:
    // The line starting at `offset` (its bytes up to the line break) and
    // the offset after its break; false at the end or when unreadable.
    bool LineAt(uint64_t offset, std::string& line, uint64_t& next) const;

    std::string text_;
    LineList::PieceReader read_;
    uint64_t size_ = 0;
};

} // namespace core
