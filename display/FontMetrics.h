#pragma once

#include "display/TTextStyle.h"

#include <string_view>

namespace display {

// Vertical extent of a style's font, in pixels.
struct FontExtent {
    int Ascent = 0;
    int Descent = 0;
    int Height() const { return Ascent + Descent; }
};

// What the layout needs to know about fonts. Text is GBK bytes; widths are
// pixels (logical pixels for the Qt implementation). Implementations must give
// consistent answers: TextWidth of a string is the sum of the widths of its
// pieces to within rounding, and is monotonic in the string length.
class FontMetrics {
public:
    virtual ~FontMetrics() = default;

    virtual FontExtent Extent(const TTextStyle& style) const = 0;
    virtual int TextWidth(const TTextStyle& style, std::string_view gbk) const = 0;

    // The number of bytes of the longest run of whole characters at the start
    // of gbk whose width is at most maxWidth (may be 0; never splits a GBK
    // double-byte character). The default searches with TextWidth.
    virtual std::size_t FitBytes(const TTextStyle& style, std::string_view gbk, int maxWidth) const;

    // Pixels per 1/96 inch of the output device (1.0 on a normal screen); the
    // line-break band scales with it.
    virtual double DeviceScale() const { return 1.0; }
};

} // namespace display
