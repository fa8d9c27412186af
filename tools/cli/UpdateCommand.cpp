// quendic-cli update: brings the program's files up to date from the
// service's update list, as the main window's update button does, or only
// lists what is out of date.
#include "tools/cli/Commands.h"
#include "tools/cli/TerminalDisplay.h"

#include "core/TaggedText.h"
#include "download/ServerList.h"
#include "download/TSoftUpdate.h"
#include "net/Protocol.h"
#include "net/TAppLog.h"
#include "platform/Gbk.h"
#include "platform/RunLock.h"
#include "platform/Text.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>

namespace tools {
namespace {

constexpr const char* kUpdateUsage =
    "usage: quendic-cli update [--check]\n"
    "Fetches the service's update list, installs the quiet updates, downloads the\n"
    "other out-of-date files with the block downloader and replaces them. A file\n"
    "that can only be replaced once this command has exited (its own program\n"
    "file) is left to the updater fu, which is started to finish the work.\n"
    "  --check  change nothing; print one line per pending update: the file, its\n"
    "           new size in bytes and the manner (Quiet, Auto or Hint)\n"
    "exit status: with --check 0 every file is current, 1 updates are pending;\n"
    "without it 0 every file is current afterwards (or fu finishes it), 1 an\n"
    "update failed; 2 bad usage or no update list from the service\n";

// How the record is to be installed, as the update list's "UM" says.
std::string Manner(std::string_view record) {
    const std::string manner = core::GetTagValue(record, "UM");
    for (const char* known : {"Quiet", "Auto"})
        if (platform::EqualIgnoringAsciiCase(manner, known))
            return known;
    return "Hint";
}

int PrintPending(const download::TSoftUpdate& update) {
    for (const std::string& record : update.PendingList()) {
        const uint32_t size = platform::ParseHex32(core::GetTagValue(record, "FS")).value_or(0);
        std::printf("%s\t%u\t%s\n", platform::GbkToUtf8(update.Target(record).Path).c_str(), size,
                    Manner(record).c_str());
    }
    return update.PendingList().empty() ? kExitSuccess : kExitNotFound;
}

} // namespace

int RunUpdate(const CommandArgs& args) {
    bool checkOnly = false;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUpdateUsage, stdout);
            return kExitSuccess;
        }
        if (arg != "--check")
            return UsageError("update", "unknown argument \"" + arg + "\"", kUpdateUsage);
        checkOnly = true;
    }
    TerminalDisplay display("update");
    // Held until this command ends, so that fu replaces this program's own
    // file only once it has exited.
    const std::string programName = download::TSoftUpdate::RunningProgramName();
    const std::optional<platform::RunLock> runLock =
        platform::RunLock::Shared(programName, std::chrono::seconds(60));
    net::TAppLog log;
    download::TSoftUpdate update(&log);
    update.SetQuietInstall(!checkOnly);
    const bool pending = update.CheckForUpdates();
    if (!update.ListReceived()) {
        display.Line("quendic-cli update: the service cannot be reached or sends no usable "
                     "update list");
        return kExitFailure;
    }
    if (update.RefusedRecords() > 0)
        display.Line(std::to_string(update.RefusedRecords()) +
                     " records of the update list were refused: they would write outside the "
                     "program and user folders (the log " +
                     log.FileName() + " names them)");
    if (update.SkippedProgramFiles() > 0)
        display.Line(std::to_string(update.SkippedProgramFiles()) +
                     " program files are out of date; the package manager updates them");
    if (checkOnly)
        return PrintPending(update);
    if (!pending) {
        display.Line("every file is current");
        return kExitSuccess;
    }

    const download::ServerListReply servers = download::FetchServerList(net::kClassUpdateFile);
    if (!servers.Ok()) {
        display.ShowMessage(servers.Message);
        return kExitNotFound;
    }
    // A write beyond a file size limit fails the item; it must not end the
    // program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> labels;
    for (size_t i = 0; i < update.PendingList().size(); ++i)
        labels.push_back("[" + std::to_string(i + 1) + "/" +
                         std::to_string(update.PendingList().size()) + "] " +
                         platform::GbkToUtf8(update.Target(update.PendingList()[i]).Relative));
    const size_t failed =
        display.DownloadInTurn(update.DownloadList(), labels, servers.Servers, log);
    const bool leftToUpdater = update.ApplyUpdates();
    if (leftToUpdater) {
        if (!download::TSoftUpdate::StartUpdater(programName, "--no-restart")) {
            display.Line("the updater fu cannot be started; " +
                         download::TSoftUpdate::PendingFile() + " waits for the next update");
            return kExitNotFound;
        }
        display.Line("fu replaces the rest once this command has exited");
    }
    size_t outOfDate = 0;
    for (const std::string& record : update.PendingList())
        if (update.NeedsUpdate(record) && !update.Target(record).RunningProgram)
            ++outOfDate;
    if (failed > 0 || outOfDate > 0) {
        display.Line(std::to_string(outOfDate) + " files are still out of date; run again to "
                                                 "fetch the rest");
        return kExitNotFound;
    }
    if (!leftToUpdater)
        display.Line("every file is current");
    return kExitSuccess;
}

} // namespace tools
