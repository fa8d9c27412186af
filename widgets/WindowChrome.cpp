#include "widgets/WindowChrome.h"

#include "widgets/ChromeArt.h"
#include "widgets/HoverLabel.h"
#include "widgets/LbSpeedButton.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace widgets {

namespace {

constexpr int kEdgeThickness = 4;               // sizing handles, pixels
constexpr int kFootHeight = 6;                  // foot strip, pixels
constexpr int kButtonSize = 14;                 // title buttons, pixels
constexpr int kButtonOffsets[3] = {47, 33, 17}; // from the title panel's right edge
constexpr int kTitleRightReserve = kButtonOffsets[0] + 4;
constexpr QSize kMinimumWindow{160, 80};

// A piece of the frame (edge, title panel, foot strip). Each piece paints its
// share of the whole frame picture, so gradients and the rounded outline run
// on across pieces.
class ChromePart : public QWidget {
public:
    ChromePart(QWidget* parent, const ChromeOptions& options)
        : QWidget(parent), options_(options) {}

    void SetTitlePanel(const QWidget* titlePanel) { titlePanel_ = titlePanel; }

protected:
    void paintEvent(QPaintEvent*) override {
        QWidget* top = window();
        QPainter painter(this);
        painter.translate(-mapTo(top, QPoint(0, 0)));
        int titleBottom = 0;
        if (titlePanel_ != nullptr) {
            titleBottom = titlePanel_->mapTo(top, QPoint(0, titlePanel_->height())).y();
        }
        chrome_art::PaintFrame(painter, top->rect(), titleBottom, options_.cornerWidth,
                               options_.cornerHeight);
    }

private:
    const ChromeOptions& options_; // owned by the WindowChrome, which outlives its parts
    const QWidget* titlePanel_ = nullptr;
};

Qt::CursorShape CursorFor(ChromeEdge edge) {
    switch (edge) {
    case ChromeEdge::Left:
    case ChromeEdge::Right:
        return Qt::SizeHorCursor;
    case ChromeEdge::Top:
    case ChromeEdge::Bottom:
        return Qt::SizeVerCursor;
    case ChromeEdge::BottomLeft:
        return Qt::SizeBDiagCursor;
    case ChromeEdge::BottomRight:
        return Qt::SizeFDiagCursor;
    }
    return Qt::ArrowCursor;
}

LbSpeedButton* MakeTitleButton(QWidget* parent, const QColor& highlight) {
    auto* button = new LbSpeedButton(parent);
    button->setFixedSize(kButtonSize, kButtonSize);
    button->SetHighlightColor(highlight);
    button->SetRadius(2);
    return button;
}

} // namespace

Qt::Edges EdgesFromCode(int code) {
    switch (code) {
    case 1:
        return Qt::LeftEdge;
    case 2:
        return Qt::RightEdge;
    case 3:
        return Qt::TopEdge;
    case 6:
        return Qt::BottomEdge;
    case 7:
        return Qt::BottomEdge | Qt::LeftEdge;
    case 8:
        return Qt::BottomEdge | Qt::RightEdge;
    default:
        return {};
    }
}

void PlaceOnScreen(QWidget* window, int numerator, int denominator) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (window == nullptr || screen == nullptr || denominator <= 0) {
        return;
    }
    const QRect area = screen->geometry();
    const QSize size(area.width() * numerator / denominator,
                     area.height() * numerator / denominator);
    window->resize(size);
    CentreOverOwner(window);
}

void CentreOverOwner(QWidget* window) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (window == nullptr || primary == nullptr)
        return;
    const QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    const QPoint centre = owner && owner->isVisible() ? owner->frameGeometry().center()
                                                      : primary->geometry().center();
    const QScreen* screen = QGuiApplication::screenAt(centre);
    const QRect area = (screen ? screen : primary)->availableGeometry();
    QRect placed(QPoint(), window->size());
    placed.moveCenter(centre);
    placed.moveLeft(std::max(area.left(), std::min(placed.left(), area.right() + 1 - placed.width())));
    placed.moveTop(std::max(area.top(), std::min(placed.top(), area.bottom() + 1 - placed.height())));
    window->move(placed.topLeft());
}

