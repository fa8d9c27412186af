#include "TestFolders.h"
#include "core/Utilities.h"
#include "display/qt/TRichTextView.h"
#include "platform/FakeMediaPlayer.h"
#include "platform/Gbk.h"
#include "platform/Paths.h"
#include "study/TestVocSource.h"
#include "study/qt/TForm_EnFollowMP3.h"
#include "study/qt/TForm_VocBaseInfo.h"
#include "widgets/LbSpeedButton.h"

#include <QCursor>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace study {
namespace {

std::string G(std::string_view utf8) {
    return platform::Utf8ToGbk(utf8);
}

// Every test runs in a fresh program folder.
class StudyWindowTest : public ::testing::Test {
protected:
    testsupport::TestFolders home_;
    std::string folder_ = home_.Path();
};

class BaseInfoWindowTest : public StudyWindowTest {
protected:
    void SetUp() override {
        StudyWindowTest::SetUp();
        auto source = std::make_unique<TestVocSource>();
        source->AddWord(
            "apple", G("<YB>'&#230;pl</YB><MP3>1</MP3><CN>n. 苹果</CN><CXBH>复数: apples</CXBH>"),
            std::string(3000, 'm'));
        source->AddWord("pear", G("<YB>p&#603;r</YB><CN>n. 梨</CN>"));
        auto player = std::make_unique<platform::FakeMediaPlayer>();
        player_ = player.get();
        form_ = std::make_unique<TForm_VocBaseInfo>(std::move(source), std::move(player));
    }
    void TearDown() override {
        form_.reset();
        StudyWindowTest::TearDown();
    }
    std::string ViewText() const {
        std::string text;
        for (const auto& item : form_->View()->Document().Items())
            text += item.Text;
        return text;
    }
    std::string Option(const char* key) const {
        std::string value;
        core::ReadNameValue(key, value, folder_ + "nv.dat");
        return value;
    }

