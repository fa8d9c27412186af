#pragma once

#include "download/EntryDownloader.h"

class QWidget;

namespace download {

// The window program's side of an online lookup: messages in message boxes,
// the single-file download in TForm_DownLoad, both modal over `owner`.
class WindowEntryDisplay : public EntryDownloader::Display {
public:
    explicit WindowEntryDisplay(QWidget* owner) : owner_(owner) {}

    void ShowMessage(const std::string& text) override;
    bool RunFileDownload(const std::vector<std::string>& items) override;

private:
    QWidget* owner_;
};

} // namespace download