WindowChrome::WindowChrome(QWidget* window, ChromeOptions options)
    : QObject(window), window_(window), options_(std::move(options)) {
    window_->setWindowFlags(window_->windowFlags() | Qt::FramelessWindowHint);
    BuildLayout();
    // One application-wide filter sees every event of the window's widgets
    // before they do: keys (the window previews them), mouse presses on the
    // drag areas and handles, and the resizes of the window and title panel.
    qApp->installEventFilter(this);
    for (QWidget* area : {titlePanel_, static_cast<QWidget*>(iconLabel_),
                          static_cast<QWidget*>(titleLabel_), footStrip_}) {
        if (area != nullptr) {
            AddDragArea(area);
        }
    }
    connect(minimizeButton_, &QAbstractButton::clicked, this, &WindowChrome::MinimizeApplication);
    connect(maximizeButton_, &QAbstractButton::clicked, this, &WindowChrome::ToggleMaximized);
    connect(closeButton_, &QAbstractButton::clicked, window_, &QWidget::close);
}

WindowChrome::~WindowChrome() {
    if (qApp != nullptr) {
        qApp->removeEventFilter(this);
    }
}

QWidget* WindowChrome::MakeEdge(ChromeEdge edge) {
    auto* part = new ChromePart(window_, options_);
    const bool wanted =
        std::find(options_.edges.begin(), options_.edges.end(), edge) != options_.edges.end();
    if (wanted) {
        part->setCursor(CursorFor(edge));
        handles_.push_back({edge, part});
    }
    return part;
}

void WindowChrome::BuildLayout() {
    auto* grid = new QGridLayout(window_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);

    std::vector<ChromePart*> parts;
    auto place = [&](QWidget* widget, int row, int column, int columnSpan, QSize fixed,
                     int rowSpan = 1) {
        if (fixed.width() > 0) {
            widget->setFixedWidth(fixed.width());
        }
        if (fixed.height() > 0) {
            widget->setFixedHeight(fixed.height());
        }
        grid->addWidget(widget, row, column, rowSpan, columnSpan);
        if (auto* part = dynamic_cast<ChromePart*>(widget)) {
            parts.push_back(part);
        }
    };
    const auto has = [this](ChromeEdge edge) {
        return std::find(options_.edges.begin(), options_.edges.end(), edge) !=
               options_.edges.end();
    };
    const bool leftColumn = has(ChromeEdge::Left) || has(ChromeEdge::BottomLeft);
    const bool rightColumn = has(ChromeEdge::Right) || has(ChromeEdge::BottomRight);
    const bool bottomRow =
        has(ChromeEdge::Bottom) || has(ChromeEdge::BottomLeft) || has(ChromeEdge::BottomRight);

    if (has(ChromeEdge::Top)) {
        place(MakeEdge(ChromeEdge::Top), 0, 0, 3, {0, kEdgeThickness});
    }

    auto* title = new ChromePart(window_, options_);
    titlePanel_ = title;
    place(title, 1, 0, 3, {0, options_.titleHeight});
    titleLayout_ = new QHBoxLayout(title);
    titleLayout_->setContentsMargins(6, 0, kTitleRightReserve, 0);
    titleLayout_->setSpacing(6);
    iconLabel_ = new QLabel(title);
    iconLabel_->setFixedSize(16, 16);
    titleLabel_ = new HoverLabel(title);
    titleLabel_->SetColors(chrome_art::kTitleText, chrome_art::kTitleTextHover);
    QFont titleFont = titleLabel_->font();
    titleFont.setBold(true);
    titleLabel_->setFont(titleFont);
    titleLayout_->addWidget(iconLabel_);
    titleLayout_->addWidget(titleLabel_);
    titleLayout_->addStretch(1);

    minimizeButton_ = MakeTitleButton(title, QColor(255, 255, 255, 70));
    maximizeButton_ = MakeTitleButton(title, QColor(255, 255, 255, 70));
    closeButton_ = MakeTitleButton(title, QColor(0xe0, 0x45, 0x35, 210));

    body_ = new QWidget(window_);
    body_->setAutoFillBackground(true);
    QPalette bodyPalette = body_->palette();
    bodyPalette.setColor(QPalette::Window, Qt::white);
    body_->setPalette(bodyPalette);
    body_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    const int sideRows = options_.footStrip ? 2 : 1;
    if (leftColumn) {
        QWidget* left =
            has(ChromeEdge::Left) ? MakeEdge(ChromeEdge::Left) : new ChromePart(window_, options_);
        place(left, 2, 0, 1, {kEdgeThickness, 0}, sideRows);
    }
    grid->addWidget(body_, 2, 1);
    if (rightColumn) {
        QWidget* right = has(ChromeEdge::Right) ? MakeEdge(ChromeEdge::Right)
                                                : new ChromePart(window_, options_);
        place(right, 2, 2, 1, {kEdgeThickness, 0}, sideRows);
    }
    if (options_.footStrip) {
        footStrip_ = new ChromePart(window_, options_);
        place(footStrip_, 3, 1, 1, {0, kFootHeight});
    }
    if (bottomRow) {
        auto corner = [&](ChromeEdge edge) -> QWidget* {
            return has(edge) ? MakeEdge(edge) : new ChromePart(window_, options_);
        };
        if (leftColumn) {
            place(corner(ChromeEdge::BottomLeft), 4, 0, 1, {kEdgeThickness, kEdgeThickness});
        }
        place(corner(ChromeEdge::Bottom), 4, 1, 1, {0, kEdgeThickness});
        if (rightColumn) {
            place(corner(ChromeEdge::BottomRight), 4, 2, 1, {kEdgeThickness, kEdgeThickness});
        }
    }
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);
    for (ChromePart* part : parts) {
        part->SetTitlePanel(titlePanel_);
    }
    window_->setMinimumSize(kMinimumWindow);
    UpdateMaximizeGlyph();
}

