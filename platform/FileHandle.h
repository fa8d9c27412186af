#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform {

// An owned POSIX file descriptor, closed when the handle goes (which also
// releases a flock taken through it). Move-only. Every call retries on EINTR.
// Not shared between threads.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() { Reset(); }
    FileHandle(FileHandle&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // open(2) with O_CLOEXEC added; check IsOpen() (errno tells why not).
    static FileHandle Open(const std::string& path, int flags, mode_t mode = 0644);

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }

    // flock(2) with LOCK_SH or LOCK_EX, waiting for it. On failure the handle
    // is closed and false returned.
    bool Lock(int operation);

    // Bytes read (0 at the end of the file), or -1 on error.
    ssize_t Read(char* buffer, size_t size);
    // Bytes written before an error; `size` when all of them were.
    size_t Write(const char* data, size_t size);
    bool WriteAll(std::string_view bytes) {
        return Write(bytes.data(), bytes.size()) == bytes.size();
    }

    // Positional reads and writes of exactly `size` bytes; false on an error
    // or (reading) at the end of the file. The file position is not used.
    bool ReadAt(uint64_t offset, char* buffer, size_t size) const;
    bool WriteAt(uint64_t offset, const char* data, size_t size) const;

    // Current length in bytes; nothing when it cannot be queried or the file
    // is not a regular file.
    std::optional<uint64_t> Length() const;

    // Closes now; false when close(2) reports an error (a delayed write
    // error, for instance).
    bool Close();

private:
    void Reset();

    int fd_ = -1;
};

} // namespace platform
