#pragma once

#include "platform/FileHandle.h"

#include <string>

namespace platform {

// A folder of scratch files that belongs to one process: "scratch/PID-XXXXXX/"
// inside a parent folder. The process holds a lock on the folder while the
// object lives, which is how other processes tell a folder in use from one
// left behind by a process that died. Not thread-safe; platform::ScratchFile
// owns the process's instance.
class ScratchFolder {
public:
    // Removes abandoned sibling folders, then makes this process's folder
    // (and the parent folders it needs). Path() is empty when that failed.
    explicit ScratchFolder(const std::string& parent);
    // Removes the folder with everything in it and releases the lock; the
    // "scratch" folder too when no other process has one there.
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder, ending with "/"; empty when it could not be made.
    const std::string& Path() const { return path_; }
    // The parent folder given at construction.
    const std::string& Parent() const { return parent_; }

    // Removes every folder under `root` whose lock no process holds and
    // that is older than a few seconds (a process takes its lock right after
    // making its folder).
    static void RemoveAbandoned(const std::string& root);

private:
    std::string parent_;
    std::string path_;
    FileHandle lock_; // holds the folder's flock
};

} // namespace platform
