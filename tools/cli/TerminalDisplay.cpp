#include "tools/cli/TerminalDisplay.h"

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
