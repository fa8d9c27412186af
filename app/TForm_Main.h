#pragma once

#include "core/EntryFetch.h"
#include "core/WordFinder.h"
#include "core/WordHistory.h"
#include "display/qt/TForm_Voc.h"
#include "download/EntryDownloader.h"
#include "download/qt/WindowEntryDisplay.h"
#include "net/TAppLog.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>

class QLabel;
class QTimer;

namespace widgets {
class LbSpeedButton;
class WindowChrome;
} // namespace widgets

namespace study {
class TForm_VocBaseInfo;
}

namespace download {
class TSoftUpdate;
}

namespace app {

class TFrame_Dic;

// The program's main window: owns the search (word index, forms, spelling
// suggestions), the entry fetching and the history of opened words, answers
// the query frame and opens entries in the vocabulary window. Closing it ends
// the program; its destructor deletes the scratch files "out.mp3" and
// "voc.tmp". Ctrl+L and F3 give the query box the focus from anywhere in the
// window.
//
// 100 ms after the first show the start-up check runs on a thread the window
// owns: the installation report when the program was started with "install",
// then the update check. Its results reach the window by queued calls: the
// "更新" button appears (mode "Hint") or the update starts at once ("Auto"),
// and a second later the query box gets the focus. The destructor stops the
// check (a request in progress ends within a second) and joins it.
class TForm_Main : public QWidget {
    Q_OBJECT
public:
    // Opens an entry package; the default shows the vocabulary window modally.
    using EntryOpener = std::function<void(const std::string& packagePath)>;

    // Below this the result list stops being of use.
    static constexpr int kMinWidth = 560;
    static constexpr int kMinHeight = 400;

    explicit TForm_Main(QWidget* parent = nullptr);
    ~TForm_Main() override;

    TFrame_Dic* Frame_Dic1 = nullptr;
    QLabel* Image_AD = nullptr; // the advertisement picture
    widgets::LbSpeedButton* LbSpeedButton_Help = nullptr;
    widgets::LbSpeedButton* LbSpeedButton_OnLine = nullptr;
    widgets::LbSpeedButton* LbSpeedButton_DL = nullptr;
    widgets::LbSpeedButton* LbSpeedButton_SoftUpdate = nullptr; // hidden
    QTimer* Timer1 = nullptr; // start-up kick: 100 ms after the first show, once
    QTimer* Timer2 = nullptr; // focus to the query box, 1 s after the check, once

    // Starts fu to finish an update; true when it started and the program is
    // to end.
    using UpdaterStarter = std::function<bool()>;

    core::WordIndex& Index() { return finder_.Index(); }
    core::WordFinder& Finder() { return finder_; }
    core::WordHistory& History() { return history_; }
    download::TSoftUpdate& SoftUpdate() { return *softUpdate_; }
    net::TAppLog& AppLog() { return *appLog_; }
    download::EntryDownloader& OnlineSource() { return entryDownloader_; }
    core::EntryFetch& Fetch() { return fetch_; }
    widgets::WindowChrome* Chrome() const { return chrome_; }
    study::TForm_VocBaseInfo* BaseInfo() const { return baseInfo_.get(); }
    // True once the first show has loaded the index.
    bool IndexLoaded() const { return indexLoaded_; }

    // Replaces what opening an entry does (tests, tools).
    void SetEntryOpener(EntryOpener opener) { opener_ = std::move(opener); }
    // The first command-line argument ("install" in any letter case sends the
    // installation report); the application's own unless set before the
    // first show (tests).
    void SetStartArgument(std::string argument) { startArgument_ = std::move(argument); }
    // Replaces what starts fu at the end of an update (tests).
    void SetUpdaterStarter(UpdaterStarter starter) { updaterStarter_ = std::move(starter); }
    // True once the start-up check has ended and its effects have been
    // applied to the window.
    bool StartupCheckDone() const { return startupCheckDone_; }

    // Button1: starts the start-up check on its thread (once).
    void Button1Click();
    // The "更新" button (and the update "Auto" starts): the package download
    // window for the update files, then the replacements; when files are
    // left to fu, fu is started and the program ends.
    void SoftUpdateClick();

    // What the vocabulary window calls: the follow-along reader and this
    // window's base-info window.
    display::VocWindowServices VocServices();

    // Query dispatch: at every change of the query box and at a click on
    // either check box (or its label).
    void RunQuery();
    // Fills ListBox1 from the result rows.
    void ShowResultList();
    // Says in the hint line, in Chinese, that the word index is missing or
    // damaged, naming its file.
    void ShowIndexProblem();
    // The vocabulary packages not installed yet, for the package download
    // window; false (after the message) when the service gives no list.
    bool BuildPackageList(std::vector<std::string>& list);
    // The "下载" button: the package download window for those packages.
    void DownloadPackages();
    // Lists the history of opened words (newest first) and a line that
    // clears it.
    void ShowHistory();
    // Fetches the entry of a headword and opens it; nothing when no source
    // has it. An opened word joins the history; afterwards the query box has
    // the focus with its text selected.
    core::FetchStatus OpenEntry(const std::string& word);
    // What Enter or a double-click on row `row` of the list does: open its
    // word, tick the other filter box for a filter hint, clear the history.
    void ActivateRow(int row);
    // Reads member 102000001 of "sd.102" into Image_AD; false (the designed
    // picture stays) when it is absent or does not decode.
    bool LoadAdImage();

    // The window's place, size and maximised state and the two check boxes,
    // in "nv.dat"; written when the window closes, read when it is made.
    void SaveWindowState() const;
    void RestoreWindowState();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildHead(QWidget* body);
    void OpenSelectedEntry();
    void OpenQueryEntry();
    void OpenAdLink();
    // The start-up check's thread body, and what it hands to the window.
    void StartupCheck(std::stop_token stop);
    void StartupCheckFinished(bool found, const std::string& mode);

    // Made first and freed last: every other part may write to it.
    std::unique_ptr<net::TAppLog> appLog_;
    // Fetches `word` into the package file for a vocabulary window that is
    // open; true when found. Messages as OpenEntry shows them.
    bool FetchForVocWindow(const std::string& word);
    void ShowFetchProblem(const core::FetchResult& result, QWidget* parent);

    core::WordFinder finder_;
    core::WordHistory history_;
    core::EntryFetch fetch_;
    download::WindowEntryDisplay entryDisplay_{this};
    download::EntryDownloader entryDownloader_{entryDisplay_}; // fetch_'s network source
    EntryOpener opener_;
    std::unique_ptr<study::TForm_VocBaseInfo> baseInfo_; // hidden until a word is shown
    widgets::WindowChrome* chrome_ = nullptr;
    bool shown_ = false;
    bool indexLoaded_ = false;
    std::string startArgument_;
    UpdaterStarter updaterStarter_;
    bool startupCheckDone_ = false;
    // Made last. Used by the start-up check thread until it has ended, then
    // by this window's thread only.
    std::unique_ptr<download::TSoftUpdate> softUpdate_;
    // Reads startArgument_ and softUpdate_; stopped and joined by the
    // destructor before anything it uses goes.
    std::jthread startupCheck_;
};

} // namespace app
