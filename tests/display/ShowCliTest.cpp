#include "app/AppTestData.h"
#include "platform/Gbk.h"
#include "storage/TestFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

namespace {

// Runs quendic-cli in the test's program folder; stdout is kept, stderr
// dropped.
std::pair<int, std::string> RunCli(const std::string& home, const std::string& args) {
    std::string command =
        "QUENDIC_HOME='" + home + "' '" QUENDIC_CLI_PATH "' " + args + " 2>/dev/null";
    std::string out;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {-1, out};
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
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
    auto [exit, out] = RunCli(folder_.Path(), "show apple");
    EXPECT_EQ(exit, 0);
    EXPECT_NE(out.find("apple    / ˈæpl /    [>]"), std::string::npos) << out;
    EXPECT_NE(out.find("\n苹果\n"), std::string::npos) << out;
    EXPECT_NE(out.find("词汇例句"), std::string::npos);
    EXPECT_NE(out.find("1. He ate an apple.[>]"), std::string::npos) << out;
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
    auto [exit, out] = RunCli(folder_.Path(), "show Apple");
    EXPECT_EQ(exit, 0);
    EXPECT_NE(out.find("\ncached\n"), std::string::npos) << out;
}

TEST_F(ShowCliTest, ExitStatusForMissingAndBrokenEntries) {
    EXPECT_EQ(RunCli(folder_.Path(), "show pear").first, 1);
    EXPECT_EQ(RunCli(folder_.Path(), "show").first, 2);
    EXPECT_EQ(RunCli(folder_.Path(), "show --width x apple").first, 2);
    // A cached package without an entry record is unreadable data.
    {
        storage::TCDF cache(folder_ / "VocQuery.dat");
        storage::Stream junk = "not a package";
        ASSERT_TRUE(cache.AddStream(storage::WordHash("kiwi"), junk));
    }
    EXPECT_EQ(RunCli(folder_.Path(), "show kiwi").first, 2);
}

TEST_F(ShowCliTest, WrapsAtTheRequestedWidth) {
    auto [exit, out] = RunCli(folder_.Path(), "show --width 20 apple");
    EXPECT_EQ(exit, 0);
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = out.substr(start, end - start);
        EXPECT_LE(platform::Utf8ToGbk(line).size(), 20u) << line; // columns: GBK bytes
    }
}

} // namespace
