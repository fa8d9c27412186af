#include "display/FontMetrics.h"

#include "platform/Gbk.h"

#include <vector>

namespace display {

std::size_t FontMetrics::FitBytes(const TTextStyle& style, std::string_view gbk,
                                  int maxWidth) const {
    if (gbk.empty() || maxWidth <= 0)
        return 0;
    if (TextWidth(style, gbk) <= maxWidth)
        return gbk.size();
    // ends[k] = byte end of the first k + 1 characters; find the longest
    // prefix that fits (widths grow with the length).
    std::vector<std::size_t> ends;
    for (std::size_t pos = 0; pos < gbk.size();) {
        pos += platform::GbkCharLength(gbk, pos);
        ends.push_back(pos);
    }
    std::size_t low = 0;                // characters known to fit
    std::size_t high = ends.size() - 1; // the whole text does not fit
    while (low < high) {
        const std::size_t mid = (low + high + 1) / 2;
        if (TextWidth(style, gbk.substr(0, ends[mid - 1])) <= maxWidth)
            low = mid;
        else
            high = mid - 1;
    }
    return low == 0 ? 0 : ends[low - 1];
}

} // namespace display
