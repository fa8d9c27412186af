#include "display/MonospaceMetrics.h"

#include "platform/Gbk.h"

namespace display {

FontExtent MonospaceMetrics::Extent(const TTextStyle&) const {
    return {ascent_, descent_};
}

int MonospaceMetrics::TextWidth(const TTextStyle&, std::string_view gbk) const {
    // A double-byte character is two bytes and two cells wide; a lead byte at
    // the end is one byte and one cell.
    return static_cast<int>(gbk.size()) * charWidth_;
}

std::size_t MonospaceMetrics::FitBytes(const TTextStyle&, std::string_view gbk,
                                       int maxWidth) const {
    std::size_t pos = 0;
    while (pos < gbk.size()) {
        const std::size_t next = pos + platform::GbkCharLength(gbk, pos);
        if (static_cast<long long>(next) * charWidth_ > maxWidth)
            break;
        pos = next;
    }
    return pos;
}

} // namespace display
