#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace download {

// Downloads a list of files over HTTP, one after the other, each to a local
// path, reporting its progress. Each item is a tagged record:
//   "WFN"     the address ("http://" put in front when missing)
//   "LFN"     the local file; a path without a folder, or a relative one,
//             lies in the user folder
//   "WFS"     the expected size, hexadecimal (optional)
//   "GetWFS"  "False" (any case): never ask the server for the size
//   "Title", "SubTitle"  captions of the two progress lines
// Every item is tried the first way (known size: from "WFS" or the server's
// Content-Length; folders created; exactly that many bytes) and then the
// second way (size optional: folders not created; a size given must match).
// An item that fails both ways ends the run; later items are not touched. An
// item whose local extension holds "~" is renamed without the "~" once it
// succeeded ("word.mp~3" becomes "word.mp3"). A failed or cancelled
// transfer leaves its partial file.
//
// Threading: the object owns its thread. Start launches it, Terminate asks it
// to stop (a transfer notices within a second), the destructor does both and
// joins. The handlers run on the worker's thread; OnFinish runs exactly once
// per Start, as the thread's last action.
class TFileDL {
public:
    // Stage 0: caption = the item's "Title", position = item number from 1,
    // total = number of items. Stage 1: caption = the item's "SubTitle",
    // position = bytes received, total = expected size (10485760 when the
    // second way does not know it).
    using ProgressHandler = std::function<void(uint8_t stage, const std::string& caption,
                                               int64_t position, int64_t total)>;
    // True when every item succeeded.
    using FinishHandler = std::function<void(bool succeeded)>;

    static constexpr int64_t kNominalSize = 10485760;
    // Neither way accepts a reply longer than this when the size is unknown.
    static constexpr int64_t kUnknownSizeLimit = int64_t{1} << 30;

    TFileDL() = default;
    ~TFileDL();
    TFileDL(const TFileDL&) = delete;
    TFileDL& operator=(const TFileDL&) = delete;

    // Set before Start.
    void SetOnProgress(ProgressHandler handler) { onProgress_ = std::move(handler); }
    void SetOnFinish(FinishHandler handler) { onFinish_ = std::move(handler); }

    // Starts downloading `items`; only the first call does anything.
    void Start(const std::vector<std::string>& items);
    void Terminate();
    void Join();
    bool Started() const { return thread_.joinable(); }
    // True when every item of the run arrived; meaningful after Join.
    bool Succeeded() const { return succeeded_.load(); }

    // The local path of an item as it is written: "LFN" in the user folder
    // unless it is absolute.
    static std::string LocalPath(const std::string& item);
    // `path` without any "~" in its extension; unchanged when it has none.
    static std::string WithoutTilde(const std::string& path);

private:
    // An item as the worker uses it, read on the owner's thread.
    struct Item {
        std::string Address;
        std::string Local; // native path
        bool HasSize = false;
        int64_t Size = 0; // from "WFS"
        bool MayAskSize = true;
        std::string Title;
        std::string SubTitle;
        int64_t Number = 0; // counted from 1
        int64_t Count = 0;
    };
    void Run(const std::stop_token& stop);
    bool FirstWay(const Item& item, const std::stop_token& stop);
    bool SecondWay(const Item& item, const std::stop_token& stop);
    // Streams the address into `path` (created or emptied); true when the
    // transfer ended normally with an answer that is no error status and
    // brought no more than `limit` bytes. `received` counts the bytes.
    bool Transfer(const Item& item, int64_t total, int64_t limit, const std::stop_token& stop,
                  int64_t& received);
    void Progress(uint8_t stage, const std::string& caption, int64_t position, int64_t total) const;

    std::vector<Item> items_;
    ProgressHandler onProgress_;
    FinishHandler onFinish_;
    std::atomic<bool> succeeded_{false};
    std::jthread thread_; // last member: joined before the others go
};

} // namespace download
