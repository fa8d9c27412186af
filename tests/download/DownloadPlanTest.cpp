#include "TestFolders.h"
#include "download/BlockPlan.h"
#include "download/ConnectionLimit.h"
#include "download/DownloadListEntry.h"
#include "download/PackageList.h"
#include "download/ProgressText.h"
#include "download/ServerList.h"
#include "platform/Gbk.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

namespace download {
namespace {

std::string Gbk(std::string_view utf8) {
    return platform::Utf8ToGbk(utf8);
}

struct PlanCase {
    uint32_t size;
    size_t blocks;
    uint32_t firstLen;
    uint32_t lastLen;
};

TEST(BlockPlanTest, BlockCountsAndLengthsFollowTheFileSize) {
    const PlanCase cases[] = {
        {0, 1, 0, 0},
        {65536, 1, 65536, 65536},
        {65537, 2, 65536, 1},
        {131072, 3, 65536, 0}, // an exact multiple ends with an empty block
        {655359, 10, 65536, 65535},
        {655360, 10, 65536, 65536},
        {1000000, 10, 100000, 100000},
        {1000005, 10, 100000, 100005},
    };
    for (const PlanCase& c : cases) {
        const std::vector<BlockSpan> plan = PlanBlocks(c.size);
        ASSERT_EQ(plan.size(), c.blocks) << c.size;
        EXPECT_EQ(plan.front().Len, c.firstLen) << c.size;
        EXPECT_EQ(plan.back().Len, c.lastLen) << c.size;
        // The blocks tile the file without gap or overlap.
        uint64_t next = 0;
        for (const BlockSpan& block : plan) {
            EXPECT_EQ(block.Pos, next) << c.size;
            next += block.Len;
        }
        EXPECT_EQ(next, c.size);
        EXPECT_LE(plan.size(), kMaxBlocks);
    }
    EXPECT_EQ(BlockFileName(0x1A2B3C4D, 0), "1A2B3C4D.0");
    EXPECT_EQ(BlockFileName(0xC, 9), "0000000C.9");
}

TEST(DownloadListEntryTest, NumbersAreHexadecimalAndMustAllBeThere) {
    const std::string record = "<cid>0000000A</cid><SID>00018E71</SID><FC>0000000B</FC>"
                               "<FID>00000090</FID><Title>P 90</Title><FS>000F4245</FS>"
                               "<FCRC>1a2b3c4d</FCRC>";
    std::optional<DownloadListEntry> entry = DownloadListEntry::Parse(record);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->CID, 10u);
    EXPECT_EQ(entry->SID, 102001u);
    EXPECT_EQ(entry->FC, 11u);
    EXPECT_EQ(entry->FID, 0x90u);
    EXPECT_EQ(entry->Title, "P 90");
    EXPECT_EQ(entry->FS, 1000005u);
    EXPECT_EQ(entry->FCRC, 0x1A2B3C4Du);

