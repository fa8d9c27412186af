// Runs the built quendic-cli help on a help document made here and checks
// its exit status and the exact text it prints.
#include "ProgramRun.h"
#include "service/HelpData.h"
#include "storage/TestFolder.h"

#include <algorithm>

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
        long peakKiB = 0;
    };

    // quendic-cli help with the blank-separated `arguments`.
    Result Run(const std::string& arguments) {
        std::vector<std::string> args{"help"};
        for (size_t at = 0; at < arguments.size();) {
            const size_t blank = std::min(arguments.find(' ', at), arguments.size());
            args.push_back(arguments.substr(at, blank - at));
            at = blank + 1;
        }
        const testsupport::ProgramRun run = testsupport::RunProgram(QUENDIC_CLI_PATH, args, home);
        return {run.Exit, run.Out, run.Err, run.PeakKiB};
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

// A help member that does not decode, or that would inflate far beyond any
// help document, is damaged data: exit status 2, in bounded memory.
TEST_F(HelpCommandTest, DamagedOrOversizedHelpExitsWithTwo) {
    {
        storage::TCDF data(core::ServiceDataFile(core::kHelpMember));
        data.SetCodeType(2);
        storage::Stream bomb(20u << 20, '\n');
        ASSERT_TRUE(data.AddStream(core::kHelpMember, bomb));
    }
    const Result large = Run("");
    EXPECT_EQ(large.status, 2);
    EXPECT_NE(large.err.find("is too large"), std::string::npos) << large.err;
    EXPECT_LT(large.peakKiB, 200 * 1024);

    {
        storage::TCDF data(core::ServiceDataFile(core::kHelpMember));
        data.SetCodeType(28);
        storage::Stream member = std::string(4, '\0') + "zz";
        ASSERT_TRUE(data.AddStream(core::kHelpMember, member));
    }
    std::string bytes = storage::test::ReadFileBytes(home / "sd.102");
    bytes[bytes.size() - 6 - 3] = 2; // the record's coding type: zlib, length word 0
    storage::test::WriteFileBytes(home / "sd.102", bytes);
    const Result damaged = Run("");
    EXPECT_EQ(damaged.status, 2);
    EXPECT_NE(damaged.err.find("is damaged"), std::string::npos) << damaged.err;
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
