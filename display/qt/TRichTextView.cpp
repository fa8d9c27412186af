#include "display/qt/TRichTextView.h"

#include "display/qt/Fonts.h"
#include "display/qt/QtConvert.h"
#include "display/qt/QtFontMetrics.h"
#include "platform/Gbk.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace display {

namespace {

const QString kNoStyleText = QStringLiteral("Error: text style table not set");
constexpr int kStepsPerArrow = 2;

} // namespace

TRichTextView::TRichTextView(QWidget* parent)
    : QAbstractScrollArea(parent), metrics_(std::make_shared<QtFontMetrics>(this)) {
    document_.SetMetrics(metrics_);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(kStepsPerArrow);
}

TRichTextView::~TRichTextView() = default;

const FontMetrics& TRichTextView::Metrics() const {
    return *metrics_;
}

void TRichTextView::SetStyle(std::shared_ptr<const TTextStyleTable> table) {
    document_.SetStyle(std::move(table));
    viewport()->update();
}

void TRichTextView::SetBackgroundBitmap(const QPixmap& bitmap) {
    background_ = bitmap;
    viewport()->update();
}

void TRichTextView::SetVScrollVisible(bool visible) {
    vScrollVisible_ = visible;
    if (document_.IsFormatted())
        Format();
}

void TRichTextView::Clear() {
    document_.Clear();
    pieceText_.clear();
    images_.clear();
    pressedJump_ = -1;
    selecting_ = false;
    UpdateScrollRange();
    viewport()->update();
}

// ---- layout and scrolling ----

int TRichTextView::LayoutOnce(int clientWidth) {
    pieceText_.clear();
    laidOutWidth_ = clientWidth;
    return document_.Format(clientWidth);
}

void TRichTextView::Format() {
    if (formatting_)
        return;
    formatting_ = true;
    // The width without a scroll bar; when the text then needs one, the
    // narrower width is laid out once more.
    const int frame = 2 * frameWidth();
    const int fullWidth = std::max(0, width() - frame);
    const int viewHeight = std::max(0, height() - frame);
    const int barWidth = verticalScrollBar()->sizeHint().width();
    int docHeight = LayoutOnce(fullWidth);
    const bool needBar = vScrollVisible_ && docHeight > viewHeight;
    if (needBar)
        docHeight = LayoutOnce(std::max(0, fullWidth - barWidth));
    setVerticalScrollBarPolicy(needBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    if (viewport()->width() != laidOutWidth_)
        LayoutOnce(viewport()->width());
    images_.clear();
    UpdateScrollRange();
    formatting_ = false;
    viewport()->update();
}

void TRichTextView::UpdateScrollRange() {
    QScrollBar* bar = verticalScrollBar();
    const int step = std::max(1, document_.ScrollStep());
    const int overflow = std::max(0, document_.DocumentHeight() - viewport()->height());
    bar->setRange(0, (overflow + step - 1) / step);
    bar->setPageStep(std::max(1, viewport()->height() / step));
}

int TRichTextView::ScrollOffset() const {
    const int offset = verticalScrollBar()->value() * std::max(1, document_.ScrollStep());
    return std::clamp(offset, 0, std::max(0, document_.DocumentHeight() - viewport()->height()));
}

QPoint TRichTextView::ToDocument(const QPoint& viewportPoint) const {
    return {viewportPoint.x(), viewportPoint.y() + ScrollOffset()};
}

int TRichTextView::VScrollPos() const {
    return verticalScrollBar()->value();
}

void TRichTextView::SetVScrollPos(int steps) {
    verticalScrollBar()->setValue(steps);
}

void TRichTextView::scrollContentsBy(int, int) {
    viewport()->update();
}

void TRichTextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (!document_.IsFormatted() || formatting_)
        return;
    // A change of height alone can make the text need the scroll bar or no
    // longer need it, and the bar changes the width the text is laid out for.
    const bool barShown = verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    const int viewHeight = std::max(0, height() - 2 * frameWidth());
    const bool barNeeded = vScrollVisible_ && document_.DocumentHeight() > viewHeight;
    if (viewport()->width() != laidOutWidth_ || barShown != barNeeded) {
        const int position = VScrollPos();
        Format();
        SetVScrollPos(position);
    } else {
        UpdateScrollRange();
    }
}

void TRichTextView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        metrics_->Reset();
        if (document_.IsFormatted() && !formatting_)
            Format();
    }
}

