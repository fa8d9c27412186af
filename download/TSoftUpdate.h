#pragma once

#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace net {
class TAppLog;
}

namespace download {

// Where the file of an update record goes. An update list comes from the
// network, so a record is refused unless its file stays inside the folder it
// is written to: no "..", no absolute name, no system folder, no symbolic
// link that leads out.
struct UpdateTarget {
    // Native path relative to the program folder ("sd.102", "data/x.dat").
    std::string Relative;
    // Native absolute path of the file to replace, symbolic links resolved:
    // in the program folder for a program file, in the user folder for a data
    // file.
    std::string Path;
    // The file whose CRC tells whether the record is current: Path for a
    // program file; for a data file the user folder's copy, else the program
    // folder's.
    std::string Current;
    // The program folder holds an executable file of that name (or the
    // running program is that file): only the program folder's copy counts,
    // and it is updated only where the program folder may be written.
    bool ProgramFile = false;
    // The file the running program was started from. Its replacement waits
    // for the updater "fu", which makes it after the program has exited and
    // then starts the new version.
    bool RunningProgram = false;
    // Why the record is refused (English, for the log); empty when it is not.
    std::string Refusal;
};

// Keeps the program's files current from the service's update list (file
// class 9, number 102001): finds the records that concern this installation
// and are out of date, installs the quiet ones at once, lists the others for
// the package download window, replaces the downloaded copies and leaves
// what must wait for the program's exit to "fu" through "fu.dat".
//
// Files: downloaded copies are "fu.d\" + FID (8 hex digits) + ".fu" in the
// user folder, where the block downloader installs class-9 files; "fu.dat" lies in
// the user folder too. Every replacement is atomic (a temporary file beside
// the target, renamed over it) and keeps the old file's permission bits, and
// a copy is used only when its CRC-32 equals the record's "FCrc".
//
// Threads: one thread at a time. The main window runs CheckForUpdates on its
// start-up check thread and everything else on its own thread after that
// check has ended.
class TSoftUpdate {
public:
    // `log` (may be null) receives a record for every refused record, every
    // quiet install and every failed replacement; it must outlive the object.
    explicit TSoftUpdate(net::TAppLog* log = nullptr);

    // Fetches the update list and runs SelectUpdates on it, then fills
    // DownloadList. True when records remain pending. UpdateMode stays
    // "Hint" instead of "Auto" while a "fu.dat" is there (an updater that
    // could not finish), so the program does not end itself at every start. False without a list:
    // no answer, a body without the trailer 71 8E 01 00, or data that does
    // not unzip; nothing changes then (ListReceived() tells these apart from
    // "no update"). A stop request ends the quiet downloads and the request
    // for the list within about a second.
    bool CheckForUpdates(std::stop_token stop = {});

    // Picks the pending records out of the update list's lines: records for
    // another installation, refused records and current files drop out; of
    // several records for one file the one for this installation wins, else
    // the first; quiet records are installed (unless SetQuietInstall(false))
    // and drop out. Sets UpdateMode. True when records remain.
    bool SelectUpdates(const std::vector<std::string>& lines, std::stop_token stop = {});

    // Installs the record's file now: downloads the copy unless a valid one
    // is there, then replaces the file. Failures are logged and otherwise
    // silent; the next check tries again.
    void QuietUpdate(std::string_view record, std::stop_token stop = {});

    // Replaces every pending file whose valid copy has been downloaded.
    // Files that must wait (the running program's own file) or whose
    // replacement failed are written to "fu.dat" for the updater; true when
    // that file was written. No "fu.dat" is written when nothing is left.
    bool ApplyUpdates();

    // The record's folder: "LFp" with "[APP]" (any case) standing for the
    // program folder, empty meaning the program folder; native, absolute,
    // ending with "/". Empty for a folder an update may not write ("[SYS]",
    // "[SysRoot]", an absolute path or one with "..").
    std::string ResolveLocalPath(std::string_view record) const;
    UpdateTarget Target(std::string_view record) const;
    // The current file's CRC-32 (0 when it is missing) differs from "FCrc"
    // (compared ignoring case). False for a refused record.
    bool NeedsUpdate(std::string_view record) const;
    // The downloaded copy's CRC-32 equals "FCrc".
    bool CopyIsValid(std::string_view record) const;
    // Native path of the record's downloaded copy; empty without a valid
    // "FID".
    std::string CopyPath(std::string_view record) const;

    // "", "Hint" or "Auto", as the last SelectUpdates left it.
    const std::string& UpdateMode() const { return updateMode_; }
    // The pending records, each behind its fields "LFNC" and "UO".
    const std::vector<std::string>& PendingList() const { return pendingList_; }
    // One download list entry per pending record, in the same order.
    const std::vector<std::string>& DownloadList() const { return downloadList_; }
    // The last CheckForUpdates received a well-formed list.
    bool ListReceived() const { return listReceived_; }
    // Out-of-date program files the last SelectUpdates skipped because the
    // program folder may not be written (a packaged install).
    size_t SkippedProgramFiles() const { return skippedProgramFiles_; }
    // Records of this installation the last SelectUpdates refused because
    // they would write outside the folders an update may write (each is in
    // the log).
    size_t RefusedRecords() const { return refusedRecords_; }

    // With false, quiet records stay pending instead of being installed, so
    // that a check changes no file. On by default.
    void SetQuietInstall(bool on) { quietInstall_ = on; }

    // The running program's file (native, absolute); ProgramFile() unless
    // set otherwise.
    void SetRunningProgram(std::string path) { runningProgram_ = std::move(path); }

    // The file name of the running program ("quendic"): what fu is told to
    // wait for and start again, and the name of its run lock.
    static std::string RunningProgramName();
    // Native path of "fu.dat".
    static std::string PendingFile();
    // The updater's command line: the quoted path of "fu" in the program
    // folder, then "【" + `programName` + "】" quoted, then a lone quote.
    static std::string UpdaterCommandLine(std::string_view programName);
    // Starts the updater without waiting for it; `extraArguments` are added
    // to the command line as they are. True when it started.
    static bool StartUpdater(std::string_view programName, std::string_view extraArguments = {});

    // The largest update list accepted, unzipped.
    static constexpr uint32_t kMaxListBytes = 16u << 20;

private:
    void Log(const std::string& text) const;
    bool ReplaceTarget(const std::string& copy, const UpdateTarget& target) const;
    bool DownloadCopy(std::string_view record, const std::string& copy,
                      const std::stop_token& stop) const;
    std::string MakeDownloadRecord(std::string_view record, uint32_t clientId) const;

    net::TAppLog* log_;
    std::string runningProgram_;
    std::string updateMode_;
    std::vector<std::string> pendingList_;
    std::vector<std::string> downloadList_;
    bool listReceived_ = false;
    bool quietInstall_ = true;
    size_t skippedProgramFiles_ = 0;
    size_t refusedRecords_ = 0;
};

} // namespace download
