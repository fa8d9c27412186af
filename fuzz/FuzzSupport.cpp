#include "FuzzSupport.h"

#include "platform/Environment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fuzzsupport {

namespace {

std::string MakeFolder() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "quendic-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        std::abort();
    std::string folder = pattern + "/";
    platform::Environment environment;
    environment.ProgramFolder = folder;
    environment.UserFolder = folder;
    environment.RegistryFile = folder + "registry";
    platform::SetEnvironment(environment);
    return folder;
}

// Removes the folder when the process ends normally.
struct Cleanup {
    std::string folder;
    ~Cleanup() {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
};

} // namespace

const std::string& Folder() {
    static const std::string folder = MakeFolder();
    static const Cleanup cleanup{folder};
    return folder;
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> Parts(const uint8_t* data, size_t size, size_t count) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    size_t at = 0;
    while (parts.size() + 1 < count) {
        const size_t separator = input.find("|~|", at);
        if (separator == std::string_view::npos)
            break;
        parts.emplace_back(input.substr(at, separator - at));
        at = separator + 3;
    }
    parts.emplace_back(input.substr(std::min(at, input.size())));
    parts.resize(count);
    return parts;
}

} // namespace fuzzsupport
