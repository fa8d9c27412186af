#include "widgets/WindowChrome.h"
#include "widgets/HoverLabel.h"
#include "widgets/LbSpeedButton.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace widgets {
namespace {

// A shown dialog with the chrome and a line edit in its body.
struct ChromedDialog {
    explicit ChromedDialog(ChromeOptions options = {})
        : chrome(new WindowChrome(&dialog, options)) {
        auto* layout = new QVBoxLayout(chrome->Body());
        edit = new QLineEdit(chrome->Body());
        layout->addWidget(edit);
        dialog.resize(400, 300);
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    QDialog dialog;
    WindowChrome* chrome;
    QLineEdit* edit = nullptr;
};

void ExpectButtonsPlaced(const WindowChrome& chrome) {
    const int width = chrome.TitlePanel()->width();
    EXPECT_EQ(chrome.MinimizeButton()->x(), width - 47);
    EXPECT_EQ(chrome.MaximizeButton()->x(), width - 33);
    EXPECT_EQ(chrome.CloseButton()->x(), width - 17);
    EXPECT_EQ(chrome.CloseButton()->size(), QSize(14, 14));
}

TEST(EdgeCodes, MapToQtEdges) {
    EXPECT_EQ(EdgesFromCode(1), Qt::Edges(Qt::LeftEdge));
    EXPECT_EQ(EdgesFromCode(2), Qt::Edges(Qt::RightEdge));
    EXPECT_EQ(EdgesFromCode(3), Qt::Edges(Qt::TopEdge));
    EXPECT_EQ(EdgesFromCode(6), Qt::Edges(Qt::BottomEdge));
    EXPECT_EQ(EdgesFromCode(7), Qt::BottomEdge | Qt::LeftEdge);
    EXPECT_EQ(EdgesFromCode(8), Qt::BottomEdge | Qt::RightEdge);
    EXPECT_EQ(EdgesFromCode(4), Qt::Edges());
    EXPECT_EQ(EdgesFromCode(0), Qt::Edges());
}

TEST(WindowChrome, TitleButtonsFollowEveryResize) {
    ChromedDialog window;
    ExpectButtonsPlaced(*window.chrome);
    EXPECT_EQ(window.chrome->TitlePanel()->width(), 400);

    window.dialog.resize(640, 480);
    QApplication::processEvents();
    EXPECT_EQ(window.chrome->TitlePanel()->width(), 640);
    ExpectButtonsPlaced(*window.chrome);

    window.dialog.resize(250, 200);
    QApplication::processEvents();
    ExpectButtonsPlaced(*window.chrome);
}

TEST(WindowChrome, RegionHasRoundedCornersAfterResize) {
    ChromedDialog window;
    for (const QSize size : {QSize(400, 300), QSize(520, 360)}) {
        window.dialog.resize(size);
        QApplication::processEvents();
        const QRegion mask = window.dialog.mask();
        const int w = size.width();
        const int h = size.height();
        EXPECT_FALSE(mask.contains(QPoint(0, 0)));
        EXPECT_FALSE(mask.contains(QPoint(w - 1, 0)));
        EXPECT_FALSE(mask.contains(QPoint(0, h - 1)));
        EXPECT_FALSE(mask.contains(QPoint(w - 1, h - 1)));
        EXPECT_TRUE(mask.contains(QPoint(5, 0)));
        EXPECT_TRUE(mask.contains(QPoint(0, 5)));
        EXPECT_TRUE(mask.contains(QPoint(w / 2, h / 2)));
        EXPECT_TRUE(mask.contains(QPoint(w - 1, h / 2)));
        EXPECT_TRUE(mask.contains(QPoint(w / 2, h - 1)));
    }
}

TEST(WindowChrome, EscapeClosesOnReleaseOnly) {
    ChromedDialog window;
    window.edit->setFocus();
    QTest::keyPress(window.edit, Qt::Key_Escape);
    EXPECT_TRUE(window.dialog.isVisible()) << "a dialog must not close on the press";
    QTest::keyRelease(window.edit, Qt::Key_Escape);
    EXPECT_FALSE(window.dialog.isVisible());
    EXPECT_EQ(window.dialog.result(), QDialog::Rejected);
}

TEST(WindowChrome, EscapeReleaseWithoutItsPressKeepsWindowOpen) {
    ChromedDialog window;
    QTest::keyRelease(&window.dialog, Qt::Key_Escape);
    EXPECT_TRUE(window.dialog.isVisible());
    QTest::keyClick(&window.dialog, Qt::Key_A);
    EXPECT_TRUE(window.dialog.isVisible());
}

TEST(WindowChrome, EscapeInAnotherWindowLeavesThisOneOpen) {
    ChromedDialog first;
    ChromedDialog second;
    QTest::keyClick(second.edit, Qt::Key_Escape);
    EXPECT_FALSE(second.dialog.isVisible());
    EXPECT_TRUE(first.dialog.isVisible());
}

TEST(WindowChrome, MaximiseButtonAndTitleDoubleClickToggle) {
    ChromedDialog window;
    EXPECT_FALSE(window.dialog.isMaximized());
    QTest::mouseClick(window.chrome->MaximizeButton(), Qt::LeftButton);
    EXPECT_TRUE(window.dialog.isMaximized());
    QTest::mouseClick(window.chrome->MaximizeButton(), Qt::LeftButton);
    EXPECT_FALSE(window.dialog.isMaximized());

    QTest::mouseDClick(window.chrome->TitlePanel(), Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_TRUE(window.dialog.isMaximized());
    QTest::mouseDClick(window.chrome->TitleLabel(), Qt::LeftButton);
    EXPECT_FALSE(window.dialog.isMaximized());
}

TEST(WindowChrome, TitleDoubleClickLeavesAWindowWithoutMaximiseButtonAlone) {
    // The study windows hide the button; a title filter of their own cannot
    // stop the chrome, whose application-wide filter sees the event first.
    ChromedDialog window;
    window.chrome->MaximizeButton()->hide();
    QTest::mouseDClick(window.chrome->TitlePanel(), Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_FALSE(window.dialog.isMaximized());
    QTest::mouseDClick(window.chrome->TitleLabel(), Qt::LeftButton);
    EXPECT_FALSE(window.dialog.isMaximized());
}

TEST(WindowChrome, OnlyTheTitleMaximisesOnDoubleClick) {
    ChromedDialog window;
    auto* banner = new QWidget(window.chrome->Body());
    window.chrome->Body()->layout()->addWidget(banner);
    banner->setMinimumHeight(30);
    window.chrome->AddDragArea(banner);
    QApplication::processEvents();
    QTest::mouseDClick(banner, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(window.chrome->FootStrip(), Qt::LeftButton, {}, QPoint(5, 2));
    EXPECT_FALSE(window.dialog.isMaximized());

    // A drag area still moves the window.
    window.dialog.move(100, 100);
    QApplication::processEvents();
    const QPoint start = window.dialog.pos();
    QTest::mousePress(banner, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(banner, QPoint(25, 15));
    QTest::mouseRelease(banner, Qt::LeftButton, {}, QPoint(25, 15));
    EXPECT_EQ(window.dialog.pos(), start + QPoint(20, 10));
}

TEST(WindowChrome, CloseButtonClosesAndMinimiseMinimisesAllWindows) {
    ChromedDialog first;
    ChromedDialog second;
    QTest::mouseClick(second.chrome->MinimizeButton(), Qt::LeftButton);
    EXPECT_TRUE(first.dialog.isMinimized());
    EXPECT_TRUE(second.dialog.isMinimized());
    second.dialog.showNormal();
    QTest::mouseClick(second.chrome->CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(second.dialog.isVisible());
}

TEST(WindowChrome, WindowsChooseTheirEdgeHandles) {
    ChromedDialog full;
    for (ChromeEdge edge : {ChromeEdge::Left, ChromeEdge::Right, ChromeEdge::Top,
                            ChromeEdge::Bottom, ChromeEdge::BottomLeft, ChromeEdge::BottomRight}) {
        EXPECT_TRUE(full.chrome->HasEdge(edge)) << int(edge);
    }

    ChromeOptions baseInfo;
    baseInfo.edges = {ChromeEdge::Left, ChromeEdge::Right, ChromeEdge::Bottom};
    ChromedDialog partial(baseInfo);
    EXPECT_TRUE(partial.chrome->HasEdge(ChromeEdge::Left));
    EXPECT_TRUE(partial.chrome->HasEdge(ChromeEdge::Right));
    EXPECT_TRUE(partial.chrome->HasEdge(ChromeEdge::Bottom));
    EXPECT_FALSE(partial.chrome->HasEdge(ChromeEdge::Top));
    EXPECT_FALSE(partial.chrome->HasEdge(ChromeEdge::BottomLeft));
    EXPECT_FALSE(partial.chrome->HasEdge(ChromeEdge::BottomRight));
    EXPECT_EQ(partial.chrome->TitlePanel()->y(), 0) << "no top strip above the title";
}

TEST(WindowChrome, EdgeHandleSizesAndTitleMovesUnlessMaximised) {
    ChromedDialog window;
    window.dialog.move(100, 100);
    QApplication::processEvents();
    QWidget* right = window.chrome->EdgeHandle(ChromeEdge::Right);
    const QPoint grip(right->width() / 2, right->height() / 2);
    const int width = window.dialog.width();
    QTest::mousePress(right, Qt::LeftButton, {}, grip);
    EXPECT_TRUE(window.chrome->Sizing());
    QTest::mouseMove(right, grip + QPoint(30, 0));
    QTest::mouseRelease(right, Qt::LeftButton, {}, grip + QPoint(30, 0));
    EXPECT_FALSE(window.chrome->Sizing());
    EXPECT_EQ(window.dialog.width(), width + 30);

    QWidget* title = window.chrome->TitlePanel();
    const QPoint start = window.dialog.pos();
    QTest::mousePress(title, Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseMove(title, QPoint(120, 25));
    QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(120, 25));
    EXPECT_EQ(window.dialog.pos(), start + QPoint(20, 15));

    window.dialog.showMaximized();
    QApplication::processEvents();
    const QRect maximised = window.dialog.geometry();
    QTest::mousePress(title, Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseMove(title, QPoint(150, 40));
    QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(150, 40));
    EXPECT_EQ(window.dialog.geometry(), maximised);
}

TEST(WindowChrome, PlaceOnScreenTakesThreeQuartersCentred) {
    QWidget window;
    PlaceOnScreen(&window);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window.size(), QSize(screen.width() * 3 / 4, screen.height() * 3 / 4));
    EXPECT_EQ(window.x(), screen.x() + (screen.width() - window.width()) / 2);
    EXPECT_EQ(window.y(), screen.y() + (screen.height() - window.height()) / 2);
}

} // namespace
} // namespace widgets
