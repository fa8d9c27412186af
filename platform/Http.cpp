#include "platform/Http.h"

#include "platform/Text.h"

#include "platform/CurlLibrary.h"

#include <charconv>
#include <fstream>

namespace platform {

namespace {

// What the header callback learns about the final reply. Redirects and
// interim replies each start a new status line, which resets it.
struct ReplyHeaders {
    long status = 0;
    bool hasContentRange = false;
    uint64_t rangeStart = 0;
};

// Parses the first position of "Content-Range: bytes START-END/TOTAL".
bool ParseContentRange(std::string_view value, uint64_t& first) {
    while (!value.empty() && value.front() == ' ')
        value.remove_prefix(1);
    if (!StartsWithIgnoringAsciiCase(value, "bytes"))
        return false;
    value.remove_prefix(5);
    while (!value.empty() && (value.front() == ' ' || value.front() == '='))
        value.remove_prefix(1);
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), first);
    return error == std::errc() && end != value.data() + value.size() && *end == '-';
}

struct Transfer {
    const HttpRequest* request = nullptr;
    const HttpDataHandler* onData = nullptr;
    ReplyHeaders headers;
    bool checked = false; // the range of the reply was verified
    bool refused = false; // the server did not start at request->start
    bool stopped = false; // the data handler asked to stop
    uint64_t received = 0;

    bool RangeHonoured() const {
        if (request->start == 0)
            return true;
        return headers.status == 206 && headers.hasContentRange &&
               headers.rangeStart == request->start;
    }
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    size_t length = size * count;
    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (StartsWithIgnoringAsciiCase(line, "http/")) {
        transfer->headers = ReplyHeaders{};
        auto space = line.find(' ');
        if (space != std::string_view::npos) {
            long status = 0;
            auto digits = line.substr(space + 1);
            std::from_chars(digits.data(), digits.data() + digits.size(), status);
            transfer->headers.status = status;
        }
    } else if (StartsWithIgnoringAsciiCase(line, "content-range:")) {
        transfer->headers.hasContentRange =
            ParseContentRange(line.substr(14), transfer->headers.rangeStart);
    }
    return length;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    size_t length = size * count;
    if (!transfer->checked) {
        transfer->checked = true;
        if (!transfer->RangeHonoured()) {
            transfer->refused = true;
            return 0; // aborts the transfer
        }
    }
    if (length == 0)
        return 0;
    if (transfer->onData && *transfer->onData &&
        !(*transfer->onData)(std::string_view(data, length))) {
        transfer->stopped = true;
        return 0;
    }
    transfer->received += length;
    return length;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    if (transfer->request->cancelled && transfer->request->cancelled()) {
        transfer->stopped = true;
        return 1; // aborts the transfer
    }
    return 0;
}

// Owns one easy handle and its header list for the length of a call.
class EasyHandle {
public:
    // `curl` must not be null.
    explicit EasyHandle(const CurlLibrary* curl) : curl_(curl), handle_(curl->EasyInit()) {}
    ~EasyHandle() {
        if (headers_)
            curl_->SlistFreeAll(headers_);
        if (handle_)
            curl_->EasyCleanup(handle_);
    }
    EasyHandle(const EasyHandle&) = delete;
    EasyHandle& operator=(const EasyHandle&) = delete;

    CURL* get() const { return handle_; }

    template <typename Value> void Set(CURLoption option, Value value) {
        curl_->EasySetopt(handle_, option, value);
    }
    template <typename Value> CURLcode Get(CURLINFO info, Value* value) {
        return curl_->EasyGetinfo(handle_, info, value);
    }
    CURLcode Perform() { return curl_->EasyPerform(handle_); }

    // The settings every request shares: agent, no cache, time-outs.
    void Prepare(const std::string& url, const HttpRequest& request) {
        headers_ = curl_->SlistAppend(headers_, "Cache-Control: no-cache");
        headers_ = curl_->SlistAppend(headers_, "Pragma: no-cache");
        Set(CURLOPT_URL, url.c_str());
        Set(CURLOPT_USERAGENT, request.agent.c_str());
        Set(CURLOPT_HTTPHEADER, headers_);
        Set(CURLOPT_PROTOCOLS_STR, "http,https");
        Set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        Set(CURLOPT_FOLLOWLOCATION, 1L);
        Set(CURLOPT_MAXREDIRS, 10L);
        Set(CURLOPT_NOSIGNAL, 1L);
        Set(CURLOPT_CONNECTTIMEOUT, request.connectTimeoutSeconds);
        Set(CURLOPT_LOW_SPEED_LIMIT, request.lowSpeedBytes);
        Set(CURLOPT_LOW_SPEED_TIME, request.lowSpeedSeconds);
        Set(CURLOPT_TIMEOUT, request.totalTimeoutSeconds);
    }

private:
    const CurlLibrary* curl_;
    CURL* handle_;
    curl_slist* headers_ = nullptr;
};

