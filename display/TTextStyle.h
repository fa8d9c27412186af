#pragma once

#include "display/TColor.h"

#include <string>

namespace display {

// Font style bits of TTextStyle::Style.
enum TFontStyle : unsigned {
    fsBold = 1u << 0,
    fsItalic = 1u << 1,
    fsUnderline = 1u << 2,
    fsStrikeOut = 1u << 3,
};

// Character set of a style's font. Symbol marks a symbol font whose letters do
// not mean themselves: the phonetic display font ("QuendicPhonetic"), whose
// letters the view draws as the IPA symbols they stand for.
enum class TCharSet {
    Default,
    Ansi,
    GB2312,
    Symbol,
};

// The font name under which styles ask for the phonetic display font.
inline constexpr const char* kPhoneticFontName = "QuendicPhonetic";

// "宋体" in GBK: the Chinese font the style tables ask for.
inline constexpr const char* kSongTi = "\xCB\xCE\xCC\xE5";

// One text style of a style table. Its number is its index in TextStyles.
struct TTextStyle {
    std::string FontName = "Arial"; // GBK, e.g. "宋体" in GBK bytes
    int Size = 10;                  // points
    TColor Color = TColor::System(TColor::Kind::WindowText);
    unsigned Style = 0; // TFontStyle bits
    TCharSet CharSet = TCharSet::Default;

    bool IsBold() const { return (Style & fsBold) != 0; }
    bool IsItalic() const { return (Style & fsItalic) != 0; }
    bool IsUnderline() const { return (Style & fsUnderline) != 0; }
    bool IsStrikeOut() const { return (Style & fsStrikeOut) != 0; }
    // True for the phonetic display font (by char set or by name).
    bool IsPhonetic() const { return CharSet == TCharSet::Symbol || FontName == kPhoneticFontName; }

    friend bool operator==(const TTextStyle&, const TTextStyle&) = default;
};

// A style from its five settings, in the order the style tables list them.
inline TTextStyle MakeTextStyle(const char* font, int size, TColor color, unsigned style,
                                TCharSet charSet = TCharSet::Default) {
    TTextStyle result;
    result.FontName = font;
    result.Size = size;
    result.Color = color;
    result.Style = style;
    result.CharSet = charSet;
    return result;
}

} // namespace display
