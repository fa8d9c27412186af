#include "display/qt/QtFontMetrics.h"

#include "platform/Gbk.h"
#include "display/qt/Fonts.h"

#include <QGuiApplication>
#include <QScreen>

#include <array>
#include <cmath>
#include <vector>

namespace display {

namespace {

std::string KeyOf(const TTextStyle& style) {
    return style.FontName + '\x01' + std::to_string(style.Size) + '\x01' +
           std::to_string(style.Style) + '\x01' + std::to_string(static_cast<int>(style.CharSet));
}

int Ceil(qreal value) {
    return static_cast<int>(std::ceil(value - 1e-6));
}

} // namespace

// Widths are sums of character advances (kerning is off in FontForStyle):
// measuring never shapes whole strings, so a fit is found in one pass.
struct QtFontMetrics::Entry {
    QFont Font;
    QFontMetricsF Metrics;
    FontExtent Extent;
    std::array<qreal, 128> Ascii{};
    std::unordered_map<char32_t, qreal> Others;

    Entry(const QFont& font, const QFontMetricsF& metrics) : Font(font), Metrics(metrics) {
        Extent = {Ceil(metrics.ascent()), Ceil(metrics.descent())};
        for (char16_t c = 0; c < 128; ++c)
            Ascii[c] = metrics.horizontalAdvance(QChar(c));
    }

    // The advance of the character at text[i]; i moves past it.
    qreal Advance(const QString& text, qsizetype& i) {
        const char16_t c = text[i].unicode();
        if (c < 128) {
            ++i;
            return Ascii[c];
        }
        qsizetype length = 1;
        char32_t code = c;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text[i + 1].unicode());
            length = 2;
        }
        auto it = Others.find(code);
        if (it == Others.end())
            it = Others.emplace(code, Metrics.horizontalAdvance(text.mid(i, length))).first;
        i += length;
        return it->second;
    }
};

QtFontMetrics::QtFontMetrics(const QPaintDevice* device) : device_(device) {}

QtFontMetrics::~QtFontMetrics() = default;

void QtFontMetrics::Reset() {
    entries_.clear();
}

QtFontMetrics::Entry& QtFontMetrics::EntryFor(const TTextStyle& style) const {
    std::string key = KeyOf(style);
    auto it = entries_.find(key);
    if (it != entries_.end())
        return *it->second;
    QFont font = FontForStyle(style);
    QFontMetricsF metrics = device_ ? QFontMetricsF(font, device_) : QFontMetricsF(font);
    auto entry = std::make_unique<Entry>(font, metrics);
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
    Entry& entry = EntryFor(style);
    const QString text = DisplayText(style, gbk);
    qreal width = 0;
    for (qsizetype i = 0; i < text.size();)
        width += entry.Advance(text, i);
    return Ceil(width);
}

std::size_t QtFontMetrics::FitBytes(const TTextStyle& style, std::string_view gbk,
                                    int maxWidth) const {
    if (gbk.empty() || maxWidth <= 0)
        return 0;
    Entry& entry = EntryFor(style);
    const QString text = DisplayText(style, gbk);
    // Every GBK character is one UTF-16 unit when the conversion was clean;
    // otherwise measure converted prefixes one by one.
    if (static_cast<std::size_t>(text.size()) != platform::GbkCharCount(gbk))
        return FontMetrics::FitBytes(style, gbk, maxWidth);
    qreal width = 0;
    std::size_t pos = 0;
    for (qsizetype i = 0; i < text.size();) {
        width += entry.Advance(text, i);
        if (Ceil(width) > maxWidth)
            break;
        pos += platform::GbkCharLength(gbk, pos);
    }
    return pos;
}

double QtFontMetrics::DeviceScale() const {
    if (device_)
        return device_->logicalDpiY() / 96.0;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInchY() / 96.0;
    return 1.0;
}

} // namespace display
