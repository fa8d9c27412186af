#include "platform/Environment.h"

#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace platform {

namespace {

std::mutex g_mutex;
std::optional<Environment> g_current; // guarded by g_mutex

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string Absolute(const std::string& path) {
    if (path.empty() || IsAbsolutePath(path))
        return path;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

std::string HomeFolder() {
    std::string home = Variable("HOME");
    if (!home.empty())
        return home;
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir ? user->pw_dir : "/tmp";
}

// $name when it is an absolute path (the XDG rule: relative ones are
// ignored), else the home folder + fallback.
std::string XdgFolder(const char* name, const char* fallback) {
    std::string folder = Variable(name);
    if (IsAbsolutePath(folder))
        return folder;
    return HomeFolder() + fallback;
}

std::string ExecutableFolder() {
    std::string file = ProgramFile();
    auto slash = file.rfind('/');
    return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

} // namespace

Environment ReadEnvironment() {
    Environment environment;
    std::string home = Variable("QUENDIC_HOME");
    environment.ProgramFolder = WithSlash(Absolute(home.empty() ? ExecutableFolder() : home));

    environment.ProgramFolderWritable = ::access(environment.ProgramFolder.c_str(), W_OK) == 0;
    std::string user = Variable("QUENDIC_USER_HOME");
    if (!user.empty())
        environment.UserFolder = WithSlash(Absolute(user));
    else if (environment.ProgramFolderWritable)
        environment.UserFolder = environment.ProgramFolder;
    else
        environment.UserFolder =
            WithSlash(XdgFolder("XDG_DATA_HOME", "/.local/share") + "/quendic");

    environment.RegistryFile = Absolute(Variable("QUENDIC_REGISTRY"));
    if (environment.RegistryFile.empty())
        environment.RegistryFile = XdgFolder("XDG_CONFIG_HOME", "/.config") + "/quendic/registry";

    environment.IpLookupAddress = Variable("QUENDIC_IPS_URL");
    while (!environment.IpLookupAddress.empty() && environment.IpLookupAddress.back() == '/')
        environment.IpLookupAddress.pop_back();
    return environment;
}

void InitEnvironment() {
    std::lock_guard lock(g_mutex);
    if (!g_current)
        g_current = ReadEnvironment();
}

void SetEnvironment(Environment environment) {
    environment.ProgramFolder = WithSlash(std::move(environment.ProgramFolder));
    environment.UserFolder = WithSlash(std::move(environment.UserFolder));
    std::lock_guard lock(g_mutex);
    g_current = std::move(environment);
}

Environment CurrentEnvironment() {
    std::lock_guard lock(g_mutex);
    if (!g_current)
        g_current = ReadEnvironment();
    return *g_current;
}

} // namespace platform
