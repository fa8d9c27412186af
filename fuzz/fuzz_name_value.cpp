// The name/value file "nv.dat" and list files: the input as the file, read as
// settings and as plain and zipped lists; for every fourth input a setting
// written, which must then read back.
#include "FuzzSupport.h"

#include "core/Utilities.h"

#include <filesystem>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& folder = fuzzsupport::Folder();
    const std::string path = folder + "nv.dat";
    fuzzsupport::WriteFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
    std::string value;
    core::ReadNameValue("Top", value);
    core::LoadListFile(path, true);
    core::LoadListFile(path, false);
    if (size % 4 == 0) {
        if (core::WriteNameValue("Fuzz", "a\r\nb") &&
            (!core::ReadNameValue("fuzz", value) || value != "a\r\nb"))
            __builtin_trap(); // a value just written must read back
        // Damaged files kept aside would pile up over millions of runs.
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            if (entry.path().filename().string().rfind("nv.dat.damaged", 0) == 0)
                std::filesystem::remove(entry.path(), error);
    }
    return 0;
}
