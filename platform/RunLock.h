#pragma once

#include "platform/FileHandle.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The advisory lock that tells the updater whether a program is running: a
// flock on the file "<program name>.lock" in the user folder. Every running
// instance holds it shared for its whole life; the updater takes it
// exclusively, so it gets it only once every instance has exited, and holds
// it while it replaces files, so an instance started meanwhile waits. The
// lock goes with the object (or with the process, however it ends). Not
// shared between threads.
class RunLock {
public:
    // The lock file of `programName` (a plain file name such as "quendic").
    static std::string FileFor(std::string_view programName);

    // Takes the lock shared, waiting while the updater holds it, but at most
    // `limit`. Nothing when the lock file cannot be made or the limit passed;
    // the program then runs without it.
    static std::optional<RunLock> Shared(std::string_view programName,
                                         std::chrono::milliseconds limit);
    // Takes the lock exclusively, waiting at most `limit` for the running
    // instances to end. Nothing when the lock file cannot be made or the
    // limit passed.
    static std::optional<RunLock> Exclusive(std::string_view programName,
                                            std::chrono::milliseconds limit);

    RunLock(RunLock&&) noexcept = default;
    RunLock& operator=(RunLock&&) noexcept = default;

    const std::string& FileName() const { return fileName_; }

private:
    RunLock(std::string fileName, FileHandle file)
        : fileName_(std::move(fileName)), file_(std::move(file)) {}
    static std::optional<RunLock> Take(std::string_view programName, int operation,
                                       std::chrono::milliseconds limit);

    std::string fileName_;
    FileHandle file_;
};

} // namespace platform
