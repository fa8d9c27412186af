#include "platform/Process.h"

#include "platform/Text.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

bool WaitFor(pid_t pid, int& status) {
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

// posix_spawn file actions and attributes for one start, released on exit.
class SpawnSetup {
public:
    explicit SpawnSetup(bool hide) {
        posix_spawn_file_actions_init(&actions_);
        if (hide) {
            posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
            posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions_, 2, "/dev/null", O_WRONLY, 0);
        }
        posix_spawn_file_actions_addclosefrom_np(&actions_, 3);
        posix_spawnattr_init(&attributes_);
        // The child starts with default signal handling and an empty mask,
        // whatever the caller (a GUI, a test harness) has set up.
        sigset_t all, none;
        sigfillset(&all);
        sigemptyset(&none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&attributes_);
        posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    int Spawn(pid_t& pid, char* const* argv) const {
        return posix_spawnp(&pid, argv[0], &actions_, &attributes_, argv, environ);
    }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

bool Start(const std::vector<std::string>& words, bool hide, bool wait) {
    if (words.empty() || words.front().empty())
        return false;
    std::vector<char*> argv;
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    SpawnSetup setup(hide);

    if (wait) {
        pid_t pid;
        if (setup.Spawn(pid, argv.data()) != 0)
            return false;
        int status = 0;
        WaitFor(pid, status);
        return true;
    }
    // Not waiting: an intermediate child starts the program and exits at
    // once, so the program is re-parented to init and never stays a zombie
    // of ours. The intermediate's exit status says whether the start worked.
    // Everything it needs was prepared before fork.
    pid_t middle = fork();
    if (middle < 0)
        return false;
    if (middle == 0) {
        pid_t pid;
        _exit(setup.Spawn(pid, argv.data()) == 0 ? 0 : 127);
    }
    int status = 0;
    return WaitFor(middle, status) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false; // a word has begun (possibly an empty quoted one)
    bool quoted = false; // inside a quoted part
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

bool RunProgram(std::string_view commandLine, bool hide, bool wait) {
    return Start(SplitCommandLine(commandLine), hide, wait);
}

bool RunCommand(std::string_view command, bool hide) {
    return Start({"/bin/sh", "-c", std::string(command)}, hide, true);
}

bool OpenUrl(std::string_view address) {
    const std::string lower = LowerAscii(address);
    std::string url(address);
    if (lower.find("http") == std::string::npos)
        url = "http://" + url;

    std::vector<std::string> words;
    if (const char* browser = std::getenv("BROWSER"); browser && *browser) {
        std::string_view first(browser);
        first = first.substr(0, first.find(':'));
        words = SplitCommandLine(first);
        bool substituted = false;
        for (std::string& word : words) {
            for (size_t at = word.find("%s"); at != std::string::npos;
                 at = word.find("%s", at + url.size())) {
                word.replace(at, 2, url);
                substituted = true;
            }
        }
        if (!substituted)
            words.push_back(url);
    }
    if (words.size() < 2)
        words = {"xdg-open", url};
    return Start(words, false, false);
}

} // namespace platform
