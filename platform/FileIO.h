#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The whole content of the file at `path` (a native path). std::nullopt when
// it cannot be opened or read; errno then tells why (ENOENT: it is missing).
std::optional<std::string> ReadWholeFile(const std::string& path);

// `count` bytes of the file at `path` from `offset`; std::nullopt when the
// file cannot be read or holds fewer bytes there.
std::optional<std::string> ReadFileRange(const std::string& path, uint64_t offset, uint64_t count);

// How far WriteFileAtomically goes to keep a file across a crash.
enum class Durability {
    Synced,  // the new content and the rename are on disk before it returns
    Scratch, // a scratch file, thrown away at exit: readers see it whole, no more
};

// Replaces the file at `path` by `bytes` so that readers and a crash see
// either the old or the new content, never a mixture: the bytes go to a
// temporary file in the same folder, which is fsynced (unless Scratch) and
// renamed over `path`. The new file has mode 0600 when `path` did not exist,
// else the old file's mode. False (and `path` untouched, no temporary left)
// on failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         Durability durability = Durability::Synced);

// Removes temporaries of WriteFileAtomically(path, ...) that a process killed
// mid-write left behind (path + "." + six letters or digits). Only for a
// caller holding the file's FileLock: no other writer is mid-write then.
void RemoveStrayTemporaries(const std::string& path);

} // namespace platform
