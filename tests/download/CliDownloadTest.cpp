#include "tests/download/DownloadFixture.h"

#include "platform/Http.h"

#include <csignal>
#include <cstdio>
#include <map>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace download::test {
namespace {

using Answer = ScriptedService::Answer;

// quendic-cli in a child process, in this test's folders.
class CliDownloadTest : public DownloadTest {
protected:
    ChildRun Cli(const std::string& args, const std::string& prefix = {}) {
        return Child(QUENDIC_CLI_PATH, args, prefix);
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

    ChildRun run = Cli("download --list");
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
    ChildRun run = Cli("download 20");
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
    ChildRun run = Cli("download 21", "ulimit -f 400; ");
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
    const ChildRun run = Cli("download");
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(run.Err.find("cannot be reached"), std::string::npos) << run.Err;
}

TEST_F(CliDownloadTest, ShowFetchesOnlineOnceAndThenFromTheCache) {
    Publish("apple");
    ChildRun run = Cli("show apple");
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

// protocol_service.py: a service written from the protocol alone, sharing
// no code with quendic-service, on a loopback port of its own.
class ProtocolServiceTest : public CliDownloadTest {
protected:
    void SetUp() override {
        const std::string portFile = User("protocol.port");
        std::vector<std::string> args = {"python3", QUENDIC_PROTOCOL_SERVICE, "--data", Data(),
                                         "--port-file", portFile};
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        ASSERT_EQ(posix_spawnp(&pid_, "python3", nullptr, nullptr, argv.data(), environ), 0);
        for (int i = 0; i < 200 && !fs::exists(portFile); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_TRUE(fs::exists(portFile)) << "protocol_service.py did not start";
        base_ = "http://127.0.0.1:" + ReadFile(portFile);
        SetServiceBase(base_ + "/qv/");
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

    // What the service was asked so far: "pages" (operation numbers),
    // "blocks", "max_in_flight", "refused".
    std::map<std::string, std::string> Stats() const {
        std::string text;
        EXPECT_TRUE(platform::HttpGetText(base_ + "/stats", text));
        std::map<std::string, std::string> stats;
        for (const std::string& line : platform::SplitLines(text))
            if (const size_t equals = line.find('='); equals != std::string::npos)
                stats[line.substr(0, equals)] = line.substr(equals + 1);
        return stats;
    }

    pid_t pid_ = 0;
    std::string base_;
};

TEST_F(ProtocolServiceTest, ShowCachesAndDownloadInstallsEveryPackageByteForByte) {
    Publish("apple");
    const std::map<uint32_t, uint32_t> sizes = {{0x30, 1000005}, {0x31, 700000}, {0x32, 65537}};
    for (const auto& [bucket, size] : sizes)
        WriteFile(Data() + "/11/" + platform::HexNumber(bucket, 2) + ".dat",
                  PackageBytes(bucket, size));

    ChildRun run = Cli("show apple");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_NE(run.Out.find("apple"), std::string::npos) << run.Out;
    std::map<std::string, std::string> stats = Stats();
    EXPECT_EQ(stats["pages"], "24,23"); // the server list, then the word's place
    EXPECT_EQ(stats["blocks"], "1");
    EXPECT_EQ(Cli("show apple").Exit, 0);
    EXPECT_EQ(Stats(), stats); // from the cache: nothing asked

    // Every block arrives cut short: nothing is installed.
    WriteFile(Data() + "/cut-short", "");
    run = Cli("download");
    EXPECT_EQ(run.Exit, 1) << run.Err;
    EXPECT_FALSE(fs::exists(User("11")) && !fs::is_empty(User("11")));

    fs::remove(Data() + "/cut-short");
    run = Cli("download");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    for (const auto& file : fs::directory_iterator(Data() + "/11"))
        EXPECT_EQ(ReadFile(User("11/" + file.path().filename().string())),
                  ReadFile(file.path().string()))
            << file.path();
    EXPECT_TRUE(BlockFilesLeft().empty());
    stats = Stats();
    EXPECT_EQ(stats["refused"], "0"); // every block query and check was right
    const int inFlight = std::stoi(stats["max_in_flight"]);
    EXPECT_GE(inFlight, 2);
    EXPECT_LE(inFlight, 10);
}

} // namespace
} // namespace download::test
