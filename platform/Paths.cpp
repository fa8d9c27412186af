#include "platform/Paths.h"

#include "platform/Environment.h"
#include "platform/ScratchFolder.h"

#include <climits>
#include <filesystem>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string InFolder(const std::string& folder, std::string_view path) {
    std::string native = NativePath(path);
    if (IsAbsolutePath(native))
        return native;
    return folder + native;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Makes the user folder, private to the user, when it is missing.
void MakeUserFolder(const std::string& user) {
    std::error_code error;
    if (!std::filesystem::is_directory(user, error) &&
        std::filesystem::create_directories(user, error))
        ::chmod(user.c_str(), 0700);
}

// The process's scratch folder, made on first use and again when the user
// folder changed (tests); destroyed, and so removed, at exit.
std::mutex g_scratchMutex;
std::unique_ptr<ScratchFolder> g_scratch; // guarded by g_scratchMutex

} // namespace

std::string ProgramFolder() {
    return CurrentEnvironment().ProgramFolder;
}

std::string UserFolder() {
    return CurrentEnvironment().UserFolder;
}

std::string ProgramFile() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    return std::string(buffer, static_cast<size_t>(n));
}

std::string NativePath(std::string_view storedPath) {
    std::string native(storedPath);
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

bool IsAbsolutePath(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

std::string InProgramFolder(std::string_view path) {
    return InFolder(ProgramFolder(), path);
}

std::string InUserFolder(std::string_view path) {
    return InFolder(UserFolder(), path);
}

std::string UserFileForWriting(std::string_view path) {
    const std::string user = UserFolder();
    std::string native = NativePath(path);
    if (IsAbsolutePath(native))
        return native;
    std::string file = user + native;
    MakeUserFolder(user);
    std::error_code error;
    const auto folder = std::filesystem::path(file).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    return file;
}

bool IsInsideFolder(std::string_view path, std::string_view folder) {
    if (!IsAbsolutePath(path) || !IsAbsolutePath(folder))
        return false;
    const std::filesystem::path base = std::filesystem::path(folder).lexically_normal();
    const std::filesystem::path relative =
        std::filesystem::path(path).lexically_normal().lexically_relative(base);
    if (relative.empty())
        return false;
    const std::string first = relative.begin()->string();
    return first != "..";
}

std::optional<std::string> ResolveInsideFolder(std::string_view path, std::string_view folder) {
    if (!IsAbsolutePath(path) || !IsAbsolutePath(folder))
        return std::nullopt;
    std::error_code error;
    const std::filesystem::path base = std::filesystem::weakly_canonical(folder, error);
    if (error)
        return std::nullopt;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    if (error)
        return std::nullopt;
    std::string text = resolved.string();
    const std::filesystem::path relative = resolved.lexically_relative(base);
    if (!IsInsideFolder(text, base.string()) || relative.empty() || relative == ".")
        return std::nullopt;
    // What weakly_canonical could not resolve lies past a missing part or a
    // dangling link; a link there could still be made to lead out.
    std::filesystem::path prefix;
    for (const std::filesystem::path& part : resolved) {
        prefix /= part;
        struct stat info {};
        if (::lstat(prefix.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
            return std::nullopt;
    }
    return text;
}

std::string DataFile(std::string_view path) {
    const Environment environment = CurrentEnvironment();
    std::string native = NativePath(path);
    if (IsAbsolutePath(native))
        return native;
    if (environment.UserFolder != environment.ProgramFolder) {
        std::string user = environment.UserFolder + native;
        if (IsRegularFile(user))
            return user;
    }
    return environment.ProgramFolder + native;
}

std::string ScratchFile(std::string_view name) {
    const std::string user = UserFolder();
    std::lock_guard lock(g_scratchMutex);
    if (!g_scratch || g_scratch->Parent() != user || g_scratch->Path().empty()) {
        g_scratch.reset();
        MakeUserFolder(user);
        g_scratch = std::make_unique<ScratchFolder>(user);
    }
    if (g_scratch->Path().empty())
        return {};
    return g_scratch->Path() + NativePath(name);
}

} // namespace platform
