#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)), temp_(path_ + ".XXXXXX") {
    file_ = FileHandle(mkostemp(temp_.data(), O_CLOEXEC));
    if (!file_.IsOpen()) {
        temp_.clear();
        return;
    }
    struct stat old {};
    if (stat(path_.c_str(), &old) == 0)
        fchmod(file_.Fd(), old.st_mode & 07777);
}

AtomicFile::~AtomicFile() {
    if (!committed_ && !temp_.empty()) {
        file_.Close();
        unlink(temp_.c_str());
    }
}

bool AtomicFile::Commit(bool durableRename) {
    return Finish(true, durableRename);
}

bool AtomicFile::CommitScratch() {
    return Finish(false, false);
}

bool AtomicFile::Finish(bool syncData, bool durableRename) {
    if (!file_.IsOpen())
        return false;
    bool ok = !syncData || fsync(file_.Fd()) == 0;
    ok = file_.Close() && ok;
    if (ok)
        ok = rename(temp_.c_str(), path_.c_str()) == 0;
    if (!ok)
        return false; // the destructor removes the temporary file
    committed_ = true;
    if (!durableRename)
        return true;
    auto slash = path_.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path_.substr(0, slash + 1);
    FileHandle dir = FileHandle::Open(folder, O_RDONLY | O_DIRECTORY);
    if (dir.IsOpen())
        fsync(dir.Fd());
    return true;
}

} // namespace platform
