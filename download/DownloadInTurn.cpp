#include "download/DownloadInTurn.h"

#include "download/DLItem.h"

#include <future>

namespace download {

size_t DownloadInTurn(const std::vector<std::string>& list, const std::vector<std::string>& servers,
                      net::TAppLog* log, const DownloadInTurnHandlers& handlers) {
    size_t failed = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        InstallResult result;
        const std::optional<DownloadListEntry> entry = DownloadListEntry::Parse(list[i]);
        if (!entry) {
            result.Problem = "the download list entry gives no usable numbers";
        } else {
            DLItem item(*entry);
            std::promise<InstallResult> finished;
            std::future<InstallResult> outcome = finished.get_future();
            if (item.Start(servers, log,
                           [&finished](const InstallResult& r) { finished.set_value(r); })) {
                if (handlers.Started)
                    handlers.Started(i, item);
                while (outcome.wait_for(handlers.ProgressInterval) != std::future_status::ready)
                    if (handlers.Progress)
                        handlers.Progress(i, item);
                item.Wait();
                result = outcome.get();
            } else {
                result.Problem = "the item cannot be downloaded";
            }
        }
        if (!result.Ok)
            ++failed;
        if (handlers.Finished)
            handlers.Finished(i, result);
    }
    return failed;
}

} // namespace download
