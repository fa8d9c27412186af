#pragma once

#include "display/RichTextDocument.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <memory>
#include <string>
#include <string_view>

namespace display {

class QtFontMetrics;

// The read-only rich text view: paints a RichTextDocument, scrolls it
// vertically, selects with the mouse and reports jumps and words. Windows fill
// it with Clear, the Add* operations and Format (all forwarded to Document()).
//
// Text in and out is GBK (std::string); it is converted to Unicode only for
// painting, measuring and the clipboard.
class TRichTextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TRichTextView(QWidget* parent = nullptr);
    ~TRichTextView() override;

    RichTextDocument& Document() { return document_; }
    const RichTextDocument& Document() const { return document_; }

    // ---- settings ----
    // The style table, shared with the window that owns it (a window may
    // change sizes and then call Format). Null: the view paints an error text.
    void SetStyle(std::shared_ptr<const TTextStyleTable> table);
    const std::shared_ptr<const TTextStyleTable>& Style() const { return document_.Style(); }
    void SetLeftMargin(int pixels) { document_.LeftMargin = pixels; }
    void SetRightMargin(int pixels) { document_.RightMargin = pixels; }
    void SetMaxTextWidth(int pixels) { document_.MaxTextWidth = pixels; }
    void SetMinTextWidth(int pixels) { document_.MinTextWidth = pixels; }
    void SetFirstJumpNo(int number) { document_.FirstJumpNo = number; }
    void SetDelimiters(std::string gbk) { document_.Delimiters = std::move(gbk); }
    // Tiled behind the content (logical pixels; a pixmap with a device pixel
    // ratio is tiled at its logical size).
    void SetBackgroundBitmap(const QPixmap& bitmap);
    const QPixmap& BackgroundBitmap() const { return background_; }
    void SetAllowSelection(bool allow) { allowSelection_ = allow; }
    bool AllowSelection() const { return allowSelection_; }
    // A single click (instead of a double click) raises OnWordDblClick.
    void SetSingleClick(bool single) { singleClick_ = single; }
    bool SingleClick() const { return singleClick_; }
    void SetVScrollVisible(bool visible);

    // ---- building (forwarded to the document) ----
    void AddFromNewLine(std::string_view text, int styleNo) {
        document_.AddFromNewLine(text, styleNo);
    }
    void Add(std::string_view text, int styleNo) { document_.Add(text, styleNo); }
    void AddCenterLine(std::string_view text, int styleNo) {
        document_.AddCenterLine(text, styleNo);
    }
    void AddBreak() { document_.AddBreak(); }
    void AddCheckPoint() { document_.AddCheckPoint(); }
    void AddPictureItem(PicturePtr picture) { document_.AddPictureItem(std::move(picture)); }
    void AddImageJump(int imageIndex, ImageListPtr list, bool startsLine) {
        document_.AddImageJump(imageIndex, std::move(list), startsLine);
    }
    void AddImageBullet(int imageIndex, ImageListPtr list, bool startsLine) {
        document_.AddImageBullet(imageIndex, std::move(list), startsLine);
    }
    // Removes the selection and all items; the view shows nothing until the
    // next Format.
    void Clear();
    // Lays the document out for the current width (again, if the scroll bar
    // appearing or disappearing changed it), updates the scroll range and
    // repaints.
    void Format();

    // The vertical scroll position in scroll steps (Document().ScrollStep()
    // pixels each). Setting it clamps to the range.
    int VScrollPos() const;
    void SetVScrollPos(int steps);

    // The selected text, GBK, lines separated by CR.
    std::string SelectedText() const { return document_.SelectedText(); }
    // Copies the selection to the clipboard (cleared first); nothing without
    // a selection.
    void CopySelection();

    // The view's own metrics (logical pixels of this widget's screen).
    const FontMetrics& Metrics() const;

signals:
    // A jump was clicked (pressed and released over the same jump); its number
    // plus FirstJumpNo.
    void OnJump(int jumpNo);
    // Word under the pointer (GBK; empty on a delimiter) at a double click,
    // or a single click with SingleClick.
    void OnWordDblClick(const std::string& word, int styleNo);
    // Right click over text; globalX, globalY are screen coordinates.
    void OnWordRightClick(const std::string& word, int styleNo, int globalX, int globalY);
    // A drag selection ended.
    void OnSelect();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;

private:
    int ScrollOffset() const; // pixels
    QPoint ToDocument(const QPoint& viewportPoint) const;
    void UpdateScrollRange();
    int LayoutOnce(int clientWidth);
    const QString& PieceText(int pieceNo) const;
    QImage ImageOf(const Picture& picture) const;
    void PaintPiece(class QPainter& painter, int pieceNo, const QPalette& palette) const;
    void RaiseWord(const QPoint& viewportPoint, bool rightClick, const QPoint& globalPoint);

    RichTextDocument document_;
    std::shared_ptr<QtFontMetrics> metrics_;
    QPixmap background_;
    bool allowSelection_ = true;
    bool singleClick_ = false;
    bool vScrollVisible_ = true;
    bool formatting_ = false;
    int laidOutWidth_ = -1; // client width of the last layout

    int pressedJump_ = -1;
    bool selecting_ = false;
    bool dragged_ = false;
    RichTextDocument::Position anchor_; // where a drag selection started

    // Converted text per piece and decoded pictures; cleared by Format/Clear.
    mutable QHash<int, QString> pieceText_;
    mutable QHash<const Picture*, QImage> images_;
};

} // namespace display
