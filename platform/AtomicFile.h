#pragma once

#include "platform/FileHandle.h"

#include <string>

namespace platform {

// A new content for the file at `path`, written to a temporary file in the
// same folder and renamed over `path` by Commit, so readers and a crash see
// the old file or the whole new one, never a mixture. The temporary file has
// the old file's mode, or 0600 when `path` did not exist. Dropping the object
// without a successful Commit removes the temporary file and leaves `path`
// as it was. Not shared between threads.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False when the temporary file could not be made (errno tells why).
    bool IsOpen() const { return file_.IsOpen(); }
    // The temporary file, open for writing.
    FileHandle& File() { return file_; }
    const std::string& TempPath() const { return temp_; }

    // Flushes the temporary file to disk, closes it and renames it over
    // `path`, then flushes the folder so the rename itself survives a crash.
    // Without `durableRename` the folder is not flushed: after a crash the
    // old file may still be there, but never a torn new one. False on any
    // failure, and then the temporary file is gone.
    bool Commit(bool durableRename = true);
    // Renames without flushing anything: for scratch files, thrown away at
    // exit, that readers must see whole but a crash may lose.
    bool CommitScratch();

private:
    bool Finish(bool syncData, bool durableRename);

    std::string path_;
    std::string temp_;
    FileHandle file_;
    bool committed_ = false;
};

} // namespace platform
