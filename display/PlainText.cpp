#include "display/PlainText.h"

#include "display/MonospaceMetrics.h"

#include <algorithm>

namespace display {

namespace {

constexpr int kColumnPixels = 6;
constexpr int kSpacerHeight = 8;

void PadTo(std::string& line, std::size_t column) {
    if (line.size() < column)
        line.append(column - line.size(), ' ');
}

} // namespace

std::vector<std::string> RenderPlainText(RichTextDocument copy, int widthChars) {
    widthChars = std::max(widthChars, 1);
    copy.SetMetrics(std::make_shared<MonospaceMetrics>(kColumnPixels, 1, 0));
    if (!copy.Style())
        copy.SetStyle(std::make_shared<TTextStyleTable>());
    copy.LeftMargin = 0;
    copy.RightMargin = 0;
    copy.MinTextWidth = 0;
    copy.MaxTextWidth = 0;
    copy.Format(widthChars * kColumnPixels);

    std::vector<std::string> lines;
    const auto& pieces = copy.Pieces();
    const auto& items = copy.Items();
    for (const RichTextDocument::Line& line : copy.Lines()) {
        std::string text;
        bool keep = true;
        for (int i = line.FirstPiece; i < line.FirstPiece + line.PieceCount; ++i) {
            const RichTextDocument::Piece& piece = pieces[static_cast<std::size_t>(i)];
            const RichTextDocument::Item& item = items[static_cast<std::size_t>(piece.ItemNo)];
            PadTo(text, static_cast<std::size_t>(piece.Left / kColumnPixels));
            switch (item.Info.StyleNo) {
            case rvsBreak:
                text.assign(static_cast<std::size_t>(widthChars), '-');
                break;
            case rvsPicture:
                if (piece.Height <= kSpacerHeight) {
                    keep = false;
                } else {
                    const int marker = 9; // "[picture]"
                    text.assign(static_cast<std::size_t>(std::max(0, (widthChars - marker) / 2)),
                                ' ');
                    text += "[picture]";
                }
                break;
            case rvsImageJump:
                text += "[>]";
                break;
            case rvsImageBullet:
                text += " * ";
                break;
            default:
                if (item.Info.IsText())
                    text.append(item.Text, piece.Offset, piece.Length);
                break;
            }
        }
        if (!keep)
            continue;
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        lines.push_back(std::move(text));
    }
    return lines;
}

} // namespace display
