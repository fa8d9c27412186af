#pragma once

#include "display/RichTextDocument.h"

#include <string>
#include <vector>

namespace display {

// Renders a document as terminal text: one GBK string per laid-out line, the
// text wrapped at widthChars columns (a GBK double-byte character takes two).
// The document is copied and formatted with fixed-width metrics (one column =
// 6 pixels, so a 16-pixel image with its 2-pixel frame takes 3 columns);
// margins are dropped. Centred lines are centred.
//   - a picture at most 8 pixels high (a vertical spacer) gives no line; a
//     taller picture gives the line "[picture]", centred;
//   - a line break gives a line of widthChars "-";
//   - an image jump is shown as "[>]", an image bullet as " * ";
//   - trailing blanks are removed.
// widthChars below 1 counts as 1.
// Takes the document by value: a caller done with it moves it in.
std::vector<std::string> RenderPlainText(RichTextDocument document, int widthChars);

} // namespace display