    platform::FakeMediaPlayer* player_ = nullptr;
    std::unique_ptr<TForm_VocBaseInfo> form_;
};

TEST_F(BaseInfoWindowTest, ShowsTheWordsOfATextAndStaysOnTop) {
    EXPECT_FALSE(form_->ShowVocBaseInfo("nothing known"));
    EXPECT_FALSE(form_->isVisible());
    ASSERT_TRUE(form_->ShowVocBaseInfo(G("apple 和 pear")));
    EXPECT_TRUE(form_->isVisible());
    EXPECT_TRUE(form_->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form_->size(), QSize(497, 209));
    EXPECT_EQ(ViewText(), G("apple  / 5Apl /    n. 苹果pear  / pZr /  n. 梨"));
    EXPECT_TRUE(form_->View()->Document().IsFormatted());
    // The previous content stays when a text holds no word.
    EXPECT_FALSE(form_->ShowVocBaseInfo("zzz"));
    EXPECT_EQ(form_->Info().VocList().size(), 2u);
}

TEST_F(BaseInfoWindowTest, TogglesStoreOptionsAndRenderAgain) {
    ASSERT_TRUE(form_->ShowVocBaseInfo("apple"));
    QTest::mouseClick(form_->ShowYBButton(), Qt::LeftButton);
    EXPECT_EQ(Option("VBISYB"), "00000000");
    EXPECT_EQ(ViewText().find("/"), std::string::npos);
    QTest::mouseClick(form_->ShowCXBHButton(), Qt::LeftButton);
    EXPECT_EQ(Option("VBISCXBH"), "00000001");
    EXPECT_NE(ViewText().find(G("复数: apples")), std::string::npos);
    QTest::mouseClick(form_->FormFollowButton(), Qt::LeftButton);
    EXPECT_EQ(Option("VBIFF"), "00000000");

    // A new window reads the stored options.
    TForm_VocBaseInfo again(nullptr, std::make_unique<platform::FakeMediaPlayer>());
    EXPECT_FALSE(again.Info().Options.ShowYB);
    EXPECT_TRUE(again.Info().Options.ShowCXBH);
    EXPECT_FALSE(again.Info().Options.FormFollow);
}

TEST_F(BaseInfoWindowTest, EscapeAndCloseButtonHideIt) {
    ASSERT_TRUE(form_->ShowVocBaseInfo("apple"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    QTest::keyPress(form_.get(), Qt::Key_Escape);
    EXPECT_TRUE(form_->isVisible()); // not on the press
    QTest::keyRelease(form_.get(), Qt::Key_Escape);
    EXPECT_FALSE(form_->isVisible());
    ASSERT_TRUE(form_->ShowVocBaseInfo("pear"));
    QTest::mouseClick(form_->CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(form_->Info().VocList().size(), 1u); // hidden, not emptied
}

// Remembers whether a window was ever blocked by a modal one.
class BlockWatch : public QObject {
public:
    bool blocked = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::WindowBlocked)
            blocked = true;
        else if (event->type() == QEvent::WindowUnblocked)
            blocked = false;
        return false;
    }
};

// The vocabulary window is modal while it opens the base-info window; the
// base-info window must still take the user's clicks and keys.
TEST_F(BaseInfoWindowTest, NotBlockedByTheModalWindowThatOpenedIt) {
    BlockWatch watch;
    form_->installEventFilter(&watch);
    // Shown from inside a modal window, once when hidden and once when it is
    // still shown from before.
    for (const char* word : {"apple", "pear"}) {
        QDialog modal;
        bool shown = false, blocked = true;
        QTimer::singleShot(0, &modal, [&] {
            shown = form_->ShowVocBaseInfo(word) && QTest::qWaitForWindowExposed(form_.get());
            blocked = watch.blocked;
            modal.reject();
        });
        modal.exec();
        EXPECT_TRUE(shown) << word;
        EXPECT_FALSE(blocked) << word;
    }
}

TEST_F(BaseInfoWindowTest, CloseButtonSitsLeftOfTheRightEnd) {
    form_->show();
    form_->resize(600, 250);
    QCoreApplication::processEvents();
    EXPECT_EQ(form_->CloseButton()->x() + form_->CloseButton()->width() + 2,
              form_->RightEndImage()->x());
    EXPECT_GT(form_->CloseButton()->x(), 500);
}

TEST_F(BaseInfoWindowTest, PlacedNextToThePointer) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCursor::setPos(100, 100);
    if (QCursor::pos() != QPoint(100, 100))
        GTEST_SKIP() << "the platform does not move the pointer";
    ASSERT_TRUE(form_->ShowVocBaseInfo("apple"));
    EXPECT_EQ(form_->pos(), QPoint(100, 115));
    QCursor::setPos(screen.width() - 10, screen.height() - 10);
    ASSERT_TRUE(form_->ShowVocBaseInfo("apple"));
    EXPECT_EQ(form_->x() + form_->width(), screen.width() - 30);
    EXPECT_EQ(form_->y() + form_->height(), screen.height() - 10 - 15);
}

TEST_F(BaseInfoWindowTest, HotSpotPlaysThroughVocMp3) {
    ASSERT_TRUE(form_->ShowVocBaseInfo("apple"));
    emit form_->View()->OnJump(0);
    const std::string vocMp3 = platform::ScratchFile("voc.mp3");
    EXPECT_EQ(player_->Url(), vocMp3);
    EXPECT_EQ(player_->PlayState(), platform::MediaPlayer::kPlaying);
    EXPECT_TRUE(std::ifstream(vocMp3).good());
    form_.reset();
    EXPECT_FALSE(std::ifstream(vocMp3).good()); // deleted with the window
}

class FollowWindowTest : public StudyWindowTest {
protected:
    void SetUp() override {
        StudyWindowTest::SetUp();
        std::ofstream(platform::ScratchFile("out.mp3")) << "ID3";
    }
};

TEST_F(FollowWindowTest, RunsToOkAfterTheLastRepeat) {
    platform::FakeMediaPlayer player;
    player.SetMediaDuration(0.4);
    TForm_EnFollowMP3 form(
        G("<TXT>Good morning\r\nto you</TXT><Title>例句</Title><Repeat>00000001</Repeat>"
          "<Interval>00000190</Interval>"),
        player);
    // The recording advances in step with the window's timer.
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] { player.Advance(0.2); });
    clock.start(200);
    bool sawEnabledPause = false;
    QObject::connect(form.Timer(), &QTimer::timeout,
                     [&] { sawEnabledPause |= form.PauseLabel()->isEnabled(); });
    QTimer::singleShot(10000, &form, [&] { form.done(-1); }); // guards against a hang
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(player.PlaysFromStart(), 2);
    EXPECT_TRUE(sawEnabledPause);
    EXPECT_EQ(form.TitleLabel()->text(), QString::fromUtf8("例句"));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(form.geometry(), QRect(0, screen.height() - 120 - 35, screen.width(), 120));
    std::string shown;
    for (const auto& item : form.View()->Document().Items())
        shown += item.Text;
    EXPECT_EQ(shown, "Good morning to you");
}

