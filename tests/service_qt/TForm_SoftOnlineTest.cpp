#include "service/qt/TForm_SoftOnline.h"

#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "display/qt/TRichTextView.h"
#include "net/StandIn.h"
#include "net/TShakeHand.h"
#include "platform/Gbk.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "service/ChatData.h"
#include "widgets/HoverLabel.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/WindowChrome.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace service {
namespace {

using Lines = std::vector<std::string>;
using test::Gbk;

// The text items of a view, "text/style".
Lines TextItems(const display::TRichTextView& view) {
    Lines items;
    for (const auto& item : view.Document().Items())
        if (item.Info.IsText())
            items.push_back(item.Text + "/" + std::to_string(item.Info.StyleNo));
    return items;
}

// The messages (style 0 items) of the conversation view.
Lines ShownMessages(const TForm_SoftOnline& form) {
    Lines messages;
    for (const auto& item : form.Frame_SoftOnline1->RichText1->Document().Items())
        if (item.Info.IsText() && item.Info.StyleNo == 0)
            messages.push_back(item.Text);
    return messages;
}

// Lets the window's requests finish and their results arrive.
bool Settle(const TForm_SoftOnline& form) {
    return QTest::qWaitFor([&] { return form.PendingRequests() == 0; }, 60000);
}

// Answers the next modal dialog of its kind with `act` once it is open
// (checked from the event loop every few milliseconds, so several answers
// may wait at once).
template <class Dialog> void WhenModal(std::function<void(Dialog*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

void Type(QLineEdit* input, const QString& text) {
    input->setText(text);
    QTest::keyClick(input, Qt::Key_Return);
}

class SoftOnlineTest : public net::test::WithService {
protected:
    std::string HistoryPath() const { return sandbox_.Home() + "/sol.dat"; }

    // Opens the window and waits for its first poll and the recommendations.
    std::unique_ptr<TForm_SoftOnline> Open() {
        auto form = std::make_unique<TForm_SoftOnline>();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        EXPECT_TRUE(Settle(*form));
        return form;
    }
};

TEST_F(SoftOnlineTest, OpensWithTheNewestHistoryThenTheFirstPollAndTheNotices) {
    ASSERT_TRUE(platform::WriteParam("UN", Gbk("小明")));
    // The service holds nine messages of this user, the history the first eight.
    net::TShakeHand client;
    Lines history;
    for (int n = 1; n <= 9; ++n) {
        const std::string reply = client.SendChatMessage(Gbk("小明"), "m" + std::to_string(n));
        history.push_back(test::ChatRecord(n, Gbk("小明"), core::GetTagValue(reply, "Time"),
                                           "m" + std::to_string(n)));
    }
    history.pop_back();
    ASSERT_TRUE(test::WriteHistory(HistoryPath(), history));

    auto form = Open();
    EXPECT_EQ(form->Chrome->TitleLabel()->text(), QStringLiteral("Quenlo英语词典 ---> [在线客服]"));
    EXPECT_EQ(form->Frame_SoftOnline1->Label_Name->text(), QStringLiteral("小明"));
    EXPECT_EQ(ShownMessages(*form), (Lines{"m8", "m7", "m6", "m5", "m4", "m9"}));
    EXPECT_EQ(TextItems(*form->Frame_SoftOnline1->RichText1).front(),
              "[" + Gbk("小明") + "] [" + core::GetTagValue(history[7], "Time") + "]/1");
    const QScrollBar* scroll = form->Frame_SoftOnline1->RichText1->verticalScrollBar();
    EXPECT_EQ(scroll->value(), scroll->maximum());
    EXPECT_EQ(core::LoadListFile(HistoryPath(), true).size(), 9u);
    // No message was sent yet: no polling.
    EXPECT_FALSE(form->Timer_Refresh->isActive());
    EXPECT_TRUE(form->Frame_SoftOnline1->Edit_Input->hasFocus());

    // The service's two notices: a centred line and a link after a bullet.
    const TFrame_SoftOnline& frame = *form->Frame_SoftOnline1;
    EXPECT_TRUE(frame.Panel_Right->isVisible());
    EXPECT_TRUE(frame.LbSpeedButton_ShowRight->isVisible());
    EXPECT_EQ(TextItems(*frame.RichText2), (Lines{Gbk("欢迎使用Quenlo英语词典！") + "/1",
                                                  Gbk("词典数据许可 CC BY-SA 4.0") + "/4"}));
    EXPECT_EQ(frame.RichText2->Document().JumpCount(), 1);
    Lines opened;
    form->SetLinkOpener([&](const std::string& url) {
        opened.push_back(url);
        return true;
    });
    emit frame.RichText2->OnJump(1);
    emit frame.RichText2->OnJump(0);
    EXPECT_EQ(opened, Lines{"https://creativecommons.org/licenses/by-sa/4.0/"});

    // The button hides and shows the panel with its companion strip.
    QTest::mouseClick(frame.LbSpeedButton_ShowRight, Qt::LeftButton);
    EXPECT_FALSE(frame.Panel_Right->isVisible());
    EXPECT_FALSE(frame.Panel15->isVisible());
    QTest::mouseClick(frame.LbSpeedButton_ShowRight, Qt::LeftButton);
    EXPECT_TRUE(frame.Panel_Right->isVisible());
    EXPECT_TRUE(frame.Panel15->isVisible());
}

TEST_F(SoftOnlineTest, ASentMessageShowsTheServiceTimeAndTheDesksAnswerFollows) {
    auto form = Open();
    TFrame_SoftOnline& frame = *form->Frame_SoftOnline1;
    Type(frame.Edit_Input, QStringLiteral("  你好  "));
    ASSERT_TRUE(Settle(*form));
    ASSERT_EQ(form->Session().Shown().size(), 1u);
    const std::string& sent = form->Session().Shown()[0];
    EXPECT_EQ(core::GetTagValue(sent, "Msg"), Gbk("你好"));
    EXPECT_NE(core::GetTagValue(sent, "Time"), Gbk("发送失败！"));
    EXPECT_FALSE(core::GetTagValue(sent, "Time").empty());
    EXPECT_TRUE(frame.Edit_Input->text().isEmpty());
    EXPECT_TRUE(form->Timer_Refresh->isActive());
    EXPECT_EQ(form->Timer_Refresh->interval(), 5000);
    EXPECT_EQ(form->RefreshDelay(), 5);

    // The timer polls: the desk's answer arrives (and the user's own message
    // comes back with its record id, shown once).
    ASSERT_EQ(net::test::RunDesk({"reply", "--db", Database(), "--name", "客服", "请讲"}).first, 0);
    form->Timer_Refresh->setInterval(50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ShownMessages(*form).size() == 2; }, 30000));
    EXPECT_EQ(ShownMessages(*form), (Lines{Gbk("你好"), Gbk("请讲")}));
    ASSERT_TRUE(Settle(*form));
    EXPECT_EQ(form->Timer_Refresh->interval(), 5000);

    // Alt+S sends too.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    frame.Edit_Input->setText(QStringLiteral("again"));
    QTest::keyClick(form->windowHandle(), Qt::Key_S, Qt::AltModifier);
    // A mnemonic clicks the button as an animated click, a moment later.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ShownMessages(*form).back() == "again"; }, 30000));

    // After a restart the history button shows what was kept.
    form.reset();
    auto again = Open();
    EXPECT_EQ(ShownMessages(*again), (Lines{"again", Gbk("请讲"), Gbk("你好")}));
    QTest::mouseClick(again->Frame_SoftOnline1->LbSpeedButton_HisMsg, Qt::LeftButton);
    EXPECT_TRUE(again->Session().ShowingHistory());
    EXPECT_EQ(ShownMessages(*again), (Lines{Gbk("你好"), Gbk("请讲"), "again"}));
    QTest::mouseClick(again->Frame_SoftOnline1->LbSpeedButton_HisMsg, Qt::LeftButton);
    EXPECT_EQ(ShownMessages(*again).front(), "again");
}

TEST_F(SoftOnlineTest, WithoutTheServiceAMessageIsKeptAsFailedAndNothingPolls) {
    service_->Stop();
    auto form = Open();
    Type(form->Frame_SoftOnline1->Edit_Input, QStringLiteral("anyone?"));
    ASSERT_TRUE(Settle(*form));
    EXPECT_EQ(TextItems(*form->Frame_SoftOnline1->RichText1).front(),
              "[" + platform::Utf8ToGbk(form->Frame_SoftOnline1->Label_Name->text().toStdString()) +
                  "] [" + Gbk("发送失败！") + "]/1");
    EXPECT_EQ(core::GetTagValue(core::LoadListFile(HistoryPath(), true).at(0), "Time"),
              Gbk("发送失败！"));
    EXPECT_FALSE(form->Timer_Refresh->isActive());
    // No notices came: the panel and its button are hidden.
    EXPECT_FALSE(form->Frame_SoftOnline1->Panel_Right->isVisible());
    EXPECT_FALSE(form->Frame_SoftOnline1->Panel15->isVisible());
    EXPECT_FALSE(form->Frame_SoftOnline1->LbSpeedButton_ShowRight->isVisible());
}

TEST_F(SoftOnlineTest, BlankAndOverlongMessagesAreNotSent) {
    auto form = Open();
    QLineEdit* input = form->Frame_SoftOnline1->Edit_Input;
    Type(input, QStringLiteral("   "));
    EXPECT_EQ(form->PendingRequests(), 0);

    // 64 Chinese characters are 128 bytes: refused with a message, the input
    // keeps the text.
    const QString overlong = QString(64, QChar(0x4F60));
    QString told;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        told = box->text();
        box->accept();
    });
    Type(input, overlong);
    EXPECT_TRUE(told.startsWith(QStringLiteral("消息太长了！"))) << told.toStdString();
    EXPECT_EQ(input->text(), overlong);
    EXPECT_EQ(form->PendingRequests(), 0);
    ASSERT_TRUE(Settle(*form));
    EXPECT_TRUE(form->Session().Shown().empty());
    EXPECT_FALSE(std::filesystem::exists(HistoryPath()));
}

