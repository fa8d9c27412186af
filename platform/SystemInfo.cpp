#include "platform/SystemInfo.h"

#include <sys/statvfs.h>
#include <unistd.h>

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

std::string ComputerName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    std::string computer(name);
    if (computer.size() > 15)
        computer.resize(15);
    return computer;
}

} // namespace platform
