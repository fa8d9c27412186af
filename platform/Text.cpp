#include "platform/Text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = UpperAscii(c);
    return out;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    for (size_t found; (found = text.find(from, at)) != std::string_view::npos;
         at = found + from.size())
        out.append(text.substr(at, found - at)).append(to);
    out.append(text.substr(at));
    return out;
}

std::optional<uint32_t> ParseHex32(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > UINT32_MAX)
            return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

std::optional<uint32_t> ParseDecimal32(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > UINT32_MAX)
            return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

std::string HexNumber(uint32_t value, int minDigits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), '0');
    return digits;
}

size_t SkipLines(std::string_view text, size_t start, uint64_t& count, bool textEnds) {
    size_t pos = start;
    size_t lineStart = start; // after the last break passed
#if defined(__SSE2__)
    // Sixteen bytes at a time while they hold fewer breaks than are left to
    // skip: LF, CR and CR LF each count once. The byte after the sixteen is
    // read too, so a CR LF across the edge is seen whole, and another one
    // must follow, so no break counted here ends the text (see textEnds).
    // `pos` may then stop inside a line; `lineStart` is where it began.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (count > 0 && pos + 18 <= text.size()) {
        const char* p = text.data() + pos;
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        const __m128i isCr = _mm_cmpeq_epi8(bytes, cr);
        const __m128i isLf = _mm_cmpeq_epi8(bytes, lf);
        // The CR of a CR LF is no break of its own; of a pair across the
        // edge the CR stands for both (the LF is stepped over).
        const auto pairs = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(isCr, _mm_cmpeq_epi8(next, lf))) & 0x7FFF);
        const auto ends =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(isCr, isLf))) & ~pairs;
        const bool pairAcross = p[15] == '\r' && p[16] == '\n';
        if (ends != 0) {
            // Bits are summed byte by byte: no popcnt instruction is assumed.
            uint64_t breaks = 0;
            for (unsigned rest = ends; rest != 0; rest &= rest - 1)
                ++breaks;
            if (breaks >= count)
                break;
            count -= breaks;
            const unsigned last = 31 - static_cast<unsigned>(__builtin_clz(ends));
            lineStart = pos + last + 1 + (last == 15 && pairAcross ? 1 : 0);
        }
        pos += pairAcross ? 17 : 16;
    }
#endif
    while (count > 0 && pos < text.size()) {
        const LineSpan line = NextLine(text, pos);
        if (line.Next == text.size() && !textEnds)
            return lineStart; // the line or its CR LF may go on after the text seen
        pos = lineStart = line.Next;
        --count;
    }
    return count == 0 ? pos : lineStart;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const LineSpan line = NextLine(text, start);
        lines.emplace_back(text.substr(line.Begin, line.End - line.Begin));
        start = line.Next;
    }
    return lines;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

} // namespace platform
