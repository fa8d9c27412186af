#pragma once

#include "platform/FileIO.h"
#include "tools/service/BlockQueryAnswer.h"
#include "tools/service/ServiceDatabase.h"
#include "tools/service/ServiceFolder.h"
#include "tools/service/ServicePage.h"
#include "tools/service/ServiceServer.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace download::test {

// quendic-service's own page and block handlers on a loopback port of their
// own, with a script that decides how each block query is answered, and
// counters of what was asked. Serves
//   /qv/sh.asp   the service page (its server list names this server first,
//                then the mirrors; files of operation 6 as they are)
//   /qv/dl.asp   block queries
//   /ips.asp     the IP lookup page
//   /endless/ips.asp  the same page followed by filler without end (it
//                stops at 64 MiB or when the object goes)
class ScriptedService {
public:
    enum class Answer {
        Bytes,     // the block, as quendic-service sends it
        CutShort,  // the first half of the block, then the connection is closed
        Text,      // a 200-byte text, status 200
        Fail,      // status 500 with a short text
        ErrorPage, // status 503 with a page exactly as long as the block
        Stall,     // headers, then nothing until the object goes
    };
    using Script = std::function<Answer(uint64_t pos, uint64_t len)>;

    static inline const std::string kTextAnswer = [] {
        std::string text = "<html><body>The download server is busy. Please try again later.";
        text.resize(200 - 14, '.');
        return text + "</body></html>";
    }();

    explicit ScriptedService(const std::string& dataFolder,
                             std::vector<standin::Mirror> mirrors = {})
        : folder_(dataFolder), database_(dataFolder + "/service.db"),
          page_(folder_, database_, std::move(mirrors)) {
        server_.new_task_queue = [] { return new httplib::ThreadPool(16); };
        server_.Get("/qv/sh.asp", [this](const httplib::Request& request, httplib::Response& res) {
            ++pageRequests_;
            standin::Requester requester{request.remote_addr, BlockUrl()};
            const standin::PageReply reply = page_.Handle(request.get_param_value("p"), requester);
            res.status = reply.Status;
            if (!reply.FilePath.empty())
                res.set_content(platform::ReadWholeFile(reply.FilePath).value_or(""),
                                "application/octet-stream");
            else
                res.set_content(reply.Body, "text/plain");
        });
        server_.Get("/qv/dl.asp", [this](const httplib::Request& request, httplib::Response& res) {
            AnswerBlock(request, res);
        });
        server_.Get("/ips.asp", [this](const httplib::Request& request, httplib::Response& res) {
            const std::string ip = request.get_param_value("ip");
            res.set_content(standin::IpLookupPage(ip, folder_.NetworkOf(ip)), "text/html");
        });
        server_.Get(
            "/endless/ips.asp", [this](const httplib::Request& request, httplib::Response& res) {
                const std::string ip = request.get_param_value("ip");
                const std::string head = standin::IpLookupPage(ip, folder_.NetworkOf(ip));
                res.set_chunked_content_provider(
                    "text/html", [this, head](size_t offset, httplib::DataSink& sink) {
                        if (released_ || offset >= kEndlessLimit) {
                            sink.done();
                            return true;
                        }
                        const std::string piece = offset == 0 ? head : std::string(65536, ' ');
                        if (!sink.write(piece.data(), piece.size()))
                            return false;
                        lookupBytes_ += piece.size();
                        return true;
                    });
            });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~ScriptedService() {
        released_ = true;
        server_.stop();
        thread_.join();
    }
    ScriptedService(const ScriptedService&) = delete;
    ScriptedService& operator=(const ScriptedService&) = delete;

    std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::string Base() const { return Address() + "/qv/"; }
    std::string BlockUrl() const { return Base() + "dl.asp?"; }

    void SetScript(Script script) {
        std::lock_guard lock(mutex_);
        script_ = std::move(script);
    }
    int PageRequests() const { return pageRequests_; }
    // Bytes of /endless/ips.asp handed to the connections.
    size_t LookupBytes() const { return lookupBytes_; }
    // The (pos, len) of every block query, in arrival order.
    std::vector<std::pair<uint64_t, uint64_t>> Blocks() const {
        std::lock_guard lock(mutex_);
        return blocks_;
    }
    void ClearCounts() {
        std::lock_guard lock(mutex_);
        blocks_.clear();
        pageRequests_ = 0;
    }

private:
    void AnswerBlock(const httplib::Request& request, httplib::Response& res) {
        const standin::BlockQueryAnswer answer = standin::AnswerBlockQuery(folder_, request.params);
        if (answer.Status != 200) {
            res.status = answer.Status;
            res.set_content(answer.Message, "text/plain");
            return;
        }
        Script script;
        {
            std::lock_guard lock(mutex_);
            blocks_.emplace_back(answer.Pos, answer.Len);
            script = script_;
        }
        const Answer how = script ? script(answer.Pos, answer.Len) : Answer::Bytes;
        const std::string bytes =
            platform::ReadFileRange(answer.Path, answer.Pos, answer.Len).value_or("");
        switch (how) {
        case Answer::Bytes:
            res.set_content(bytes, "application/octet-stream");
            break;
        case Answer::CutShort:
            res.set_content_provider(bytes.size(), "application/octet-stream",
                                     [bytes](size_t offset, size_t, httplib::DataSink& sink) {
                                         const size_t half = bytes.size() / 2;
                                         if (offset >= half)
                                             return false;
                                         return sink.write(bytes.data() + offset, half - offset);
                                     });
            break;
        case Answer::Text:
            res.set_content(kTextAnswer, "text/html");
            break;
        case Answer::Fail:
            res.status = 500;
            res.set_content("server error", "text/plain");
            break;
        case Answer::ErrorPage:
            res.status = 503;
            res.set_content(std::string(bytes.size(), 'e'), "text/html");
            break;
        case Answer::Stall:
            res.set_chunked_content_provider(
                "application/octet-stream", [this](size_t, httplib::DataSink&) {
                    while (!released_)
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    return false;
                });
            break;
        }
    }

    standin::ServiceFolder folder_;
    standin::ServiceDatabase database_;
    standin::ServicePage page_;
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<bool> released_{false};
    std::atomic<int> pageRequests_{0};
    std::atomic<size_t> lookupBytes_{0};
    static constexpr size_t kEndlessLimit = size_t{64} << 20;
    mutable std::mutex mutex_;
    Script script_;                                     // guarded by mutex_
    std::vector<std::pair<uint64_t, uint64_t>> blocks_; // guarded by mutex_
};

} // namespace download::test
