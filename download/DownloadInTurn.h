#pragma once

#include "download/InstallItem.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace net {
class TAppLog;
}

namespace download {

class DLItem;

// What DownloadInTurn reports: Started when an item has begun, Progress
// while it runs (`index` in the list, the item with its counters), Finished
// once per item (also for one that could not start).
struct DownloadInTurnHandlers {
    std::function<void(size_t index, const DLItem& item)> Started;
    std::function<void(size_t index, const DLItem& item)> Progress;
    std::function<void(size_t index, const InstallResult& result)> Finished;
    std::chrono::milliseconds ProgressInterval{500};
};

// Downloads and installs the entries of a download list with the block
// downloader, one after the other, as the package window's automatic
// download does, from `servers` (records with "Url", in order of
// preference). Blocking; the handlers run on the calling thread. An entry
// that cannot be read counts as failed. Returns how many entries failed.
size_t DownloadInTurn(const std::vector<std::string>& list, const std::vector<std::string>& servers,
                      net::TAppLog* log, const DownloadInTurnHandlers& handlers = {});

} // namespace download
