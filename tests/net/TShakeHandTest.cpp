#include "net/TShakeHand.h"

#include "core/TaggedText.h"
#include "net/StandIn.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

namespace net {
namespace {

class TShakeHandTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteSampleServiceData(sandbox_.Data());
        service_ = std::make_unique<test::RunningService>(sandbox_.Data());
        ASSERT_TRUE(service_->Started());
        sandbox_.SetServiceBase(service_->Base());
    }

    test::Sandbox sandbox_;
    std::unique_ptr<test::RunningService> service_;
    TShakeHand client_;
};

TEST_F(TShakeHandTest, ServiceBaseFromServiceDataElseBuiltIn) {
    EXPECT_EQ(TShakeHand::ServiceUrl("sh.asp"), service_->Base() + "sh.asp");
    std::filesystem::remove(sandbox_.Home() + "/sd.102");
    EXPECT_EQ(TShakeHand::ServiceBase(), "http://127.0.0.1:8102/qv/");
    // An empty member is no address.
    sandbox_.SetServiceBase("");
    EXPECT_EQ(TShakeHand::ServiceBase(), "http://127.0.0.1:8102/qv/");
}

TEST_F(TShakeHandTest, RequestUrlIsBaseSheetAndBlock) {
    client_.ReportInstall();
    const std::string prefix = service_->Base() + "sh.asp?p=";
    ASSERT_EQ(client_.LastUrl().substr(0, prefix.size()), prefix);
    const DecodedBlock sent = DecodeParamBlock(client_.LastUrl().substr(prefix.size()));
    EXPECT_EQ(sent.Error, BlockError::None);
    EXPECT_EQ(sent.Values.Operation, kOpReportInstall);

    // A base without "http://" still reaches the service.
    sandbox_.SetServiceBase(service_->Base().substr(7));
    std::vector<std::string> lines;
    EXPECT_EQ(client_.GetPackageList(lines), "OK");
}

TEST_F(TShakeHandTest, EveryOperationAgainstTheService) {
    EXPECT_TRUE(client_.ReportInstall());

    // Chat: send two messages, then poll them back in order.
    const std::string name = "\xD3\xC3\xBB\xA7"; // 用户
    const std::string sent = client_.SendChatMessage(name, "hello <b>");
    EXPECT_FALSE(core::GetTagValue(sent, "Time").empty());
    EXPECT_EQ(core::GetTagValue(sent, "IP"), "127.0.0.1");
    client_.SendChatMessage(name, "\xC4\xE3\xBA\xC3"); // 你好
    std::vector<std::string> lines{"stale"};
    ASSERT_TRUE(client_.PollChat(0, lines));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(core::GetTagValue(lines[0], "Name"), name);
    EXPECT_EQ(core::GetTagValue(lines[0], "Msg"), "hello \xA3\xBC"
                                                  "b\xA3\xBE");
    EXPECT_EQ(core::GetTagValue(lines[1], "Msg"), "\xC4\xE3\xBA\xC3");
    const int32_t last = std::stoi(core::GetTagValue(lines[1], "RID"));
    EXPECT_LT(std::stoi(core::GetTagValue(lines[0], "RID")), last);
    EXPECT_FALSE(client_.PollChat(last, lines));
    EXPECT_TRUE(lines.empty());

    // Packages, notices, word data, servers.
    EXPECT_EQ(client_.GetPackageList(lines), "OK");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(core::GetTagValue(lines[0], "JMBH"), "00000090");
    const std::string notices = client_.GetNotices(1);
    EXPECT_EQ(notices.substr(0, 20), "<Result>OK</Result>\r");
    EXPECT_EQ(platform::SplitLines(notices).size(), 3u);
    const std::string located = client_.LocateWordData(11, 0x90, 100, 50);
    EXPECT_EQ(core::GetTagValue(located, "Result"), "OK");
    EXPECT_EQ(core::GetTagValue(located, "Pos"), "100");
    EXPECT_EQ(core::GetTagValue(located, "Len"), "50");
    const std::string outside = client_.LocateWordData(11, 0x90, 290, 11);
    EXPECT_FALSE(core::GetTagValue(outside, "Result").empty());
    EXPECT_NE(core::GetTagValue(outside, "Result"), "OK");
    EXPECT_TRUE(core::GetTagValue(outside, "Pos").empty());
    EXPECT_EQ(client_.GetServerList(11, 1, lines), "OK");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(core::GetTagValue(lines[0], "IP"), "127.0.0.1");
    EXPECT_EQ(core::GetTagValue(lines[1], "Url"), service_->Base() + "dl.asp?");

    // The file address serves the update list.
    std::string list;
    ASSERT_TRUE(client_.FetchStream(client_.MakeFileUrl(9, 102001), list));
    ASSERT_GE(list.size(), 4u);
    EXPECT_EQ(list.substr(list.size() - 4), std::string("\x71\x8E\x01\x00", 4));
}

