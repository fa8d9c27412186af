#pragma once

#include "platform/FileHandle.h"

#include <string>

namespace platform {

// An exclusive flock on the lock file `path` + ".lock", held for the lifetime
// of the object: writers of a file that is replaced by rename (so its own
// inode changes) serialise on this companion, which stays in place. The lock
// file is created when missing (mode 0600) and never removed. Blocks until the
// lock is free; other processes and other objects in this process wait alike.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // False when the lock file could not be opened or locked.
    bool Held() const { return file_.IsOpen(); }

private:
    FileHandle file_; // closing it releases the lock
};

} // namespace platform
