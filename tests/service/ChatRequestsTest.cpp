#include "service/ChatRequests.h"

#include "core/TaggedText.h"
#include "net/StandIn.h"
#include "service/ChatData.h"
#include "service/ChatSession.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <future>

namespace service {
namespace {

using Lines = std::vector<std::string>;

// The result of one request, waited for on the test's thread.
template <class T> class Result {
public:
    std::function<void(T)> Callback() {
        return [this](T value) { promise_.set_value(std::move(value)); };
    }
    T Get() { return future_.get(); }

private:
    std::promise<T> promise_;
    std::future<T> future_ = promise_.get_future();
};

struct Polled {
    bool ok = false;
    Lines lines;
};

Polled Poll(ChatRequests& requests, int32_t lastRid) {
    Result<Polled> result;
    requests.Poll(lastRid, [callback = result.Callback()](bool ok, Lines lines) {
        callback({ok, std::move(lines)});
    });
    return result.Get();
}

std::string Send(ChatRequests& requests, const std::string& name, const std::string& message) {
    Result<std::string> result;
    requests.Send(name, message, result.Callback());
    return result.Get();
}

using ChatRequestsTest = net::test::WithService;

TEST_F(ChatRequestsTest, SendPollAndNoticesAgainstTheService) {
    ChatRequests requests;
    ChatSession session(sandbox_.Home() + "/sol.dat");
    session.LoadHistory();
    const std::string name = test::Gbk("小明");
    const std::string reply = Send(requests, name, test::Gbk("你好"));
    ASSERT_TRUE(session.AddSent(name, test::Gbk("你好"), reply));

    // The desk answers from its terminal; the next poll brings both lines,
    // the user's own taking the place of its local record.
    const auto [status, output] =
        net::test::RunDesk({"reply", "--db", Database(), "--name", "客服", "请", "稍等"});
    ASSERT_EQ(status, 0) << output;
    Polled polled = Poll(requests, session.LastRID());
    ASSERT_TRUE(polled.ok);
    ASSERT_EQ(polled.lines.size(), 2u);
    EXPECT_EQ(session.AddPolled(polled.lines), 1u);
    ASSERT_EQ(session.Shown().size(), 2u);
    EXPECT_EQ(core::GetTagValue(session.Shown()[0], "Time"), core::GetTagValue(reply, "Time"));
    EXPECT_FALSE(core::GetTagValue(session.Shown()[0], "RID").empty());
    EXPECT_EQ(core::GetTagValue(session.Shown()[1], "Name"), test::Gbk("客服"));
    EXPECT_EQ(core::GetTagValue(session.Shown()[1], "Msg"), test::Gbk("请 稍等"));

    // Nothing new: the poll fails and changes nothing.
    EXPECT_FALSE(Poll(requests, session.LastRID()).ok);

    Result<std::string> notices;
    requests.FetchNotices(notices.Callback());
    session.SetNotices(notices.Get());
    EXPECT_EQ(session.Notices().size(), 2u);
    EXPECT_EQ(session.Links(), Lines{"https://creativecommons.org/licenses/by-sa/4.0/"});

    // The desk's list shows the conversation in UTF-8, its own lines marked.
    const auto [listed, list] = net::test::RunDesk({"chat", "--data", sandbox_.Data()});
    EXPECT_EQ(listed, 0);
    EXPECT_NE(list.find(" 小明: 你好\n"), std::string::npos) << list;
    EXPECT_NE(list.find(" *客服: 请 稍等\n"), std::string::npos) << list;
}

TEST_F(ChatRequestsTest, WithoutTheServiceASentMessageIsKeptAsFailed) {
    service_->Stop();
    ChatRequests requests;
    ChatSession session(sandbox_.Home() + "/sol.dat");
    const std::string reply = Send(requests, "me", "lost");
    EXPECT_EQ(reply, "");
    EXPECT_FALSE(session.AddSent("me", "lost", reply));
    EXPECT_EQ(core::GetTagValue(core::LoadListFile(session.HistoryPath(), true).at(0), "Time"),
              test::Gbk("发送失败！"));
    EXPECT_FALSE(Poll(requests, 0).ok);
}

TEST_F(ChatRequestsTest, EndingCancelsAStalledRequestAndDropsTheRest) {
    net::test::StalledService stalled;
    sandbox_.SetServiceBase(stalled.Base());
    Lines order;
    std::mutex mutex;
    const auto note = [&](const std::string& what) {
        std::lock_guard<std::mutex> lock(mutex);
        order.push_back(what);
    };
    {
        ChatRequests requests;
        requests.Send("me", "first", [&](std::string reply) { note("send:" + reply); });
        requests.Poll(0, [&](bool, Lines) { note("poll"); });
        ASSERT_TRUE(stalled.WaitForRequests(1));
        EXPECT_EQ(requests.Pending(), 2u);
        // The service never answers: leaving the scope cancels the send and
        // drops the poll that has not started.
    }
    EXPECT_EQ(order, Lines{"send:"});
    EXPECT_EQ(stalled.Requests(), 1);
}

} // namespace
} // namespace service
