#include "platform/ScratchFolder.h"

#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr char kScratchRoot[] = "scratch";
// Time between making a folder and locking it that another process allows.
constexpr time_t kGraceSeconds = 10;

// The folder opened and locked with `operation` (LOCK_NB added: fails at
// once when another process holds it).
FileHandle OpenLocked(const std::string& folder, int operation) {
    FileHandle handle = FileHandle::Open(folder, O_RDONLY | O_DIRECTORY);
    if (handle.IsOpen())
        handle.Lock(operation);
    return handle;
}

} // namespace

ScratchFolder::ScratchFolder(const std::string& parent) : parent_(parent) {
    std::string root = parent_;
    if (!root.empty() && root.back() != '/')
        root += '/';
    root += kScratchRoot;
    std::error_code error;
    std::filesystem::create_directories(root, error);
    RemoveAbandoned(root);
    std::string pattern = root + "/" + std::to_string(::getpid()) + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        return;
    lock_ = OpenLocked(pattern, LOCK_EX);
    if (!lock_.IsOpen()) {
        std::filesystem::remove_all(pattern, error);
        return;
    }
    path_ = pattern + "/";
}

ScratchFolder::~ScratchFolder() {
    if (path_.empty())
        return;
    std::error_code error;
    std::filesystem::remove_all(path_, error);
    lock_.Close();
    // The shared "scratch" folder goes with the last process using it.
    ::rmdir(std::filesystem::path(path_).parent_path().parent_path().c_str());
}

void ScratchFolder::RemoveAbandoned(const std::string& root) {
    std::error_code error;
    std::filesystem::directory_iterator it(root, error);
    if (error)
        return;
    const time_t now = ::time(nullptr);
    for (const auto& entry : it) {
        struct stat info {};
        const std::string folder = entry.path().string();
        if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
            now - info.st_mtime < kGraceSeconds)
            continue;
        FileHandle lock = OpenLocked(folder, LOCK_EX | LOCK_NB);
        if (lock.IsOpen())
            std::filesystem::remove_all(folder, error);
    }
}

} // namespace platform
