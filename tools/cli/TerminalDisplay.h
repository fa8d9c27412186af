#pragma once

#include "download/EntryDownloader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace download {
class DLItem;
}

namespace net {
class TAppLog;
}

namespace tools {

// The terminal's side of a download: messages and progress on stderr, in
// UTF-8. On a terminal a progress line is rewritten in place ("\r") and
// ended when the work ends; otherwise only whole lines are written.
class TerminalDisplay : public download::EntryDownloader::Display {
public:
    // `command` prefixes the messages ("quendic-cli show: ...").
    explicit TerminalDisplay(std::string command);

    void ShowMessage(const std::string& text) override;
    // Runs the single-file download to its end with one progress line.
    bool RunFileDownload(const std::vector<std::string>& items) override;

    bool Interactive() const { return interactive_; }
    // Shows `line` (UTF-8) as the current progress line: rewritten in place
    // on a terminal, nothing otherwise.
    void Progress(const std::string& line);
    // Progress(`label` + the item's percentage, speed and time left).
    void ItemProgress(const std::string& label, const download::DLItem& item);
    // Downloads and installs the entries of `list` one after the other from
    // `servers`, each shown under its label (UTF-8): a progress line, and a
    // line when it is installed or has failed. Returns how many failed.
    size_t DownloadInTurn(const std::vector<std::string>& list,
                          const std::vector<std::string>& labels,
                          const std::vector<std::string>& servers, net::TAppLog& log);
    // Ends the progress line, if one is shown, and writes `line` (UTF-8) on
    // a line of its own.
    void Line(const std::string& line);

private:
    std::string command_;
    bool interactive_;
    size_t shownWidth_ = 0; // bytes of the progress line now on screen
};

} // namespace tools