QWidget* WindowChrome::EdgeHandle(ChromeEdge edge) const {
    for (const Handle& handle : handles_) {
        if (handle.edge == edge) {
            return handle.widget;
        }
    }
    return nullptr;
}

void WindowChrome::SetTitle(const QString& title) {
    titleLabel_->setText(title);
    window_->setWindowTitle(title);
}

void WindowChrome::AddDragArea(QWidget* area) {
    if (area == nullptr || IsDragArea(area)) {
        return;
    }
    dragAreas_.push_back(area);
}

bool WindowChrome::IsDragArea(QObject* watched) const {
    return std::find(dragAreas_.begin(), dragAreas_.end(), watched) != dragAreas_.end();
}

void WindowChrome::PlaceTitleButtons() {
    const int width = titlePanel_->width();
    const int top = (titlePanel_->height() - kButtonSize) / 2;
    LbSpeedButton* buttons[3] = {minimizeButton_, maximizeButton_, closeButton_};
    for (int i = 0; i < 3; ++i) {
        buttons[i]->setGeometry(width - kButtonOffsets[i], top, kButtonSize, kButtonSize);
        buttons[i]->raise();
    }
}

void SetRoundRegion(QWidget* window, int w, int h) {
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, window->width() + 1, window->height() + 1), w / 2.0, h / 2.0);
    window->setMask(QRegion(path.toFillPolygon().toPolygon()));
    window->update();
}

void WindowChrome::SetRoundRegion(int w, int h) {
    widgets::SetRoundRegion(window_, w, h);
}

void WindowChrome::ToggleMaximized() {
    if (window_->isMaximized()) {
        window_->showNormal();
    } else {
        window_->showMaximized();
    }
}

void WindowChrome::MinimizeApplication() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = widget->windowType();
        if (widget->isVisible() && (type == Qt::Window || type == Qt::Dialog)) {
            widget->showMinimized();
        }
    }
}

void WindowChrome::UpdateMaximizeGlyph() {
    const qreal ratio = window_->devicePixelRatioF();
    using chrome_art::TitleGlyph;
    minimizeButton_->SetGlyph(chrome_art::TitleButtonGlyph(TitleGlyph::Minimize, ratio));
    maximizeButton_->SetGlyph(chrome_art::TitleButtonGlyph(
        window_->isMaximized() ? TitleGlyph::Restore : TitleGlyph::Maximize, ratio));
    closeButton_->SetGlyph(chrome_art::TitleButtonGlyph(TitleGlyph::Close, ratio));
    iconLabel_->setPixmap(chrome_art::AppIcon(16, ratio));
}

bool WindowChrome::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return HandleKey(watched, event);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::MouseButtonDblClick:
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == window_) {
            return HandleMouse(watched, event);
        }
        return false;
    case QEvent::Resize:
        if (watched == window_) {
            SetRoundRegion(options_.cornerWidth, options_.cornerHeight);
        } else if (watched == titlePanel_) {
            PlaceTitleButtons();
        }
        return false;
    case QEvent::Show:
        if (watched == window_) {
            UpdateMaximizeGlyph();
            PlaceTitleButtons();
            SetRoundRegion(options_.cornerWidth, options_.cornerHeight);
        }
        return false;
    case QEvent::WindowStateChange:
        if (watched == window_) {
            UpdateMaximizeGlyph();
        }
        return false;
    default:
        return false;
    }
}

