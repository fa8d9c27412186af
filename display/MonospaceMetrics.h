#pragma once

#include "display/FontMetrics.h"

namespace display {

// Fixed-width metrics for tests and terminal output: every single-byte
// character is CharWidth wide, every GBK double-byte character 2 * CharWidth;
// every style has the same ascent and descent, whatever its size.
class MonospaceMetrics : public FontMetrics {
public:
    explicit MonospaceMetrics(int charWidth = 1, int ascent = 1, int descent = 0)
        : charWidth_(charWidth), ascent_(ascent), descent_(descent) {}

    FontExtent Extent(const TTextStyle& style) const override;
    int TextWidth(const TTextStyle& style, std::string_view gbk) const override;
    std::size_t FitBytes(const TTextStyle& style, std::string_view gbk,
                         int maxWidth) const override;

    int CharWidth() const { return charWidth_; }

private:
    int charWidth_;
    int ascent_;
    int descent_;
};

} // namespace display
