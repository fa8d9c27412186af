#include "ProgramRun.h"

#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The child starts as a copy of this process, and the kernel counts the
// resident peak of that copy in the child's: bring this process's peak down
// to what it holds now, and hand freed heap back first, so that tests run
// before (a large index built in memory) do not show up as the child's.
void LowerResidentPeak() {
    ::malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A sanitized child's resident memory is mostly shadow memory and
// quarantine, and this process's own (as large) is counted into it: no bound
// on the program's memory can be read from it.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool PeakIsMeaningful = false;
#else
constexpr bool PeakIsMeaningful = true;
#endif

} // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const TestFolders& folders, const std::string& input,
                      const std::vector<std::string>& extraEnvironment) {
    std::vector<std::string> environment;
    const std::vector<std::pair<std::string, std::string>> overrides = {
        {"QUENDIC_HOME", folders.Path()},
        {"QUENDIC_USER_HOME", folders.UserPath()},
        {"QUENDIC_REGISTRY", folders.RegistryFile()}};
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : overrides)
            replaced = replaced || text.rfind(name + "=", 0) == 0;
        if (!replaced)
            environment.push_back(text);
    }
    for (const auto& [name, value] : overrides)
        environment.push_back(name + "=" + value);
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const std::string outFile = folders.Path() + ".run-stdout";
    const std::string errFile = folders.Path() + ".run-stderr";
    const std::string inFile = folders.Path() + ".run-stdin";
    std::ofstream(inFile, std::ios::binary) << input;
    LowerResidentPeak();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inFile.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    ProgramRun run;
    rusage own{};
    ::getrusage(RUSAGE_SELF, &own);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status))
        run.Exit = WEXITSTATUS(status);
    if (PeakIsMeaningful && usage.ru_maxrss > own.ru_maxrss)
        run.PeakKiB = usage.ru_maxrss;
    run.Out = ReadAll(outFile);
    run.Err = ReadAll(errFile);
    ::unlink(outFile.c_str());
    ::unlink(errFile.c_str());
    ::unlink(inFile.c_str());
    return run;
}

bool RunInChildProcesses(int count, const std::function<bool(int index)>& work) {
    std::vector<pid_t> children;
    for (int index = 0; index < count; ++index) {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(work(index) ? 0 : 1);
        if (child > 0)
            children.push_back(child);
    }
    bool ok = static_cast<int>(children.size()) == count;
    for (pid_t child : children) {
        int status = 0;
        ok = ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
             WEXITSTATUS(status) == 0 && ok;
    }
    return ok;
}

} // namespace testsupport
