#pragma once

#include "display/Picture.h"
#include "display/TImageList.h"

#include <QPixmap>
#include <QWidget>

namespace widgets {
class Label3D;
class LbSpeedButton;
} // namespace widgets

namespace display {

class TRichTextView;

// The content of the vocabulary window: the header "词汇信息" with the zoom
// buttons and the entry view RichText_Voc. The title label myLabel3d_Voc sits
// in a hidden panel, as does the second view's panel ("词汇英文解释"): the
// whole entry is rendered into RichText_Voc.
class TFrame_Voc : public QWidget {
    Q_OBJECT
public:
    explicit TFrame_Voc(QWidget* parent = nullptr);

    TRichTextView* RichText_Voc = nullptr;
    widgets::LbSpeedButton* LbSpeedButton_Enlarge = nullptr; // hint "放大"
    widgets::LbSpeedButton* LbSpeedButton_Shrink = nullptr;  // hint "缩小"
    widgets::Label3D* myLabel3d_Voc = nullptr;
    QWidget* Panel_Title = nullptr; // hidden, holds myLabel3d_Voc
    QWidget* Panel_YWJS = nullptr;  // hidden
};

// ImageList_Voc: 16 x 16 images, 0 the section bullet, 1 the speaker icon,
// drawn in code (PNG with transparency, decoded by the view).
ImageListPtr VocImageList();

// The view's tiled background; vertical spacers are cut from it.
QPixmap VocBackgroundBitmap();

} // namespace display
