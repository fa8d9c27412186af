#include "tests/download/DownloadFixture.h"

#include <cstdio>
#include <sys/wait.h>

namespace download::test {
namespace {

using Answer = ScriptedService::Answer;

struct CliRun {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

// quendic-cli in a child process, in this test's folders.
class CliDownloadTest : public DownloadTest {
protected:
    // `prefix` runs before the program in the same shell (a ulimit, say).
    CliRun Cli(const std::string& args, const std::string& prefix = {}) {
        const std::string out = User("cli.out");
        const std::string err = User("cli.err");
        const std::string command = prefix + folders_.ShellAssignments() + " '" + QUENDIC_CLI_PATH +
                                    "' " + args + " >'" + out + "' 2>'" + err + "'";
        const int status = std::system(command.c_str());
        CliRun run;
        run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run.Out = ReadFile(out);
        run.Err = ReadFile(err);
        fs::remove(out);
        fs::remove(err);
        return run;
    }
    std::string Installed(uint32_t bucket) const {
        return ReadFile(User("11/" + platform::HexNumber(bucket, 2) + ".dat"));
    }
};

TEST_F(CliDownloadTest, ListsThenInstallsEveryMissingPackage) {
    AddPackage(0x10, 1000);
    AddPackage(0x11, 700000);
    AddPackage(0x12, 131072);
    WriteFile(User("11/10.dat"), PackageBytes(0x10, 1000));

    CliRun run = Cli("download --list");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, "10\t词汇数据包 10\t1000\tinstalled\n"
                       "11\t词汇数据包 11\t700000\tmissing\n"
                       "12\t词汇数据包 12\t131072\tmissing\n");

    run = Cli("download");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(Installed(0x11), PackageBytes(0x11, 700000));
    EXPECT_EQ(Installed(0x12), PackageBytes(0x12, 131072));
    EXPECT_TRUE(BlockFilesLeft().empty());
    EXPECT_EQ(service_->Blocks().size(), 10u + 3u);
    // Not a terminal: plain lines, one when a package starts and one when it
    // is in place.
    EXPECT_NE(run.Err.find("[1/2] 11 词汇数据包 11: downloading 700000 bytes\n"), std::string::npos)
        << run.Err;
    EXPECT_NE(run.Err.find("[2/2] 12 词汇数据包 12: installed, 131072 bytes in"), std::string::npos)
        << run.Err;
    EXPECT_EQ(run.Err.find('\r'), std::string::npos);

    run = Cli("download");
    EXPECT_EQ(run.Exit, 0);
    EXPECT_NE(run.Err.find("every package is installed"), std::string::npos);
    EXPECT_EQ(Cli("download 1G").Exit, 2);
    EXPECT_EQ(Cli("download 13").Exit, 2); // the service has no package 13
}

TEST_F(CliDownloadTest, CutBlocksInstallNothingUntilTheServiceRecovers) {
    AddPackage(0x20, 1000005);
    service_->SetScript(
        [](uint64_t pos, uint64_t) { return pos >= 300000 ? Answer::CutShort : Answer::Bytes; });
    CliRun run = Cli("download 20");
    EXPECT_EQ(run.Exit, 1) << run.Err;
    EXPECT_FALSE(fs::exists(User("11/20.dat")));
    EXPECT_EQ(BlockFilesLeft().size(), 10u);
    EXPECT_TRUE(AnyContains(LogTexts(User("quendic-cli.log")), "DLSizeError"));

    service_->SetScript({});
    service_->ClearCounts();
    run = Cli("download 20");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(Installed(0x20), PackageBytes(0x20, 1000005));
    EXPECT_EQ(service_->Blocks().size(), 7u); // blocks 3 to 9
    EXPECT_TRUE(BlockFilesLeft().empty());
}

TEST_F(CliDownloadTest, DiskFullFailsTheInstallAndKeepsTheOldFileAndTheBlocks) {
    AddPackage(0x21, 1000005);
    WriteFile(User("11/21.dat"), "the old package");
    // Files of the process may not grow beyond 400 blocks (of 512 or 1024
    // bytes, by shell): every block fits, the joined package does not.
    CliRun run = Cli("download 21", "ulimit -f 400; ");
    EXPECT_EQ(run.Exit, 1) << run.Err;
    EXPECT_NE(run.Err.find("failed"), std::string::npos) << run.Err;
    EXPECT_EQ(Installed(0x21), "the old package");
    EXPECT_EQ(BlockFilesLeft().size(), 10u);
    size_t files = 0;
    for ([[maybe_unused]] const auto& file : fs::directory_iterator(User("11")))
        ++files;
    EXPECT_EQ(files, 1u); // no half-written package beside it

    run = Cli("download 21");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(Installed(0x21), PackageBytes(0x21, 1000005));
}

TEST_F(CliDownloadTest, UnreachableServiceIsExitTwo) {
    SetServiceBase("http://127.0.0.1:1/qv/");
    const CliRun run = Cli("download");
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(run.Err.find("cannot be reached"), std::string::npos) << run.Err;
}

TEST_F(CliDownloadTest, ShowFetchesOnlineOnceAndThenFromTheCache) {
    Publish("apple");
    CliRun run = Cli("show apple");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_NE(run.Out.find("apple"), std::string::npos) << run.Out;
    EXPECT_NE(run.Err.find("词汇下载 apple: done"), std::string::npos) << run.Err;
    EXPECT_EQ(service_->Blocks().size(), 1u);

    service_->ClearCounts();
    run = Cli("show apple");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(service_->PageRequests(), 0);
    EXPECT_TRUE(service_->Blocks().empty());

    EXPECT_EQ(Cli("show pear").Exit, 1);
    EXPECT_EQ(service_->PageRequests(), 0);
}

} // namespace
} // namespace download::test
