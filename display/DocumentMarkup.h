#pragma once

#include "display/Picture.h"
#include "display/RichTextDocument.h"
#include "display/TTextStyleTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace display {

// The line markup of help documents. Each line (GBK) is one command:
//   【Add=command】【TXT=text】【Style=n】
// Keys ignore letter case, the first occurrence of a key counts and a value
// runs to the first "】" after its key (none: the value is empty). A line
// without an "Add" value, or whose text before its first "【" is "//" once
// blanks are trimmed, adds nothing. Commands (letter case ignored):
//   AddFromNewLine  3 px space, TXT starting a new line
//   AddCenterLine   3 px space, TXT on a new centred line
//   Add             TXT continuing the current line
//   AddBreak        3 px space, a horizontal rule
//   AddSpaceLine    6 px space
// and anything else adds nothing. Style is a decimal style number, 0 when the
// key is absent, empty, not a number or negative.

// The value of `key` ("【Add=", "【TXT=", ...) in a markup line.
std::string MarkupValue(std::string_view line, std::string_view key);

// True when the text before the line's first "【", trimmed, is "//".
bool IsMarkupComment(std::string_view line);

// The style number of a line: its Style value, or 0 when that is absent,
// empty, not a decimal number or negative.
int MarkupStyleNo(std::string_view line);

// Clears the document and adds the items of every line in order. Vertical
// space is a spacer picture cut from `background` (see AddSpacer), white
// without one. The caller formats the document.
void ShowDocument(const std::vector<std::string>& lines, RichTextDocument& document,
                  const PicturePtr& background = nullptr);

// The eight text styles of the document frame: 0 text, 1 heading, 2 navy
// bold, 3 Arial maroon italic, 4 green bold and 5 Arial green underlined
// (the jump styles), 6 tiny Arial, 7 small navy.
TTextStyleTable DocViewStyleTable();

} // namespace display
