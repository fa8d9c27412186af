#include "download/ConnectionLimit.h"
#include "download/EntryDownloader.h"
#include "download/PackageList.h"
#include "download/qt/TForm_DownLoad.h"
#include "download/qt/TForm_SoftDownLoad.h"
#include "download/qt/TFrame_SoftDownLoad.h"
#include "net/BlockQuery.h"
#include "platform/Registry.h"
#include "tests/download/DownloadFixture.h"
#include "widgets/HoverLabel.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/WindowChrome.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace download::test {
namespace {

using Answer = ScriptedService::Answer;

// Closes every message box that comes up while it lives and keeps its text.
class MessageCatcher {
public:
    MessageCatcher() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Texts.push_back(box->text());
                box->close();
            }
        });
        timer_.start();
    }
    QStringList Texts;

private:
    QTimer timer_;
};

// Runs `action` on the modal window of type T once `ready` holds for it.
template <typename T>
void WhenModal(std::function<bool(T&)> ready, std::function<void(T&)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, ready, action] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (window && ready(*window)) {
            timer->stop();
            timer->deleteLater();
            action(*window);
        }
    });
    timer->start();
}

class DownloadWindowsTest : public DownloadTest {
protected:
    // The single-file item of package `bucket` (its first `len` bytes).
    std::string FileItem(uint32_t bucket, uint32_t len, const std::string& local) {
        const net::BlockRequest block{5, 102001, 11, bucket, 0, static_cast<int32_t>(len)};
        return EntryDownloader::EntryItem(service_->BlockUrl() + net::BlockQuery(block), len,
                                          User(local), "word " + local);
    }
    static QString Cell(TForm_SoftDownLoad& window, int row, int column) {
        return window.Frame_SoftDownLoad1->ListView1->topLevelItem(row)->text(column);
    }
};

TEST_F(DownloadWindowsTest, FileWindowShowsBothBarsFullAndClosesByItself) {
    std::vector<std::string> items;
    for (uint32_t bucket : {0x30u, 0x31u, 0x32u}) {
        AddPackage(bucket, 30000);
        items.push_back(FileItem(bucket, 30000, platform::HexNumber(bucket, 2) + ".part"));
    }
    TForm_DownLoad window(items);
    EXPECT_EQ(window.size(), QSize(409, 198));
    EXPECT_EQ(window.LbSpeedButton_Cancel->text(), QStringLiteral("取 消&C"));
    EXPECT_EQ(window.Label1->text(), QStringLiteral("已下载:"));
    EXPECT_EQ(window.Label_DLSize->text(), QStringLiteral("0 K"));
    EXPECT_TRUE(window.Label_Title->text().isEmpty());
    EXPECT_EQ(window.Image_Progress[1]->width(), 0);

    window.exec();
    EXPECT_TRUE(window.WorkerEnded());
    EXPECT_TRUE(window.Succeeded());
    EXPECT_EQ(window.Image_Progress[1]->width(), TForm_DownLoad::kBarUsable); // 3 of 3
    EXPECT_EQ(window.Image_SubProgress[1]->width(), TForm_DownLoad::kBarUsable);
    EXPECT_EQ(window.Label_DLSize->text(), QStringLiteral("29 K"));
    EXPECT_EQ(window.Label_ProgressTitle->text(), QStringLiteral("词汇下载"));
    EXPECT_EQ(window.Label_SubProgressTitle->text(), QStringLiteral("word 32.part"));
    EXPECT_EQ(ReadFile(User("31.part")), PackageBytes(0x31, 30000));
    EXPECT_EQ(TForm_DownLoad::FilledWidth(1, 3), 114);
    EXPECT_EQ(TForm_DownLoad::FilledWidth(2, 3), 227);
}

TEST_F(DownloadWindowsTest, CancelOrAnyCloseWaitsForTheWorkerAndKeepsThePartialFile) {
    AddPackage(0x33, 30000);
    service_->SetScript([](uint64_t, uint64_t) { return Answer::Stall; });
    for (const bool byCancel : {true, false}) {
        TForm_DownLoad window({FileItem(0x33, 30000, "stalled.part")});
        WhenModal<TForm_DownLoad>(
            [](TForm_DownLoad& w) { return !w.Label_ProgressTitle->text().isEmpty(); },
            [byCancel](TForm_DownLoad& w) {
                QTest::qWait(200);
                if (byCancel) {
                    QTest::mouseClick(w.LbSpeedButton_Cancel, Qt::LeftButton);
                } else {
                    // Esc, then the window system: neither closes at once.
                    QTest::keyClick(&w, Qt::Key_Escape);
                    w.close();
                    EXPECT_TRUE(w.isVisible());
                }
            });
        window.exec();
        EXPECT_TRUE(window.WorkerEnded());
        EXPECT_FALSE(window.Succeeded());
        EXPECT_FALSE(window.LbSpeedButton_Cancel->isEnabled());
        EXPECT_TRUE(fs::exists(User("stalled.part")));
    }
}

