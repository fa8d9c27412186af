#include "platform/SystemInfo.h"

#include <sys/statvfs.h>

namespace platform {

std::string GetSystemDir() {
    return "/usr/lib";
}

uint32_t DriveCapacityKiB(const std::string& path) {
    if (path.empty())
        return 0;
    struct statvfs info {};
    if (statvfs(path.c_str(), &info) != 0)
        return 0;
    const uint64_t bytes = static_cast<uint64_t>(info.f_blocks) * info.f_frsize;
    return static_cast<uint32_t>(bytes / 1024);
}

} // namespace platform
