#include "display/PhoneticFont.h"

#include <array>
#include <cstdint>

namespace display {
namespace {

struct LetterSymbol {
    char Letter;
    char32_t Symbol;
};

constexpr std::array<LetterSymbol, 22> kTable{{
    {'A', U'\u00E6'}, {'B', U'\u0251'}, {'C', U'\u0254'}, {'E', U'\u0259'}, {'F', U'\u0283'},
    {'I', U'\u026A'}, {'J', U'\u028A'}, {'L', U'\u025A'}, {'N', U'\u014B'}, {'O', U'\u0252'},
    {'Q', U'\u028C'}, {'T', U'\u00F0'}, {'V', U'\u0292'}, {'W', U'\u03B8'}, {'Z', U'\u025B'},
    {'[', U'\u025C'}, {']', U'\u025D'}, {'5', U'\u02C8'}, {'7', U'\u02CC'}, {':', U'\u02D0'},
    {'g', U'\u0261'}, {'r', U'\u0279'},
}};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes the code point at text[pos] and advances pos. Returns 0xFFFFFFFF
// for an invalid or truncated sequence (pos then moves by one byte).
char32_t NextCodePoint(std::string_view text, size_t& pos) {
    const auto lead = static_cast<uint8_t>(text[pos]);
    size_t length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
    } else {
        ++pos;
        return 0xFFFFFFFF;
    }
    if (pos + length > text.size()) {
        ++pos;
        return 0xFFFFFFFF;
    }
    for (size_t i = 1; i < length; ++i) {
        const auto b = static_cast<uint8_t>(text[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFFFFFF;
        }
        c = (c << 6) | (b & 0x3F);
    }
    pos += length;
    return c;
}

} // namespace

std::string PhoneticLettersToIpa(std::string_view letters) {
    std::string out;
    out.reserve(letters.size() * 2);
    for (char ch : letters) {
        char32_t symbol = static_cast<uint8_t>(ch);
        for (const auto& entry : kTable) {
            if (entry.Letter == ch) {
                symbol = entry.Symbol;
                break;
            }
        }
        AppendUtf8(out, symbol);
    }
    return out;
}

std::string IpaToPhoneticLetters(std::string_view ipaUtf8) {
    std::string out;
    out.reserve(ipaUtf8.size());
    size_t pos = 0;
    while (pos < ipaUtf8.size()) {
        const char32_t c = NextCodePoint(ipaUtf8, pos);
        if (c == U'\'') {
            out += '5';
            continue;
        }
        if (c == U'g' || c == U'r') {
            out += static_cast<char>(c);
            continue;
        }
        bool found = false;
        for (const auto& entry : kTable) {
            if (entry.Symbol == c) {
                out += entry.Letter;
                found = true;
                break;
            }
        }
        if (found) {
            continue;
        }
        if (c >= U'A' && c <= U'Z') {
            out += static_cast<char>(c - U'A' + U'a');
        } else if ((c >= U'a' && c <= U'z') || c == U' ' || c == U'-') {
            out += static_cast<char>(c);
        }
        // Anything else (syllable dots, digits, combining marks, symbols the
        // font has no letter for) would misread as a font letter: dropped.
    }
    return out;
}

std::string IpaToHtmlReferences(std::string_view ipaUtf8) {
    std::string out;
    out.reserve(ipaUtf8.size() * 3);
    size_t pos = 0;
    while (pos < ipaUtf8.size()) {
        const char32_t c = NextCodePoint(ipaUtf8, pos);
        if (c == 0xFFFFFFFF) {
            continue;
        }
        if (c == U'\u02C8') {
            out += '\'';
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += "&#" + std::to_string(static_cast<uint32_t>(c)) + ";";
        }
    }
    return out;
}

} // namespace display
