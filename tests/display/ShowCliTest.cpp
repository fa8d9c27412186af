#include "ProgramRun.h"
#include "app/AppTestData.h"
#include "platform/Gbk.h"
#include "storage/TestFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

namespace {

// Runs quendic-cli in the test's folders; stdout and the exit status.
// `input` is its stdin.
std::pair<int, std::string> RunCli(const testsupport::TestFolders& folders,
                                   const std::string& args, const std::string& input = {}) {
    std::vector<std::string> split;
    for (size_t at = 0; at < args.size();) {
        const size_t blank = args.find(' ', at);
        split.push_back(
            args.substr(at, blank == std::string::npos ? std::string::npos : blank - at));
        at = blank == std::string::npos ? args.size() : blank + 1;
    }
    const testsupport::ProgramRun run = testsupport::RunProgram(QUENDIC_CLI_PATH, split, folders, input);
    return {run.Exit, run.Out};
}

class ShowCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_app::InstalledEntries entries(folder_.Path());
        ASSERT_TRUE(entries.Add("apple", testing_app::AppleRecord()));
        ASSERT_TRUE(entries.Write());
    }
    storage::test::TestFolder folder_;
};

TEST_F(ShowCliTest, PrintsTheEntryWithIpaPhonetics) {
    auto [exit, out] = RunCli(folder_, "show apple");
    EXPECT_EQ(exit, 0);
    EXPECT_NE(out.find("apple    / ˈæpl /    [>]"), std::string::npos) << out;
    EXPECT_NE(out.find("\n苹果\n"), std::string::npos) << out;
    EXPECT_NE(out.find("词汇例句"), std::string::npos);
    EXPECT_NE(out.find("1. He ate an apple. [>]"), std::string::npos) << out;
    EXPECT_NE(out.find("  他吃了一个苹果"), std::string::npos);
    EXPECT_NE(out.find("\nn.\n1. fruit with red or green skin"), std::string::npos) << out;
    EXPECT_NE(out.find("    同义词: pome, fruit"), std::string::npos) << out;
    // The lookup used a scratch file of its own, not the program's.
    EXPECT_FALSE(std::filesystem::exists(folder_ / "voc.tmp"));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "VocQuery.dat"));
}

TEST_F(ShowCliTest, CachedEntryIsPreferred) {
    ASSERT_TRUE(testing_app::WritePackage(
        folder_ / "cached.tmp",
        testing_app::Field(testing_app::Field("apple", "Name") + testing_app::Field("cached", "CN"),
                           "Voc")));
    {
        storage::TCDF cache(folder_ / "VocQuery.dat");
        ASSERT_TRUE(cache.AddFile(storage::WordHash("apple"), folder_ / "cached.tmp"));
    }
    auto [exit, out] = RunCli(folder_, "show Apple");
    EXPECT_EQ(exit, 0);
    EXPECT_NE(out.find("\ncached\n"), std::string::npos) << out;
}

TEST_F(ShowCliTest, ExitStatusForMissingAndBrokenEntries) {
    EXPECT_EQ(RunCli(folder_, "show pear").first, 1);
    EXPECT_EQ(RunCli(folder_, "show").first, 2);
    EXPECT_EQ(RunCli(folder_, "show --width x apple").first, 2);
    // A cached package without an entry record is unreadable data.
    {
        storage::TCDF cache(folder_ / "VocQuery.dat");
        storage::Stream junk = "not a package";
        ASSERT_TRUE(cache.AddStream(storage::WordHash("kiwi"), junk));
    }
    EXPECT_EQ(RunCli(folder_, "show kiwi").first, 2);
}