    EXPECT_FALSE(DownloadListEntry::Parse("<CID>1</CID><SID>1</SID><FC>B</FC><FID>1</FID>"));
    EXPECT_FALSE(DownloadListEntry::Parse(
        "<CID>1</CID><SID>1</SID><FC>B</FC><FID>1</FID><FS>12 K</FS><FCRC>0</FCRC>"));
    EXPECT_FALSE(DownloadListEntry::Parse(
        "<CID>1</CID><SID>1</SID><FC>B</FC><FID>1</FID><FS>100000000</FS><FCRC>0</FCRC>"));
}

TEST(ProgressTextTest, ColumnsOfTheItemRow) {
    // 2,048,000 bytes of 4,096,000 in ten seconds.
    ItemProgress progress = MakeItemProgress(2048000, 4096000, 10000);
    EXPECT_EQ(progress.Elapsed, Gbk("10秒"));
    EXPECT_EQ(progress.Percent, "50");
    EXPECT_EQ(progress.Speed, "200K/S");
    EXPECT_EQ(progress.Remaining, Gbk("10秒"));

    EXPECT_EQ(MakeItemProgress(0, 100, 45999).Elapsed, Gbk("45秒"));
    EXPECT_EQ(MakeItemProgress(0, 100, 60000).Elapsed, Gbk("60秒"));
    EXPECT_EQ(MakeItemProgress(0, 100, 90000).Elapsed, Gbk("1分30秒"));
    EXPECT_EQ(MakeItemProgress(1, 3, 0).Percent, "33");
    EXPECT_EQ(MakeItemProgress(2, 3, 0).Percent, "67");
    EXPECT_EQ(MakeItemProgress(0, 0, 0).Percent, "100");

    // Before a whole second, and with nothing received, there is no speed
    // or remaining time to give.
    progress = MakeItemProgress(5000, 10000, 999);
    EXPECT_EQ(progress.Speed, "");
    EXPECT_EQ(progress.Remaining, "");
    progress = MakeItemProgress(0, 10000, 5000);
    EXPECT_EQ(progress.Speed, "0K/S");
    EXPECT_EQ(progress.Remaining, "");
    // 100 bytes a second, 9000 left: 1分30秒.
    EXPECT_EQ(MakeItemProgress(1000, 10000, 10000).Remaining, Gbk("1分30秒"));

    EXPECT_EQ(DownloadTimeLabel(1), Gbk("[ 1秒 ]"));
    EXPECT_EQ(DownloadTimeLabel(60), Gbk("[ 1分0秒 ]"));
    EXPECT_EQ(DownloadTimeLabel(65), Gbk("[ 1分5秒 ]"));
}

TEST(ServerListTest, ServersOfTheUsersNetworkComeFirst) {
    EXPECT_EQ(UserNetwork(Gbk("北京市 电信 网通")), Gbk("电信"));
    EXPECT_EQ(UserNetwork(Gbk("上海市 网通")), Gbk("网通"));
    EXPECT_EQ(UserNetwork(Gbk("铁通")), Gbk("铁通"));
    EXPECT_EQ(UserNetwork(""), Gbk("未知"));

    const std::vector<std::string> lines = {
        "<Result>OK</Result><IP>1.2.3.4</IP>",
        "<ISP>" + Gbk("本机") + "</ISP><Url>http://a/dl.asp?</Url>",
        "<ISP>" + Gbk("网通") + "</ISP><Url>http://b/dl.asp?</Url>",
        "<ISP>" + Gbk("网通") + "</ISP>",
        "<ISP>" + Gbk("电信") + "</ISP><Url>http://c/dl.asp?</Url>",
        "<isp>" + Gbk("网通") + "</isp><url>http://d/dl.asp?</url>",
    };
    const std::vector<std::string> expected = {
        "<Url>http://b/dl.asp?</Url>",
        "<Url>http://d/dl.asp?</Url>",
        "<Url>http://a/dl.asp?</Url>",
        "<Url>http://c/dl.asp?</Url>",
    };
    EXPECT_EQ(OrderServers(lines, Gbk("网通")), expected);
    EXPECT_EQ(OrderServers(lines, Gbk("未知")).front(), "<Url>http://a/dl.asp?</Url>");
}

TEST(ChooseItemTest, AutomaticTakesTheFirstWaitingRowManualTheSelectedOne) {
    const std::vector<int> rows = {kRowDone, kRowFailed, kRowWaiting, kRowWaiting};
    EXPECT_EQ(ChooseItem(rows, 0, true), 2);
    EXPECT_EQ(ChooseItem({kRowDone, kRowFailed}, 1, true), -1);
    EXPECT_EQ(ChooseItem({}, -1, true), -1);
    EXPECT_EQ(ChooseItem(rows, 1, false), 1); // a failed row may be started again
    EXPECT_EQ(ChooseItem(rows, 3, false), 3);
    EXPECT_EQ(ChooseItem(rows, 0, false), -1); // done
    EXPECT_EQ(ChooseItem(rows, -1, false), -1);
    EXPECT_EQ(ChooseItem(rows, 4, false), -1);
}

TEST(ConnectionLimitTest, RaisedToTenAndPutBackAsItWas) {
    testsupport::TestFolders folders;
    constexpr char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    platform::RegValue value;
    const int64_t absent = RaiseConnectionLimit();
    EXPECT_EQ(absent, -1);
    ASSERT_TRUE(platform::RegReadValue(platform::RegRoot::CurrentUser, kKey,
                                       "MaxConnectionsPerServer", value));
    EXPECT_EQ(std::get<uint32_t>(value), 10u);
    RestoreConnectionLimit(absent);
    EXPECT_FALSE(
        platform::RegValueExists(platform::RegRoot::CurrentUser, kKey, "MaxConnectionsPerServer"));

    ASSERT_TRUE(platform::RegWriteValue(platform::RegRoot::CurrentUser, kKey,
                                        "MaxConnectionsPerServer", false, true, uint32_t{4},
                                        platform::RegNumber));
    const int64_t four = RaiseConnectionLimit();
    EXPECT_EQ(four, 4);
    RestoreConnectionLimit(four);
    ASSERT_TRUE(platform::RegReadValue(platform::RegRoot::CurrentUser, kKey,
                                       "MaxConnectionsPerServer", value));
    EXPECT_EQ(std::get<uint32_t>(value), 4u);
}

} // namespace
} // namespace download
