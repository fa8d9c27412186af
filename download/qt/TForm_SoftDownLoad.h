#pragma once

#include "download/DLItem.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace net {
class TAppLog;
}

namespace widgets {
class WindowChrome;
}

namespace download {

class TFrame_SoftDownLoad;

// The modal package download window: one row per download entry with its
// size and progress, "开始" and "停止", and "自动下载", which goes through the
// waiting rows one after the other. The chosen entry is downloaded in blocks
// by a DLItem that the window owns; the server list is fetched once, at the
// first start. While the window exists the connection limit of the registry
// store is raised.
//
// Threads: everything runs on the window's thread. The item's workers only
// write their block counters, which Timer1 reads, and their completion
// reaches the window by a queued call; the window touches nothing of a
// worker, and destroying the window (or starting the next item) stops and
// joins the workers through the item.
class TForm_SoftDownLoad : public QDialog {
    Q_OBJECT
public:
    static constexpr int kProgressInterval = 500; // ms, Timer1
    static constexpr int kAutoInterval = 1000;    // ms, Timer_AutoDL

    // `list`: download list entries, every row starting as waiting. `log`
    // (may be null) receives the block downloader's entries and must outlive
    // the window.
    TForm_SoftDownLoad(std::vector<std::string> list, net::TAppLog* log, QWidget* parent = nullptr);
    ~TForm_SoftDownLoad() override;

    widgets::WindowChrome* Chrome = nullptr; // owned by the window
    TFrame_SoftDownLoad* Frame_SoftDownLoad1 = nullptr;
    QTimer* Timer1 = nullptr;       // progress of the item
    QTimer* Timer_AutoDL = nullptr; // next entry

    // "停止" is enabled: a download is running, and closing is refused.
    bool Downloading() const;
    // The row to download next, or -1.
    int ChooseItem() const;
    int ItemRow() const { return itemRow_; }
    const DLItem* Item() const { return item_.get(); }
    const std::vector<std::string>& ServerList() const { return serverList_; }
    // The state image of a row (RowState).
    int RowState(int row) const;

    // The buttons' actions (a double click on the list starts too, while
    // "开始" is enabled).
    void Start();
    void Stop();

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FillList();
    // Parses the row's entry into a new item; false for an entry that cannot
    // be read.
    bool StartItem(int row);
    bool GetServerList(uint32_t fileClass);
    // Marks a row whose entry cannot be downloaded at all (unreadable, too
    // large, its block files not claimable) as failed, so that automatic
    // download goes on with the next row instead of choosing it again.
    void RefuseRow(int row);
    void SetRowState(int row, int state);
    void UpdateProgress();
    void Completion(uint64_t serial, int row, const InstallResult& result);
    void AutoNext();
    void ShowMessage(const std::string& gbk);

    std::vector<std::string> dlList_;
    std::vector<size_t> rowEntry_; // the entry of each row
    std::vector<int> rowState_;
    std::vector<std::string> serverList_;
    net::TAppLog* log_;
    int64_t savedMaxConnections_ = -1;
    bool shown_ = false;
    int itemRow_ = -1;
    uint64_t serial_ = 0;          // counts the starts; a completion names its own
    std::unique_ptr<DLItem> item_; // last member: joined before the rest goes
};

// Creates the window for `list`, shows it modally, destroys it; always true.
bool ShowSoftDownLoad(const std::vector<std::string>& list, net::TAppLog* log = nullptr,
                      QWidget* parent = nullptr);

} // namespace download
