#pragma once

#include "display/TColor.h"
#include "display/TTextStyle.h"

#include <vector>

namespace display {

// The table of text styles a view refers to. A window owns its table and may
// change it (zoom); the view must be formatted again afterwards.
struct TTextStyleTable {
    std::vector<TTextStyle> TextStyles;
    // Mouse cursor over jumps. 101 is the program's link cursor; the Qt view
    // shows Qt::PointingHandCursor for it.
    int JumpCursor = 101;
    TColor Color = TColor::System(TColor::Kind::Window); // background
    TColor HoverColor = TColor::NoColor();               // text of a hovered jump
    TColor SelColor = TColor::System(TColor::Kind::Highlight);
    TColor SelTextColor = TColor::System(TColor::Kind::HighlightText);
    bool FullRedraw = false;

    // The style numbered styleNo; style 0 for a number the table does not
    // hold, and a default style when the table is empty. Never fails.
    const TTextStyle& StyleOrDefault(int styleNo) const;
};

} // namespace display
