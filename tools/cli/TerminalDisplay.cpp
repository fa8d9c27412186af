#include "tools/cli/TerminalDisplay.h"

#include "download/DLItem.h"
#include "download/DownloadInTurn.h"
#include "download/ProgressText.h"
#include "download/TFileDL.h"
#include "platform/Gbk.h"

#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace tools {

TerminalDisplay::TerminalDisplay(std::string command)
    : command_(std::move(command)), interactive_(::isatty(STDERR_FILENO) == 1) {}

void TerminalDisplay::ShowMessage(const std::string& text) {
    Line("quendic-cli " + command_ + ": " + platform::GbkToUtf8(text));
}

void TerminalDisplay::Progress(const std::string& line) {
    if (!interactive_)
        return;
    std::string shown = "\r" + line;
    if (line.size() < shownWidth_)
        shown += std::string(shownWidth_ - line.size(), ' ') + "\r" + line;
    std::fputs(shown.c_str(), stderr);
    std::fflush(stderr);
    shownWidth_ = line.size();
}

void TerminalDisplay::ItemProgress(const std::string& label, const download::DLItem& item) {
    const download::ItemProgress progress = download::MakeItemProgress(
        item.Received(), item.Entry().FS, download::DLItem::NowTick() - item.StartTick());
    Progress(label + "  " + progress.Percent + "%  " + platform::GbkToUtf8(progress.Speed) + "  " +
             platform::GbkToUtf8(progress.Remaining));
}

size_t TerminalDisplay::DownloadInTurn(const std::vector<std::string>& list,
                                       const std::vector<std::string>& labels,
                                       const std::vector<std::string>& servers, net::TAppLog& log) {
    int64_t started = download::DLItem::NowTick();
    download::DownloadInTurnHandlers handlers;
    handlers.Started = [&](size_t i, const download::DLItem& item) {
        started = item.StartTick();
        if (!interactive_)
            Line(labels[i] + ": downloading " + std::to_string(item.Entry().FS) + " bytes");
    };
    handlers.Progress = [&](size_t i, const download::DLItem& item) {
        ItemProgress(labels[i], item);
    };
    handlers.Finished = [&](size_t i, const download::InstallResult& result) {
        if (!result.Ok) {
            Line(labels[i] + ": failed: " + result.Problem);
            return;
        }
        const download::DownloadListEntry entry =
            download::DownloadListEntry::Parse(list[i]).value_or(download::DownloadListEntry{});
        const int64_t elapsed = download::DLItem::NowTick() - started;
        Line(labels[i] + ": installed, " + std::to_string(entry.FS) + " bytes in " +
             platform::GbkToUtf8(download::DurationText(elapsed / 1000)));
    };
    return download::DownloadInTurn(list, servers, &log, handlers);
}

void TerminalDisplay::Line(const std::string& line) {
    if (shownWidth_ > 0)
        std::fputc('\n', stderr);
    shownWidth_ = 0;
    std::fprintf(stderr, "%s\n", line.c_str());
}

bool TerminalDisplay::RunFileDownload(const std::vector<std::string>& items) {
    std::mutex mutex;
    std::string title;    // of the item, UTF-8
    std::string subTitle; // of the file, UTF-8
    bool succeeded = false;
    download::TFileDL worker;
    worker.SetOnProgress(
        [&](uint8_t stage, const std::string& text, int64_t position, int64_t total) {
            std::lock_guard lock(mutex);
            if (stage == 0) {
                title = platform::GbkToUtf8(text);
                return;
            }
            subTitle = platform::GbkToUtf8(text);
            Progress(title + " " + subTitle + ": " + std::to_string(position / 1024) + " K / " +
                     std::to_string(total / 1024) + " K");
        });
    worker.SetOnFinish([&](bool ok) { succeeded = ok; });
    worker.Start(items);
    worker.Join();
    std::lock_guard lock(mutex);
    Line(title + " " + subTitle + (succeeded ? ": done" : ": failed"));
    return succeeded;
}

} // namespace tools
