#include "download/InstallItem.h"

#include "storage/TCDF.h"
#include "tests/download/DownloadFixture.h"

namespace download::test {
namespace {

class InstallItemTest : public ::testing::Test {
protected:
    // Block files holding `bytes` cut at `cuts`.
    std::vector<std::string> Blocks(const std::string& bytes, std::vector<size_t> cuts) {
        std::vector<std::string> files;
        size_t from = 0;
        cuts.push_back(bytes.size());
        for (size_t i = 0; i < cuts.size(); ++i) {
            files.push_back(folders_.User("ABCD0123." + std::to_string(i)));
            WriteFile(files.back(), bytes.substr(from, cuts[i] - from));
            from = cuts[i];
        }
        return files;
    }
    static bool AllGone(const std::vector<std::string>& files) {
        for (const std::string& file : files)
            if (fs::exists(file))
                return false;
        return true;
    }
    static DownloadListEntry Item(uint32_t fc, uint32_t fid, uint32_t size) {
        DownloadListEntry entry;
        entry.FC = fc;
        entry.FID = fid;
        entry.FS = size;
        return entry;
    }

    testsupport::TestFolders folders_{true}; // a read-only install: user folder apart
};

TEST_F(InstallItemTest, EachClassGoesToItsPlaceInTheUserFolder) {
    EXPECT_EQ(InstalledName(9, 0x1F), "fu.d\\0000001F.fu");
    EXPECT_EQ(InstalledName(10, 0x1F), "10\\0000001F.dat");
    EXPECT_EQ(InstalledName(11, 0x9), "11\\09.dat");
    EXPECT_EQ(InstalledName(11, 0x1AB), "11\\1AB.dat");
    EXPECT_EQ(InstalledName(12, 1), "");

    const std::string bytes = PackageBytes(0x90, 200000);
    std::vector<std::string> blocks = Blocks(bytes, {65536, 131072});
    InstallResult result = InstallItem(Item(11, 0x90, 200000), blocks);
    ASSERT_TRUE(result.Ok) << result.Problem;
    EXPECT_EQ(result.Target, folders_.User("11/90.dat"));
    EXPECT_EQ(ReadFile(result.Target), bytes);
    EXPECT_TRUE(AllGone(blocks));

    blocks = Blocks("new program file", {3});
    result = InstallItem(Item(9, 0x1F, 16), blocks);
    ASSERT_TRUE(result.Ok) << result.Problem;
    EXPECT_EQ(ReadFile(folders_.User("fu.d/0000001F.fu")), "new program file");

    // Nothing can install an unknown class: nothing is written, the blocks
    // are useless and go.
    blocks = Blocks("x", {});
    EXPECT_FALSE(InstallItem(Item(12, 1, 1), blocks).Ok);
    EXPECT_TRUE(AllGone(blocks));
}

TEST_F(InstallItemTest, DataMemberIsAddedToTheContainerItExtends) {
    // The program folder ships 10/0000001F.dat with member 1; the download
    // adds member 0x1F in a copy in the user folder.
    {
        storage::TCDF shipped(folders_ / "10/0000001F.dat");
        fs::create_directories(folders_ / "10");
        storage::Stream first = "shipped member";
        ASSERT_TRUE(shipped.AddStream(1u, first));
    }
    const std::vector<std::string> blocks = Blocks("downloaded member", {5});
    const InstallResult result = InstallItem(Item(10, 0x1F, 17), blocks);
    ASSERT_TRUE(result.Ok) << result.Problem;
    EXPECT_EQ(result.Target, folders_.User("10/0000001F.dat"));
    storage::TCDF installed(result.Target);
    std::string member;
    ASSERT_TRUE(installed.ReadString(1u, member));
    EXPECT_EQ(member, "shipped member");
    ASSERT_TRUE(installed.ReadString(0x1Fu, member));
    EXPECT_EQ(member, "downloaded member");
    EXPECT_EQ(installed.Header().CodeType, 28); // stored unchanged
    EXPECT_TRUE(AllGone(blocks));
}

TEST_F(InstallItemTest, FailureLeavesTheOldFileAndTheBlocks) {
    WriteFile(folders_.User("11/90.dat"), "the old package");
    const std::string bytes = PackageBytes(0x90, 1000);
    std::vector<std::string> blocks = Blocks(bytes, {500});
    // A block that went missing makes the joined file short.
    fs::remove(blocks[1]);
    InstallResult result = InstallItem(Item(11, 0x90, 1000), blocks);
    EXPECT_FALSE(result.Ok);
    EXPECT_NE(result.Problem, "");
    EXPECT_EQ(ReadFile(folders_.User("11/90.dat")), "the old package");
    EXPECT_TRUE(fs::exists(blocks[0]));

    // A longer join is no better.
    blocks = Blocks(bytes + "more", {500});
    EXPECT_FALSE(InstallItem(Item(11, 0x90, 1000), blocks).Ok);
    EXPECT_EQ(ReadFile(folders_.User("11/90.dat")), "the old package");
    EXPECT_FALSE(AllGone(blocks));
    // No temporary file is left beside the target.
    size_t files = 0;
    for ([[maybe_unused]] const auto& file : fs::directory_iterator(folders_.User("11")))
        ++files;
    EXPECT_EQ(files, 1u);
}

} // namespace
} // namespace download::test
