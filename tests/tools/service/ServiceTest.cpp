#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "net/BlockQuery.h"
#include "net/StandIn.h"
#include "net/TShakeHand.h"
#include "platform/ByteOrder.h"
#include "platform/Http.h"
#include "platform/Text.h"
#include "storage/StrCRC.h"
#include "storage/TCode.h"
#include "tools/service/ServiceDatabase.h"
#include "tools/service/ServiceFolder.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <thread>

namespace standin {
namespace {

using net::test::ReadBytes;
using net::test::WriteBytes;

struct Fetched {
    long Status = 0;
    std::string Body;
};

Fetched Get(const std::string& url) {
    Fetched fetched;
    const platform::HttpReply reply =
        platform::HttpFetch(url, platform::HttpRequest{}, [&](std::string_view piece) {
            fetched.Body.append(piece);
            return true;
        });
    fetched.Status = reply.ok ? reply.status : 0;
    return fetched;
}

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        net::test::WriteSampleServiceData(sandbox_.Data());
        Start();
    }

    void Start(std::vector<Mirror> mirrors = {}) {
        service_.reset();
        service_ = std::make_unique<net::test::RunningService>(sandbox_.Data(), std::move(mirrors));
        ASSERT_TRUE(service_->Started());
        sandbox_.SetServiceBase(service_->Base());
    }

    // The service page's reply to a block as it is sent.
    std::string Page(const std::string& block) {
        return Get(service_->Base() + "sh.asp?p=" + block).Body;
    }

    std::string Block(uint32_t operation, const net::ParamValues& values = {}) {
        return net::TSHParam().BuildParams(operation, values);
    }

    std::string BlockUrl(const net::BlockRequest& block) {
        return service_->Base() + "dl.asp?" + net::BlockQuery(block);
    }

    net::test::Sandbox sandbox_;
    std::unique_ptr<net::test::RunningService> service_;
};

std::string Result(const std::string& reply) {
    return core::GetTagValue(reply, "Result");
}

// A connection to `port` on loopback whose reads and writes give up after 10 s
// (a peer that neither answers nor closes); -1 when it cannot be made.
int Connect(int port) {
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const timeval limit{10, 0};
    ::setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    ::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(sock);
        return -1;
    }
    return sock;
}

// Sends `requests` in one piece and returns all that comes back until the
// peer closes.
std::string Exchange(int port, const std::string& requests) {
    const int sock = Connect(port);
    std::string received;
    if (sock < 0 || ::send(sock, requests.data(), requests.size(), MSG_NOSIGNAL) !=
                        static_cast<ssize_t>(requests.size())) {
        ::close(sock);
        return received;
    }
    char buffer[4096];
    ssize_t n;
    while ((n = ::recv(sock, buffer, sizeof buffer, 0)) > 0)
        received.append(buffer, static_cast<size_t>(n));
    ::close(sock);
    return received;
}

// Sends `head` and then up to 64 MiB more on a new connection to `port`;
// true when the peer ends the connection before taking it all.
bool CutOffWhileSending(int port, const std::string& head) {
    const int sock = Connect(port);
    if (sock < 0)
        return false;
    const auto sendAll = [sock](std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t sent = ::send(sock, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent <= 0)
                return false;
            bytes.remove_prefix(static_cast<size_t>(sent));
        }
        return true;
    };
    const std::string filler(1 << 20, 'A');
    bool cut = !sendAll(head);
    for (int i = 0; i < 64 && !cut; ++i)
        cut = !sendAll(filler);
    ::close(sock);
    return cut;
}

TEST_F(ServiceTest, DamagedBlocksGetAReasonAndTheServiceGoesOn) {
    net::ParamValues v;
    v.FileClass = 11;
    v.FileNumber = 0x90;
    v.Offset = 10;
    v.Length = 20;
    const std::string good = Block(net::kOpLocateWordData, v);
    ASSERT_EQ(Result(Page(good)), "OK");
    for (size_t n = 0; n < good.size(); ++n) {
        const std::string reply = Page(good.substr(0, n));
        EXPECT_FALSE(Result(reply).empty()) << n;
        EXPECT_NE(Result(reply), "OK") << n;
        EXPECT_TRUE(core::GetTagValue(reply, "Pos").empty()) << n;
    }
    for (size_t i = 0; i < good.size(); i += 3) {
        std::string flipped = good;
        flipped[i] = flipped[i] == 'F' ? '0' : 'F';
        EXPECT_NE(Result(Page(flipped)), "OK") << i;
    }
    EXPECT_EQ(Result(Page(good)), "OK");

    // Each kind of fault says what it is.
    EXPECT_EQ(Result(Page("xyz")), Gbk("参数格式错误"));
    std::string badCheck = good;
    badCheck.back() = badCheck.back() == '0' ? '1' : '0';
    EXPECT_EQ(Result(Page(badCheck)), Gbk("参数校验错误"));
    net::ParamValues values;
    EXPECT_EQ(Result(Page(net::TSHParam::AppendCheck(net::EncodeFields(99, values)))),
              Gbk("未知的操作"));
    values.Product = 103;
    EXPECT_EQ(Result(Page(net::TSHParam::AppendCheck(net::EncodeFields(net::kOpNotices, values)))),
              Gbk("产品编号错误"));
    // No block, or two different ones.
    EXPECT_EQ(Result(Get(service_->Base() + "sh.asp").Body), Gbk("参数格式错误"));
    EXPECT_EQ(Result(Get(service_->Base() + "sh.asp?p=" + good + "&p=00").Body),
              Gbk("参数格式错误"));

    // A request line far beyond any block is refused; the service stays up.
    EXPECT_GE(Get(service_->Base() + "sh.asp?p=" + std::string(70000, 'A')).Status, 400);
    EXPECT_EQ(Result(Page(good)), "OK");
}