// ---- painting ----

const QString& TRichTextView::PieceText(int pieceNo) const {
    auto it = pieceText_.find(pieceNo);
    if (it == pieceText_.end()) {
        const auto& piece = document_.Pieces()[static_cast<std::size_t>(pieceNo)];
        const auto& item = document_.Items()[static_cast<std::size_t>(piece.ItemNo)];
        const std::string_view text =
            std::string_view(item.Text).substr(piece.Offset, piece.Length);
        it = pieceText_.insert(
            pieceNo, DisplayText(document_.Style()->StyleOrDefault(item.Info.StyleNo), text));
    }
    return *it;
}

QImage TRichTextView::ImageOf(const Picture& picture) const {
    auto it = images_.find(&picture);
    if (it == images_.end())
        it = images_.insert(&picture, ImageFromPicture(picture));
    return *it;
}

void TRichTextView::PaintPiece(QPainter& painter, int pieceNo, const QPalette& palette) const {
    const TTextStyleTable& table = *document_.Style();
    const auto& piece = document_.Pieces()[static_cast<std::size_t>(pieceNo)];
    const auto& item = document_.Items()[static_cast<std::size_t>(piece.ItemNo)];
    const int top = piece.Top - ScrollOffset();
    const auto selected = document_.SelectedRange(pieceNo);
    const QColor selColor = ResolveColor(table.SelColor, palette);

    switch (item.Info.StyleNo) {
    case rvsBreak: {
        const int band = (piece.Height - 1) / 2;
        painter.setPen(ResolveColor(table.StyleOrDefault(0).Color, palette));
        painter.drawLine(piece.Left + band, top + band, piece.Left + piece.Width - band,
                         top + band);
        return;
    }
    case rvsPicture:
    case rvsImageJump:
    case rvsImageBullet: {
        PicturePtr picture = item.Graphic;
        QPoint at(piece.Left, top);
        if (item.Info.StyleNo != rvsPicture) {
            picture = item.Images ? item.Images->Image(item.Info.ImageIndex) : nullptr;
            at.rx() += 1;
        }
        if (!picture)
            return;
        const QImage image = ImageOf(*picture);
        painter.drawImage(at, image);
        if (selected && selColor.isValid()) {
            QColor blend = selColor;
            blend.setAlpha(128);
            painter.fillRect(QRect(at, image.size()), blend);
        }
        return;
    }
    default:
        break;
    }
    if (!item.Info.IsText() || piece.Length == 0)
        return;

    const TTextStyle& style = table.StyleOrDefault(item.Info.StyleNo);
    const QFont& font = metrics_->Font(style);
    painter.setFont(font);
    const qreal baseline = top + piece.Ascent;
    const QColor color = ResolveColor(style.Color, palette);
    if (!selected) {
        painter.setPen(color);
        painter.drawText(QPointF(piece.Left, baseline), PieceText(pieceNo));
        return;
    }
    // Split at the selection, measured the way the layout measured.
    const std::string_view bytes = std::string_view(item.Text).substr(piece.Offset, piece.Length);
    const std::size_t selFrom = selected->first - piece.Offset;
    const std::size_t selTo = selected->second - piece.Offset;
    const qreal x0 = piece.Left + metrics_->TextWidth(style, bytes.substr(0, selFrom));
    const qreal x1 = piece.Left + metrics_->TextWidth(style, bytes.substr(0, selTo));
    const QString before = DisplayText(style, bytes.substr(0, selFrom));
    const QString inside = DisplayText(style, bytes.substr(selFrom, selTo - selFrom));
    const QString after = DisplayText(style, bytes.substr(selTo));
    painter.setPen(color);
    painter.drawText(QPointF(piece.Left, baseline), before);
    painter.drawText(QPointF(x1, baseline), after);
    if (selColor.isValid())
        painter.fillRect(QRectF(x0, top, x1 - x0, piece.Height), selColor);
    const QColor selText = ResolveColor(table.SelTextColor, palette);
    painter.setPen(selText.isValid() ? selText : color);
    painter.drawText(QPointF(x0, baseline), inside);
}

