#include "platform/RunLock.h"

#include "platform/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>

namespace platform {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

} // namespace

std::string RunLock::FileFor(std::string_view programName) {
    return UserFileForWriting(std::string(programName) + ".lock");
}

std::optional<RunLock> RunLock::Shared(std::string_view programName,
                                       std::chrono::milliseconds limit) {
    return Take(programName, LOCK_SH, limit);
}

std::optional<RunLock> RunLock::Exclusive(std::string_view programName,
                                          std::chrono::milliseconds limit) {
    return Take(programName, LOCK_EX, limit);
}

std::optional<RunLock> RunLock::Take(std::string_view programName, int operation,
                                     std::chrono::milliseconds limit) {
    if (programName.empty() || programName.find('/') != std::string_view::npos)
        return std::nullopt;
    std::string fileName = FileFor(programName);
    FileHandle file = FileHandle::Open(fileName, O_RDWR | O_CREAT, 0600);
    if (!file.IsOpen())
        return std::nullopt;
    // Polled rather than a blocking flock, so that the limit holds without a
    // signal to interrupt the wait.
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (true) {
        if (::flock(file.Fd(), operation | LOCK_NB) == 0)
            return RunLock(std::move(fileName), std::move(file));
        if (errno != EWOULDBLOCK && errno != EINTR)
            return std::nullopt;
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(kPollInterval);
    }
}

} // namespace platform
