#include "service/qt/TForm_Help.h"

#include "display/qt/TFrame_DocView.h"
#include "display/qt/TRichTextView.h"
#include "service/HelpData.h"
#include "storage/TestFolder.h"
#include "widgets/HoverLabel.h"
#include "widgets/Label3D.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/WindowChrome.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace service {
namespace {

// GBK of the words in the sample document.
const std::string kQuery = "\xB2\xE9\xD1\xAF\xB5\xA5\xB4\xCA"; // 查询单词

// Text items of a view's document, in order.
std::vector<std::pair<std::string, int>> TextItems(const display::TRichTextView& view) {
    std::vector<std::pair<std::string, int>> items;
    for (const auto& item : view.Document().Items()) {
        if (item.Info.IsText()) {
            items.emplace_back(item.Text, item.Info.StyleNo);
        }
    }
    return items;
}

bool HasColour(const QImage& image, QRgb wanted) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == wanted) {
                return true;
            }
        }
    }
    return false;
}

TEST(TForm_Help, ShowsHeaderAndHelpDocument) {
    storage::test::TestFolder home;
    ASSERT_TRUE(test::WriteHelpData(test::SampleHelpLines()));
    TForm_Help help;
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));

    EXPECT_EQ(help.Chrome->TitleLabel()->text(), QStringLiteral("Quenlo英语词典 ---> [帮助]"));
    EXPECT_EQ(help.Frame_Help1->myLabel3d_SoftWareName->text(),
              QStringLiteral("软件名称：Quenlo英语词典"));
    EXPECT_EQ(help.Frame_Help1->Label_SoftWareVer->text(), QStringLiteral("软件版本：2.00"));
    EXPECT_EQ(help.Frame_DocView1->Label_Title->text(), QStringLiteral("软件帮助"));
    EXPECT_FALSE(help.Frame_DocView1->Panel_Title->isVisible());

    const display::TRichTextView& view = *help.Frame_DocView1->RichText1;
    const auto items = TextItems(view);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1], std::make_pair(kQuery, 0));
    EXPECT_EQ(items[2], std::make_pair(std::string(" more"), 4));
    EXPECT_TRUE(view.Document().IsFormatted());
    EXPECT_EQ(view.Document().JumpCount(), 1);
}

TEST(TForm_Help, WithoutServiceDataTheDocumentIsEmptyButTheHeaderIsSet) {
    storage::test::TestFolder home;
    TForm_Help help;
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    EXPECT_EQ(help.Frame_DocView1->RichText1->Document().ItemCount(), 0);
    EXPECT_EQ(help.Frame_Help1->myLabel3d_SoftWareName->text(),
              QStringLiteral("软件名称：Quenlo英语词典"));
    EXPECT_EQ(help.Frame_Help1->Label_SoftWareVer->text(), QStringLiteral("软件版本：2.00"));
}

TEST(TForm_Help, OpensOnThreeQuartersOfTheScreenAndKeepsItsChromeOnResize) {
    storage::test::TestFolder home;
    TForm_Help help;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(help.size(), QSize(screen.width() * 3 / 4, screen.height() * 3 / 4));
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    for (const QSize size : {QSize(500, 400), QSize(700, 420)}) {
        help.resize(size);
        QApplication::processEvents();
        const int width = help.Chrome->TitlePanel()->width();
        EXPECT_EQ(help.Chrome->MinimizeButton()->x(), width - 47);
        EXPECT_EQ(help.Chrome->MaximizeButton()->x(), width - 33);
        EXPECT_EQ(help.Chrome->CloseButton()->x(), width - 17);
        EXPECT_FALSE(help.mask().contains(QPoint(0, 0)));
        EXPECT_FALSE(help.mask().contains(QPoint(size.width() - 1, size.height() - 1)));
        EXPECT_TRUE(help.mask().contains(QPoint(size.width() / 2, size.height() / 2)));
    }
}

TEST(ShowHelp, RunsModallyUntilEscapeAndReturnsTrue) {
    storage::test::TestFolder home;
    ASSERT_TRUE(test::WriteHelpData(test::SampleHelpLines()));
    bool sawWindow = false;
    QTimer::singleShot(0, [&] {
        auto* help = qobject_cast<TForm_Help*>(QApplication::activeModalWidget());
        sawWindow = help != nullptr && help->isVisible();
        if (help != nullptr) {
            QTest::keyClick(help, Qt::Key_Escape);
        }
    });
    EXPECT_TRUE(ShowHelp());
    EXPECT_TRUE(sawWindow);
}

TEST(TFrame_DocView, RendersAndPaintsADocument) {
    display::TFrame_DocView frame;
    frame.resize(400, 300);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    EXPECT_EQ(frame.Label_Title->text(), QStringLiteral("标题"));
    frame.ShowDocument(test::SampleHelpLines());
    const display::TRichTextView& view = *frame.RichText1;
    EXPECT_EQ(view.Document().JumpCount(), 1);
    EXPECT_GE(view.Document().Lines().size(), 3u);

    // The jump text is painted in the green of style 4; the rule in style 0.
    const QImage shot =
        frame.RichText1->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(HasColour(shot, qRgb(0x00, 0x80, 0x00)));

    frame.ShowDocument({});
    EXPECT_EQ(view.Document().ItemCount(), 0);
}

TEST(TFrame_DocView, TitleTurnsBlueUnderTheMouse) {
    display::TFrame_DocView frame;
    EXPECT_EQ(frame.Label_Title->CurrentColor(), QColor(0x00, 0x00, 0x80));
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(frame.Label_Title, &enter);
    EXPECT_EQ(frame.Label_Title->CurrentColor(), QColor(0x00, 0x00, 0xff));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(frame.Label_Title, &leave);
    EXPECT_EQ(frame.Label_Title->CurrentColor(), QColor(0x00, 0x00, 0x80));
}

} // namespace
} // namespace service
