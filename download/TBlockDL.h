#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace net {
class TAppLog;
}

namespace download {

// What one block worker fetches, filled in by its owner.
struct BlockJob {
    size_t Index = 0;       // number of the block
    uint32_t BlockSize = 0; // expected length of the block in bytes
    // Request parameters, appended as they are to each server's "Url".
    std::string Query;
    // Server records with a "Url" field, in order of preference.
    std::vector<std::string> Servers;
    // Native path of the block file; created or emptied at every attempt,
    // and emptied again when the attempt fails.
    std::string FileName;
};

// The worker that downloads one block into its block file: up to kAttempts
// rounds over the servers, each attempt streaming the reply into the file in
// pieces of at most 16384 bytes (libcurl's write size). An attempt succeeds
// when exactly BlockSize bytes arrive in a 2xx reply.
//
// Threading: the object is owned (DLItem) and outlives its thread; Start
// launches the thread, Terminate asks it to stop (a transfer in progress
// notices within a second, also while the server sends nothing), Join waits
// for it, and the destructor does both. The handlers run on the worker's
// thread; OnFinish runs exactly once per Start, as the thread's last action,
// and must not destroy the worker. State() and Downloaded() may be read from
// any thread.
class TBlockDL {
public:
    enum WorkState : int {
        kIdle = 0,
        kStartRequested = 1,
        kPreparing = 2,
        kDownloading = 3,
        kDone = 4,
        kFailed = 5,
    };
    static constexpr int kAttempts = 3;

    using Handler = std::function<void(TBlockDL& worker)>;
    // Progress messages for a caller that wants them (a terminal's verbose
    // mode); the package window leaves it unset. GBK.
    using LogHandler = std::function<void(const std::string& text)>;

    // `log` (may be null) receives the entries about starts, failures and
    // wrong sizes; it must outlive the worker.
    TBlockDL(BlockJob job, net::TAppLog* log);
    ~TBlockDL();
    TBlockDL(const TBlockDL&) = delete;
    TBlockDL& operator=(const TBlockDL&) = delete;

    // Set before Start. OnProgress runs after every piece written.
    void SetOnProgress(Handler handler) { onProgress_ = std::move(handler); }
    void SetOnFinish(Handler handler) { onFinish_ = std::move(handler); }
    void SetOnLog(LogHandler handler) { onLog_ = std::move(handler); }

    // Starts the thread; only the first call does anything.
    void Start();
    void Terminate();
    void Join();

    const BlockJob& Job() const { return job_; }
    int State() const { return state_.load(); }
    // Bytes written to the block file in the current attempt.
    uint32_t Downloaded() const { return downloaded_.load(std::memory_order_relaxed); }

private:
    void Run(std::stop_token stop);
    bool DownloadBlock(const std::string& url, const std::stop_token& stop);
    void LogSizeError(const std::string& url, uint64_t received) const;
    void Report(const std::string& text) const;
    void ReportAndLog(const std::string& text) const;

    const BlockJob job_;
    net::TAppLog* const log_;
    Handler onProgress_;
    Handler onFinish_;
    LogHandler onLog_;
    std::atomic<int> state_{kIdle};
    std::atomic<uint32_t> downloaded_{0};
    std::jthread thread_; // last member: joined before the others go
};

} // namespace download
