#pragma once

#include "display/TImageList.h"

#include <QPixmap>

#include <memory>

class QWidget;

namespace display {
class TRichTextView;
struct TTextStyleTable;
} // namespace display

namespace study {

// Pictures of the study windows, drawn in code.

// ImageList_Voc: image 0 is the 16 x 16 loudspeaker of a pronunciation.
display::ImageListPtr VoiceImageList();

// ImageList_Check: a 13 x 13 check box glyph, checked or not.
QPixmap CheckGlyph(bool checked, qreal devicePixelRatio);

// A rich text view filling `body` (a chrome body without a layout), with the
// style table, equal side margins, the document background, and no keyboard
// focus: the study windows see every key themselves.
display::TRichTextView*
MakeStudyView(QWidget* body, std::shared_ptr<const display::TTextStyleTable> table, int margin);

} // namespace study
