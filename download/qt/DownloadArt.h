#pragma once

#include <QColor>
#include <QPixmap>

// The drawn pictures of the download windows, painted in code.
namespace download::art {

// Progress bars: the caps, the filled part and the rest.
inline const QColor kBarCap{0x2b, 0x56, 0x98};
inline const QColor kBarFill{0x3a, 0x7b, 0xd5};
// White, so that an empty bar stands out from the pale blue background.
inline const QColor kBarRest{0xff, 0xff, 0xff};

// The state image of a package row (download::RowState: 0 waiting,
// 1 downloading, 2 done, 3 failed), 16 x 16 device-independent pixels.
QPixmap RowStateImage(int state, qreal devicePixelRatio);

// The background tile of the single-file download window.
QPixmap DownloadBackgroundTile();

} // namespace download::art
