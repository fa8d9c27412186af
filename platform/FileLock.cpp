#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>

namespace platform {

FileLock::FileLock(const std::string& path) {
    file_ = FileHandle::Open(path + ".lock", O_RDWR | O_CREAT, 0600);
    file_.Lock(LOCK_EX);
}

} // namespace platform
