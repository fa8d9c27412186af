#pragma once

#include "core/EntryFetch.h"

#include <string>
#include <vector>

namespace download {

// The network source of entry fetching: where a word's entry lies on the
// download servers, fetched with the single-file download into the entry
// package file. Plugged into core::EntryFetch as its downloader; the fetch
// then checks and caches what arrived. Keeps the server list for the rest of
// the run once it has been fetched. Used on one thread (the window's).
class EntryDownloader {
public:
    // How the program shows the work: message boxes and the download window,
    // or lines on a terminal.
    class Display {
    public:
        virtual ~Display() = default;
        // A message for the user, GBK.
        virtual void ShowMessage(const std::string& text) = 0;
        // Runs a single-file download (TFileDL) of `items` and returns when
        // it has ended: true when every item arrived.
        virtual bool RunFileDownload(const std::vector<std::string>& items) = 0;
    };

    // `display` must outlive the downloader.
    explicit EntryDownloader(Display& display) : display_(display) {}

    // Fetches the entry of `word` into fetch.EntryTempFile(): its location
    // record, the server list (first time only), the block's place from the
    // service (operation 23), then the block query on each server in turn
    // until a download succeeds with the expected length. False, without a message, when
    // the word has no location record, no server delivers, or the service
    // names a place that is no block of an entry; with "网络错误!" when the
    // service gives no answer.
    bool DownloadEntry(core::EntryFetch& fetch, const std::string& word);

    // Replaces the server list with the service's servers for entry data,
    // those of the user's network first. On failure shows "网络错误！" or the
    // service's result text, and the list stays as it was.
    void FetchServerList();

    const std::vector<std::string>& ServerList() const { return serverList_; }

    // DownloadEntry as the downloader of a core::EntryFetch; this object
    // must outlive its use.
    core::EntryFetch::Downloader AsDownloader();

    // The single-file download item of one server's attempt.
    static std::string EntryItem(const std::string& address, uint32_t length,
                                 const std::string& localFile, const std::string& word);

private:
    Display& display_;
    std::vector<std::string> serverList_; // records with "Url"
};

} // namespace download
