#include "display/RichTextDocument.h"

#include "platform/Gbk.h"
#include "display/MonospaceMetrics.h"
#include "display/PhoneticFont.h"

#include <algorithm>

namespace display {

namespace {

// The pieces of the line being built stay open until the next line starts,
// so that a taller piece can still lower the baseline of the earlier ones and
// a centred line can be shifted as a whole.
class LineBuilder {
public:
    LineBuilder(std::vector<RichTextDocument::Piece>& pieces,
                std::vector<RichTextDocument::Line>& lines, int leftMargin, int width)
        : pieces_(pieces), lines_(lines), leftMargin_(leftMargin), width_(width) {}

    bool HasOpenLine() const { return open_; }
    int X() const { return x_; }
    int Bottom() const { return bottom_; }
    int Widest() const { return widest_; }

    // Places a piece of ascent + descent pixels at the current x, opening a
    // new line first when startsLine.
    void Place(RichTextDocument::Piece piece, int descent, bool startsLine, bool centre) {
        if (startsLine || !open_)
            Open(centre);
        RichTextDocument::Line& line = lines_.back();
        piece.Left = x_;
        piece.LineNo = static_cast<int>(lines_.size()) - 1;
        line.Baseline = std::max(line.Baseline, piece.Ascent);
        descent_ = std::max(descent_, descent);
        line.Height = line.Baseline + descent_;
        x_ += piece.Width;
        pieces_.push_back(piece);
        ++line.PieceCount;
    }

    // A piece on a line of its own (pictures, rules): lineHeight pixels high,
    // the piece at pieceTop within it. Nothing continues this line.
    void PlaceAlone(RichTextDocument::Piece piece, int lineHeight, int pieceTop) {
        Close();
        RichTextDocument::Line line;
        line.Top = bottom_;
        line.Height = lineHeight;
        line.FirstPiece = static_cast<int>(pieces_.size());
        line.PieceCount = 1;
        lines_.push_back(line);
        piece.LineNo = static_cast<int>(lines_.size()) - 1;
        piece.Top = line.Top + pieceTop;
        widest_ = std::max(widest_, piece.Left + piece.Width);
        piece.Left += leftMargin_;
        pieces_.push_back(piece);
        bottom_ = line.Top + line.Height;
        x_ = 0;
    }

    void Close() {
        if (!open_)
            return;
        open_ = false;
        RichTextDocument::Line& line = lines_.back();
        const int shift = centre_ && x_ < width_ ? (width_ - x_) / 2 : 0;
        for (int i = line.FirstPiece; i < line.FirstPiece + line.PieceCount; ++i) {
            RichTextDocument::Piece& piece = pieces_[static_cast<std::size_t>(i)];
            piece.Left += leftMargin_ + shift;
            piece.Top = line.Top + line.Baseline - piece.Ascent;
        }
        widest_ = std::max(widest_, x_ + shift);
        bottom_ = line.Top + line.Height;
    }

private:
    void Open(bool centre) {
        Close();
        RichTextDocument::Line line;
        line.Top = bottom_;
        line.FirstPiece = static_cast<int>(pieces_.size());
        lines_.push_back(line);
        open_ = true;
        centre_ = centre;
        descent_ = 0;
        x_ = 0;
    }

