#include "app/TForm_Main.h"
#include "app/TFrame_Dic.h"
#include "download/TSoftUpdate.h"
#include "download/qt/TForm_SoftDownLoad.h"
#include "tests/download/UpdateFixture.h"
#include "tools/service/ServiceDatabase.h"
#include "widgets/LbSpeedButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <netinet/in.h>
#include <sys/socket.h>

namespace {

using download::test::ReadFile;
namespace fs = std::filesystem;
using download::test::UpdateTest;

// The main window's commands: the start-up check and the update button
// against the service's handlers on loopback, the advertisement link.
class MainCommandsTest : public UpdateTest {
protected:
    // A main window with its first argument; `prepare` runs before the show.
    std::unique_ptr<app::TForm_Main>
    Show(const std::string& argument = {},
         const std::function<void(app::TForm_Main&)>& prepare = {}) {
        auto window = std::make_unique<app::TForm_Main>();
        window->SetStartArgument(argument);
        if (prepare)
            prepare(*window);
        window->SetUpdaterStarter([this] {
            ++updaterStarts_;
            return true;
        });
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return window;
    }
    static bool WaitForCheck(app::TForm_Main& window) {
        return QTest::qWaitFor([&] { return window.StartupCheckDone(); }, 20000);
    }
    int64_t Installs() {
        standin::ServiceDatabase database(Data() + "/service.db");
        return database.CountInstalls(net::TShakeHand().GetClientId());
    }

    int updaterStarts_ = 0;
};

TEST_F(MainCommandsTest, InstallArgumentInAnyCaseSendsTheReportOthersDoNot) {
    auto window = Show("INSTALL");
    ASSERT_TRUE(WaitForCheck(*window));
    EXPECT_EQ(Installs(), 1);
    window = Show("--install");
    ASSERT_TRUE(WaitForCheck(*window));
    window = Show();
    ASSERT_TRUE(WaitForCheck(*window));
    EXPECT_EQ(Installs(), 1);
}

TEST_F(MainCommandsTest, HintShowsTheButtonAndTheQueryBoxGetsTheFocus) {
    Offer(1, "new words", "<LFn>words.dat</LFn><UM>Hint</UM>");
    auto window = Show();
    EXPECT_FALSE(window->LbSpeedButton_SoftUpdate->isVisible());
    ASSERT_TRUE(WaitForCheck(*window));
    EXPECT_TRUE(window->LbSpeedButton_SoftUpdate->isVisible());
    EXPECT_TRUE(window->Timer2->isActive());
    window->Frame_Dic1->CheckBox_Word->setFocus();
    QTest::qWait(1100);
    EXPECT_TRUE(window->Frame_Dic1->LabeledEdit_Input->hasFocus());
    EXPECT_EQ(updaterStarts_, 0);
}

TEST_F(MainCommandsTest, WithoutAServiceTheButtonStaysHiddenAndTheFocusIsStillSet) {
    SetServiceBase("http://127.0.0.1:1/qv/");
    auto window = Show("install");
    ASSERT_TRUE(WaitForCheck(*window));
    EXPECT_FALSE(window->LbSpeedButton_SoftUpdate->isVisible());
    window->Frame_Dic1->CheckBox_Word->setFocus();
    QTest::qWait(1100);
    EXPECT_TRUE(window->Frame_Dic1->LabeledEdit_Input->hasFocus());
}

TEST_F(MainCommandsTest, ButtonDownloadsAppliesAndHandsTheProgramToTheUpdater) {
    Install("quendic", "old program", 0755);
    Install("words.dat", "old words");
    Offer(1, "new program", "<LFn>quendic</LFn>");
    Offer(2, "new words", "<LFn>words.dat</LFn>");
    auto window = Show({}, [this](app::TForm_Main& main) {
        main.SoftUpdate().SetRunningProgram(folders_ / "quendic");
    });
    ASSERT_TRUE(WaitForCheck(*window));
    ASSERT_TRUE(window->LbSpeedButton_SoftUpdate->isVisible());

    // The download window: start, wait until both rows are done, close.
    QTimer::singleShot(0, [&] {
        auto* dialog =
            qobject_cast<download::TForm_SoftDownLoad*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->Start();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return dialog->RowState(0) == 2 && dialog->RowState(1) == 2 &&
                       !dialog->Downloading();
            },
            20000));
        dialog->close();
    });
    QTest::mouseClick(window->LbSpeedButton_SoftUpdate, Qt::LeftButton);
    EXPECT_EQ(ReadFile(folders_ / "words.dat"), "new words");
    EXPECT_EQ(ReadFile(folders_ / "quendic"), "old program");
    EXPECT_TRUE(fs::exists(download::TSoftUpdate::PendingFile()));
    EXPECT_EQ(updaterStarts_, 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainCommandsTest, AutoStartsTheUpdateAtOnceAndNothingLeftMeansNoUpdater) {
    Install("words.dat", "old words");
    Offer(1, "new words", "<LFn>words.dat</LFn><UM>Auto</UM>");
    bool opened = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog =
            qobject_cast<download::TForm_SoftDownLoad*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        opened = true;
        dialog->Start();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return dialog->RowState(0) == 2 && !dialog->Downloading(); }, 20000));
        dialog->close();
    });
    poll.start(20);
    auto window = Show();
    ASSERT_TRUE(WaitForCheck(*window));
    poll.stop();
    EXPECT_TRUE(opened);
    EXPECT_EQ(ReadFile(folders_ / "words.dat"), "new words");
    EXPECT_FALSE(window->LbSpeedButton_SoftUpdate->isVisible());
    EXPECT_FALSE(fs::exists(download::TSoftUpdate::PendingFile()));
    EXPECT_EQ(updaterStarts_, 0);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainCommandsTest, ClosingDuringTheCheckNeitherWaitsForTheRequestLimitNorCrashes) {
    // A service that accepts the connection and never answers.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    SetServiceBase("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/qv/");

    auto window = Show("install");
    QTest::qWait(500); // the check has started and waits for the report's answer
    EXPECT_FALSE(window->StartupCheckDone());
    const auto start = std::chrono::steady_clock::now();
    window.reset();
    // The request in progress is cancelled (it notices within a second), so
    // closing is far quicker than the request limit it would otherwise wait.
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::seconds(net::TShakeHand::kRequestSeconds / 3));
    ::close(listener);
}