// Lets the request's `cancelled` stop the transfer; curl asks it at least
// once a second, also while nothing arrives.
void WatchCancel(EasyHandle& easy, Transfer& transfer) {
    if (!transfer.request->cancelled)
        return;
    easy.Set(CURLOPT_XFERINFOFUNCTION, OnProgress);
    easy.Set(CURLOPT_XFERINFODATA, &transfer);
    easy.Set(CURLOPT_NOPROGRESS, 0L);
}

} // namespace

std::string HttpAddress(std::string_view address) {
    std::string lower = LowerAscii(address);
    if (lower.find("http://") != std::string::npos || lower.find("https://") != std::string::npos)
        return std::string(address);
    return "http://" + std::string(address);
}

HttpReply HttpFetch(std::string_view address, const HttpRequest& request,
                    const HttpDataHandler& onData) {
    HttpReply reply;
    const CurlLibrary* curl = Curl();
    if (curl == nullptr)
        return reply;
    EasyHandle easy(curl);
    if (!easy.get())
        return reply;
    std::string url = HttpAddress(address);
    easy.Prepare(url, request);

    Transfer transfer;
    transfer.request = &request;
    transfer.onData = &onData;
    std::string range;
    if (request.start >= 1) {
        range = std::to_string(request.start) + "-";
        easy.Set(CURLOPT_RANGE, range.c_str());
    }
    easy.Set(CURLOPT_HEADERFUNCTION, OnHeader);
    easy.Set(CURLOPT_HEADERDATA, &transfer);
    easy.Set(CURLOPT_WRITEFUNCTION, OnBody);
    easy.Set(CURLOPT_WRITEDATA, &transfer);
    WatchCancel(easy, transfer);

    CURLcode code = easy.Perform();
    long status = 0;
    easy.Get(CURLINFO_RESPONSE_CODE, &status);
    reply.status = status;
    reply.received = transfer.received;
    reply.stopped = transfer.stopped;
    // A reply without a body never reaches OnBody; its range is judged here.
    bool rangeOk = transfer.checked ? !transfer.refused : transfer.RangeHonoured();
    reply.ok = code == CURLE_OK && status != 0 && rangeOk;
    return reply;
}

int64_t HttpContentLength(std::string_view address, const HttpRequest& request) {
    const CurlLibrary* curl = Curl();
    if (curl == nullptr)
        return -1;
    EasyHandle easy(curl);
    if (!easy.get())
        return -1;
    std::string url = HttpAddress(address);
    easy.Prepare(url, request);
    easy.Set(CURLOPT_NOBODY, 1L);
    Transfer transfer;
    transfer.request = &request;
    WatchCancel(easy, transfer);
    if (easy.Perform() != CURLE_OK)
        return -1;
    long status = 0;
    easy.Get(CURLINFO_RESPONSE_CODE, &status);
    curl_off_t length = -1;
    if (status < 200 || status > 299 ||
        easy.Get(CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK)
        return -1;
    return length >= 0 ? static_cast<int64_t>(length) : -1;
}

int64_t HttpContentLength(std::string_view address, std::string_view agent) {
    HttpRequest request;
    request.agent = std::string(agent);
    return HttpContentLength(address, request);
}

bool HttpGetStream(std::string_view address, std::string& stream, uint64_t start) {
    std::string body;
    HttpRequest request;
    request.start = start;
    HttpReply reply = HttpFetch(address, request, [&body](std::string_view piece) {
        body.append(piece);
        return true;
    });
    if (!reply.ok) {
        stream.clear();
        return false;
    }
    stream = std::move(body);
    return true;
}

bool HttpGetText(std::string_view address, std::string& text) {
    return HttpGetStream(address, text, 0);
}

bool HttpGetFile(std::string_view address, const std::string& filePath) {
    std::string body;
    if (!HttpGetStream(address, body, 0))
        return false;
    std::ofstream file(filePath, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file.write(body.data(), static_cast<std::streamsize>(body.size()));
    file.close();
    return static_cast<bool>(file);
}

} // namespace platform