TEST_F(FollowWindowTest, EnterCancelsAndSpaceTogglesTheLabel) {
    platform::FakeMediaPlayer player;
    player.SetMediaDuration(100.0);
    TForm_EnFollowMP3 form("<TXT>hello</TXT>", player);
    QTimer::singleShot(600, &form, [&] {
        EXPECT_EQ(player.PlayState(), platform::MediaPlayer::kPlaying);
        EXPECT_TRUE(form.PauseLabel()->isEnabled());
        QTest::keyClick(&form, Qt::Key_Space);
        EXPECT_EQ(player.PlayState(), platform::MediaPlayer::kPaused);
        EXPECT_EQ(form.PauseLabel()->text(), QString::fromUtf8("[空格键继续]"));
        QTest::mouseClick(form.PauseLabel(), Qt::LeftButton);
        EXPECT_EQ(form.PauseLabel()->text(), QString::fromUtf8("[空格键暂停]"));
        QTest::keyPress(&form, Qt::Key_Return);
        EXPECT_TRUE(form.isVisible()); // keys act on release
        QTest::keyRelease(&form, Qt::Key_Return);
    });
    QTimer::singleShot(10000, &form, [&] { form.done(-1); });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_EQ(form.ExitLabel()->text(), QString::fromUtf8("[回车键结束]"));
}

TEST_F(FollowWindowTest, WithoutSoundOutputAMessageShowsInsteadOfTheStrip) {
    platform::FakeMediaPlayer player;
    player.SetAudioOutput(false);
    QString message;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            box->close();
        }
    });
    QTimer::singleShot(10000, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close(); // guards against a hang
    });
    EXPECT_FALSE(ShowEnFollowMP3("<TXT>hello</TXT>", &player));
    EXPECT_EQ(message, QString::fromUtf8(kNoSoundOutput));
    EXPECT_EQ(player.PlaysFromStart(), 0);
    EXPECT_TRUE(player.Calls().empty());
}

TEST_F(FollowWindowTest, MissingRecordingWaitsForTheExitLabel) {
    platform::FakeMediaPlayer player;
    TForm_EnFollowMP3 form("<TXT>abc</TXT><Fn>" + folder_ + "none.mp3</Fn>", player);
    QTimer::singleShot(800, &form, [&] {
        EXPECT_TRUE(form.isVisible());
        EXPECT_FALSE(form.PauseLabel()->isEnabled());
        QTest::mouseClick(form.ExitLabel(), Qt::LeftButton);
    });
    QTimer::singleShot(10000, &form, [&] { form.done(-1); });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_EQ(player.PlaysFromStart(), 0);
}

// Restoring a minimised window shows it again; that must not start the
// reading over.
TEST_F(FollowWindowTest, RestoredFromMinimisedKeepsOnPlaying) {
    platform::FakeMediaPlayer player;
    player.SetMediaDuration(100.0);
    TForm_EnFollowMP3 form("<TXT>hello</TXT>", player);
    FollowAlong::Mode modeAfterRestore = FollowAlong::Mode::Start;
    QTimer::singleShot(600, &form, [&] {
        ASSERT_EQ(player.PlayState(), platform::MediaPlayer::kPlaying);
        form.setWindowState(Qt::WindowMinimized);
        form.setWindowState(Qt::WindowNoState);
        modeAfterRestore = form.Follow().CurrentMode();
        form.reject();
    });
    QTimer::singleShot(10000, &form, [&] { form.done(-1); });
    form.exec();
    EXPECT_EQ(modeAfterRestore, FollowAlong::Mode::Idle);
    EXPECT_EQ(player.PlaysFromStart(), 1);
}

} // namespace
} // namespace study