TEST_F(DownloadWindowsTest, EmptyListShowsNoRowsAndCannotStart) {
    constexpr char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    {
        TForm_SoftDownLoad window({}, log_.get());
        EXPECT_TRUE(platform::RegValueExists(platform::RegRoot::CurrentUser, kKey,
                                             "MaxConnectionsPerServer"));
        window.show();
        EXPECT_EQ(window.Chrome->TitleLabel()->text(),
                  QStringLiteral("Quenlo英语词典 ---> [下载]"));
        TFrame_SoftDownLoad& frame = *window.Frame_SoftDownLoad1;
        EXPECT_EQ(frame.Label_Title->text(), QStringLiteral("下载列表[0]"));
        EXPECT_FALSE(frame.LbSpeedButton_Start->isEnabled());
        EXPECT_FALSE(frame.LbSpeedButton_Stop->isEnabled());
        EXPECT_TRUE(frame.CheckBox_AutoDL->isChecked());
        QTest::mouseClick(frame.Label_AutoDL, Qt::LeftButton);
        EXPECT_FALSE(frame.CheckBox_AutoDL->isChecked());
        ASSERT_EQ(frame.ListView1->columnCount(), 8);
        EXPECT_EQ(frame.ListView1->headerItem()->text(7), QStringLiteral("备注"));
        EXPECT_EQ(frame.ListView1->columnWidth(3), 56);
    }
    EXPECT_FALSE(
        platform::RegValueExists(platform::RegRoot::CurrentUser, kKey, "MaxConnectionsPerServer"));
}

TEST_F(DownloadWindowsTest, AutomaticDownloadGoesDownTheListAndSkipsAFailedRow) {
    // Sizes tell the packages apart in the service's record of block queries.
    const std::vector<std::string> list = {AddPackage(0x40, 1000), AddPackage(0x41, 2000),
                                           "<Title>no size</Title>", AddPackage(0x42, 3000)};
    service_->SetScript(
        [](uint64_t, uint64_t len) { return len == 2000 ? Answer::Fail : Answer::Bytes; });
    TForm_SoftDownLoad window(list, log_.get());
    window.show();
    TFrame_SoftDownLoad& frame = *window.Frame_SoftDownLoad1;
    ASSERT_EQ(frame.ListView1->topLevelItemCount(), 3);
    EXPECT_EQ(frame.Label_Title->text(), QStringLiteral("下载列表[3]"));
    EXPECT_EQ(Cell(window, 1, TFrame_SoftDownLoad::kSize), QStringLiteral("2000"));

    QTest::mouseClick(frame.LbSpeedButton_Start, Qt::LeftButton);
    EXPECT_TRUE(window.Downloading());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.RowState(2) == kRowDone; }, 60000));
    EXPECT_EQ(window.RowState(0), kRowDone);
    EXPECT_EQ(window.RowState(1), kRowFailed);
    EXPECT_EQ(Cell(window, 0, TFrame_SoftDownLoad::kRemark), QStringLiteral("成功！"));
    EXPECT_EQ(Cell(window, 1, TFrame_SoftDownLoad::kRemark), QStringLiteral("失败！"));
    EXPECT_EQ(Cell(window, 2, TFrame_SoftDownLoad::kPercent), QStringLiteral("100"));
    EXPECT_EQ(Cell(window, 2, TFrame_SoftDownLoad::kReceived), QStringLiteral("3000"));
    EXPECT_FALSE(window.Downloading());
    EXPECT_EQ(ReadFile(User("11/40.dat")), PackageBytes(0x40, 1000));
    EXPECT_EQ(ReadFile(User("11/42.dat")), PackageBytes(0x42, 3000));
    EXPECT_FALSE(fs::exists(User("11/41.dat")));

    // Top to bottom; the failed row had its three rounds and no more.
    std::vector<uint64_t> order;
    for (const auto& [pos, len] : service_->Blocks())
        order.push_back(len);
    EXPECT_EQ(order, (std::vector<uint64_t>{1000, 2000, 2000, 2000, 3000}));

    // Nothing waits any more; by hand, a done row cannot start again, the
    // failed one can.
    MessageCatcher messages;
    frame.CheckBox_AutoDL->setChecked(false);
    frame.ListView1->setCurrentItem(frame.ListView1->topLevelItem(0));
    QTest::mouseClick(frame.LbSpeedButton_Start, Qt::LeftButton);
    EXPECT_EQ(messages.Texts, QStringList{QStringLiteral("没有下载项！")});
    EXPECT_EQ(window.ChooseItem(), -1);
    frame.ListView1->setCurrentItem(frame.ListView1->topLevelItem(1));
    EXPECT_EQ(window.ChooseItem(), 1);
}

