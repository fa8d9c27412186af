#pragma once

#include <QColor>
#include <QPixmap>
#include <QRect>

class QPainter;

namespace widgets {

// The drawn pictures of the window chrome. Everything is painted in code at
// the device pixel ratio it is asked for, so it stays sharp on HiDPI screens.
namespace chrome_art {

// Palette shared by all windows.
inline const QColor kTitleTop{0x6b, 0x9c, 0xe0};
inline const QColor kTitleBottom{0x2f, 0x63, 0xb3};
inline const QColor kFrameFill{0xdc, 0xe7, 0xf6};
inline const QColor kFrameOutline{0x2b, 0x56, 0x98};
inline const QColor kTitleText{Qt::white};
inline const QColor kTitleTextHover{0xcf, 0xe4, 0xff};
inline const QColor kNavy{0x00, 0x00, 0x80};
inline const QColor kLinkBlue{0x00, 0x00, 0xff};

enum class TitleGlyph { Minimize, Maximize, Restore, Close };

// A 14 x 14 (device-independent) white glyph for a title button.
QPixmap TitleButtonGlyph(TitleGlyph glyph, qreal devicePixelRatio);

// The program icon: a rounded white tile with a blue "Q", size x size.
QPixmap AppIcon(int size, qreal devicePixelRatio);

// A small tile for document backgrounds: near-white with a faint blue cast.
QPixmap DocumentBackgroundTile();

// Paints the window frame as a whole into `painter`, whose coordinates are the
// window's: the light frame, the title band from the top down to `titleBottom`
// and a one-pixel outline following the rounded corners (corner ellipse
// cornerWidth x cornerHeight). Chrome parts paint their share of it.
void PaintFrame(QPainter& painter, const QRect& windowRect, int titleBottom, int cornerWidth,
                int cornerHeight);

} // namespace chrome_art
} // namespace widgets