TEST_F(TShakeHandTest, RepliesWithoutTheirFieldsAreFailures) {
    test::CannedService canned;
    sandbox_.SetServiceBase(canned.Base());
    std::vector<std::string> lines{"kept"};

    // An HTTP error page.
    canned.Reply(404, "<html><body>Not Found</body></html>");
    EXPECT_EQ(client_.GetServerList(11, 1, lines), "");
    EXPECT_FALSE(client_.PollChat(0, lines));
    EXPECT_FALSE(client_.ReportInstall());
    EXPECT_EQ(client_.GetPackageList(lines), "");
    EXPECT_EQ(client_.GetNotices(), "");
    EXPECT_EQ(client_.LocateWordData(11, 1, 0, 1), "");

    // An empty reply: no chat lines, and the list is left empty.
    canned.Reply(200, "");
    lines = {};
    EXPECT_FALSE(client_.PollChat(0, lines));
    EXPECT_TRUE(lines.empty());

    // "ok" in lower case fills the list.
    canned.Reply(200, "<Result>ok</Result><IP>1.2.3.4</IP>\r\n<ISP>x</ISP><Url>http://a/?</Url>");
    EXPECT_EQ(client_.GetServerList(11, 1, lines), "ok");
    EXPECT_EQ(lines.size(), 2u);
    // Any other result leaves it as it was.
    canned.Reply(200, "<Result>busy</Result>");
    EXPECT_EQ(client_.GetServerList(11, 1, lines), "busy");
    EXPECT_EQ(lines.size(), 2u);

    // A reply over 1 MiB is a failure, not a growing buffer.
    canned.Reply(200,
                 "<Result>OK</Result><Pos>1</Pos>" + std::string(TShakeHand::kMaxReplyBytes, ' '));
    EXPECT_EQ(client_.LocateWordData(11, 1, 0, 1), "");
}

TEST_F(TShakeHandTest, SomeOperationsMakeNoRequest) {
    test::CannedService canned;
    sandbox_.SetServiceBase(canned.Base());
    const std::string url = client_.MakeFileUrl(9, 0x1234);
    EXPECT_EQ(url, client_.LastUrl());
    EXPECT_EQ(url.substr(0, canned.Base().size() + 9), canned.Base() + "sh.asp?p=");
    const DecodedBlock block = DecodeParamBlock(url.substr(canned.Base().size() + 9));
    EXPECT_EQ(block.Values.FileNumber, 0x1234u);

    // A chat message the block cannot hold is refused before any request.
    EXPECT_EQ(client_.SendChatMessage("me", std::string(128, 'x')), "");
    EXPECT_FALSE(TShakeHand::ChatMessageFits(std::string(128, 'x')));
    EXPECT_EQ(canned.Requests(), 0);
    canned.Reply(200, "<Time>now</Time>");
    EXPECT_EQ(client_.SendChatMessage("me", std::string(127, 'x')), "<Time>now</Time>");
    EXPECT_EQ(canned.Requests(), 1);
}

TEST_F(TShakeHandTest, NoServiceIsAFailure) {
    service_->Stop();
    std::vector<std::string> lines{"kept"};
    EXPECT_FALSE(client_.ReportInstall());
    EXPECT_EQ(client_.SendChatMessage("a", "b"), "");
    EXPECT_FALSE(client_.PollChat(0, lines));
    EXPECT_EQ(client_.GetServerList(11, 1, lines), "");
    EXPECT_EQ(lines, std::vector<std::string>{"kept"});
}

TEST_F(TShakeHandTest, CancelFlagFailsRequestsWhileSet) {
    std::atomic<bool> cancelled{true};
    client_.SetCancelFlag(&cancelled);
    std::vector<std::string> lines{"kept"};
    EXPECT_EQ(client_.SendChatMessage("a", "b"), "");
    EXPECT_FALSE(client_.PollChat(0, lines));
    EXPECT_EQ(lines, std::vector<std::string>{"kept"});
    cancelled = false;
    EXPECT_FALSE(core::GetTagValue(client_.SendChatMessage("a", "b"), "Time").empty());
}

} // namespace
} // namespace net