    std::vector<RichTextDocument::Piece>& pieces_;
    std::vector<RichTextDocument::Line>& lines_;
    int leftMargin_;
    int width_;
    bool open_ = false;
    bool centre_ = false;
    int descent_ = 0;
    int x_ = 0;
    int bottom_ = 0;
    int widest_ = 0;
};

bool IsDelimiterAt(std::string_view text, std::size_t pos, std::string_view delimiters) {
    const std::string_view ch = text.substr(pos, platform::GbkCharLength(text, pos));
    for (std::size_t d = 0; d < delimiters.size(); d += platform::GbkCharLength(delimiters, d)) {
        if (delimiters.substr(d, platform::GbkCharLength(delimiters, d)) == ch)
            return true;
    }
    return false;
}

// FitBytes for the start of `rest`, measuring a prefix only: first about
// kFitProbeBytes, twice as much whenever all of it fits. Handing over the
// whole rest for every line made wrapping a long paragraph quadratic.
constexpr std::size_t kFitProbeBytes = 256;

std::size_t FitStart(const FontMetrics& metrics, const TTextStyle& style, std::string_view rest,
                     int maxWidth) {
    std::size_t end = 0;
    for (std::size_t probe = kFitProbeBytes;; probe *= 2) {
        while (end < probe && end < rest.size())
            end += platform::GbkCharLength(rest, end);
        const std::size_t fit = metrics.FitBytes(style, rest.substr(0, end), maxWidth);
        if (fit < end || end >= rest.size())
            return fit;
    }
}

std::size_t ContentSize(const RichTextDocument::Item& item) {
    return item.Info.IsText() ? item.Text.size() : 1;
}

} // namespace

RichTextDocument::RichTextDocument() : metrics_(std::make_shared<MonospaceMetrics>()) {}

void RichTextDocument::SetMetrics(std::shared_ptr<const FontMetrics> metrics) {
    metrics_ = metrics ? std::move(metrics) : std::make_shared<MonospaceMetrics>();
}

// ---- building ----

void RichTextDocument::AddItem(Item item) {
    formatted_ = false;
    items_.push_back(std::move(item));
}

void RichTextDocument::AddFromNewLine(std::string_view text, int styleNo) {
    Item item;
    item.Text = std::string(text);
    item.Info.StyleNo = std::max(styleNo, 0);
    AddItem(std::move(item));
}

void RichTextDocument::Add(std::string_view text, int styleNo) {
    Item item;
    item.Text = std::string(text);
    item.Info.StyleNo = std::max(styleNo, 0);
    item.Info.SameAsPrev = !items_.empty();
    AddItem(std::move(item));
}

void RichTextDocument::AddCenterLine(std::string_view text, int styleNo) {
    Item item;
    item.Text = std::string(text);
    item.Info.StyleNo = std::max(styleNo, 0);
    item.Info.Center = true;
    AddItem(std::move(item));
}

void RichTextDocument::AddBreak() {
    Item item;
    item.Info.StyleNo = rvsBreak;
    AddItem(std::move(item));
}

void RichTextDocument::AddCheckPoint() {
    Item item;
    item.Info.StyleNo = rvsCheckPoint;
    item.Info.SameAsPrev = true;
    AddItem(std::move(item));
}

void RichTextDocument::AddPictureItem(PicturePtr picture) {
    if (!picture)
        return;
    Item item;
    item.Info.StyleNo = rvsPicture;
    item.Info.Center = true;
    item.Graphic = std::move(picture);
    AddItem(std::move(item));
}

void RichTextDocument::AddImageJump(int imageIndex, ImageListPtr imageList, bool startsLine) {
    Item item;
    item.Info.StyleNo = rvsImageJump;
    item.Info.ImageIndex = imageIndex;
    item.Info.SameAsPrev = !startsLine && !items_.empty();
    item.Images = std::move(imageList);
    AddItem(std::move(item));
}

void RichTextDocument::AddImageBullet(int imageIndex, ImageListPtr imageList, bool startsLine) {
    AddImageJump(imageIndex, std::move(imageList), startsLine);
    items_.back().Info.StyleNo = rvsImageBullet;
}

void RichTextDocument::Clear() {
    items_.clear();
    pieces_.clear();
    lines_.clear();
    selection_.reset();
    formatted_ = false;
    height_ = 0;
    width_ = 0;
    scrollStep_ = kDefaultScrollStep;
    jumpCount_ = 0;
}

// ---- layout ----

const TTextStyle& RichTextDocument::StyleOf(int styleNo) const {
    static const TTextStyleTable kEmpty;
    return (style_ ? *style_ : kEmpty).StyleOrDefault(styleNo);
}

int RichTextDocument::LayoutWidth(int clientWidth) const {
    int width = clientWidth - LeftMargin - RightMargin;
    for (const Item& item : items_) {
        if (item.Info.StyleNo == rvsPicture)
            width = std::max(width, item.Graphic->Width);
    }
    width = std::max(width, MinTextWidth);
    if (MaxTextWidth >= 1 && MaxTextWidth < width)
        width = MaxTextWidth;
    return width;
}

int RichTextDocument::Format(int clientWidth) {
    pieces_.clear();
    lines_.clear();
    pieces_.reserve(items_.size() + items_.size() / 4);

    jumpCount_ = 0;
    for (Item& item : items_)
        item.Info.JumpNo = item.Info.IsJump() ? jumpCount_++ : -1;

    const int width = LayoutWidth(clientWidth);
    LineBuilder builder(pieces_, lines_, LeftMargin, width);
    const FontMetrics& metrics = *metrics_;
    const int band = static_cast<int>(5 * metrics.DeviceScale() + 0.5);

    for (int itemNo = 0; style_ && itemNo < static_cast<int>(items_.size()); ++itemNo) {
        const Item& item = items_[static_cast<std::size_t>(itemNo)];
        Piece piece;
        piece.ItemNo = itemNo;
        switch (item.Info.StyleNo) {
        case rvsBreak:
            piece.Width = width;
            piece.Height = 2 * band + 1;
            builder.PlaceAlone(piece, piece.Height, 0);
            break;
        case rvsPicture:
            piece.Width = item.Graphic->Width;
            piece.Height = item.Graphic->Height;
            piece.Left = std::max(0, (width - piece.Width) / 2);
            builder.PlaceAlone(piece, piece.Height + 1, 1);
            break;
        case rvsImageJump:
        case rvsImageBullet: {
            piece.Width = (item.Images ? item.Images->Width : 0) + 2;
            piece.Height = item.Images ? item.Images->Height : 0;
            piece.Ascent = piece.Height;
            const bool fits = builder.X() + piece.Width <= width;
            builder.Place(piece, 0, !item.Info.SameAsPrev || !fits, item.Info.Center);
            break;
        }
        case rvsCheckPoint:
        case rvsControl:
            break;
        default: {
            const TTextStyle& style = StyleOf(item.Info.StyleNo);
            const FontExtent extent = metrics.Extent(style);
            piece.Ascent = extent.Ascent;
            piece.Height = extent.Height();
            bool startsLine = !item.Info.SameAsPrev || !builder.HasOpenLine();
            const std::string_view text = item.Text;
            if (text.empty()) {
                builder.Place(piece, extent.Descent, startsLine, item.Info.Center);
                break;
            }
            std::size_t pos = 0;
            while (pos < text.size()) {
                const std::string_view rest = text.substr(pos);
                const int x = startsLine ? 0 : builder.X();
                std::size_t fit = FitStart(metrics, style, rest, width - x);
                if (fit == 0)
                    fit = platform::GbkCharLength(rest, 0);
                if (fit < rest.size()) {
                    const std::size_t space = rest.rfind(' ', fit - 1);
                    if (space != std::string_view::npos) {
                        fit = space + 1;
                    } else if (!startsLine && x > 0) {
                        startsLine = true;
                        continue;
                    }
                }
                piece.Offset = pos;
                piece.Length = fit;
                piece.Width = metrics.TextWidth(style, rest.substr(0, fit));
                builder.Place(piece, extent.Descent, startsLine, item.Info.Center);
                pos += fit;
                startsLine = true;
            }
            break;
        }
        }
    }
    builder.Close();

    height_ = builder.Bottom();
    width_ = builder.Widest() + LeftMargin + RightMargin;
    scrollStep_ = kDefaultScrollStep;
    if (height_ / scrollStep_ > 30000)
        scrollStep_ = (height_ + 29999) / 30000;
    formatted_ = true;
    return height_;
}

int RichTextDocument::FirstLineAt(int y) const {
    const auto it = std::partition_point(lines_.begin(), lines_.end(), [y](const Line& line) {
        return line.Top + line.Height <= y;
    });
    return static_cast<int>(it - lines_.begin());
}

// ---- positions ----

std::size_t RichTextDocument::CharIndexAt(const Piece& piece, int x, bool nearest) const {
    const Item& item = items_[static_cast<std::size_t>(piece.ItemNo)];
    const std::string_view text = std::string_view(item.Text).substr(piece.Offset, piece.Length);
    const int rel = x - piece.Left;
    if (text.empty() || rel <= 0)
        return piece.Offset;
    const TTextStyle& style = StyleOf(item.Info.StyleNo);
    std::size_t n = metrics_->FitBytes(style, text, rel);
    if (n >= text.size())
        return piece.Offset + (nearest ? text.size() : platform::GbkCharStart(text, text.size() - 1));
    if (nearest) {
        const std::size_t next = n + platform::GbkCharLength(text, n);
        const int before = metrics_->TextWidth(style, text.substr(0, n));
        const int after = metrics_->TextWidth(style, text.substr(0, next));
        if (after - rel < rel - before)
            n = next;
    }
    return piece.Offset + n;
}

std::optional<RichTextDocument::Hit> RichTextDocument::HitTest(int x, int y) const {
    const int lineNo = FirstLineAt(y);
    if (lineNo >= static_cast<int>(lines_.size()) ||
        y < lines_[static_cast<std::size_t>(lineNo)].Top)
        return std::nullopt;
    const Line& line = lines_[static_cast<std::size_t>(lineNo)];
    for (int i = line.FirstPiece; i < line.FirstPiece + line.PieceCount; ++i) {
        const Piece& piece = pieces_[static_cast<std::size_t>(i)];
        if (x < piece.Left || x >= piece.Left + piece.Width)
            continue;
        const Item& item = items_[static_cast<std::size_t>(piece.ItemNo)];
        Hit hit;
        hit.PieceNo = i;
        hit.ItemNo = piece.ItemNo;
        hit.Offset = item.Info.IsText() ? CharIndexAt(piece, x, false) : 0;
        return hit;
    }
    return std::nullopt;
}

int RichTextDocument::JumpNoAt(int x, int y) const {
    const std::optional<Hit> hit = HitTest(x, y);
    if (!hit)
        return -1;
    const TItemInfo& info = items_[static_cast<std::size_t>(hit->ItemNo)].Info;
    return info.IsJump() && info.JumpNo >= 0 ? info.JumpNo + FirstJumpNo : -1;
}

std::optional<RichTextDocument::Word> RichTextDocument::WordAt(int x, int y) const {
    const std::optional<Hit> hit = HitTest(x, y);
    if (!hit)
        return std::nullopt;
    const Item& item = items_[static_cast<std::size_t>(hit->ItemNo)];
    if (!item.Info.IsText() || item.Text.empty())
        return std::nullopt;
    Word word;
    word.StyleNo = item.Info.StyleNo;
    const std::string_view text = item.Text;
    if (IsDelimiterAt(text, hit->Offset, Delimiters))
        return word;
    // Walk the characters once: remember where the last delimiter before the
    // hit ended and stop at the first delimiter after it.
    std::size_t begin = 0;
    std::size_t pos = 0;
    for (; pos < hit->Offset; pos += platform::GbkCharLength(text, pos)) {
        if (IsDelimiterAt(text, pos, Delimiters))
            begin = pos + platform::GbkCharLength(text, pos);
    }
    while (pos < text.size() && !IsDelimiterAt(text, pos, Delimiters))
        pos += platform::GbkCharLength(text, pos);
    word.Text = std::string(text.substr(begin, pos - begin));
    return word;
}

RichTextDocument::Position RichTextDocument::NearestPosition(int x, int y) const {
    if (pieces_.empty())
        return {};
    // Above the text: its start; below it: its end.
    if (y < 0)
        return {pieces_.front().ItemNo, pieces_.front().Offset};
    const int lineNo = FirstLineAt(y);
    if (lineNo >= static_cast<int>(lines_.size())) {
        const Piece& last = pieces_.back();
        const Item& item = items_[static_cast<std::size_t>(last.ItemNo)];
        return {last.ItemNo, item.Info.IsText() ? last.Offset + last.Length : 1u};
    }
    const Line& line = lines_[static_cast<std::size_t>(lineNo)];
    if (line.PieceCount == 0)
        return {};
    const Piece* chosen = nullptr;
    for (int i = line.FirstPiece; i < line.FirstPiece + line.PieceCount; ++i) {
        chosen = &pieces_[static_cast<std::size_t>(i)];
        if (x < chosen->Left + chosen->Width)
            break;
    }
    const Item& item = items_[static_cast<std::size_t>(chosen->ItemNo)];
    if (!item.Info.IsText())
        return {chosen->ItemNo, x < chosen->Left + chosen->Width / 2 ? 0u : 1u};
    return {chosen->ItemNo, CharIndexAt(*chosen, x, true)};
}

// ---- selection ----

void RichTextDocument::SetSelection(Position anchor, Position current) {
    if (items_.empty()) {
        selection_.reset();
        return;
    }
    auto clamp = [this](Position p) {
        p.ItemNo = std::clamp(p.ItemNo, 0, ItemCount() - 1);
        const std::string_view text = items_[static_cast<std::size_t>(p.ItemNo)].Text;
        const std::size_t size = ContentSize(items_[static_cast<std::size_t>(p.ItemNo)]);
        p.Offset = std::min(p.Offset, size);
        if (!text.empty() && p.Offset < text.size())
            p.Offset = platform::GbkCharStart(text, p.Offset);
        return p;
    };
    anchor = clamp(anchor);
    current = clamp(current);
    if (current < anchor)
        std::swap(anchor, current);
    selection_ = std::make_pair(anchor, current);
}

void RichTextDocument::SelectBetween(int x1, int y1, int x2, int y2) {
    SetSelection(NearestPosition(x1, y1), NearestPosition(x2, y2));
}

std::string RichTextDocument::SelectedText() const {
    std::string result;
    if (!HasSelection())
        return result;
    const auto& [from, to] = *selection_;
    for (int itemNo = from.ItemNo; itemNo <= to.ItemNo; ++itemNo) {
        const Item& item = items_[static_cast<std::size_t>(itemNo)];
        if (itemNo > from.ItemNo && !item.Info.SameAsPrev && item.Info.StyleNo != rvsCheckPoint)
            result += '\r';
        if (!item.Info.IsText())
            continue;
        const std::size_t begin = itemNo == from.ItemNo ? from.Offset : 0;
        const std::size_t end = itemNo == to.ItemNo ? to.Offset : item.Text.size();
        if (begin < end)
            result.append(item.Text, begin, end - begin);
    }
    return result;
}

std::string RichTextDocument::SelectedTextUtf8() const {
    if (!HasSelection())
        return {};
    const auto& [from, to] = *selection_;
    std::vector<std::string> lines(1);
    std::vector<bool> hasText(1, false);
    for (int itemNo = from.ItemNo; itemNo <= to.ItemNo; ++itemNo) {
        const Item& item = items_[static_cast<std::size_t>(itemNo)];
        if (itemNo > from.ItemNo && !item.Info.SameAsPrev && item.Info.StyleNo != rvsCheckPoint) {
            lines.emplace_back();
            hasText.push_back(false);
        }
        if (!item.Info.IsText())
            continue;
        const std::size_t begin = itemNo == from.ItemNo ? from.Offset : 0;
        const std::size_t end = itemNo == to.ItemNo ? to.Offset : item.Text.size();
        if (begin >= end)
            continue;
        const std::string_view bytes = std::string_view(item.Text).substr(begin, end - begin);
        lines.back() += StyleOf(item.Info.StyleNo).IsPhonetic() ? PhoneticLettersToIpa(bytes)
                                                                 : platform::GbkToUtf8(bytes);
        hasText.back() = true;
    }
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!hasText[i])
            continue;
        if (!text.empty())
            text += '\n';
        text += lines[i];
    }
    return text;
}

std::optional<std::pair<std::size_t, std::size_t>>
RichTextDocument::SelectedRange(int pieceNo) const {
    if (!HasSelection() || pieceNo < 0 || pieceNo >= static_cast<int>(pieces_.size()))
        return std::nullopt;
    const Piece& piece = pieces_[static_cast<std::size_t>(pieceNo)];
    const auto& [from, to] = *selection_;
    if (piece.ItemNo < from.ItemNo || piece.ItemNo > to.ItemNo)
        return std::nullopt;
    const Item& item = items_[static_cast<std::size_t>(piece.ItemNo)];
    std::size_t begin = piece.ItemNo == from.ItemNo ? from.Offset : 0;
    std::size_t end = piece.ItemNo == to.ItemNo ? to.Offset : ContentSize(item);
    if (!item.Info.IsText()) {
        if (begin < end)
            return std::make_pair(std::size_t{0}, std::size_t{1});
        return std::nullopt;
    }
    begin = std::max(begin, piece.Offset);
    end = std::min(end, piece.Offset + piece.Length);
    if (begin >= end)
        return std::nullopt;
    return std::make_pair(begin, end);
}

} // namespace display
