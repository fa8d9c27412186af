#pragma once

#include <httplib.h>

#include <cstddef>

namespace standin {

// An HTTP server that reads at most kMaxRequestBytes of each request (request
// line, headers and body together). The library alone reads a request line
// or a body of any length into memory before it judges it; here a peer that
// sends more has its connection closed once the limit is reached.
//
// Otherwise it serves as the library does: keep-alive for up to the
// keep-alive count and time-out, the library's read and write time-outs.
// Connections end within 100 ms of stop() once their request is answered.
class LimitedServer : public httplib::Server {
public:
    // Far above any request of the program (a parameter block is at most
    // a few hundred characters), far below a memory worry.
    static constexpr size_t kMaxRequestBytes = 128 * 1024;

private:
    bool process_and_close_socket(socket_t sock) override;
};

} // namespace standin
