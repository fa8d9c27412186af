#include "platform/FileHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Repeats pread or pwrite until `size` bytes have moved.
template <typename Byte, typename Io>
bool MoveExactly(Io io, int fd, uint64_t offset, Byte* buffer, size_t size) {
    while (size > 0) {
        const ssize_t n = io(fd, buffer, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

} // namespace

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        Reset();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileHandle FileHandle::Open(const std::string& path, int flags, mode_t mode) {
    return FileHandle(::open(path.c_str(), flags | O_CLOEXEC, mode));
}

bool FileHandle::Lock(int operation) {
    if (fd_ < 0)
        return false;
    while (::flock(fd_, operation) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            Reset();
            errno = error;
            return false;
        }
    }
    return true;
}

ssize_t FileHandle::Read(char* buffer, size_t size) {
    ssize_t n;
    do
        n = ::read(fd_, buffer, size);
    while (n < 0 && errno == EINTR);
    return n;
}

size_t FileHandle::Write(const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

bool FileHandle::ReadAt(uint64_t offset, char* buffer, size_t size) const {
    return MoveExactly(::pread, fd_, offset, buffer, size);
}

bool FileHandle::WriteAt(uint64_t offset, const char* data, size_t size) const {
    return MoveExactly(::pwrite, fd_, offset, data, size);
}

std::optional<uint64_t> FileHandle::Length() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

bool FileHandle::Close() {
    if (fd_ < 0)
        return false;
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
}

void FileHandle::Reset() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace platform
