#include "download/EntryDownloader.h"

#include "download/TFileDL.h"
#include "net/BlockQuery.h"
#include "net/TShakeHand.h"
#include "tests/download/DownloadFixture.h"

namespace download::test {
namespace {

// Shows nothing: keeps the messages and runs each file download to its end.
class RecordingDisplay : public EntryDownloader::Display {
public:
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    bool RunFileDownload(const std::vector<std::string>& items) override {
        Items.insert(Items.end(), items.begin(), items.end());
        TFileDL worker;
        worker.Start(items);
        worker.Join();
        return worker.Succeeded();
    }

    std::vector<std::string> Messages;
    std::vector<std::string> Items;
};

class EntryDownloaderTest : public DownloadTest {
protected:
    EntryDownloaderTest() { fetch_.SetDownloader(downloader_.AsDownloader()); }

    RecordingDisplay display_;
    EntryDownloader downloader_{display_};
    core::EntryFetch fetch_;
};

TEST_F(EntryDownloaderTest, OnlineEntryIsCachedAndTheSecondLookupAsksNothing) {
    Publish("apple");
    int opened = 0;
    const core::FetchResult result =
        fetch_.OpenEntry("apple", [&](const std::string&) { ++opened; });
    ASSERT_TRUE(result) << result.Reason;
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(display_.Messages.empty());
    EXPECT_EQ(service_->PageRequests(), 2); // server list, where the entry lies
    ASSERT_EQ(service_->Blocks().size(), 1u);
    EXPECT_EQ(service_->Blocks()[0], std::make_pair(uint64_t{offset_}, uint64_t{package_.size()}));
    EXPECT_TRUE(fs::exists(User("VocQuery.dat")));

    // The one download item, as the window gets it.
    ASSERT_EQ(display_.Items.size(), 1u);
    const std::string& item = display_.Items[0];
    const uint32_t hash = storage::WordHash("apple");
    const net::BlockRequest block{
        net::TShakeHand().GetClientId(),      102001, 11, hash >> 24, static_cast<int32_t>(offset_),
        static_cast<int32_t>(package_.size())};
    EXPECT_EQ(core::GetTagValue(item, "WFn"), service_->BlockUrl() + net::BlockQuery(block));
    EXPECT_EQ(core::GetTagValue(item, "WFS"),
              platform::HexNumber(static_cast<uint32_t>(package_.size())));
    EXPECT_EQ(core::GetTagValue(item, "LFn"), fetch_.EntryTempFile());
    EXPECT_EQ(core::GetTagValue(item, "Title"), Gbk("词汇下载"));
    EXPECT_EQ(core::GetTagValue(item, "SubTitle"), "apple");

    service_->ClearCounts();
    ASSERT_TRUE(fetch_.OpenEntry("Apple", [&](const std::string&) { ++opened; }));
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(service_->PageRequests(), 0);
    EXPECT_TRUE(service_->Blocks().empty());
}

TEST_F(EntryDownloaderTest, WordWithoutLocationAsksNothingAndSaysNothing) {
    Publish("apple");
    EXPECT_EQ(fetch_.OpenEntry("pear", {}).Status, core::FetchStatus::Absent);
    EXPECT_EQ(service_->PageRequests(), 0);
    EXPECT_TRUE(display_.Messages.empty());
}

TEST_F(EntryDownloaderTest, UnreachableServiceSaysNetworkErrorTwice) {
    Publish("apple");
    SetServiceBase("http://127.0.0.1:1/qv/");
    EXPECT_EQ(fetch_.OpenEntry("apple", {}).Status, core::FetchStatus::Absent);
    // The server list (full-width mark), then the entry's place (ASCII mark).
    EXPECT_EQ(display_.Messages, (std::vector<std::string>{Gbk("网络错误！"), Gbk("网络错误!")}));
    EXPECT_TRUE(downloader_.ServerList().empty());
    EXPECT_FALSE(fs::exists(User("VocQuery.dat")));
}

TEST_F(EntryDownloaderTest, ErrorPageAsLongAsThePackageGivesWayToTheNextServer) {
    Publish("apple");
    ScriptedService failing(Data());
    failing.SetScript([](uint64_t, uint64_t) { return ScriptedService::Answer::ErrorPage; });
    ScriptedService service(Data(), {{Gbk("电信"), failing.BlockUrl()}});
    UseIpLookup(service.Address(), Gbk("本机 电信"));
    SetServiceBase(service.Base());
    const core::FetchResult result = fetch_.OpenEntry("apple", {});
    ASSERT_TRUE(result) << result.Reason;
    EXPECT_FALSE(failing.Blocks().empty());
    EXPECT_EQ(service.Blocks().size(), 1u);
}

} // namespace
} // namespace download::test
