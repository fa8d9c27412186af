#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include <vector>

class QHBoxLayout;
class QLabel;
class QWidget;

namespace widgets {

class HoverLabel;
class LbSpeedButton;

// The sizing handles of a borderless window, numbered by their edge codes.
enum class ChromeEdge : int {
    Left = 1,
    Right = 2,
    Top = 3,
    Bottom = 6,
    BottomLeft = 7,
    BottomRight = 8,
};

// Qt::Edges of an edge code (1, 2, 3, 6, 7, 8); no edges for any other code.
Qt::Edges EdgesFromCode(int code);

// Makes `window` three quarters of the primary screen's width and height
// (integer division) and centres it as CentreOverOwner does.
// `numerator/denominator` choose another fraction.
void PlaceOnScreen(QWidget* window, int numerator = 3, int denominator = 4);

// Gives `window` the region of a rounded rectangle (0, 0)-(width + 1,
// height + 1) with corner ellipses w x h.
void SetRoundRegion(QWidget* window, int w, int h);

// Moves `window` to the centre of its parent's window when that is shown,
// else of the primary screen, then as far as needed to lie inside the
// available area of the screen under that centre.
void CentreOverOwner(QWidget* window);

struct ChromeOptions {
    // The sizing handles the window has; the base-info window, for one, has
    // only Left, Right and Bottom.
    std::vector<ChromeEdge> edges{ChromeEdge::Left,       ChromeEdge::Right,
                                  ChromeEdge::Top,        ChromeEdge::Bottom,
                                  ChromeEdge::BottomLeft, ChromeEdge::BottomRight};
    int cornerWidth = 11; // corner ellipse of the window region, pixels
    int cornerHeight = 11;
    int titleHeight = 26;  // title panel height, pixels
    bool footStrip = true; // a strip under the body that moves the window
};

// The borderless chrome of one window, shared by the main window and every
// tool window. Constructed on a top-level QWidget or QDialog that has no
// layout yet, it makes the window frameless and lays it out as
//
//   top edge
//   title panel: icon, title label, (window's own controls), min/max/close
//   left edge | body (the window's content) | right edge
//   left edge | foot strip                  | right edge
//   bottom-left | bottom edge               | bottom-right
//
// and then keeps the chrome's behaviour: the title buttons sit at the title
// panel's width - 47, - 33 and - 17 (14 x 14) after every resize, the window
// region is a rounded rectangle (0, 0)-(width + 1, height + 1) redone on every
// resize, the title panel, its labels, the icon and the foot strip move the
// window with the left button, the edge handles size it (neither while
// maximised), Esc closes the window when released, minimise minimises every
// window of the application, maximise and a double click on the title panel,
// its icon or its label toggle maximised and normal (the double click only
// while the maximise button is not hidden).
//
// The chrome is a child of the window and lives as long as it. The close
// button and Esc call window->close(), so a window's closeEvent can refuse.
class WindowChrome : public QObject {
    Q_OBJECT
public:
    explicit WindowChrome(QWidget* window, ChromeOptions options = {});
    ~WindowChrome() override;

    QWidget* Window() const { return window_; }
    // Where the window puts its content (white, no layout of its own).
    QWidget* Body() const { return body_; }
    // The title panel; windows may add controls to TitleLayout(), which holds
    // the icon, the title label and a stretch, in that order. The right end
    // is kept free for the title buttons.
    QWidget* TitlePanel() const { return titlePanel_; }
    QHBoxLayout* TitleLayout() const { return titleLayout_; }
    HoverLabel* TitleLabel() const { return titleLabel_; }
    QLabel* IconLabel() const { return iconLabel_; }
    QWidget* FootStrip() const { return footStrip_; }
    LbSpeedButton* MinimizeButton() const { return minimizeButton_; }
    LbSpeedButton* MaximizeButton() const { return maximizeButton_; }
    LbSpeedButton* CloseButton() const { return closeButton_; }

    // The handle of an edge, or nullptr when the window has none there.
    QWidget* EdgeHandle(ChromeEdge edge) const;
    bool HasEdge(ChromeEdge edge) const { return EdgeHandle(edge) != nullptr; }

    // Sets the title label and the window title.
    void SetTitle(const QString& title);

    // Another widget that moves the window when dragged (a banner, say).
    void AddDragArea(QWidget* area);

    // Buttons at title panel width - 47, - 33, - 17, vertically centred.
    void PlaceTitleButtons();
    // Window region: rounded rectangle (0, 0)-(width + 1, height + 1) with
    // corner ellipse w x h. The chrome calls it with the options' corner on
    // every resize.
    void SetRoundRegion(int w, int h);

    void ToggleMaximized();
    // Minimises every visible top-level window of the application.
    static void MinimizeApplication();

    // True while the left button that started a resize on an edge handle is
    // held (the windows' `Sizing` / `Dragging`).
    bool Sizing() const { return sizing_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Handle {
        ChromeEdge edge;
        QWidget* widget;
    };
    // One press of the left button on a drag area or edge handle.
    struct Drag {
        bool active = false;
        bool manual = false; // the platform refused the system move/resize
        Qt::Edges edges;     // empty for a move
        QPoint startGlobal;
        QRect startGeometry;
    };

    void BuildLayout();
    QWidget* MakeEdge(ChromeEdge edge);
    bool HandleKey(QObject* watched, QEvent* event);
    bool HandleMouse(QObject* watched, QEvent* event);
    void DragTo(const QPoint& global);
    void UpdateMaximizeGlyph();
    bool IsDragArea(QObject* watched) const;

    QWidget* window_;
    ChromeOptions options_;
    QWidget* titlePanel_ = nullptr;
    QHBoxLayout* titleLayout_ = nullptr;
    QLabel* iconLabel_ = nullptr;
    HoverLabel* titleLabel_ = nullptr;
    QWidget* body_ = nullptr;
    QWidget* footStrip_ = nullptr;
    LbSpeedButton* minimizeButton_ = nullptr;
    LbSpeedButton* maximizeButton_ = nullptr;
    LbSpeedButton* closeButton_ = nullptr;
    std::vector<Handle> handles_;
    std::vector<QWidget*> dragAreas_;
    Drag drag_;
    bool sizing_ = false;
    bool escapePressed_ = false;
};

} // namespace widgets
