#pragma once

#include "display/Picture.h"
#include "display/RichTextDocument.h"
#include "display/TImageList.h"
#include "display/TTextStyleTable.h"
#include "service/ChatSession.h"

#include <string>
#include <vector>

namespace service {

// The two documents of the online service window, built without the window.

// The conversation's styles: 0 the message text, 1 the header lines.
display::TTextStyleTable ConversationStyleTable();
// The recommendations' styles: 1 plain centred lines, 4 link text (a jump).
display::TTextStyleTable NoticeStyleTable();

// Clears `document` and adds every record (tagged text, GBK) that has a
// non-empty "Msg", in order: "[" Name "] [" Time "]" from a new line in style
// 1, a 6-pixel spacer, the message from a new line in style 0, a 10-pixel
// spacer. Spacers are cut from `background` when there is one, else white.
// The caller formats the document.
void ShowMessages(const std::vector<std::string>& records, display::RichTextDocument& document,
                  const display::PicturePtr& background);

// Clears `document` and adds the notices in order, each after a 6-pixel
// spacer: one with an address as image 0 of `bullets` from a new line and its
// text on the same line in style 4, so the k-th link is jump k; one without
// as a centred line in style 1. The caller formats the document.
void ShowNotices(const std::vector<Notice>& notices, display::RichTextDocument& document,
                 const display::ImageListPtr& bullets, const display::PicturePtr& background);

} // namespace service
