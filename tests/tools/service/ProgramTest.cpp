// quendic-service as a program: its one line on stdout, its access log, its
// stop on SIGTERM and its refusals.
#include "core/TaggedText.h"
#include "net/Md5.h"
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

// A client written from the protocol description alone: blocks spelled out
// field by field, sent with the HTTP library instead of the program's client.
class HandClient {
public:
    explicit HandClient(int port) : http_("127.0.0.1", port) {}

    struct Reply {
        int Status = 0; // 0: no answer
        std::string Body;
    };
    Reply Get(const std::string& path) {
        const httplib::Result result = http_.Get(path.c_str());
        return result ? Reply{result->status, result->body} : Reply{};
    }
    // The fields followed by their check: MD5 of the fields and a blank.
    static std::string Signed(const std::string& fields) {
        return fields + net::Md5Hex(fields + " ", true);
    }
    std::string Page(const std::string& block) { return Get("/qv/sh.asp?p=" + block).Body; }

private:
    httplib::Client http_;
};

TEST(ServiceProgram, AnIndependentClientGetsEveryOperation) {
    net::test::Sandbox sandbox;
    net::test::WriteSampleServiceData(sandbox.Data());
    Program program({"--data", sandbox.Data(), "--port", "0", "--db", sandbox.Root() + "/s.db"});
    std::smatch match;
    const std::string line = program.OutLine();
    ASSERT_TRUE(std::regex_search(line, match, std::regex("127\\.0\\.0\\.1:([0-9]+)/qv/"))) << line;
    HandClient client(std::stoi(match[1]));
    const auto send = [&](const std::string& fields) {
        return client.Page(HandClient::Signed(fields));
    };
    const auto field = [](const std::string& reply, const char* tag) {
        return core::GetTagValue(reply, tag);
    };

    // Product 102, software 102001, client 0x00ABCDEF.
    const std::string head = "0200000066"
                             "0300018E71"
                             "0800ABCDEF";
    const std::string crc = "0400000000";
    EXPECT_FALSE(
        field(send("0000000001" + head + "1400000007" + "1500000000" + crc), "Time").empty());
    // Chat text "hi" (tag 137), name "A" (tag 128).
    const std::string sent = send("0000000003" + head + crc + "89046869" + "800241");
    EXPECT_FALSE(field(sent, "Time").empty());
    EXPECT_EQ(field(sent, "IP"), "127.0.0.1");
    const std::string chat = send("0000000004" + head + crc + "1E00000000");
    EXPECT_EQ(field(chat, "Msg"), "hi");
    EXPECT_EQ(field(chat, "Name"), "A");
    EXPECT_EQ(field(chat, "RID"), "1");
    EXPECT_EQ(send("0000000004" + head + crc + "1E00000001"), "");
    const std::string list = send("0000000006" + head + crc + "1F00000009" + "2000018E71");
    EXPECT_EQ(list.substr(list.size() - 4), std::string("\x71\x8E\x01\x00", 4));
    EXPECT_EQ(send("0000000006" + head + crc + "1F00000009" + "2000000001"),
              net::test::kSampleUpdate);
    EXPECT_EQ(field(send("0000000011" + head + crc), "JMBH"), "00000090");
    EXPECT_EQ(field(send("0000000016" + head + "2800000001"), "Result"), "OK");
    const std::string located =
        send("0000000017" + head + "1F0000000B" + "2000000090" + "2200000008" + "2300000010");
    EXPECT_EQ(field(located, "Result"), "OK");
    EXPECT_EQ(field(located, "Pos"), "8");
    EXPECT_EQ(field(located, "Len"), "16");
    const std::string servers = send("0000000018" + head + "1F0000000B" + "2400000001");
    EXPECT_EQ(field(servers, "Result"), "OK");
    EXPECT_EQ(field(servers, "IP"), "127.0.0.1");
    const std::string server = servers.substr(servers.find("\r\n") + 2);
    EXPECT_EQ(field(server, "Url"), "http://127.0.0.1:" + match[1].str() + "/qv/dl.asp?");

    // The block query: MD5 of cid, pos, len and a blank, in lower case.
    const std::string query = "/qv/dl.asp?cid=5&sid=102001&fc=11&fid=00000090&pos=8&len=16&check=";
    const std::string check = net::Md5Hex("5816 ", false);
    const HandClient::Reply block = client.Get(query + check);
    EXPECT_EQ(block.Status, 200);
    EXPECT_EQ(block.Body, net::test::SampleEntryData().substr(8, 16));
    std::string wrong = check;
    wrong[0] = wrong[0] == '0' ? '1' : '0';
    const HandClient::Reply refused = client.Get(query + wrong);
    EXPECT_EQ(refused.Status, 403);
    EXPECT_NE(refused.Body.size(), 16u);

    // Damaged blocks get a reason and no success field; the service goes on.
    const std::string good = HandClient::Signed("0000000017" + head + "1F0000000B" + "2000000090" +
                                                "2200000008" + "2300000010");
    std::string lowerCheck = good;
    for (size_t i = good.size() - 32; i < good.size(); ++i)
        lowerCheck[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(good[i])));
    std::string changedField = good;
    changedField[good.size() - 33] = '1'; // length 0x11, the check left as it was
    for (const std::string& damaged :
         {good.substr(0, good.size() - 1), good.substr(0, 25), good.substr(0, good.size() - 32),
          lowerCheck, changedField, HandClient::Signed("0000000017" + head + "1F0000000B"),
          HandClient::Signed("000000001" + head)}) {
        const std::string reply = client.Page(damaged);
        EXPECT_FALSE(field(reply, "Result").empty()) << damaged;
        EXPECT_NE(field(reply, "Result"), "OK") << damaged;
        EXPECT_TRUE(field(reply, "Pos").empty()) << damaged;
    }
    EXPECT_EQ(field(client.Page(good), "Pos"), "8");
    EXPECT_EQ(client.Get(query + check).Body, net::test::SampleEntryData().substr(8, 16));
    EXPECT_EQ(program.Stop(SIGTERM), 0);
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