// A cached package that is not the word's entry, or too large to use, leaves
// the answer to the installed data, in bounded memory.
TEST_F(ShowCliTest, CachedPackageThatIsNoEntryFallsBackToInstalledData) {
    const std::string bomb = folder_ / "bomb.tmp";
    {
        storage::TCDF package(bomb);
        package.SetCodeType(2);
        storage::Stream record(40u << 20, '\n');
        ASSERT_TRUE(package.AddStream(0u, record));
    }
    storage::TCDF cache(folder_ / "VocQuery.dat");
    for (const std::string& package : {std::string("x"), storage::test::ReadFileBytes(bomb)}) {
        storage::Stream member = package;
        ASSERT_TRUE(cache.AddStream(storage::WordHash("apple"), member));
        const testsupport::ProgramRun run =
            testsupport::RunProgram(QUENDIC_CLI_PATH, {"show", "apple"}, folder_);
        EXPECT_EQ(run.Exit, 0) << run.Err;
        EXPECT_NE(run.Out.find("\n苹果\n"), std::string::npos) << run.Out;
        EXPECT_LT(run.PeakKiB, 200 * 1024);
    }
}

// Damaged installed data is exit status 2 with the file named, never "no
// entry" and never another word's entry.
TEST_F(ShowCliTest, DamagedInstalledDataExitsTwoNamingTheFile) {
    const std::string dif = folder_ / "voc.dif", data = folder_ / "11/90.dat";
    const std::string difBytes = storage::test::ReadFileBytes(dif);
    const std::string dataBytes = storage::test::ReadFileBytes(data);
    auto expectDamage = [&](const std::string& file, const char* what) {
        const testsupport::ProgramRun run =
            testsupport::RunProgram(QUENDIC_CLI_PATH, {"show", "apple"}, folder_);
        EXPECT_EQ(run.Exit, 2) << what;
        EXPECT_EQ(run.Out, "") << what;
        EXPECT_NE(run.Err.find(file), std::string::npos) << what << ": " << run.Err;
        storage::test::WriteFileBytes(dif, difBytes);
        storage::test::WriteFileBytes(data, dataBytes);
    };

    storage::test::WriteFileBytes(data, dataBytes.substr(0, dataBytes.size() / 2));
    expectDamage(data, "entry data cut short");

    // The location record of "apple" names a package of another word.
    ASSERT_TRUE(testing_app::WritePackage(
        folder_ / "other.tmp",
        testing_app::Field(testing_app::Field("attach", "Name") + testing_app::Field("x", "CN"),
                           "Voc")));
    const std::string other = storage::test::ReadFileBytes(folder_ / "other.tmp");
    storage::test::WriteFileBytes(data, dataBytes + other);
    std::string record;
    for (uint32_t value : {storage::WordHash("apple"), static_cast<uint32_t>(dataBytes.size()),
                           static_cast<uint32_t>(other.size())})
        for (int i = 0; i < 4; ++i)
            record += static_cast<char>(value >> (8 * i));
    {
        storage::TCDF locations(dif);
        ASSERT_TRUE(locations.AddStream(0x90u, record));
    }
    expectDamage(data, "another word's package");

    // The location member of the bucket does not decode: a zlib member with
    // a length word of 0.
    {
        storage::TCDF locations(dif);
        storage::Stream member = std::string(4, '\0') + "zz";
        locations.SetCodeType(28);
        ASSERT_TRUE(locations.AddStream(0x90u, member));
    }
    std::string damaged = storage::test::ReadFileBytes(dif);
    damaged[damaged.size() - 6 - 3] = 2; // the record's coding type
    storage::test::WriteFileBytes(dif, damaged);
    expectDamage(dif, "location member");
}

TEST_F(ShowCliTest, DashShowsEveryWordOfStdinInTurn) {
    const std::string entry = RunCli(folder_, "show apple").second;
    ASSERT_FALSE(entry.empty());
    auto [exit, out] = RunCli(folder_, "show -", "apple\npear\r\nApple\n");
    EXPECT_EQ(exit, 1); // pear has no entry
    EXPECT_EQ(out, entry + "\n" + "\n" + entry + "\n");
}

TEST_F(ShowCliTest, WrapsAtTheRequestedWidth) {
    auto [exit, out] = RunCli(folder_, "show --width 20 apple");
    EXPECT_EQ(exit, 0);
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = out.substr(start, end - start);
        EXPECT_LE(platform::Utf8ToGbk(line).size(), 20u) << line; // columns: GBK bytes
    }
}

} // namespace