TEST_F(ServiceTest, EndlessRequestsAreCutOffUnread) {
    // A request line, a header line, a body: none is read on without end.
    for (const std::string head : {"GET /qv/sh.asp?p=", "GET /qv/sh.asp?p=00 HTTP/1.1\r\nX-A: ",
                                   "GET /qv/sh.asp?p=00 HTTP/1.1\r\nHost: h\r\n"
                                   "Content-Length: 999999999\r\n\r\n"})
        EXPECT_TRUE(CutOffWhileSending(service_->Port(), head)) << head;
    EXPECT_EQ(Result(Page(Block(net::kOpNotices))), "OK");

    // Requests sent ahead on one connection are each answered.
    const std::string replies =
        Exchange(service_->Port(), "GET /ips.asp?ip=1 HTTP/1.1\r\nHost: h\r\n\r\n"
                                   "GET /ips.asp?ip=2 HTTP/1.1\r\nHost: h\r\n"
                                   "Connection: close\r\n\r\n");
    EXPECT_NE(replies.find("IP:1<"), std::string::npos);
    EXPECT_NE(replies.find("IP:2<"), std::string::npos);
}

TEST_F(ServiceTest, FiftyChatSendersLoseNothing) {
    constexpr int kSenders = 50;
    constexpr int kEach = 4;
    std::vector<std::thread> senders;
    std::atomic<int> answered{0};
    for (int s = 0; s < kSenders; ++s)
        senders.emplace_back([s, &answered] {
            net::TShakeHand client;
            for (int i = 0; i < kEach; ++i) {
                const std::string reply = client.SendChatMessage(
                    "s" + std::to_string(s), "m" + std::to_string(s) + "-" + std::to_string(i));
                answered += core::GetTagValue(reply, "Time").empty() ? 0 : 1;
            }
        });
    for (std::thread& sender : senders)
        sender.join();
    EXPECT_EQ(answered, kSenders * kEach);

    net::TShakeHand client;
    std::vector<std::string> lines;
    std::set<std::string> messages;
    int64_t last = 0;
    int polls = 0;
    while (client.PollChat(static_cast<int32_t>(last), lines)) {
        ++polls;
        for (const std::string& line : lines) {
            const int64_t rid = std::stoll(core::GetTagValue(line, "RID"));
            EXPECT_GT(rid, last);
            last = rid;
            messages.insert(core::GetTagValue(line, "Msg"));
        }
    }
    EXPECT_EQ(messages.size(), static_cast<size_t>(kSenders * kEach));
    EXPECT_GE(polls, kSenders * kEach / ServicePage::kPollLimit);
}

TEST_F(ServiceTest, InstallationReportsAreKept) {
    net::TShakeHand client;
    ASSERT_TRUE(client.ReportInstall());
    ASSERT_TRUE(client.ReportInstall());
    ServiceDatabase database(sandbox_.Data() + "/service.db");
    EXPECT_EQ(database.CountInstalls(client.GetClientId()), 2);
}

