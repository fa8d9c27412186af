#include "display/GbkText.h"

namespace display {

std::size_t GbkCharLength(std::string_view text, std::size_t pos) {
    if (pos + 1 < text.size() && static_cast<unsigned char>(text[pos]) >= 0x80)
        return 2;
    return 1;
}

std::size_t GbkCharStart(std::string_view text, std::size_t pos) {
    if (pos >= text.size())
        return text.size();
    // Trail bytes may look like lead bytes, so boundaries are only known by
    // walking from the start.
    std::size_t start = 0;
    while (true) {
        const std::size_t next = start + GbkCharLength(text, start);
        if (next > pos)
            return start;
        start = next;
    }
}

std::size_t GbkCharCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += GbkCharLength(text, pos))
        ++count;
    return count;
}

} // namespace display
