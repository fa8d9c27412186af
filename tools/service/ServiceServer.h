#pragma once

#include "tools/service/ServiceDatabase.h"
#include "tools/service/ServiceFolder.h"
#include "tools/service/ServiceOptions.h"
#include "tools/service/ServicePage.h"

#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace standin {

// The stand-in for the maker's web service and download servers, over HTTP:
//   GET /qv/sh.asp?p=BLOCK   the service page (ServicePage)
//   GET /qv/dl.asp?cid=…     block queries (AnswerBlockQuery), streamed
//   GET /ips.asp?ip=A        the IP-lookup page
// Requests run on a pool of threads owned by the server; the server owns the
// thread that accepts connections and joins it in Stop. Writing to a peer
// that has gone must not end the process, so Start ignores SIGPIPE for the
// whole process.
class ServiceServer {
public:
    explicit ServiceServer(ServiceOptions options);
    ~ServiceServer(); // Stop()
    ServiceServer(const ServiceServer&) = delete;
    ServiceServer& operator=(const ServiceServer&) = delete;

    // Opens the database, binds the address and starts serving; returns once
    // connections are accepted. False, with Error() saying why, when the
    // database cannot be opened or the address cannot be bound.
    bool Start();
    // Stops accepting, finishes the requests under way and joins. Idempotent.
    void Stop();

    const std::string& Error() const { return error_; }
    // The port bound (the free one chosen for port 0).
    int Port() const { return port_; }
    // "http://HOST:PORT/qv/", the service base the program uses.
    std::string BaseUrl() const;

    // Threads that answer requests; connections beyond them wait.
    static constexpr size_t kWorkerThreads = 64;

private:
    void Route();

    ServiceOptions options_;
    ServiceFolder folder_;
    std::unique_ptr<ServiceDatabase> database_;
    std::unique_ptr<ServicePage> page_;
    std::unique_ptr<httplib::Server> server_;
    std::thread listener_;
    int port_ = 0;
    int listenSocket_ = -1; // the socket the library bound last
    std::string error_;
};

// The IP-lookup page for `ip`, in the shape the program's lookup reads
// (GBK HTML): "您查询的IP:" ip, then "本站主数据：" network "</li><li>",
// "查询结果2：" "</li><li>", "查询结果3：" "</li></ul>", then "如果您发现查询结果…".
std::string IpLookupPage(std::string_view ip, std::string_view network);

} // namespace standin