void TRichTextView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QPalette& pal = palette();
    const QRect area = event->rect();
    const auto& table = document_.Style();
    const QColor background = table ? ResolveColor(table->Color, pal) : pal.color(QPalette::Base);
    painter.fillRect(area, background.isValid() ? background : pal.color(QPalette::Base));
    const int offset = ScrollOffset();
    if (!background_.isNull()) {
        // Tiles move with the text.
        const int tileHeight =
            std::max(1, qRound(background_.height() / background_.devicePixelRatio()));
        painter.drawTiledPixmap(viewport()->rect(), background_, QPoint(0, offset % tileHeight));
    }
    if (!table) {
        painter.setPen(pal.color(QPalette::Text));
        painter.drawText(viewport()->rect().adjusted(document_.LeftMargin + 4, 4, 0, 0),
                         Qt::AlignLeft | Qt::AlignTop, kNoStyleText);
        return;
    }
    if (!document_.IsFormatted())
        return;
    const auto& lines = document_.Lines();
    const int bottom = offset + area.bottom() + 1;
    for (int lineNo = document_.FirstLineAt(offset + area.top());
         lineNo < static_cast<int>(lines.size()) &&
         lines[static_cast<std::size_t>(lineNo)].Top < bottom;
         ++lineNo) {
        const auto& line = lines[static_cast<std::size_t>(lineNo)];
        for (int i = line.FirstPiece; i < line.FirstPiece + line.PieceCount; ++i)
            PaintPiece(painter, i, pal);
    }
}

// ---- mouse and keyboard ----

void TRichTextView::RaiseWord(const QPoint& viewportPoint, bool rightClick,
                              const QPoint& globalPoint) {
    const QPoint at = ToDocument(viewportPoint);
    const auto word = document_.WordAt(at.x(), at.y());
    if (!word)
        return;
    if (rightClick)
        emit OnWordRightClick(word->Text, word->StyleNo, globalPoint.x(), globalPoint.y());
    else
        emit OnWordDblClick(word->Text, word->StyleNo);
}

void TRichTextView::mousePressEvent(QMouseEvent* event) {
    const QPoint viewportPoint = event->position().toPoint();
    const QPoint at = ToDocument(viewportPoint);
    if (event->button() == Qt::RightButton) {
        RaiseWord(viewportPoint, true, event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    pressedJump_ = document_.JumpNoAt(at.x(), at.y());
    dragged_ = false;
    // A press on a jump is a click on it, never the start of a selection.
    if (allowSelection_ && pressedJump_ < 0) {
        selecting_ = true;
        anchor_ = document_.NearestPosition(at.x(), at.y());
        if (document_.HasSelection()) {
            document_.ClearSelection();
            viewport()->update();
        }
    }
    if (singleClick_)
        RaiseWord(viewportPoint, false, {});
}

void TRichTextView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = ToDocument(event->position().toPoint());
    const bool overJump = document_.Style() && document_.JumpNoAt(at.x(), at.y()) >= 0;
    const Qt::CursorShape shape = overJump ? Qt::PointingHandCursor : Qt::ArrowCursor;
    if (viewport()->cursor().shape() != shape)
        viewport()->setCursor(shape);
    if (!selecting_ || !(event->buttons() & Qt::LeftButton))
        return;
    // Dragging past the top or bottom edge scrolls the text along.
    const int y = event->position().toPoint().y();
    if (y < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (y >= viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const QPoint dragAt = ToDocument(event->position().toPoint());
    const RichTextDocument::Position current = document_.NearestPosition(dragAt.x(), dragAt.y());
    if (current != anchor_)
        dragged_ = true;
    if (dragged_) {
        document_.SetSelection(anchor_, current);
        viewport()->update();
    }
}

void TRichTextView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = ToDocument(event->position().toPoint());
    const int jump = document_.JumpNoAt(at.x(), at.y());
    const int pressed = pressedJump_;
    pressedJump_ = -1;
    const bool selected = selecting_ && dragged_;
    selecting_ = false;
    dragged_ = false;
    if (selected)
        emit OnSelect();
    else if (pressed >= 0 && jump == pressed)
        emit OnJump(jump);
}

void TRichTextView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    if (!singleClick_)
        RaiseWord(event->position().toPoint(), false, {});
}

void TRichTextView::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if ((ctrl && (event->key() == Qt::Key_C || event->key() == Qt::Key_Insert)) ||
        event->matches(QKeySequence::Copy)) {
        CopySelection();
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_Up:
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Down:
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_PageUp:
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Home:
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        break;
    }
}

void TRichTextView::CopySelection() {
    if (!document_.HasSelection())
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(QString::fromStdString(document_.SelectedTextUtf8()));
}

} // namespace display
