#pragma once

#include "display/TImageList.h"

#include <QPixmap>

namespace study {

// Pictures of the study windows, drawn in code.

// ImageList_Voc: image 0 is the 16 x 16 loudspeaker of a pronunciation.
display::ImageListPtr VoiceImageList();

// ImageList_Check: a 13 x 13 check box glyph, checked or not.
QPixmap CheckGlyph(bool checked, qreal devicePixelRatio);

} // namespace study
