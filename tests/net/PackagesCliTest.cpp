#include "net/Md5.h"
#include "net/StandIn.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace net {
namespace {

struct CliRun {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

// quendic-cli packages in the sandbox's program folder.
CliRun RunPackages(const test::Sandbox& sandbox) {
    const std::string err = sandbox.Root() + "/stderr.txt";
    CliRun run;
    const std::string command =
        sandbox.ShellEnvironment() + "'" QUENDIC_CLI_PATH "' packages 2>'" + err + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.Out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Err = test::ReadBytes(err);
    return run;
}

TEST(PackagesCliTest, ListsThePackagesOfAnyService) {
    test::Sandbox sandbox;
    test::CannedService canned;
    sandbox.SetServiceBase(canned.Base());
    // Two packages as a service writes them, the first one installed.
    canned.Reply(200, "<JMMC>\xB4\xCA\xBB\xE3 00</JMMC><JMBH>00000000</JMBH><FS>00000400</FS>\r\n"
                      "<JMMC>pack 9A</JMMC><JMBH>9A</JMBH><FS>0001E240</FS>\r\n");
    test::WriteBytes(sandbox.Home() + "/11/00.dat", "x");
    const CliRun listed = RunPackages(sandbox);
    EXPECT_EQ(listed.Exit, 0) << listed.Err;
    EXPECT_EQ(listed.Out, "00\t词汇 00\t1024\tinstalled\n"
                          "9A\tpack 9A\t123456\tmissing\n");
    EXPECT_EQ(canned.Requests(), 1);
    // It asked for the package list: operation 17, product 102, software
    // 102001, the client number, the program's CRC, then the check.
    const std::string block = canned.LastBlock();
    ASSERT_EQ(block.size(), 5 * 10 + 32u);
    EXPECT_EQ(block.substr(0, 30), "0000000011"
                                   "0200000066"
                                   "0300018E71");
    EXPECT_EQ(block.substr(30, 2), "08");
    EXPECT_EQ(block.substr(40, 2), "04");
    EXPECT_EQ(block.substr(50), Md5Hex(block.substr(0, 50) + " ", true));

    // An answer without packages, and no service at all.
    canned.Reply(200, "<Result>\xC3\xBB\xD3\xD0</Result>"); // 没有
    CliRun refused = RunPackages(sandbox);
    EXPECT_EQ(refused.Exit, 2);
    EXPECT_EQ(refused.Out, "");
    EXPECT_NE(refused.Err.find("没有"), std::string::npos);
    sandbox.SetServiceBase("http://127.0.0.1:1/qv/");
    refused = RunPackages(sandbox);
    EXPECT_EQ(refused.Exit, 2);
    EXPECT_NE(refused.Err.find("127.0.0.1:1"), std::string::npos);
}

} // namespace
} // namespace net
