#pragma once

#include <cstdint>

namespace display {

// A colour of a text style or style table: either a fixed RGB value or one of
// the system colours, which the view resolves against its palette when it
// paints (so "window text" follows the desktop theme).
class TColor {
public:
    enum class Kind : std::uint8_t {
        Rgb,
        None, // no colour: "do not change" (e.g. no hover colour)
        WindowText,
        Window,
        Highlight,
        HighlightText,
    };

    constexpr TColor() = default;
    static constexpr TColor FromRgb(std::uint32_t rgb) {
        return TColor(Kind::Rgb, rgb & 0xFFFFFFu);
    }
    static constexpr TColor System(Kind kind) { return TColor(kind, 0); }
    static constexpr TColor NoColor() { return TColor(Kind::None, 0); }

    constexpr Kind GetKind() const { return kind_; }
    constexpr bool IsRgb() const { return kind_ == Kind::Rgb; }
    constexpr bool IsNone() const { return kind_ == Kind::None; }
    // 0xRRGGBB; meaningful only when IsRgb().
    constexpr std::uint32_t Rgb() const { return rgb_; }

    friend constexpr bool operator==(const TColor&, const TColor&) = default;

private:
    constexpr TColor(Kind kind, std::uint32_t rgb) : kind_(kind), rgb_(rgb) {}

    Kind kind_ = Kind::WindowText;
    std::uint32_t rgb_ = 0;
};

} // namespace display
