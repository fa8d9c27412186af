#include "core/FormTable.h"

namespace core {
namespace {

// Bytes read at a time: a few lines of the table.
constexpr size_t kPieceSize = 256;

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string_view Field(std::string_view line, size_t index) {
    for (size_t k = 0; k < index; ++k) {
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            return {};
        line.remove_prefix(tab + 1);
    }
    return line.substr(0, line.find('\t'));
}

} // namespace

void FormTable::Assign(std::string text) {
    text_ = std::move(text);
    size_ = text_.size();
    read_ = [this](uint64_t offset, size_t length, std::string& piece) {
        piece.assign(text_, offset < text_.size() ? static_cast<size_t>(offset) : text_.size(),
                     length);
        return true;
    };
}

void FormTable::AssignReader(LineList::PieceReader read, uint64_t size) {
    text_.clear();
    read_ = std::move(read);
    size_ = size;
}

void FormTable::Clear() {
    text_.clear();
    read_ = nullptr;
    size_ = 0;
}

bool FormTable::LineAt(uint64_t offset, std::string& line, uint64_t& next) const {
    line.clear();
    if (offset >= size_)
        return false;
    std::string piece;
    for (uint64_t at = offset; at < size_; at += piece.size()) {
        if (!read_(at, kPieceSize, piece) || piece.empty())
            return false;
        const size_t stop = piece.find_first_of("\r\n");
        if (stop == std::string::npos) {
            line += piece;
            continue;
        }
        line.append(piece, 0, stop);
        next = at + stop + 1;
        if (piece[stop] == '\r') {
            // CR LF is one break, also when the LF starts the next piece.
            std::string after;
            if (stop + 1 < piece.size() ? piece[stop + 1] == '\n'
                                        : read_(next, 1, after) && after == "\n")
                ++next;
        }
        return true;
    }
    next = size_;
    return true;
}

std::vector<FormBase> FormTable::Find(std::string_view word) const {
    std::vector<FormBase> bases;
    if (size_ == 0 || word.empty())
        return bases;
    const std::string key = LowerAscii(word);
    // Bisection over byte offsets keeps `low` at the start of a line whose
    // form sorts before the key (or at 0) and `high` at or after the start
    // of the first line whose form does not.
    uint64_t low = 0;
    uint64_t high = size_;
    std::string line;
    uint64_t next = 0;
    while (high - low > kPieceSize) {
        const uint64_t mid = low + (high - low) / 2;
        // The first line starting after mid.
        if (!LineAt(mid, line, next))
            return bases;
        if (next >= high) {
            high = mid;
            continue;
        }
        const uint64_t start = next;
        if (!LineAt(start, line, next))
            return bases;
        if (Field(line, 0) < key)
            low = start;
        else
            high = start;
    }
    // Then line by line from `low` until the forms pass the key.
    for (uint64_t at = low; at < size_; at = next) {
        if (!LineAt(at, line, next) || next <= at)
            break;
        const std::string_view form = Field(line, 0);
        if (form > key)
            break;
        const std::string_view base = Field(line, 1);
        const std::string_view kinds = Field(line, 2);
        if (form == key && !base.empty() && !kinds.empty())
            bases.push_back({std::string(base), std::string(kinds)});
    }
    return bases;
}

} // namespace core
