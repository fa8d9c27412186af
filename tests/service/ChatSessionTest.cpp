#include "service/ChatSession.h"

#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "service/ChatData.h"
#include "service/ChatDocument.h"
#include "storage/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace service {
namespace {

using test::ChatRecord;
using test::Gbk;
using Lines = std::vector<std::string>;

std::string Msg(const std::string& record) {
    return core::GetTagValue(record, "Msg");
}

Lines Messages(const Lines& records) {
    Lines messages;
    for (const std::string& record : records)
        messages.push_back(Msg(record));
    return messages;
}

class ChatSessionTest : public ::testing::Test {
protected:
    storage::test::TestFolder folder_;
    std::string path_ = folder_ / "sol.dat";
};

TEST_F(ChatSessionTest, OpensWithTheFiveNewestRecordsNewestFirstThenThePollFollows) {
    ASSERT_TRUE(test::WriteHistory(path_, test::NumberedRecords(1, 8)));
    ChatSession session(path_);
    session.LoadHistory();
    EXPECT_EQ(Messages(session.Shown()), (Lines{"m8", "m7", "m6", "m5", "m4"}));
    EXPECT_EQ(session.History().size(), 8u);
    // The latest record id, not that of the last record shown (m4).
    EXPECT_EQ(session.LastRID(), 8);

    EXPECT_EQ(session.AddPolled(test::NumberedRecords(9, 2)), 2u);
    EXPECT_EQ(Messages(session.Shown()), (Lines{"m8", "m7", "m6", "m5", "m4", "m9", "m10"}));
    EXPECT_EQ(session.LastRID(), 10);
    EXPECT_EQ(core::LoadListFile(path_, true).size(), 10u);

    // The history button shows the history as loaded, and back.
    session.ToggleHistory();
    EXPECT_EQ(Messages(session.Displayed()).back(), "m8");
    EXPECT_EQ(session.Displayed().size(), 8u);
    session.ToggleHistory();
    EXPECT_EQ(session.Displayed().size(), 7u);
    // New records switch the view back to the conversation.
    session.ToggleHistory();
    session.AddPolled(test::NumberedRecords(11, 1));
    EXPECT_FALSE(session.ShowingHistory());
}

TEST_F(ChatSessionTest, HistoryWithoutRecordIdsAndMissingHistory) {
    ChatSession empty(path_);
    empty.LoadHistory();
    EXPECT_TRUE(empty.Shown().empty());
    EXPECT_EQ(empty.LastRID(), 0);

    // Local records carry no id: the id comes from the history behind them.
    Lines records = test::NumberedRecords(1, 3);
    for (int i = 0; i < 5; ++i)
        records.push_back(ChatRecord(0, "me", "t", "local"));
    records.push_back(ChatRecord(0, "me", "t", "")); // no message: kept, not shown
    ASSERT_TRUE(test::WriteHistory(path_, records));
    ChatSession session(path_);
    session.LoadHistory();
    EXPECT_EQ(session.LastRID(), 3);

    // The record without a message is not shown: four of the five remain.
    display::RichTextDocument document;
    ShowMessages(session.Shown(), document, nullptr);
    Lines texts;
    for (const auto& item : document.Items())
        if (item.Info.IsText())
            texts.push_back(item.Text + "/" + std::to_string(item.Info.StyleNo));
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts[0], "[me] [t]/1");
    EXPECT_EQ(texts[1], "local/0");
}

