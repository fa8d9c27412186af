#include "study/ConvertYB.h"

#include "display/PhoneticFont.h"
#include "platform/Text.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace study {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 16> kPairs{{
    {"&#230;", "A"},
    {"&#240;", "T"},
    {"&#331;", "N"},
    {"&#593;", "B"},
    {"&#596;", "C"},
    {"&#601;", "E"},
    {"&#602;", "L"},
    {"&#603;", "Z"},
    {"&#604;", "["},
    {"&#643;", "F"},
    {"&#650;", "J"},
    {"&#652;", "Q"},
    {"&#658;", "V"},
    {"&#716;", "7"},
    {"&#952;", "W"},
    {"'", "5"},
}};

// UTF-8 of a character that may have a phonetic font letter. The font's
// symbols (IPA, spacing modifiers, Greek) all lie below U+0800; any other
// character has no letter and gives the empty text.
std::string Utf8OfFontSymbol(uint32_t codePoint) {
    std::string out;
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return out;
}

// The code point of a numeric reference body ("601" or "x259"), or nothing
// for a body that is empty, not a number or not a Unicode scalar value.
std::optional<uint32_t> ReferencedCodePoint(std::string_view body) {
    unsigned base = 10;
    if (!body.empty() && (body[0] == 'x' || body[0] == 'X')) {
        base = 16;
        body.remove_prefix(1);
    }
    if (body.empty() || body.size() > 8)
        return std::nullopt;
    uint32_t value = 0;
    for (char c : body) {
        const int digit = platform::HexDigitValue(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base)
            return std::nullopt;
        value = value * base + static_cast<unsigned>(digit);
        if (value > 0x10FFFF)
            return std::nullopt;
    }
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    return value;
}

std::string ConvertLeftoverReferences(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = text.find("&#", pos);
        if (start == std::string::npos)
            break;
        out.append(text, pos, start - pos);
        // A body longer than a code point's 8 hex digits and its "x" is no
        // reference; looking no further keeps the pass linear.
        const size_t semicolon = std::string_view(text).substr(start + 2, 10).find(';');
        const size_t end =
            semicolon == std::string_view::npos ? std::string::npos : start + 2 + semicolon;
        std::optional<uint32_t> codePoint;
        if (end != std::string::npos)
            codePoint =
                ReferencedCodePoint(std::string_view(text).substr(start + 2, end - start - 2));
        std::string letters;
        if (codePoint)
            letters = display::IpaToPhoneticLetters(Utf8OfFontSymbol(*codePoint));
        if (letters.empty()) {
            out.append("&#");
            pos = start + 2;
        } else {
            out += letters;
            pos = end + 1;
        }
    }
    out.append(text, pos, std::string::npos);
    return out;
}

} // namespace

std::string ConvertYB(std::string_view text) {
    // One pass over the text, every pair tried where a reference or "'" can
    // start: linear however many references there are.
    std::string result;
    result.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        bool replaced = false;
        if (text[at] == '&' || text[at] == '\'') {
            for (const auto& [from, to] : kPairs) {
                if (text.compare(at, from.size(), from) == 0) {
                    result.append(to);
                    at += from.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            result += text[at++];
    }
    if (result.find("&#") == std::string::npos)
        return result;
    return ConvertLeftoverReferences(result);
}

} // namespace study
