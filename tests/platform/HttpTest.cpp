#include "platform/Http.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string kDigits = "0123456789";

// One loopback server for the whole suite; it records the headers of the last
// request it answered.
class HttpTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server_ = new httplib::Server;
        server_->Get("/digits", [](const httplib::Request& request, httplib::Response& response) {
            Record(request);
            response.set_content(kDigits, "application/octet-stream");
        });
        // Answers every request with the whole body, as a server that does not
        // know ranges would.
        server_->Get("/no-ranges",
                     [](const httplib::Request& request, httplib::Response& response) {
                         Record(request);
                         const_cast<httplib::Request&>(request).ranges.clear();
                         response.status = 200;
                         response.set_content(kDigits, "application/octet-stream");
                     });
        // A partial reply that starts elsewhere than asked.
        server_->Get("/wrong-range",
                     [](const httplib::Request& request, httplib::Response& response) {
                         Record(request);
                         const_cast<httplib::Request&>(request).ranges.clear();
                         response.status = 206;
                         response.set_header("Content-Range", "bytes 2-9/10");
                         response.set_content(kDigits.substr(2), "application/octet-stream");
                     });
        server_->Get("/missing", [](const httplib::Request& request, httplib::Response& response) {
            Record(request);
            response.status = 404;
            response.set_content("<html>not here</html>", "text/html");
        });
        server_->Get("/large", [](const httplib::Request& request, httplib::Response& response) {
            Record(request);
            response.set_content(std::string(200000, 'x'), "application/octet-stream");
        });
        // Sends nothing for up to 3 s, then the body.
        server_->Get("/stall", [](const httplib::Request& request, httplib::Response& response) {
            Record(request);
            response.set_chunked_content_provider(
                "application/octet-stream", [](size_t, httplib::DataSink& sink) {
                    for (int i = 0; i < 60 && sink.is_writable(); ++i)
                        std::this_thread::sleep_for(std::chrono::milliseconds(50));
                    sink.write("late", 4);
                    sink.done();
                    return true;
                });
        });
        port_ = server_->bind_to_any_port("127.0.0.1");
        thread_ = new std::thread([] { server_->listen_after_bind(); });
        while (!server_->is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    static void TearDownTestSuite() {
        server_->stop();
        thread_->join();
        delete thread_;
        delete server_;
    }

    static void Record(const httplib::Request& request) {
        std::lock_guard lock(mutex_);
        lastAgent_ = request.get_header_value("User-Agent");
        lastCacheControl_ = request.get_header_value("Cache-Control");
        lastPragma_ = request.get_header_value("Pragma");
        lastRange_ = request.get_header_value("Range");
    }

    static std::string Url(const std::string& path) {
        return "127.0.0.1:" + std::to_string(port_) + path;
    }

    static httplib::Server* server_;
    static std::thread* thread_;
    static int port_;
    static std::mutex mutex_;
    static std::string lastAgent_, lastCacheControl_, lastPragma_, lastRange_;
};

httplib::Server* HttpTest::server_ = nullptr;
std::thread* HttpTest::thread_ = nullptr;
int HttpTest::port_ = 0;
std::mutex HttpTest::mutex_;
std::string HttpTest::lastAgent_, HttpTest::lastCacheControl_, HttpTest::lastPragma_,
    HttpTest::lastRange_;

// A loopback port that nobody listens on: bound once, then closed.
int ClosedPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(HttpAddressTest, SchemeAddedOnlyWhenMissing) {
    EXPECT_EQ(platform::HttpAddress("example.test/a"), "http://example.test/a");
    EXPECT_EQ(platform::HttpAddress("HTTP://example.test/a"), "HTTP://example.test/a");
    EXPECT_EQ(platform::HttpAddress("https://example.test/a"), "https://example.test/a");
    EXPECT_EQ(platform::HttpAddress("file:///etc/passwd"), "http://file:///etc/passwd");
}

TEST_F(HttpTest, TextComesWithProgramAgentAndNoCache) {
    std::string text;
    ASSERT_TRUE(platform::HttpGetText(Url("/digits"), text));
    EXPECT_EQ(text, kDigits);
    std::lock_guard lock(mutex_);
    EXPECT_EQ(lastAgent_, "IEXPLORE.EXE");
    EXPECT_EQ(lastCacheControl_, "no-cache");
    EXPECT_EQ(lastPragma_, "no-cache");
    EXPECT_EQ(lastRange_, "");
}