TEST_F(ChatSessionTest, MessagesAreTrimmedAndMustFitTheProtocol) {
    std::string message = "unchanged";
    EXPECT_EQ(ChatSession::PrepareMessage(" \t ", message), ChatSession::Input::Empty);
    EXPECT_EQ(message, "unchanged");
    EXPECT_EQ(ChatSession::PrepareMessage("  hi there \r\n", message), ChatSession::Input::Ready);
    EXPECT_EQ(message, "hi there");

    // 127 bytes pass; 63 Chinese characters and one letter are 127 bytes, 64
    // characters 128: refused whole, never cut inside a character.
    const std::string ni = Gbk("你");
    std::string chinese;
    for (int i = 0; i < 63; ++i)
        chinese += ni;
    EXPECT_EQ(ChatSession::PrepareMessage(chinese + "a", message), ChatSession::Input::Ready);
    EXPECT_EQ(ChatSession::PrepareMessage(chinese + ni, message), ChatSession::Input::TooLong);
    EXPECT_EQ(ChatSession::PrepareMessage(std::string(127, 'x') + "  ", message),
              ChatSession::Input::Ready);
    EXPECT_EQ(ChatSession::PrepareMessage(std::string(128, 'x'), message),
              ChatSession::Input::TooLong);
    EXPECT_EQ(ChatSession::MaxMessageBytes(), 127u);
}

TEST_F(ChatSessionTest, SentMessagesAreStoredWithTheServiceTimeOrAsFailed) {
    ChatSession session(path_);
    session.LoadHistory();
    session.ToggleHistory();
    EXPECT_FALSE(session.AddSent("me", "no service", ""));
    EXPECT_FALSE(session.ShowingHistory());
    const std::string failed =
        "<Name>me</Name><Msg>no service</Msg><Time>" + Gbk("发送失败！") + "</Time>";
    EXPECT_EQ(session.Shown(), Lines{failed});

    EXPECT_TRUE(session.AddSent("me", "a<b>c",
                                "<Result>OK</Result><Time>2026-01-01 10:00:00"
                                "</Time><IP>127.0.0.1</IP>"));
    // "<" and ">" of the text cannot break the record.
    EXPECT_EQ(session.Shown().back(), "<Name>me</Name><Msg>a" + Gbk("＜") + "b" + Gbk("＞") +
                                          "c</Msg><Time>2026-01-01 10:00:00</Time>");
    EXPECT_EQ(core::LoadListFile(path_, true), session.Shown());
    EXPECT_TRUE(session.HistoryWritable());
}

TEST_F(ChatSessionTest, TheServiceCopyOfASentMessageTakesTheLocalRecordsPlace) {
    ChatSession session(path_);
    session.LoadHistory();
    const std::string time = "2026-01-01 10:00:00";
    ASSERT_TRUE(session.AddSent("me", "hello", "<Time>" + time + "</Time>"));
    ASSERT_TRUE(session.AddSent("me", "hello", "<Time>" + time + "</Time>"));
    const Lines poll = {ChatRecord(7, "me", time, "hello"), ChatRecord(8, "me", time, "hello"),
                        ChatRecord(9, "desk", time, "hi")};
    EXPECT_EQ(session.AddPolled(poll), 1u);
    EXPECT_EQ(session.Shown(), poll);
    EXPECT_EQ(core::LoadListFile(path_, true), poll);
    EXPECT_EQ(session.LastRID(), 9);

    // In the next session the stored copies are known by their ids.
    ChatSession next(path_);
    next.LoadHistory();
    EXPECT_EQ(next.AddPolled(poll), 0u);
    EXPECT_EQ(core::LoadListFile(path_, true), poll);
}

TEST_F(ChatSessionTest, TwoWindowsPollingStoreEveryRecordOnce) {
    ASSERT_TRUE(test::WriteHistory(path_, test::NumberedRecords(1, 2)));
    ChatSession first(path_);
    ChatSession second(path_);
    first.LoadHistory();
    second.LoadHistory();
    const Lines poll = test::NumberedRecords(3, 3);
    EXPECT_EQ(first.AddPolled(poll), 3u);
    EXPECT_EQ(second.AddPolled(poll), 3u);
    // A repeated answer adds nothing anywhere.
    EXPECT_EQ(first.AddPolled(poll), 0u);
    EXPECT_EQ(Messages(first.Shown()), (Lines{"m2", "m1", "m3", "m4", "m5"}));
    EXPECT_EQ(Messages(second.Shown()), Messages(first.Shown()));
    EXPECT_EQ(Messages(core::LoadListFile(path_, true)), (Lines{"m1", "m2", "m3", "m4", "m5"}));

    // Lines without a record id are no records.
    EXPECT_EQ(first.AddPolled({"", "<Result>busy</Result>"}), 0u);
    EXPECT_EQ(core::LoadListFile(path_, true).size(), 5u);
}

