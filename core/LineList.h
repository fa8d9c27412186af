#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// The lines of a text member, split as storage::SplitLines splits them, kept
// as one block with a table of line starts (4 bytes a line): either all of
// them, or only the lines a query needs, read piece by piece so that neither
// the whole text nor a table of all its lines is ever held. Texts are below
// 4 GiB (a member's size is 32 bits).
class LineList {
public:
    // Reads bytes offset .. offset + length - 1 of the text into `piece`
    // (fewer at its end); false when the text cannot be read.
    using PieceReader = std::function<bool(uint64_t offset, size_t length, std::string& piece)>;

    // Keeps the whole text and finds all its lines.
    void Assign(std::string text);
    // Keeps the lines numbered `wanted` (ascending, distinct) of a text of
    // `textSize` bytes, reading it from the start only as far as the last
    // of them. False when a piece cannot be read.
    bool AssignSome(const PieceReader& read, uint64_t textSize,
                    const std::vector<uint32_t>& wanted);
    void Clear();

    // True when Assign kept every line.
    bool Whole() const { return whole_; }
    // Whole: the number of lines. Otherwise the lines known to exist: one
    // past the last wanted line when the text has it, else all the text has.
    size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }
    // Line i without its line break; i < Size() and, unless Whole(), one of
    // the wanted lines. Valid until the next Assign.
    std::string_view operator[](size_t i) const;
    // Copies of every kept line.
    std::vector<std::string> Copy() const;

private:
    std::string text_;
    // Start of every kept line and, last, the end of the text; a line ends
    // where the line breaks before the next start begin.
    std::vector<uint32_t> starts_;
    std::vector<uint32_t> numbers_; // the kept lines' numbers, unless whole_
    size_t size_ = 0;
    bool whole_ = true;
};

} // namespace core
