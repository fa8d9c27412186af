#include "platform/Paths.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace platform {

std::string ProgramFile() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    return std::string(buffer, static_cast<size_t>(n));
}

std::string ProgramFolder() {
    std::string folder;
    if (const char* home = std::getenv("QUENDIC_HOME"); home && *home) {
        folder = home;
    } else {
        folder = ProgramFile();
        auto slash = folder.rfind('/');
        folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    }
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string NativePath(std::string_view storedPath) {
    std::string native(storedPath);
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

bool IsAbsolutePath(std::string_view path) { return !path.empty() && path.front() == '/'; }

std::string InProgramFolder(std::string_view path) {
    std::string native = NativePath(path);
    if (IsAbsolutePath(native))
        return native;
    return ProgramFolder() + native;
}

} // namespace platform
