#pragma once

#include "display/FontMetrics.h"
#include "display/Picture.h"
#include "display/TImageList.h"
#include "display/TItemInfo.h"
#include "display/TTextStyleTable.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace display {

// The document behind a rich text view: the item list, the settings that
// shape its layout, the layout itself and the selection. No GUI: it measures
// through a FontMetrics and works on GBK bytes throughout.
//
// Life cycle: Clear, add items, Format. Jump numbers, pieces, lines and every
// position query are valid only after Format (an add invalidates nothing but
// is not shown until the next Format). Coordinates are document pixels: x
// from the left edge of the view (margins included), y from the top of the
// document (the view subtracts its scroll offset).
class RichTextDocument {
public:
    struct Item {
        std::string Text; // GBK; empty for non-text items
        TItemInfo Info;
        PicturePtr Graphic;  // rvsPicture
        ImageListPtr Images; // rvsImageJump, rvsImageBullet
    };

    // A laid-out piece: a run of one text item on one line, or a whole
    // non-text item. Text pieces cover Text bytes [Offset, Offset + Length).
    struct Piece {
        int ItemNo = 0;
        std::size_t Offset = 0;
        std::size_t Length = 0;
        int Left = 0; // pixels, including the left margin
        int Top = 0;
        int Width = 0;
        int Height = 0;
        int Ascent = 0; // distance from Top to the baseline (text, images)
        int LineNo = 0;
    };

    struct Line {
        int Top = 0;
        int Height = 0;
        int Baseline = 0; // from Top
        int FirstPiece = 0;
        int PieceCount = 0;
    };

    // A position between characters: item ItemNo, byte Offset in its text
    // (0 or 1 for non-text items: before or after it).
    struct Position {
        int ItemNo = 0;
        std::size_t Offset = 0;
        friend auto operator<=>(const Position&, const Position&) = default;
    };

    // What lies exactly under a point.
    struct Hit {
        int PieceNo = 0;
        int ItemNo = 0;
        std::size_t Offset = 0; // byte offset of the character under the point
    };

    struct Word {
        std::string Text; // GBK; empty when the point is on a delimiter
        int StyleNo = 0;
    };

    // The characters that end a word when one is picked by the mouse.
    static constexpr std::string_view kDefaultDelimiters = " .;,:(){}\"";
    // Scroll step (pixels) before the 30000-step rule enlarges it.
    static constexpr int kDefaultScrollStep = 10;

    RichTextDocument();

    // ---- settings ----
    // The style table; shared with the window that owns it. Without one the
    // document lays out nothing and the view shows an error text.
    void SetStyle(std::shared_ptr<const TTextStyleTable> table) { style_ = std::move(table); }
    const std::shared_ptr<const TTextStyleTable>& Style() const { return style_; }
    // The metrics used by Format and the position queries (default: a
    // MonospaceMetrics with 1-pixel characters). Never null.
    void SetMetrics(std::shared_ptr<const FontMetrics> metrics);
    const FontMetrics& Metrics() const { return *metrics_; }

    int LeftMargin = 0;                                       // pixels
    int RightMargin = 0;                                      // pixels
    int MaxTextWidth = 0;                                     // 0 = no limit
    int MinTextWidth = 0;                                     // 0 = no limit
    int FirstJumpNo = 0;                                      // added to jump numbers by JumpNoAt
    std::string Delimiters = std::string(kDefaultDelimiters); // GBK characters

    // ---- building (none lays out) ----
    void AddFromNewLine(std::string_view text, int styleNo);
    void Add(std::string_view text, int styleNo); // the first item of a document starts a line
    void AddCenterLine(std::string_view text, int styleNo);
    void AddBreak();
    void AddCheckPoint();
    // A picture on its own line, centred. A null picture is ignored.
    void AddPictureItem(PicturePtr picture);
    void AddImageJump(int imageIndex, ImageListPtr imageList, bool startsLine);
    void AddImageBullet(int imageIndex, ImageListPtr imageList, bool startsLine);
    // Removes the selection, all items and the layout.
    void Clear();

    const std::vector<Item>& Items() const { return items_; }
    int ItemCount() const { return static_cast<int>(items_.size()); }

    // ---- layout ----
    // Lays out every item for a view whose client area is clientWidth pixels
    // wide and assigns the jump numbers. Returns the document height.
    int Format(int clientWidth);
    // The width text is wrapped to for a client width (margins removed,
    // picture, MinTextWidth and MaxTextWidth rules applied).
    int LayoutWidth(int clientWidth) const;

    bool IsFormatted() const { return formatted_; }
    int DocumentHeight() const { return height_; }
    // The widest laid-out line plus both margins.
    int DocumentWidth() const { return width_; }
    // Pixels per scroll step: kDefaultScrollStep, enlarged to
    // ceil(height / 30000) when the height would need more than 30000 steps.
    int ScrollStep() const { return scrollStep_; }
    int JumpCount() const { return jumpCount_; }
    const std::vector<Piece>& Pieces() const { return pieces_; }
    const std::vector<Line>& Lines() const { return lines_; }
    // The first line whose bottom is below y (for painting from y on).
    int FirstLineAt(int y) const;

    // ---- positions ----
    std::optional<Hit> HitTest(int x, int y) const;
    // The jump under a point, as reported to the program (its number plus
    // FirstJumpNo), or -1.
    int JumpNoAt(int x, int y) const;
    // The word under a point (delimiters end it), or nothing when the point is
    // not over text.
    std::optional<Word> WordAt(int x, int y) const;
    // The position between characters nearest to a point (for selecting).
    Position NearestPosition(int x, int y) const;

    // ---- selection ----
    // Selects from one position to another (either order).
    void SetSelection(Position anchor, Position current);
    void SelectBetween(int x1, int y1, int x2, int y2);
    void ClearSelection() { selection_.reset(); }
    bool HasSelection() const { return selection_ && selection_->first != selection_->second; }
    // The selected text (GBK): the selected part of every text item, a CR
    // before every selected item after the first that starts a line
    // (checkpoints excepted); non-text items add no text.
    std::string SelectedText() const;
    // The selection as the clipboard gets it: UTF-8, the phonetic font's
    // letters as the IPA they show, and one "\n" where SelectedText has its
    // CR. Lines without text (spacers, pictures, bullets alone) are left out.
    std::string SelectedTextUtf8() const;
    // The selected byte range of a piece's item text, clipped to the piece,
    // or nothing. For a non-text piece: {0, 1} when the item is selected.
    std::optional<std::pair<std::size_t, std::size_t>> SelectedRange(int pieceNo) const;

private:
    void AddItem(Item item);
    const TTextStyle& StyleOf(int styleNo) const;
    std::size_t CharIndexAt(const Piece& piece, int x, bool nearest) const;

    std::shared_ptr<const TTextStyleTable> style_;
    std::shared_ptr<const FontMetrics> metrics_;
    std::vector<Item> items_;
    std::vector<Piece> pieces_;
    std::vector<Line> lines_;
    std::optional<std::pair<Position, Position>> selection_; // ordered
    bool formatted_ = false;
    int height_ = 0;
    int width_ = 0;
    int scrollStep_ = kDefaultScrollStep;
    int jumpCount_ = 0;
};

} // namespace display