TEST_F(ChatSessionTest, DamagedHistoryIsKeptAsideAndANewOneStarts) {
    storage::test::WriteFileBytes(path_, "not a zipped history");
    ChatSession session(path_);
    session.LoadHistory();
    EXPECT_TRUE(session.Shown().empty());
    session.AddSent("me", "after the damage", "");
    EXPECT_EQ(Messages(core::LoadListFile(path_, true)), Lines{"after the damage"});
    EXPECT_EQ(storage::test::ReadFileBytes(path_ + ".damaged"), "not a zipped history");

    // A history that cannot be written still shows the message.
    ChatSession lost(folder_ / "no/such/folder/sol.dat");
    lost.AddSent("me", "shown anyway", "");
    EXPECT_FALSE(lost.HistoryWritable());
    EXPECT_EQ(Messages(lost.Shown()), Lines{"shown anyway"});
}

TEST_F(ChatSessionTest, UserNameComesFromTheSettingElseTheComputer) {
    const std::string computer = platform::ComputerName();
    EXPECT_EQ(ChatSession::LoadUserName(), computer.empty() ? Gbk("用户") : computer);

    std::string name = "Anna";
    EXPECT_EQ(ChatSession::RenameUser("  aNNA ", name), ChatSession::Rename::Unchanged);
    EXPECT_EQ(ChatSession::RenameUser("   ", name), ChatSession::Rename::Unchanged);
    EXPECT_EQ(platform::ReadParam("UN"), "");

    // Twenty characters (forty bytes of Chinese) are allowed, 21 are not.
    std::string twenty;
    for (int i = 0; i < 20; ++i)
        twenty += Gbk("名");
    EXPECT_EQ(ChatSession::RenameUser(twenty + "x", name), ChatSession::Rename::TooLong);
    EXPECT_EQ(name, "Anna");
    EXPECT_EQ(ChatSession::RenameUser(" " + twenty + " ", name), ChatSession::Rename::Renamed);
    EXPECT_EQ(name, twenty);
    EXPECT_EQ(platform::ReadParam("UN"), twenty);
    EXPECT_EQ(ChatSession::LoadUserName(), twenty);
}

TEST_F(ChatSessionTest, NoticesGiveTextsAndTheLinksInOrder) {
    ChatSession session(path_);
    session.SetNotices("<Result>OK</Result>\r\n"
                       "<TXT>" +
                       Gbk("欢迎") +
                       "</TXT>\r\n"
                       "<Url>http://nowhere/</Url>\r\n" // no text: left out
                       "<TXT>one</TXT><Url>http://a/</Url>\r\n"
                       "<TXT>two</TXT><Url>b.example</Url>");
    ASSERT_EQ(session.Notices().size(), 3u);
    EXPECT_EQ(session.Notices()[0].Url, "");
    EXPECT_EQ(session.Links(), (Lines{"http://a/", "b.example"}));
    EXPECT_EQ(session.Link(1), "b.example");
    EXPECT_EQ(session.Link(2), "");
    EXPECT_EQ(session.Link(-1), "");

    // Links are the jumps of the document, numbered in the same order.
    display::RichTextDocument document;
    document.SetStyle(std::make_shared<const display::TTextStyleTable>(NoticeStyleTable()));
    ShowNotices(session.Notices(), document, std::make_shared<const display::TImageList>(),
                nullptr);
    document.Format(300);
    EXPECT_EQ(document.JumpCount(), 2);

    session.SetNotices("");
    EXPECT_TRUE(session.Notices().empty());
    EXPECT_TRUE(session.Links().empty());
}

} // namespace
} // namespace service
