#include "download/TBlockDL.h"

#include "core/TaggedText.h"
#include "download/Texts.h"
#include "net/TAppLog.h"
#include "platform/FileHandle.h"
#include "platform/FileIO.h"
#include "platform/Http.h"

#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

namespace download {

namespace {

// A reply shorter than this is read back into the log: it is usually the
// server's error text.
constexpr uint64_t kContentLogLimit = 16384;

std::string RoundText(int round, const char* what, const std::string& url) {
    return text::kRound + std::to_string(round) + what + url + "]";
}

} // namespace

TBlockDL::TBlockDL(BlockJob job, net::TAppLog* log) : job_(std::move(job)), log_(log) {}

TBlockDL::~TBlockDL() {
    Terminate();
    Join();
}

void TBlockDL::Start() {
    if (thread_.joinable() || state_.load() != kIdle)
        return;
    state_ = kStartRequested;
    thread_ = std::jthread([this](std::stop_token stop) { Run(std::move(stop)); });
}

void TBlockDL::Terminate() {
    thread_.request_stop();
}

void TBlockDL::Join() {
    if (thread_.joinable())
        thread_.join();
}

void TBlockDL::Report(const std::string& text) const {
    if (onLog_)
        onLog_(text);
}

void TBlockDL::ReportAndLog(const std::string& text) const {
    Report(text);
    if (log_)
        log_->Add(text);
}

void TBlockDL::Run(std::stop_token stop) {
    state_ = kPreparing;
    bool done = false;
    for (int round = 0; round < kAttempts && !done && !stop.stop_requested(); ++round) {
        for (const std::string& server : job_.Servers) {
            if (stop.stop_requested())
                break;
            const std::string base = core::GetTagValue(server, "Url");
            if (base.empty())
                continue;
            const std::string url = base + job_.Query;
            ReportAndLog(RoundText(round, text::kStartUrl, url));
            state_ = kDownloading;
            if (DownloadBlock(url, stop)) {
                done = true;
                Report(RoundText(round, text::kDoneUrl, url));
                break;
            }
            // An answer of the block's length that failed all the same (an
            // error page, a broken transfer) must not pass for the block at
            // the next start.
            [[maybe_unused]] const int emptied = ::truncate(job_.FileName.c_str(), 0);
            ReportAndLog(RoundText(round, text::kFailedUrl, url));
        }
    }
    state_ = done ? kDone : kFailed;
    if (onFinish_)
        onFinish_(*this);
}

bool TBlockDL::DownloadBlock(const std::string& url, const std::stop_token& stop) {
    platform::FileHandle file =
        platform::FileHandle::Open(job_.FileName, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!file.IsOpen()) {
        ReportAndLog(text::kCreateFile + job_.FileName + text::kFailed);
        return false;
    }
    Report(text::kCreateFile + job_.FileName + text::kSucceeded);
    downloaded_ = 0;

    uint64_t received = 0;
    bool writeFailed = false;
    bool tooLong = false;
    platform::HttpRequest request;
    request.cancelled = [&stop] { return stop.stop_requested(); };
    const platform::HttpReply reply =
        platform::HttpFetch(url, request, [&](std::string_view piece) {
            if (stop.stop_requested())
                return false;
            if (file.Write(piece.data(), piece.size()) != piece.size()) {
                writeFailed = true;
                return false;
            }
            received += piece.size();
            downloaded_.store(static_cast<uint32_t>(std::min<uint64_t>(received, UINT32_MAX)),
                              std::memory_order_relaxed);
            Report("InternetReadFileSize=[" + std::to_string(job_.BlockSize) + " : " +
                   std::to_string(received) + "]");
            if (onProgress_)
                onProgress_(*this);
            // More than the block cannot be right; nothing beyond it is kept.
            if (received > job_.BlockSize) {
                tooLong = true;
                return false;
            }
            return true;
        });
    if (!file.Close())
        writeFailed = true;
    if (reply.status == 0 && received == 0 && !reply.stopped) {
        ReportAndLog("InternetOpenURL" + std::string(text::kFailed));
        return false;
    }
    if (received != job_.BlockSize || tooLong) {
        LogSizeError(url, received);
        return false;
    }
    return !writeFailed && reply.ok && reply.status >= 200 && reply.status < 300;
}

void TBlockDL::LogSizeError(const std::string& url, uint64_t received) const {
    std::string entry = "DLSizeError: BLockSize=[" + std::to_string(job_.BlockSize) + "]" +
                        "DLSize=[" + std::to_string(received) + "]" + "DLUrl=[" + url + "]";
    if (received < kContentLogLimit) {
        const std::optional<std::string> content =
            platform::ReadFileRange(job_.FileName, 0, received);
        entry += "DLContent=[" + content.value_or(std::string()) + "]";
    }
    ReportAndLog(entry);
}

} // namespace download