TEST_F(HttpTest, StartOffsetIsHonouredOrRefused) {
    std::string stream = "old";
    ASSERT_TRUE(platform::HttpGetStream(Url("/digits"), stream, 4));
    EXPECT_EQ(stream, "456789");
    {
        std::lock_guard lock(mutex_);
        EXPECT_EQ(lastRange_, "bytes=4-");
    }
    // A server that sends the whole body from 0 did not move to the offset.
    stream = "old";
    EXPECT_FALSE(platform::HttpGetStream(Url("/no-ranges"), stream, 4));
    EXPECT_EQ(stream, "");
    EXPECT_FALSE(platform::HttpGetStream(Url("/wrong-range"), stream, 4));
    // Offset 0 takes any body.
    ASSERT_TRUE(platform::HttpGetStream(Url("/no-ranges"), stream, 0));
    EXPECT_EQ(stream, kDigits);
}

TEST_F(HttpTest, ErrorPageIsDeliveredAsBody) {
    std::string text;
    ASSERT_TRUE(platform::HttpGetText(Url("/missing"), text));
    EXPECT_EQ(text, "<html>not here</html>");
    platform::HttpReply reply = platform::HttpFetch(Url("/missing"), {}, {});
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.status, 404);
    // But an error page is not the part of a file that was asked for.
    EXPECT_FALSE(platform::HttpGetStream(Url("/missing"), text, 3));
}

TEST_F(HttpTest, RefusedConnectionFails) {
    std::string address = "127.0.0.1:" + std::to_string(ClosedPort()) + "/digits";
    std::string text = "old";
    EXPECT_FALSE(platform::HttpGetText(address, text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(platform::HttpContentLength(address), -1);
    platform::HttpReply reply = platform::HttpFetch(address, {}, {});
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.status, 0);
}

TEST_F(HttpTest, FileIsWrittenOnlyAfterSuccess) {
    auto folder =
        std::filesystem::temp_directory_path() / ("quendic-http-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    auto file = folder / "out.dat";
    ASSERT_TRUE(platform::HttpGetFile(Url("/digits"), file.string()));
    EXPECT_EQ(ReadFile(file), kDigits);

    std::string address = "127.0.0.1:" + std::to_string(ClosedPort()) + "/digits";
    EXPECT_FALSE(platform::HttpGetFile(address, file.string()));
    EXPECT_EQ(ReadFile(file), kDigits);
    EXPECT_FALSE(platform::HttpGetFile(Url("/digits"), (folder / "no" / "such" / "x").string()));
    std::filesystem::remove_all(folder);
}

TEST_F(HttpTest, HandlerSeesPiecesAndCanStop) {
    std::string body;
    platform::HttpReply reply = platform::HttpFetch(Url("/large"), {}, [&](std::string_view piece) {
        body.append(piece);
        return true;
    });
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.received, 200000u);
    EXPECT_EQ(body, std::string(200000, 'x'));

    size_t calls = 0;
    reply = platform::HttpFetch(Url("/large"), {}, [&](std::string_view) { return ++calls < 1; });
    EXPECT_FALSE(reply.ok);
    EXPECT_TRUE(reply.stopped);
    EXPECT_EQ(calls, 1u);
    EXPECT_EQ(reply.received, 0u);
}

TEST_F(HttpTest, CancelStopsAStalledTransfer) {
    platform::HttpRequest request;
    auto begin = std::chrono::steady_clock::now();
    request.cancelled = [begin] {
        return std::chrono::steady_clock::now() - begin > std::chrono::milliseconds(200);
    };
    std::string body;
    platform::HttpReply reply =
        platform::HttpFetch(Url("/stall"), request, [&](std::string_view piece) {
            body.append(piece);
            return true;
        });
    EXPECT_FALSE(reply.ok);
    EXPECT_TRUE(reply.stopped);
    EXPECT_EQ(body, "");
}

TEST_F(HttpTest, ContentLengthByHead) {
    EXPECT_EQ(platform::HttpContentLength(Url("/digits")), 10);
    EXPECT_EQ(platform::HttpContentLength(Url("/large"), "InetURL:/1.0"), 200000);
    {
        std::lock_guard lock(mutex_);
        EXPECT_EQ(lastAgent_, "InetURL:/1.0");
    }
    EXPECT_EQ(platform::HttpContentLength(Url("/missing")), -1);
}

} // namespace