TEST_F(SoftOnlineTest, RenamingChecksLengthAndIgnoresTheSameNameInAnotherCase) {
    ASSERT_TRUE(platform::WriteParam("UN", "Anna"));
    auto form = Open();
    widgets::HoverLabel* label = form->Frame_SoftOnline1->Label_Name;
    const auto rename = [&](const QString& answer, QString* told) {
        QString caption, prompt;
        WhenModal<QInputDialog>([&, answer](QInputDialog* dialog) {
            caption = dialog->windowTitle();
            prompt = dialog->labelText();
            dialog->setTextValue(answer);
            dialog->accept();
        });
        if (told)
            WhenModal<QMessageBox>([told](QMessageBox* box) {
                *told = box->text();
                box->accept();
            });
        QTest::mouseClick(label, Qt::LeftButton);
        EXPECT_EQ(caption, QStringLiteral("更改名称"));
        EXPECT_EQ(prompt, QStringLiteral("新名称    "));
    };

    rename(QStringLiteral(" aNNA "), nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Anna"));
    EXPECT_EQ(platform::ReadParam("UN"), "Anna");

    QString told;
    rename(QString(21, QChar(0x540D)), &told);
    EXPECT_EQ(told, QStringLiteral("新名称太长了！"));
    EXPECT_EQ(label->text(), QStringLiteral("Anna"));

    rename(QStringLiteral("Bob"), nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Bob"));
    EXPECT_EQ(platform::ReadParam("UN"), "Bob");
    EXPECT_EQ(label->toolTip(), QStringLiteral("点击更改名称"));
}

TEST_F(SoftOnlineTest, AStalledServiceLeavesTheWindowWorking) {
    ASSERT_TRUE(test::WriteHistory(HistoryPath(), test::NumberedRecords(1, 2)));
    net::test::StalledService stalled;
    sandbox_.SetServiceBase(stalled.Base());
    TForm_SoftOnline form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(stalled.WaitForRequests(1)); // the first poll hangs

    // The send is asked for and the click returns at once: the message waits
    // in the input, which takes nothing else meanwhile.
    TFrame_SoftOnline& frame = *form.Frame_SoftOnline1;
    Type(frame.Edit_Input, QStringLiteral("hello?"));
    EXPECT_EQ(form.PendingRequests(), 3); // poll, notices, send
    EXPECT_TRUE(frame.Edit_Input->isReadOnly());
    EXPECT_FALSE(frame.LbSpeedButton_Send->isEnabled());
    EXPECT_EQ(frame.Edit_Input->text(), QStringLiteral("hello?"));

    // The window goes on answering: the history button works, and no second
    // poll is asked for while the first one runs.
    QTest::mouseClick(frame.LbSpeedButton_HisMsg, Qt::LeftButton);
    EXPECT_TRUE(form.Session().ShowingHistory());
    EXPECT_EQ(ShownMessages(form), (Lines{"m1", "m2"}));
    form.Poll();
    EXPECT_EQ(form.PendingRequests(), 3);
    EXPECT_EQ(stalled.Requests(), 1);
    // Closing it ends the stalled request (the service never answered).
}

TEST_F(SoftOnlineTest, InputFillsTheBodyLessTheSendButton) {
    auto form = Open();
    TFrame_SoftOnline& frame = *form->Frame_SoftOnline1;
    for (const QSize size : {QSize(640, 480), QSize(900, 500)}) {
        form->resize(size);
        QApplication::processEvents();
        const int sendWidth = frame.LbSpeedButton_Send->width();
        EXPECT_EQ(frame.Edit_Input->width(),
                  frame.Panel_Input->width() - sendWidth - frame.Edit_Input->x() - 10);
        EXPECT_EQ(frame.LbSpeedButton_Send->x(), frame.Edit_Input->geometry().right() + 1 + 5);
    }
}

TEST_F(SoftOnlineTest, ShowSoftOnlineRunsModallyUntilEscape) {
    bool sawWindow = false;
    QTimer::singleShot(0, [&] {
        auto* online = qobject_cast<TForm_SoftOnline*>(QApplication::activeModalWidget());
        sawWindow = online != nullptr && online->isVisible();
        if (online != nullptr) {
            Settle(*online);
            QTest::keyClick(online, Qt::Key_Escape);
        }
    });
    EXPECT_TRUE(ShowSoftOnline());
    EXPECT_TRUE(sawWindow);
}

} // namespace
} // namespace service
