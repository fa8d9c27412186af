#include "display/qt/QtConvert.h"

#include <QPainter>

namespace display {

namespace {
constexpr long long kMaxPixels = 8192LL * 8192;
} // namespace

QColor ResolveColor(TColor color, const QPalette& palette) {
    switch (color.GetKind()) {
    case TColor::Kind::Rgb:
        return QColor::fromRgb(static_cast<QRgb>(color.Rgb()));
    case TColor::Kind::None:
        return {};
    case TColor::Kind::WindowText:
        return palette.color(QPalette::Text);
    case TColor::Kind::Window:
        return palette.color(QPalette::Base);
    case TColor::Kind::Highlight:
        return palette.color(QPalette::Highlight);
    case TColor::Kind::HighlightText:
        return palette.color(QPalette::HighlightedText);
    }
    return {};
}

QImage ImageFromPicture(const Picture& picture) {
    const QSize size(picture.Width, picture.Height);
    // Sizes come from data files too; a picture larger than any screen
    // (here 8192 x 8192 pixels) is not allocated.
    if (size.isEmpty() || static_cast<long long>(size.width()) * size.height() > kMaxPixels)
        return {};
    if (!picture.Pixels.empty()) {
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < picture.Height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < picture.Width; ++x)
                line[x] =
                    0xFF000000u | picture.Pixels[static_cast<std::size_t>(y) * picture.Width + x];
        }
        return image;
    }
    if (!picture.Encoded.empty()) {
        QImage decoded = QImage::fromData(reinterpret_cast<const uchar*>(picture.Encoded.data()),
                                          static_cast<int>(picture.Encoded.size()));
        if (!decoded.isNull())
            return decoded.size() == size ? decoded : decoded.scaled(size);
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(static_cast<QRgb>(picture.FillRgb)));
    return image;
}

PicturePtr PictureFromImage(const QImage& image) {
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
    }
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(opaque.width()) * opaque.height());
    for (int y = 0; y < opaque.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(opaque.constScanLine(y));
        for (int x = 0; x < opaque.width(); ++x)
            pixels.push_back(line[x] & 0xFFFFFFu);
    }
    return Picture::FromPixels(opaque.width(), opaque.height(), std::move(pixels));
}

} // namespace display
