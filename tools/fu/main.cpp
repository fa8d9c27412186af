// fu: the external updater. The program starts it as
//   "<program folder>fu" "【<program file name>】" "
// (the brackets in GBK; UTF-8 ones are accepted too) and then exits. fu
// waits until every running instance of that program has let go of its run
// lock, replaces the files that "fu.dat" lists, and starts the program
// again. What it does goes to its own log, "fu.log" in the user folder.
//
// Options after the fixed arguments: --no-restart (the caller is a terminal
// command that is not to be started again), --wait=SECONDS (how long to
// wait for the program; 60 by default).
//
// Exit status: 0 every listed file was replaced (or there was nothing to
// do), 1 something was left undone ("fu.dat" damaged or refused, or a
// replacement failed and stays listed), 2 bad command line, 3 the program
// did not exit in time and nothing was changed.
#include "download/PendingReplacements.h"
#include "download/TSoftUpdate.h"
#include "net/TAppLog.h"
#include "platform/Environment.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/RunLock.h"
#include "platform/Text.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

enum ExitStatus { kDone = 0, kLeftUndone = 1, kBadUsage = 2, kStillRunning = 3 };

constexpr int kDefaultWaitSeconds = 60;

struct Options {
    std::string ProgramName;
    bool Restart = true;
    int WaitSeconds = kDefaultWaitSeconds;
};

// The text between the brackets of "【name】", GBK or UTF-8 brackets.
std::optional<std::string> BracketedName(std::string_view argument) {
    for (const auto& [open, close] :
         {std::pair<std::string_view, std::string_view>{"\xA1\xBE", "\xA1\xBF"},
          {"\xE3\x80\x90", "\xE3\x80\x91"}}) {
        if (argument.size() > open.size() + close.size() && argument.starts_with(open) &&
            argument.ends_with(close))
            return std::string(
                argument.substr(open.size(), argument.size() - open.size() - close.size()));
    }
    return std::nullopt;
}

// A program name is a plain file name of the program folder.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\"") == std::string::npos;
}

std::optional<Options> ParseArguments(int argc, char** argv) {
    if (argc < 2)
        return std::nullopt;
    std::optional<std::string> name = BracketedName(argv[1]);
    if (!name || !IsPlainName(*name))
        return std::nullopt;
    Options options;
    options.ProgramName = std::move(*name);
    for (int i = 2; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.empty())
            continue; // the lone quote that ends the command line
        if (argument == "--no-restart") {
            options.Restart = false;
        } else if (argument.starts_with("--wait=")) {
            const std::optional<uint32_t> seconds = platform::ParseDecimal32(argument.substr(7));
            if (!seconds || *seconds > 3600)
                return std::nullopt;
            options.WaitSeconds = static_cast<int>(*seconds);
        } else {
            return std::nullopt;
        }
    }
    return options;
}

class Updater {
public:
    explicit Updater(Options options) : options_(std::move(options)) {}

    int Run() {
        std::optional<platform::RunLock> lock = platform::RunLock::Exclusive(
            options_.ProgramName, std::chrono::seconds(options_.WaitSeconds));
        if (!lock) {
            Log(options_.ProgramName + " did not exit within " +
                std::to_string(options_.WaitSeconds) + " s; nothing was changed");
            return kStillRunning;
        }
        const int status = Apply();
        // The program takes this lock too: it goes before the restart.
        lock.reset();
        if (options_.Restart)
            Restart();
        return status;
    }

private:
    int Apply() {
        using Status = download::PendingReplacements::Status;
        const std::string pendingFile = download::TSoftUpdate::PendingFile();
        download::PendingReplacements::ReadResult list =
            download::PendingReplacements::Read(pendingFile);
        if (list.State == Status::Missing) {
            Log("nothing to replace: " + pendingFile + " is missing");
            return kDone;
        }
        if (list.State != Status::Ok) {
            Log("nothing was changed, " + pendingFile + " is refused: " + list.Problem);
            return kLeftUndone;
        }
        std::vector<download::Replacement> left;
        for (const download::Replacement& item : list.Items) {
            std::string problem;
            if (download::ReplaceFile(item.NewFile, item.OldFile, problem)) {
                Log("replaced " + item.OldFile + " by " + item.NewFile);
            } else {
                Log(problem);
                left.push_back(item);
            }
        }
        if (left.empty()) {
            if (::unlink(pendingFile.c_str()) != 0)
                Log("cannot delete " + pendingFile);
            return kDone;
        }
        if (!download::PendingReplacements::Write(pendingFile, left))
            Log("cannot write " + pendingFile + " with the files left");
        else
            Log(std::to_string(left.size()) + " files stay listed in " + pendingFile +
                " for the next try");
        return kLeftUndone;
    }

    void Restart() {
        const std::string program = platform::ProgramFolder() + options_.ProgramName;
        struct stat info {};
        if (::stat(program.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
            ::access(program.c_str(), X_OK) != 0) {
            Log("cannot start " + program + ": no such program");
            return;
        }
        if (platform::RunProgram("\"" + program + "\"", false, false))
            Log("started " + program);
        else
            Log("cannot start " + program);
    }

    void Log(const std::string& text) {
        log_.Add("fu: " + text);
        std::fprintf(stderr, "fu: %s\n", text.c_str());
    }

    Options options_;
    net::TAppLog log_;
};

} // namespace

int main(int argc, char** argv) {
    platform::InitEnvironment();
    // A write beyond a file size limit fails that replacement; it must not
    // end the updater half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    std::optional<Options> options = ParseArguments(argc, argv);
    if (!options) {
        std::fputs("usage: fu \"\xE3\x80\x90PROGRAM\xE3\x80\x91\" \"\" [--no-restart] "
                   "[--wait=SECONDS]\n"
                   "Waits until PROGRAM (a file of the program folder) has exited, replaces\n"
                   "the files listed in fu.dat and starts PROGRAM again.\n",
                   stderr);
        return kBadUsage;
    }
    return Updater(std::move(*options)).Run();
}
