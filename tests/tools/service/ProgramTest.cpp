// quendic-service as a program: its one line on stdout, its access log, its
// stop on SIGTERM and its refusals.
#include "core/TaggedText.h"
#include "net/StandIn.h"
#include "net/TShakeHand.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace standin {
namespace {

// The program running with its stdout and stderr on pipes; killed and reaped
// when the object goes unless Stop reaped it first.
class Program {
public:
    explicit Program(const std::vector<std::string>& args) {
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
            std::abort();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        std::vector<char*> argv{const_cast<char*>(QUENDIC_SERVICE_PATH)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, QUENDIC_SERVICE_PATH, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Program() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
        ::close(err_);
    }

    // Everything the program writes to `fd` until `done` holds or 10 s pass.
    static std::string ReadUntil(int fd, const std::function<bool(const std::string&)>& done) {
        std::string text;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done(text) && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, static_cast<size_t>(n));
        }
        return text;
    }
    std::string OutLine() {
        return ReadUntil(out_,
                         [](const std::string& t) { return t.find('\n') != std::string::npos; });
    }
    std::string ErrUntil(const std::string& needle) {
        return ReadUntil(err_,
                         [&](const std::string& t) { return t.find(needle) != std::string::npos; });
    }

    // Sends `signal` (none for 0) and returns the exit status.
    int Stop(int signal) {
        if (signal)
            ::kill(pid_, signal);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

TEST(ServiceProgram, ListensAnswersLogsAndStops) {
    net::test::Sandbox sandbox;
    net::test::WriteSampleServiceData(sandbox.Data());
    Program program({"--data", sandbox.Data(), "--port", "0", "--db", sandbox.Root() + "/s.db"});
    const std::string line = program.OutLine();
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match,
                                 std::regex("quendic-service: listening on "
                                            "(http://127\\.0\\.0\\.1:[0-9]+/qv/)\n")))
        << line;
    sandbox.SetServiceBase(match[1]);
    net::TShakeHand client;
    std::vector<std::string> lines;
    EXPECT_EQ(client.GetPackageList(lines), "OK");
    EXPECT_NE(program.ErrUntil("sh.asp").find("\"GET /qv/sh.asp\" 200"), std::string::npos);
    EXPECT_EQ(program.Stop(SIGTERM), 0);
    EXPECT_TRUE(std::filesystem::exists(sandbox.Root() + "/s.db"));

    // A port another server holds is refused.
    Program first({"--data", sandbox.Data(), "--port", "0"});
    const std::string taken = first.OutLine();
    ASSERT_TRUE(std::regex_search(taken, match, std::regex(":([0-9]+)/qv/")));
    Program second({"--data", sandbox.Data(), "--port", match[1]});
    EXPECT_EQ(second.Stop(0), 1);
    EXPECT_EQ(first.Stop(SIGINT), 0);
}

TEST(ServiceProgram, TheDeskAnswersFromAnotherProcessWhileTheServiceRuns) {
    net::test::Sandbox sandbox;
    net::test::WriteSampleServiceData(sandbox.Data());
    const std::string db = sandbox.Root() + "/s.db";
    Program service({"--data", sandbox.Data(), "--port", "0", "--db", db});
    std::smatch match;
    const std::string line = service.OutLine();
    ASSERT_TRUE(std::regex_search(line, match, std::regex("(http://\\S+/qv/)"))) << line;
    sandbox.SetServiceBase(match[1]);
    net::TShakeHand client;
    ASSERT_FALSE(client.SendChatMessage("me", "hello").empty());

    Program reply({"reply", "--db", db, "--name", "客服", "您好"});
    EXPECT_EQ(reply.Stop(0), 0);
    std::vector<std::string> lines;
    ASSERT_TRUE(client.PollChat(0, lines));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(core::GetTagValue(lines[1], "Msg"), "\xC4\xFA\xBA\xC3"); // 您好
    EXPECT_EQ(service.Stop(SIGTERM), 0);
}

TEST(ServiceProgram, BadUsage) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"--port", "8102"},
                                                 {"--data"},
                                                 {"--data", "d", "--port", "x"},
                                                 {"--data", "d", "--mirror", "nourl"},
                                                 {"--data", "d", "--what", "1"},
                                                 {"reply", "--db", "d"}}) {
        Program program(args);
        EXPECT_EQ(program.Stop(0), 2);
    }
}

} // namespace
} // namespace standin
