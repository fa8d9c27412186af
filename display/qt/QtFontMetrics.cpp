#include "display/qt/QtFontMetrics.h"

#include "display/GbkText.h"
#include "display/qt/Fonts.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <vector>

namespace display {

struct QtFontMetrics::Entry {
    QFont Font;
    QFontMetricsF Metrics;
    FontExtent Extent;
};

namespace {

std::string KeyOf(const TTextStyle& style) {
    return style.FontName + '\x01' + std::to_string(style.Size) + '\x01' +
           std::to_string(style.Style) + '\x01' + std::to_string(static_cast<int>(style.CharSet));
}

int Ceil(qreal value) {
    return static_cast<int>(std::ceil(value - 1e-6));
}

} // namespace

QtFontMetrics::QtFontMetrics(const QPaintDevice* device) : device_(device) {}

QtFontMetrics::~QtFontMetrics() = default;

void QtFontMetrics::Reset() {
    entries_.clear();
}

const QtFontMetrics::Entry& QtFontMetrics::EntryFor(const TTextStyle& style) const {
    std::string key = KeyOf(style);
    auto it = entries_.find(key);
    if (it != entries_.end())
        return *it->second;
    QFont font = FontForStyle(style);
    QFontMetricsF metrics = device_ ? QFontMetricsF(font, device_) : QFontMetricsF(font);
    auto entry = std::unique_ptr<Entry>(
        new Entry{font, metrics, {Ceil(metrics.ascent()), Ceil(metrics.descent())}});
    return *entries_.emplace(std::move(key), std::move(entry)).first->second;
}

const QFont& QtFontMetrics::Font(const TTextStyle& style) const {
    return EntryFor(style).Font;
}

FontExtent QtFontMetrics::Extent(const TTextStyle& style) const {
    return EntryFor(style).Extent;
}

int QtFontMetrics::TextWidth(const TTextStyle& style, std::string_view gbk) const {
    if (gbk.empty())
        return 0;
    return Ceil(EntryFor(style).Metrics.horizontalAdvance(DisplayText(style, gbk)));
}

std::size_t QtFontMetrics::FitBytes(const TTextStyle& style, std::string_view gbk,
                                    int maxWidth) const {
    if (gbk.empty() || maxWidth <= 0)
        return 0;
    const Entry& entry = EntryFor(style);
    const QString text = DisplayText(style, gbk);
    if (Ceil(entry.Metrics.horizontalAdvance(text)) <= maxWidth)
        return gbk.size();
    std::vector<std::size_t> ends;
    ends.reserve(gbk.size());
    for (std::size_t pos = 0; pos < gbk.size();) {
        pos += GbkCharLength(gbk, pos);
        ends.push_back(pos);
    }
    // Every GBK character is one UTF-16 unit when the conversion was clean;
    // otherwise measure converted prefixes one by one.
    if (static_cast<std::size_t>(text.size()) != ends.size())
        return FontMetrics::FitBytes(style, gbk, maxWidth);
    std::size_t low = 0;
    std::size_t high = ends.size() - 1;
    while (low < high) {
        const std::size_t mid = (low + high + 1) / 2;
        if (Ceil(entry.Metrics.horizontalAdvance(text.left(static_cast<qsizetype>(mid)))) <=
            maxWidth)
            low = mid;
        else
            high = mid - 1;
    }
    return low == 0 ? 0 : ends[low - 1];
}

double QtFontMetrics::DeviceScale() const {
    if (device_)
        return device_->logicalDpiY() / 96.0;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInchY() / 96.0;
    return 1.0;
}

} // namespace display
