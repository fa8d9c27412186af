#include "download/DLItem.h"
#include "download/ServerList.h"
#include "download/TBlockDL.h"
#include "net/BlockQuery.h"
#include "tests/download/DownloadFixture.h"

#include <set>

namespace download::test {
namespace {

using Answer = ScriptedService::Answer;
using Blocks = std::vector<std::pair<uint64_t, uint64_t>>;

class BlockDownloadTest : public DownloadTest {
protected:
    std::string Installed(uint32_t bucket) const {
        return ReadFile(User("11/" + platform::HexNumber(bucket, 2) + ".dat"));
    }
    static std::set<uint64_t> Positions(const Blocks& blocks) {
        std::set<uint64_t> positions;
        for (const auto& block : blocks)
            positions.insert(block.first);
        return positions;
    }
};

TEST_F(BlockDownloadTest, TenBlocksArriveInParallelAndInstallByteForByte) {
    DLItem item(Entry(AddPackage(0x90, 1000005)));
    ASSERT_EQ(item.BlockCount(), 10u);
    const InstallResult result = Run(item, Servers({service_->BlockUrl()}));
    ASSERT_TRUE(result.Ok) << result.Problem;
    EXPECT_EQ(Installed(0x90), PackageBytes(0x90, 1000005));
    EXPECT_EQ(item.Received(), 1000005u);
    EXPECT_TRUE(BlockFilesLeft().empty());
    EXPECT_FALSE(fs::exists(User(BlockOwnerName(item.Entry().FCRC))));
    EXPECT_EQ(item.WorkerCount(), 10u);

    const Blocks asked = service_->Blocks();
    ASSERT_EQ(asked.size(), 10u);
    EXPECT_EQ(Positions(asked).size(), 10u);
    // Round 0 of block 9, logged with its exact address.
    net::BlockRequest last{5, 102001, 11, 0x90, 900000, 100005};
    const std::vector<std::string> log = Log();
    EXPECT_TRUE(AnyContains(log, Gbk("第0次开始下载！[Url=") + service_->BlockUrl() +
                                     net::BlockQuery(last) + "]"));
    EXPECT_FALSE(AnyContains(log, Gbk("失败")));
}

TEST_F(BlockDownloadTest, ResumeFetchesOnlyMissingOrWrongSizedBlocksAndTheLast) {
    // 300000 bytes: four blocks of 65536 and one of 37856.
    const std::string record = AddPackage(0x91, 300000);
    const std::string bytes = PackageBytes(0x91, 300000);
    DLItem item(Entry(record));
    ASSERT_EQ(item.BlockCount(), 5u);
    WriteFile(item.BlockAt(0).FileName, bytes.substr(0, 65536));
    WriteFile(item.BlockAt(1).FileName, bytes.substr(65536, 1000)); // wrong size
    WriteFile(item.BlockAt(3).FileName, bytes.substr(196608, 65536));
    WriteFile(item.BlockAt(4).FileName, bytes.substr(262144));

    ASSERT_TRUE(Run(item, Servers({service_->BlockUrl()})).Ok);
    EXPECT_EQ(Positions(service_->Blocks()), (std::set<uint64_t>{65536, 131072, 262144}));
    EXPECT_EQ(Installed(0x91), bytes);
    EXPECT_TRUE(BlockFilesLeft().empty());
}

TEST_F(BlockDownloadTest, TextInsteadOfABlockFailsEveryRoundAndIsLogged) {
    DLItem item(Entry(AddPackage(0x92, 65536)));
    service_->SetScript([](uint64_t, uint64_t) { return Answer::Text; });
    const InstallResult result = Run(item, Servers({service_->BlockUrl()}));
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(service_->Blocks().size(), 3u); // three rounds over one server
    EXPECT_FALSE(fs::exists(User("11/92.dat")));

    const std::string url = service_->BlockUrl() + net::BlockQuery({5, 102001, 11, 0x92, 0, 65536});
    const std::vector<std::string> log = Log();
    EXPECT_TRUE(AnyContains(log, Gbk("第0次开始下载！[Url=") + url + "]"));
    EXPECT_TRUE(AnyContains(log, Gbk("第2次下载失败！[Url=") + url + "]"));
    EXPECT_TRUE(AnyContains(log, "DLSizeError: BLockSize=[65536]DLSize=[200]DLUrl=[" + url +
                                     "]DLContent=[" + ScriptedService::kTextAnswer + "]"));
}

TEST_F(BlockDownloadTest, ServerThatAlwaysFailsIsPassedOverForTheNext) {
    // The lookup puts the user in 电信, whose only server always fails: it
    // comes first, and every block comes from the service's own server.
    ScriptedService failing(Data());
    failing.SetScript([](uint64_t, uint64_t) { return Answer::Fail; });
    ScriptedService service(Data(), {{Gbk("电信"), failing.BlockUrl()}});
    UseIpLookup(service.Address(), Gbk("本机 电信"));
    SetServiceBase(service.Base());

    const ServerListReply servers = FetchServerList(11);
    ASSERT_TRUE(servers.Ok());
    ASSERT_EQ(servers.Servers, Servers({failing.BlockUrl(), service.BlockUrl()}));

    DLItem item(Entry(AddPackage(0x93, 300000)));
    ASSERT_TRUE(Run(item, servers.Servers).Ok);
    EXPECT_EQ(failing.Blocks().size(), 5u);
    EXPECT_EQ(service.Blocks().size(), 5u);
    EXPECT_EQ(Installed(0x93), PackageBytes(0x93, 300000));
}

TEST_F(BlockDownloadTest, LookupPageWithoutEndIsReadOnlyAsFarAsItsResult) {
    UseIpLookup(service_->Address() + "/endless", Gbk("本机 电信"));
    EXPECT_EQ(UserNetwork(core::LookupIpNetwork("127.0.0.1")), Gbk("电信"));
    EXPECT_LT(service_->LookupBytes(), size_t{16} << 20);
}

TEST_F(BlockDownloadTest, ItemCutOffMidwayKeepsItsCompleteBlocksForTheNextStart) {
    const std::string record = AddPackage(0x94, 1000005);
    service_->SetScript(
        [](uint64_t pos, uint64_t) { return pos >= 500000 ? Answer::CutShort : Answer::Bytes; });
    {
        DLItem item(Entry(record));
        EXPECT_FALSE(Run(item, Servers({service_->BlockUrl()})).Ok);
        for (size_t i = 0; i < item.BlockCount(); ++i)
            EXPECT_EQ(item.BlockAt(i).State.load(), i < 5 ? TBlockDL::kDone : TBlockDL::kFailed)
                << i;
        EXPECT_TRUE(AnyContains(Log(), "DLSizeError: BLockSize=[100000]DLSize=[50000]"));
    }
    EXPECT_EQ(BlockFilesLeft().size(), 10u);
    EXPECT_FALSE(fs::exists(User("11/94.dat")));

    // The server is whole again: a new start asks only for the rest.
    service_->SetScript({});
    service_->ClearCounts();
    DLItem again(Entry(record));
    ASSERT_TRUE(Run(again, Servers({service_->BlockUrl()})).Ok);
    EXPECT_EQ(Positions(service_->Blocks()),
              (std::set<uint64_t>{500000, 600000, 700000, 800000, 900000}));
    EXPECT_EQ(Installed(0x94), PackageBytes(0x94, 1000005));
    EXPECT_TRUE(BlockFilesLeft().empty());
}

TEST_F(BlockDownloadTest, ErrorPageOfABlocksLengthIsNotResumedAsTheBlock) {
    // 300000 bytes: four blocks of 65536 and one of 37856; block 1 gets an
    // error page that happens to be as long as the block.
    const std::string record = AddPackage(0x96, 300000);
    service_->SetScript(
        [](uint64_t pos, uint64_t) { return pos == 65536 ? Answer::ErrorPage : Answer::Bytes; });
    {
        DLItem item(Entry(record));
        EXPECT_FALSE(Run(item, Servers({service_->BlockUrl()})).Ok);
        EXPECT_EQ(item.BlockAt(1).State.load(), TBlockDL::kFailed);
    }
    service_->SetScript({});
    service_->ClearCounts();
    DLItem again(Entry(record));
    ASSERT_TRUE(Run(again, Servers({service_->BlockUrl()})).Ok);
    EXPECT_EQ(Positions(service_->Blocks()), (std::set<uint64_t>{65536, 262144}));
    EXPECT_TRUE(Installed(0x96) == PackageBytes(0x96, 300000)) << "the install differs";
}

TEST_F(BlockDownloadTest, FilesSharingAChecksumNeverShareBlocks) {
    // A service that gives two files one FCRC: the blocks the first left
    // behind are not taken for the second's.
    auto withCrc = [](std::string record) {
        const size_t at = record.find("<FCRC>");
        return record.substr(0, at) + "<FCRC>00000000</FCRC>";
    };
    const std::string first = withCrc(AddPackage(0x60, 300000));
    const std::string second = withCrc(AddPackage(0x61, 300000));
    service_->SetScript(
        [](uint64_t pos, uint64_t) { return pos >= 131072 ? Answer::CutShort : Answer::Bytes; });
    {
        DLItem item(Entry(first));
        EXPECT_FALSE(Run(item, Servers({service_->BlockUrl()})).Ok);
    }
    service_->SetScript({});
    service_->ClearCounts();
    DLItem item(Entry(second));
    ASSERT_TRUE(Run(item, Servers({service_->BlockUrl()})).Ok);
    EXPECT_EQ(service_->Blocks().size(), 5u);
    EXPECT_EQ(Installed(0x61), PackageBytes(0x61, 300000));
}

TEST_F(BlockDownloadTest, StopEndsTransfersWhileTheServerSendsNothing) {
    DLItem item(Entry(AddPackage(0x95, 300000)));
    service_->SetScript([](uint64_t, uint64_t) { return Answer::Stall; });
    std::promise<InstallResult> finished;
    std::future<InstallResult> result = finished.get_future();
    ASSERT_TRUE(item.Start(Servers({service_->BlockUrl()}), log_.get(),
                           [&](const InstallResult& r) { finished.set_value(r); }));
    while (service_->Blocks().size() < 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(item.Running());
    item.Stop();
    // The stall lasts as long as the service does; only the stop can end it.
    ASSERT_EQ(result.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_FALSE(result.get().Ok);
    EXPECT_FALSE(item.Running());
    EXPECT_EQ(service_->Blocks().size(), 5u); // no further round after the stop
}

TEST_F(BlockDownloadTest, WorkerLogsFilesItCannotCreateAndServersItCannotReach) {
    BlockJob job;
    job.BlockSize = 10;
    job.Query = "cid=1";
    job.Servers = Servers({"http://127.0.0.1:1/dl.asp?"}); // nothing listens there
    job.FileName = User("no-such-folder/00000001.0");
    std::vector<std::string> reported;
    int finished = 0;
    {
        TBlockDL worker(job, log_.get());
        worker.SetOnLog([&](const std::string& text) { reported.push_back(text); });
        worker.SetOnFinish([&](TBlockDL& w) {
            ++finished;
            EXPECT_EQ(w.State(), TBlockDL::kFailed);
        });
        worker.Start();
        worker.Join();
    }
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(AnyContains(Log(), Gbk("创建文件") + job.FileName + Gbk("失败！")));
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.front(), Gbk("第0次开始下载！[Url=http://127.0.0.1:1/dl.asp?cid=1]"));

    job.FileName = User("00000001.0");
    {
        TBlockDL worker(job, log_.get());
        worker.Start();
        worker.Join();
    }
    EXPECT_TRUE(AnyContains(Log(), "InternetOpenURL" + Gbk("失败！")));
}

} // namespace
} // namespace download::test
