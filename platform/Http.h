#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// HTTP GET over libcurl (easy interface). Every request goes to the server
// (no cache), takes proxies from the environment (http_proxy, https_proxy,
// no_proxy), follows redirects, and accepts only http and https addresses.
// Safe to call from several threads at once; each call owns its handle.

// The address as it is sent: "http://" is put in front unless the lower-cased
// address already holds "http://" or "https://".
std::string HttpAddress(std::string_view address);

// Options of one transfer. The defaults are those of the program's downloads.
struct HttpRequest {
    std::string agent = "IEXPLORE.EXE";
    // Byte offset to start at. From 1 on this is a Range request, and the
    // transfer fails unless the server answers 206 with a Content-Range that
    // starts exactly there (a full 200 body is a refusal).
    uint64_t start = 0;
    long connectTimeoutSeconds = 30;
    // Limit on the whole request, connect plus transfer; 0 sets none.
    long totalTimeoutSeconds = 0;
    // The transfer is abandoned when it moves fewer than lowSpeedBytes bytes
    // per second for lowSpeedSeconds seconds.
    long lowSpeedBytes = 1;
    long lowSpeedSeconds = 60;
    // Polled from the transfer (also while no data arrives, at least once a
    // second); returning true stops it like a data handler that returns
    // false. Called on the thread that runs HttpFetch.
    std::function<bool()> cancelled;
};

struct HttpReply {
    // The reply arrived completely (and from `start` when that was asked).
    // The body of an error status (a 404 page) is a complete reply too.
    bool ok = false;
    // The data handler or `cancelled` stopped the transfer; ok is then false.
    bool stopped = false;
    long status = 0;       // HTTP status of the final reply; 0 when none came
    uint64_t received = 0; // body bytes handed to the data handler
};

// Receives the body piece by piece, in arrival order. Returning false stops
// the transfer at once (cancel, terminate).
using HttpDataHandler = std::function<bool(std::string_view piece)>;

// Downloads `address` (HttpAddress applied), handing the body to `onData`.
// Never throws; a refused connection, a time-out or a refused range give a
// reply with ok false.
HttpReply HttpFetch(std::string_view address, const HttpRequest& request,
                    const HttpDataHandler& onData);

// The Content-Length the server announces for `address`, asked with a HEAD
// request; -1 when the request fails, the status is not 2xx or no length is
// given. The request's agent, time-outs and `cancelled` apply; its start
// does not.
int64_t HttpContentLength(std::string_view address, const HttpRequest& request);
int64_t HttpContentLength(std::string_view address, std::string_view agent = "IEXPLORE.EXE");

// The whole body from byte `start` on (see HttpRequest::start) into `stream`.
// On failure the stream is empty.
bool HttpGetStream(std::string_view address, std::string& stream, uint64_t start = 0);

// HttpGetStream from offset 0; `text` is the whole body, empty on failure.
bool HttpGetText(std::string_view address, std::string& text);

// HttpGetStream from offset 0, then the body is written to `filePath` (a
// native path; created or overwritten). The file is not touched when the
// download fails; false also when it cannot be written.
bool HttpGetFile(std::string_view address, const std::string& filePath);

} // namespace platform