// Esc closes the window when it is released, but only after its press was
// seen here too: the release of an Esc that dismissed another window (a
// message box closes on the press) must not close this one as well.
bool WindowChrome::HandleKey(QObject* watched, QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Escape || !watched->isWidgetType()) {
        return false;
    }
    auto* target = static_cast<QWidget*>(watched);
    if (target->window() != window_ || !window_->isVisible()) {
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        if (!key->isAutoRepeat()) {
            escapePressed_ = true;
        }
        return true; // a dialog would otherwise close on the press
    }
    if (key->isAutoRepeat()) {
        return true;
    }
    const bool close = escapePressed_;
    escapePressed_ = false;
    if (close) {
        window_->close();
    }
    return true;
}

bool WindowChrome::HandleMouse(QObject* watched, QEvent* event) {
    const bool dragArea = IsDragArea(watched);
    const Handle* handle = nullptr;
    for (const Handle& candidate : handles_) {
        if (candidate.widget == watched) {
            handle = &candidate;
        }
    }
    if (!dragArea && handle == nullptr) {
        return false;
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        // Only the title strip (with its icon and label) maximises; the foot
        // strip and other drag areas just move the window. A window that
        // hides its maximise button is never maximised from the title either.
        // Its own filter on the title could not stop this: the
        // application-wide filter sees the event first.
        if ((watched == titlePanel_ || watched == iconLabel_ || watched == titleLabel_) &&
            mouse->button() == Qt::LeftButton) {
            drag_ = {};
            if (!maximizeButton_->isHidden()) {
                ToggleMaximized();
            }
            return true;
        }
        return false;
    case QEvent::MouseButtonPress:
        if (mouse->button() != Qt::LeftButton) {
            return false;
        }
        drag_ = {};
        drag_.active = true;
        drag_.edges = handle != nullptr ? EdgesFromCode(int(handle->edge)) : Qt::Edges();
        drag_.startGlobal = global;
        drag_.startGeometry = window_->geometry();
        sizing_ = handle != nullptr;
        return true;
    case QEvent::MouseButtonRelease:
        if (mouse->button() == Qt::LeftButton) {
            drag_ = {};
            sizing_ = false;
        }
        return false;
    case QEvent::MouseMove:
        if (!(mouse->buttons() & Qt::LeftButton)) {
            drag_ = {};
            sizing_ = false;
            return false;
        }
        if (drag_.active && !window_->isMaximized()) {
            DragTo(global);
            return true;
        }
        return false;
    default:
        return false;
    }
}

// The window system moves or sizes the window itself where it can; where it
// cannot (no window manager, the offscreen platform), the window follows the
// pointer by hand.
void WindowChrome::DragTo(const QPoint& global) {
    if (!drag_.manual) {
        QWindow* handle = window_->windowHandle();
        const bool started =
            handle != nullptr &&
            (drag_.edges ? handle->startSystemResize(drag_.edges) : handle->startSystemMove());
        if (started) {
            drag_ = {};
            sizing_ = false;
            return;
        }
        drag_.manual = true;
    }
    const QPoint delta = global - drag_.startGlobal;
    if (!drag_.edges) {
        window_->move(drag_.startGeometry.topLeft() + delta);
        return;
    }
    const QSize minimum = window_->minimumSize().expandedTo(kMinimumWindow);
    QRect geometry = drag_.startGeometry;
    if (drag_.edges & Qt::LeftEdge) {
        geometry.setLeft(
            std::min(geometry.left() + delta.x(), geometry.right() + 1 - minimum.width()));
    }
    if (drag_.edges & Qt::RightEdge) {
        geometry.setRight(
            std::max(geometry.right() + delta.x(), geometry.left() - 1 + minimum.width()));
    }
    if (drag_.edges & Qt::TopEdge) {
        geometry.setTop(
            std::min(geometry.top() + delta.y(), geometry.bottom() + 1 - minimum.height()));
    }
    if (drag_.edges & Qt::BottomEdge) {
        geometry.setBottom(
            std::max(geometry.bottom() + delta.y(), geometry.top() - 1 + minimum.height()));
    }
    window_->setGeometry(geometry);
}

} // namespace widgets
