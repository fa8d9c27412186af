#include "download/DLItem.h"

#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "net/BlockQuery.h"
#include "platform/FileHandle.h"
#include "platform/FileIO.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <fcntl.h>

namespace download {

DLItem::DLItem(const DownloadListEntry& entry) : entry_(entry) {
    const std::string folder = platform::UserFolder();
    ownerFile_ = folder + BlockOwnerName(entry.FCRC);
    const std::vector<BlockSpan> plan = PlanBlocks(entry.FS);
    for (size_t i = 0; i < plan.size(); ++i) {
        Block& block = blocks_.emplace_back();
        block.Pos = plan[i].Pos;
        block.Len = plan[i].Len;
        block.FileName = folder + BlockFileName(entry.FCRC, i);
    }
}

DLItem::~DLItem() {
    Stop();
    Wait();
}

int64_t DLItem::NowTick() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool DLItem::BlockComplete(size_t i) {
    Block& block = blocks_[i];
    if (core::FileSizeOf(block.FileName) != static_cast<int64_t>(block.Len))
        return false;
    block.Done = block.Len;
    block.State = TBlockDL::kDone;
    return true;
}

bool DLItem::Start(const std::vector<std::string>& servers, net::TAppLog* log,
                   FinishHandler onFinish) {
    if (running_.load() || entry_.FS > static_cast<uint32_t>(INT32_MAX))
        return false;
    Wait();
    workers_.clear();
    // The block files live in the user folder; make it, and refuse a name
    // that would lead out of it.
    (void)platform::UserFileForWriting(BlockFileName(entry_.FCRC, 0));
    const std::string folder = platform::UserFolder();
    for (const Block& block : blocks_)
        if (!platform::IsInsideFolder(block.FileName, folder))
            return false;
    if (!platform::IsInsideFolder(ownerFile_, folder) || !ClaimBlockFiles(folder))
        return false;

    onFinish_ = std::move(onFinish);
    startTick_ = NowTick();
    net::BlockRequest request;
    request.ClientId = entry_.CID;
    request.Software = static_cast<int32_t>(entry_.SID);
    request.FileClass = static_cast<int32_t>(entry_.FC);
    request.FileNumber = entry_.FID;
    for (size_t i = 0; i < blocks_.size(); ++i) {
        Block& block = blocks_[i];
        const bool last = i + 1 == blocks_.size();
        if (BlockComplete(i) && !last)
            continue;
        block.Done = 0;
        block.State = 0;
        request.Pos = static_cast<int32_t>(block.Pos);
        request.Len = static_cast<int32_t>(block.Len);
        BlockJob job;
        job.Index = i;
        job.BlockSize = block.Len;
        job.Query = net::BlockQuery(request);
        job.Servers = servers;
        job.FileName = block.FileName;
        auto worker = std::make_unique<TBlockDL>(std::move(job), log);
        worker->SetOnProgress(
            [&block](TBlockDL& w) { block.Done.store(w.Downloaded(), std::memory_order_relaxed); });
        worker->SetOnFinish([this](TBlockDL& w) { WorkerFinished(w); });
        workers_.push_back(std::move(worker));
    }
    {
        std::lock_guard lock(completionMutex_);
        unfinished_ = workers_.size();
    }
    running_ = true;
    for (auto& worker : workers_)
        worker->Start();
    return true;
}

void DLItem::Stop() {
    for (auto& worker : workers_)
        worker->Terminate();
}

void DLItem::Wait() {
    for (auto& worker : workers_)
        worker->Join();
}

bool DLItem::ClaimBlockFiles(const std::string& folder) {
    const std::string owner = core::MakeTagField(platform::HexNumber(entry_.FC), "FC") +
                              core::MakeTagField(platform::HexNumber(entry_.FID), "FID") +
                              core::MakeTagField(platform::HexNumber(entry_.FS), "FS");
    const std::optional<std::string> current = platform::ReadWholeFile(ownerFile_);
    if (current && *current == owner)
        return true;
    if (current)
        for (size_t i = 0; i < kMaxBlocks; ++i)
            std::remove((folder + BlockFileName(entry_.FCRC, i)).c_str());
    // Not flushed: an owner lost in a crash leaves blocks without one, which
    // are kept as before.
    platform::FileHandle file =
        platform::FileHandle::Open(ownerFile_, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    return file.IsOpen() && file.WriteAll(owner) && file.Close();
}

uint64_t DLItem::Received() const {
    uint64_t sum = 0;
    for (const Block& block : blocks_)
        sum += block.Done.load(std::memory_order_relaxed);
    return sum;
}

void DLItem::WorkerFinished(TBlockDL& worker) {
    InstallResult result;
    {
        std::lock_guard lock(completionMutex_);
        blocks_[worker.Job().Index].State = worker.State();
        if (--unfinished_ > 0)
            return;
        size_t done = 0;
        for (const Block& block : blocks_)
            if (block.State.load() == TBlockDL::kDone)
                ++done;
        if (done == blocks_.size()) {
            std::vector<std::string> files;
            for (const Block& block : blocks_)
                files.push_back(block.FileName);
            result = InstallItem(entry_, files);
            if (result.Ok)
                std::remove(ownerFile_.c_str());
        } else {
            result.Problem = std::to_string(blocks_.size() - done) + " of " +
                             std::to_string(blocks_.size()) + " blocks failed";
        }
    }
    // The owner may start again as soon as it hears of the end; Start joins
    // this thread first.
    running_ = false;
    if (onFinish_)
        onFinish_(result);
}

} // namespace download