TEST_F(ServiceTest, BlockQueriesServeExactlyTheRange) {
    const std::string file = net::test::SampleEntryData();
    net::BlockRequest block{5, 102001, 11, 0x90, 0, static_cast<int32_t>(file.size())};
    Fetched whole = Get(BlockUrl(block));
    EXPECT_EQ(whole.Status, 200);
    EXPECT_EQ(whole.Body, file);
    block.Pos = 299;
    block.Len = 1;
    EXPECT_EQ(Get(BlockUrl(block)).Body, file.substr(299));
    block.Pos = 17;
    block.Len = 0;
    whole = Get(BlockUrl(block));
    EXPECT_EQ(whole.Status, 200);
    EXPECT_EQ(whole.Body, "");

    // The update file under class 9.
    EXPECT_EQ(Get(BlockUrl({5, 102001, 9, 1, 2, 5})).Body, net::test::kSampleUpdate.substr(2, 5));

    // Refusals carry an error status, never a body that could pass for data.
    const auto status = [this](const net::BlockRequest& b) { return Get(BlockUrl(b)).Status; };
    EXPECT_EQ(status({5, 102001, 11, 0x90, 290, 11}), 416); // past the end
    EXPECT_EQ(status({5, 102001, 11, 0x90, -1, 10}), 400);
    EXPECT_EQ(status({5, 102001, 11, 0x90, 0, -10}), 400);
    EXPECT_EQ(status({5, 102001, 11, 0x91, 0, 10}), 404); // no such file
    EXPECT_EQ(status({5, 102001, 10, 0x90, 0, 10}), 404); // no such class
    EXPECT_EQ(status({5, 102002, 11, 0x90, 0, 10}), 404); // other software
    EXPECT_EQ(status({5, 102001, 9, 102001, 0, 4}), 404);
    std::string url = BlockUrl({5, 102001, 11, 0x90, 0, 10});
    std::string wrong = url;
    wrong.back() = wrong.back() == '0' ? '1' : '0';
    EXPECT_EQ(Get(wrong).Status, 403);
    EXPECT_EQ(Get(url + "&pos=1").Status, 400); // a second, different pos
    std::string absurd = url;
    absurd.replace(absurd.find("pos=0"), 5, "pos=99999999999");
    EXPECT_EQ(Get(absurd).Status, 400);
    std::string padded = url;
    padded.replace(padded.find("pos=0"), 5, "pos=00");
    EXPECT_EQ(Get(padded).Status, 400);
    EXPECT_EQ(Get(url).Body, file.substr(0, 10));
}

TEST_F(ServiceTest, UpdateListAndFiles) {
    net::TShakeHand client;
    std::string body;
    ASSERT_TRUE(client.FetchStream(client.MakeFileUrl(9, 102001), body));
    ASSERT_GT(body.size(), 4u);
    EXPECT_EQ(platform::ReadLe32(body, body.size() - 4), 102001u);
    body.resize(body.size() - 4);
    ASSERT_TRUE(storage::UnzipStream(body));
    const std::vector<std::string> records = platform::SplitLines(body);
    ASSERT_EQ(records.size(), 1u);
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08X", storage::Crc32(net::test::kSampleUpdate));
    EXPECT_EQ(records[0], "<FID>00000001</FID><LFn>sd.102</LFn><LFp></LFp><FCrc>" +
                              std::string(crc) + "</FCrc><FS>00000015</FS><UM>Hint</UM>");

    ASSERT_TRUE(client.FetchStream(client.MakeFileUrl(9, 1), body));
    EXPECT_EQ(body, net::test::kSampleUpdate);
    ASSERT_TRUE(client.FetchStream(client.MakeFileUrl(11, 0x90), body));
    EXPECT_EQ(body, net::test::SampleEntryData());
    const Fetched missing = Get(client.MakeFileUrl(9, 2));
    EXPECT_EQ(missing.Status, 404);
    EXPECT_FALSE(Result(missing.Body).empty());

    // Without updates there is no list.
    std::filesystem::remove(sandbox_.Data() + "/updates/updates.lst");
    EXPECT_EQ(Get(client.MakeFileUrl(9, 102001)).Status, 404);
}

TEST_F(ServiceTest, NoticesServersAndAddresses) {
    net::TShakeHand client;
    // Built-in notices, then those of notices.txt.
    EXPECT_EQ(platform::SplitLines(client.GetNotices()).size(), 3u);
    WriteBytes(sandbox_.Data() + "/notices.txt", "one\r\ntwo\thttp://two.test/\r\n");
    const std::vector<std::string> notices = platform::SplitLines(client.GetNotices());
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[1], "<TXT>one</TXT>");
    EXPECT_EQ(notices[2], "<TXT>two</TXT><Url>http://two.test/</Url>");

    // Mirrors follow the service itself in the server list.
    Start({{Gbk("电信"), "http://mirror.test/qv/dl.asp?"}});
    std::vector<std::string> servers;
    ASSERT_EQ(client.GetServerList(11, 1, servers), "OK");
    ASSERT_EQ(servers.size(), 3u);
    EXPECT_EQ(core::GetTagValue(servers[2], "ISP"), Gbk("电信"));
    EXPECT_EQ(core::GetTagValue(servers[2], "Url"), "http://mirror.test/qv/dl.asp?");

    // The lookup page reads back through the program's own parser.
    const std::string root = service_->Base().substr(0, service_->Base().size() - 4);
    EXPECT_EQ(core::IpNetworkFromPage(Get(root + "/ips.asp?ip=127.0.0.1").Body),
              Gbk("本机 电信")); // the longest prefix
    EXPECT_EQ(core::IpNetworkFromPage(Get(root + "/ips.asp?ip=10.1.2.3").Body), Gbk("未知"));
}

TEST_F(ServiceTest, MissingPackageListIsAFailureOfTheClient) {
    std::filesystem::remove(sandbox_.Data() + "/packages.lst");
    net::TShakeHand client;
    std::vector<std::string> lines;
    EXPECT_EQ(client.GetPackageList(lines), "");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(Result(lines[0]).empty());
}

} // namespace
} // namespace standin
