#include "tools/service/LimitedServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace standin {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// True when `sock` becomes ready for `events` within `timeout`.
bool WaitFor(int sock, short events, microseconds timeout) {
    pollfd ready{sock, events, 0};
    const auto ms = std::chrono::ceil<milliseconds>(timeout).count();
    int n;
    do
        n = ::poll(&ready, 1, static_cast<int>(ms));
    while (n < 0 && errno == EINTR);
    return n > 0;
}

// The numeric address and port of one end of `sock`; left as they are when
// it has none.
void EndPoint(int sock, bool peer, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    if ((peer ? ::getpeername(sock, any, &length) : ::getsockname(sock, any, &length)) != 0)
        return;
    char host[NI_MAXHOST];
    char service[NI_MAXSERV];
    if (::getnameinfo(any, length, host, sizeof host, service, sizeof service,
                      NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return;
    ip = host;
    port = std::atoi(service);
}

// Reading and writing on a connection the caller owns. Reading fails once
// the bytes allowed for the request under way have been taken.
class BudgetStream final : public httplib::Stream {
public:
    BudgetStream(int sock, microseconds readTimeout, microseconds writeTimeout)
        : sock_(sock), readTimeout_(readTimeout), writeTimeout_(writeTimeout) {}

    // The next request may take `bytes`.
    void Allow(size_t bytes) { budget_ = bytes; }
    // Bytes of a next request already received.
    bool HasBuffered() const { return start_ < end_; }

    bool is_readable() const override {
        return start_ < end_ || WaitFor(sock_, POLLIN, readTimeout_);
    }
    bool is_writable() const override { return WaitFor(sock_, POLLOUT, writeTimeout_); }

    ssize_t read(char* ptr, size_t size) override {
        if (budget_ == 0)
            return -1;
        if (start_ == end_) {
            if (!is_readable())
                return -1;
            ssize_t got;
            do
                got = ::recv(sock_, buffer_, sizeof buffer_, 0);
            while (got < 0 && errno == EINTR);
            if (got <= 0)
                return got;
            start_ = 0;
            end_ = static_cast<size_t>(got);
        }
        const size_t n = std::min({size, end_ - start_, budget_});
        std::memcpy(ptr, buffer_ + start_, n);
        start_ += n;
        budget_ -= n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable())
            return -1;
        ssize_t sent;
        do
            sent = ::send(sock_, ptr, size, MSG_NOSIGNAL);
        while (sent < 0 && errno == EINTR);
        return sent;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        EndPoint(sock_, true, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        EndPoint(sock_, false, ip, port);
    }
    socket_t socket() const override { return sock_; }

private:
    int sock_;
    size_t budget_ = 0;
    microseconds readTimeout_;
    microseconds writeTimeout_;
    // Bytes received and not yet read: [start_, end_). The line reader takes
    // one byte at a time.
    char buffer_[4096];
    size_t start_ = 0;
    size_t end_ = 0;
};

} // namespace

bool LimitedServer::process_and_close_socket(socket_t sock) {
    const microseconds readTimeout =
        std::chrono::seconds(read_timeout_sec_) + microseconds(read_timeout_usec_);
    const microseconds writeTimeout =
        std::chrono::seconds(write_timeout_sec_) + microseconds(write_timeout_usec_);
    BudgetStream stream(sock, readTimeout, writeTimeout);
    // The next request of a kept-alive connection: waited for in slices, so
    // that a stopping server is noticed.
    const auto awaitRequest = [&] {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(keep_alive_timeout_sec_);
        while (svr_sock_ != INVALID_SOCKET && std::chrono::steady_clock::now() < deadline)
            if (stream.HasBuffered() || WaitFor(sock, POLLIN, milliseconds(100)))
                return true;
        return false;
    };
    bool ok = false;
    for (size_t left = keep_alive_max_count_; left > 0 && awaitRequest(); --left) {
        stream.Allow(kMaxRequestBytes);
        bool closed = false;
        ok = process_request(stream, left == 1, closed, nullptr);
        if (!ok || closed)
            break;
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return ok;
}

} // namespace standin
