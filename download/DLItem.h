#pragma once

#include "download/BlockPlan.h"
#include "download/DownloadListEntry.h"
#include "download/InstallItem.h"
#include "download/TBlockDL.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace net {
class TAppLog;
}

namespace download {

// The item being downloaded: one entry of a download list, its block table
// and the workers that fetch its blocks. Blocks already complete on disk are
// kept (resumption); the last block is always fetched again.
//
// Block files are named by the entry's FCRC alone. So that a service giving
// two files the same FCRC cannot have the blocks of one taken for the other,
// a file beside them ("FCRC.owner") names the item they belong to; blocks of
// another item are deleted before a start, blocks without an owner are kept.
//
// Ownership and threads: the item owns its workers and joins them in its
// destructor (after asking them to stop), so it must be destroyed on a
// thread other than the workers' own; Start, Stop and Wait are called on the
// owner's thread. The block counters are atomics that
// any thread may read. When the last worker of a start has finished, the
// completion check (under completionMutex_) installs the item if every block
// arrived and then calls the finish handler, exactly once per start, on that
// worker's thread.
class DLItem {
public:
    struct Block {
        uint32_t Pos = 0;
        uint32_t Len = 0;
        std::atomic<uint32_t> Done{0}; // bytes received so far
        // TBlockDL::kDone or kFailed once finished, kDone when found
        // complete on disk, 0 before.
        std::atomic<int> State{0};
        std::string FileName; // native path in the user folder
    };

    // Called once per start with what became of the item; Installed.Ok is
    // false when a block failed, the item was stopped or the install
    // failed. Runs on a worker's thread and must not destroy the item.
    using FinishHandler = std::function<void(const InstallResult& result)>;

    // Plans the blocks; their files are named in the current user folder.
    explicit DLItem(const DownloadListEntry& entry);
    ~DLItem();
    DLItem(const DLItem&) = delete;
    DLItem& operator=(const DLItem&) = delete;

    const DownloadListEntry& Entry() const { return entry_; }
    size_t BlockCount() const { return blocks_.size(); }
    const Block& BlockAt(size_t i) const { return blocks_[i]; }

    // True when block i's file exists with exactly the block's length; the
    // block then counts as done.
    bool BlockComplete(size_t i);

    // Starts a worker for every block that is not complete, and for the last
    // block, each trying `servers` (records with "Url") in order. Workers
    // write to `log` (may be null; it must outlive the item). False, with
    // nothing started, while a start is still running or when the file is
    // too large for a block query (over 2^31 - 1 bytes).
    bool Start(const std::vector<std::string>& servers, net::TAppLog* log, FinishHandler onFinish);
    // Asks every worker to stop; they end as failed and the finish handler
    // reports the item failed. Returns at once.
    void Stop();
    // Waits for every worker of the current start.
    void Wait();

    // True from Start until the completion check has run.
    bool Running() const { return running_.load(); }
    // Sum of the blocks' Done counters.
    uint64_t Received() const;
    // Milliseconds of a steady clock when the last start began.
    int64_t StartTick() const { return startTick_.load(); }
    // Workers of the current start (blocks skipped as complete have none).
    size_t WorkerCount() const { return workers_.size(); }

    // Milliseconds of the steady clock used for StartTick.
    static int64_t NowTick();

private:
    void WorkerFinished(TBlockDL& worker);
    // Takes the block files for this item (see above); false when the owner
    // file cannot be written.
    bool ClaimBlockFiles(const std::string& folder);

    const DownloadListEntry entry_;
    std::deque<Block> blocks_; // fixed after construction
    std::string ownerFile_;    // native path of "FCRC.owner"
    std::vector<std::unique_ptr<TBlockDL>> workers_;
    FinishHandler onFinish_;
    std::atomic<bool> running_{false};
    std::atomic<int64_t> startTick_{0};

    std::mutex completionMutex_;
    size_t unfinished_ = 0; // workers of this start still running; guarded by completionMutex_
};

} // namespace download
