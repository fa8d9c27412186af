// Runs the built quendic-cli help on a help document made here and checks
// its exit status and the exact text it prints.
#include "service/HelpData.h"
#include "storage/TestFolder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

namespace service {
namespace {

class HelpCommandTest : public ::testing::Test {
protected:
    struct Result {
        int status = -1;
        std::string out;
        std::string err;
    };

    Result Run(const std::string& arguments) {
        const std::string command = "QUENDIC_HOME='" + home.Path() +
                                    "' '" QUENDIC_CLI_PATH "' help " + arguments + " >'" +
                                    (home / "stdout") + "' 2>'" + (home / "stderr") + "'";
        Result r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = storage::test::ReadFileBytes(home / "stdout");
        r.err = storage::test::ReadFileBytes(home / "stderr");
        return r;
    }

    storage::test::TestFolder home;
};

TEST_F(HelpCommandTest, PrintsTheLaidOutDocumentInUtf8) {
    ASSERT_TRUE(test::WriteHelpData(test::SampleHelpLines()));
    const Result wide = Run("");
    EXPECT_EQ(wide.status, 0) << wide.err;
    EXPECT_EQ(wide.out,
              std::string(36, ' ') + "软件帮助\n" + std::string(80, '-') + "\n查询单词 more\n");

    const Result narrow = Run("--width 6");
    EXPECT_EQ(narrow.status, 0) << narrow.err;
    EXPECT_EQ(narrow.out, "软件帮\n  助\n------\n查询单\n词\nmore\n");
}

TEST_F(HelpCommandTest, NoHelpDocumentExitsWithOne) {
    const Result missing = Run("");
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_NE(missing.err.find("sd.102"), std::string::npos);
}

TEST_F(HelpCommandTest, BadUsageExitsWithTwo) {
    ASSERT_TRUE(test::WriteHelpData(test::SampleHelpLines()));
    for (const char* arguments : {"--width", "--width 0", "--width x", "--width 12x", "extra"}) {
        const Result r = Run(arguments);
        EXPECT_EQ(r.status, 2) << arguments;
        EXPECT_TRUE(r.out.empty()) << arguments;
        EXPECT_NE(r.err.find("usage"), std::string::npos) << arguments;
    }
}

} // namespace
} // namespace service
