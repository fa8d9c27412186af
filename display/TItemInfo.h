#pragma once

namespace display {

// Style numbers of TItemInfo::StyleNo below 0 mark the non-text items.
enum TItemKind : int {
    rvsBreak = -1,      // horizontal rule on its own line
    rvsCheckPoint = -2, // invisible named position
    rvsPicture = -3,    // picture on its own line, centred
    rvsImageJump = -4,  // image of an image list; a jump
    rvsControl = -5,    // embedded control (not used by this program)
    rvsImageBullet = -6 // image of an image list; not a jump
};

// Text styles 4 and 5 are jump styles: a text item in either is a hyperlink.
inline constexpr bool IsJumpStyle(int styleNo) {
    return styleNo == 4 || styleNo == 5;
}

struct TItemInfo {
    int StyleNo = 0;         // >= 0 text style, else a TItemKind
    bool SameAsPrev = false; // continuation: the item continues the current line
    bool Center = false;     // the line the item opens is centred
    int ImageIndex = -1;     // image jumps and bullets
    int JumpNo = -1;         // assigned by Format for jumps (text and image), from 0

    bool IsText() const { return StyleNo >= 0; }
    bool IsJump() const { return IsJumpStyle(StyleNo) || StyleNo == rvsImageJump; }
};

} // namespace display
