#pragma once

#include "display/FontMetrics.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>

#include <memory>
#include <unordered_map>

namespace display {

// FontMetrics over Qt fonts, in logical pixels of a paint device (the view's
// widget): correct on HiDPI screens, where painting scales by the device
// pixel ratio. Fonts come from FontForStyle. Not thread-safe (GUI thread).
class QtFontMetrics : public FontMetrics {
public:
    // device may be null (the primary screen's metrics); it must outlive this.
    explicit QtFontMetrics(const QPaintDevice* device = nullptr);
    ~QtFontMetrics() override;

    FontExtent Extent(const TTextStyle& style) const override;
    int TextWidth(const TTextStyle& style, std::string_view gbk) const override;
    std::size_t FitBytes(const TTextStyle& style, std::string_view gbk,
                         int maxWidth) const override;
    double DeviceScale() const override;

    // The font a style is drawn in (cached; valid until Reset).
    const QFont& Font(const TTextStyle& style) const;

    // Forget cached fonts (after the screen or the style sizes changed).
    void Reset();

private:
    struct Entry;
    Entry& EntryFor(const TTextStyle& style) const;

    const QPaintDevice* device_;
    mutable std::unordered_map<std::string, std::unique_ptr<Entry>> entries_;
};

} // namespace display
