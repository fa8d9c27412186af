#include "core/LineList.h"

#include "platform/Text.h"

#include <algorithm>

namespace core {
namespace {

constexpr size_t kPieceSize = 256 * 1024;

} // namespace

void LineList::Assign(std::string text) {
    text_ = std::move(text);
    starts_.clear();
    numbers_.clear();
    whole_ = true;
    for (size_t start = 0; start < text_.size(); start = platform::NextLine(text_, start).Next)
        starts_.push_back(static_cast<uint32_t>(start));
    size_ = starts_.size();
    starts_.push_back(static_cast<uint32_t>(text_.size()));
    starts_.shrink_to_fit();
}

bool LineList::AssignSome(const PieceReader& read, uint64_t textSize,
                          const std::vector<uint32_t>& wanted) {
    Clear();
    whole_ = false;
    if (wanted.empty())
        return true;
    std::string buffer; // the unfinished line of the last piece, then the next piece
    std::string piece;
    uint64_t offset = 0;
    uint32_t line = 0;
    size_t next = 0; // index into wanted
    while (next < wanted.size()) {
        const bool last = offset >= textSize;
        if (!last) {
            if (!read(offset, kPieceSize, piece) || piece.empty())
                return false;
            offset += piece.size();
            buffer += piece;
        }
        const bool atEnd = offset >= textSize;
        size_t start = 0;
        while (start < buffer.size() && next < wanted.size()) {
            if (line < wanted[next]) {
                uint64_t count = wanted[next] - line;
                const uint64_t before = count;
                start = platform::SkipLines(buffer, start, count, atEnd);
                line += static_cast<uint32_t>(before - count);
                if (count > 0)
                    break; // more text needed
                continue;
            }
            const platform::LineSpan span = platform::NextLine(buffer, start);
            // A line running to the end of the buffer may go on in the next
            // piece (a CR there may be the first half of CR LF).
            if (span.Next == buffer.size() && !atEnd)
                break;
            numbers_.push_back(line);
            starts_.push_back(static_cast<uint32_t>(text_.size()));
            text_.append(buffer, span.Begin, span.End - span.Begin);
            ++next;
            ++line;
            start = span.Next;
        }
        buffer.erase(0, start);
        if (atEnd && (buffer.empty() || next == wanted.size()))
            break;
    }
    size_ = next == wanted.size() ? size_t{wanted.back()} + 1 : line;
    starts_.push_back(static_cast<uint32_t>(text_.size()));
    return true;
}

void LineList::Clear() {
    text_.clear();
    starts_.clear();
    numbers_.clear();
    size_ = 0;
    whole_ = true;
}

std::string_view LineList::operator[](size_t i) const {
    size_t slot = i;
    if (!whole_)
        slot = static_cast<size_t>(std::lower_bound(numbers_.begin(), numbers_.end(), i) -
                                   numbers_.begin());
    const size_t begin = starts_[slot];
    size_t end = starts_[slot + 1];
    // Lines hold no CR or LF, so whatever of them precedes the next start is
    // this line's break (kept lines are stored without it).
    while (end > begin && (text_[end - 1] == '\r' || text_[end - 1] == '\n'))
        --end;
    return {text_.data() + begin, end - begin};
}

std::vector<std::string> LineList::Copy() const {
    std::vector<std::string> lines;
    const size_t kept = starts_.empty() ? 0 : starts_.size() - 1;
    lines.reserve(kept);
    for (size_t slot = 0; slot < kept; ++slot)
        lines.emplace_back((*this)[whole_ ? slot : numbers_[slot]]);
    return lines;
}

} // namespace core
