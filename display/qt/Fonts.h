#pragma once

#include "display/TTextStyle.h"

#include <QFont>
#include <QString>

#include <string_view>

namespace display {

// The one mapping from the fonts the program asks for to installed fonts:
//   "宋体" (and the other Chinese system fonts)  -> "WenQuanYi Micro Hei"
//   "Arial"                                      -> "Liberation Sans", else "DejaVu Sans"
//   the phonetic display font (QuendicPhonetic) -> "DejaVu Sans" (IPA glyphs)
// with CJK fallbacks substituted for every family. The point size is the
// style's; Qt scales it with the screen's logical DPI.
QFont FontForStyle(const TTextStyle& style);

// The text of a piece as it is drawn: GBK converted to Unicode, phonetic
// font letters mapped to IPA for a phonetic style.
QString DisplayText(const TTextStyle& style, std::string_view gbk);

} // namespace display