TEST_F(MainCommandsTest, AdvertisementClickOpensItsLinkOnlyWhenThereIsOne) {
    // The browser: a script that notes the address it is given.
    const std::string opened = User("opened");
    Install("browser", "#!/bin/sh\necho \"$1\" >>'" + opened + "'\n", 0755);
    const char* previous = std::getenv("BROWSER");
    const std::string saved = previous ? previous : "";
    ::setenv("BROWSER", (folders_ / "browser").c_str(), 1);
    auto window = Show();
    auto click = [&] {
        QTest::mouseClick(static_cast<QWidget*>(window->Image_AD), Qt::LeftButton);
        QTest::qWait(300);
    };
    click(); // no advertisement record
    {
        storage::TCDF data(core::ServiceDataFile(core::kAdRecordMember));
        storage::Stream empty = "<Url></Url>";
        ASSERT_TRUE(data.AddStream(core::kAdRecordMember, empty));
    }
    click();
    {
        storage::TCDF data(core::ServiceDataFile(core::kAdRecordMember));
        storage::Stream record = "<Pic>1</Pic><Url>example.org/quendic</Url>";
        ASSERT_TRUE(data.AddStream(core::kAdRecordMember, record));
    }
    click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(opened); }, 5000));
    EXPECT_EQ(ReadFile(opened), "http://example.org/quendic\n");
    if (previous)
        ::setenv("BROWSER", saved.c_str(), 1);
    else
        ::unsetenv("BROWSER");
}

} // namespace