TEST_F(DownloadWindowsTest, RowThatCannotStartFailsAndAutomaticDownloadGoesOn) {
    // The middle entry is too large for a block query.
    const std::vector<std::string> list = {
        AddPackage(0x44, 1000),
        "<CID>00000005</CID><SID>00018E71</SID><FC>0000000B</FC><FID>00000046</FID>"
        "<Title>too large</Title><FS>FFFFFFFF</FS><FCRC>12345678</FCRC>",
        AddPackage(0x45, 3000)};
    MessageCatcher messages;
    TForm_SoftDownLoad window(list, log_.get());
    window.show();
    QTest::mouseClick(window.Frame_SoftDownLoad1->LbSpeedButton_Start, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.RowState(2) == kRowDone; }, 20000));
    EXPECT_EQ(window.RowState(0), kRowDone);
    EXPECT_EQ(window.RowState(1), kRowFailed);
    EXPECT_EQ(Cell(window, 1, TFrame_SoftDownLoad::kRemark), QStringLiteral("失败！"));
    EXPECT_EQ(messages.Texts, QStringList{QStringLiteral("下载不成功！")});
    EXPECT_EQ(ReadFile(User("11/45.dat")), PackageBytes(0x45, 3000));
}

TEST_F(DownloadWindowsTest, ClosingWhileDownloadingIsRefusedUntilStopped) {
    const std::string entry = AddPackage(0x43, 300000);
    service_->SetScript([](uint64_t, uint64_t) { return Answer::Stall; });
    TForm_SoftDownLoad window({entry}, log_.get());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TFrame_SoftDownLoad& frame = *window.Frame_SoftDownLoad1;
    QTest::mouseClick(frame.LbSpeedButton_Start, Qt::LeftButton);
    ASSERT_TRUE(window.Downloading());
    EXPECT_EQ(window.RowState(0), kRowDownloading);
    EXPECT_EQ(Cell(window, 0, TFrame_SoftDownLoad::kRemark), QStringLiteral("下载中..."));

    MessageCatcher messages;
    QTest::keyPress(frame.ListView1, Qt::Key_Escape);
    QTest::keyRelease(frame.ListView1, Qt::Key_Escape);
    QTest::qWait(50);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(messages.Texts, QStringList{QStringLiteral("当前正在下载！")});

    QTest::mouseClick(frame.LbSpeedButton_Stop, Qt::LeftButton);
    EXPECT_FALSE(frame.CheckBox_AutoDL->isChecked());
    EXPECT_TRUE(frame.LbSpeedButton_Start->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.RowState(0) == kRowFailed; }, 20000));
    EXPECT_EQ(Cell(window, 0, TFrame_SoftDownLoad::kRemark), QStringLiteral("失败！"));
    window.close();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(DownloadWindowsTest, ServerListThatCannotBeHadStartsNothing) {
    const std::string entry = AddPackage(0x44, 1000);
    SetServiceBase("http://127.0.0.1:1/qv/");
    TForm_SoftDownLoad window({entry}, log_.get());
    window.show();
    MessageCatcher messages;
    QTest::mouseClick(window.Frame_SoftDownLoad1->LbSpeedButton_Start, Qt::LeftButton);
    EXPECT_EQ(messages.Texts,
              (QStringList{QStringLiteral("网络错误！"), QStringLiteral("下载不成功！")}));
    EXPECT_EQ(window.RowState(0), kRowWaiting);
    EXPECT_FALSE(window.Downloading());
    EXPECT_TRUE(window.ServerList().empty());
}

} // namespace
} // namespace download::test
