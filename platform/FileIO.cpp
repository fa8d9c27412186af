#include "platform/FileIO.h"

#include "platform/AtomicFile.h"
#include "platform/FileHandle.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::optional<std::string> ReadWholeFile(const std::string& path) {
    FileHandle file = FileHandle::Open(path, O_RDONLY);
    if (!file.IsOpen())
        return std::nullopt;
    std::string bytes;
    char buffer[16384];
    while (true) {
        const ssize_t n = file.Read(buffer, sizeof buffer);
        if (n < 0) {
            const int error = errno;
            file.Close();
            errno = error;
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
}

std::optional<std::string> ReadFileRange(const std::string& path, uint64_t offset, uint64_t count) {
    const FileHandle file = FileHandle::Open(path, O_RDONLY);
    const std::optional<uint64_t> length = file.IsOpen() ? file.Length() : std::nullopt;
    // Nothing is allocated for bytes the file does not hold.
    if (!length || *length < offset || *length - offset < count)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(count), '\0');
    if (!file.ReadAt(offset, bytes.data(), bytes.size()))
        return std::nullopt;
    return bytes;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, Durability durability) {
    AtomicFile file(path);
    if (!file.IsOpen() || !file.File().WriteAll(bytes))
        return false;
    return durability == Durability::Synced ? file.Commit() : file.CommitScratch();
}

void RemoveStrayTemporaries(const std::string& path) {
    const std::filesystem::path target(path);
    const std::string prefix = target.filename().string() + ".";
    std::error_code error;
    const auto folder = target.has_parent_path() ? target.parent_path() : ".";
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0 ||
            !entry.is_regular_file(error))
            continue;
        const bool random =
            std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                        [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
        if (random)
            std::filesystem::remove(entry.path(), error);
    }
}

} // namespace platform
