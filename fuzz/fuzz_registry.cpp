// The registry store: the input as the store's file, values read from it,
// and (for every fourth input) one written, which must then read back.
#include "FuzzSupport.h"

#include "platform/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& folder = fuzzsupport::Folder();
    fuzzsupport::WriteFile(folder + "registry",
                           std::string_view(reinterpret_cast<const char*>(data), size));
    platform::RegValue value;
    platform::RegReadValue(platform::RegRoot::CurrentUser, "K", "V", value);
    platform::RegReadValue(platform::RegRoot::ClassesRoot, "Software\\Marvane\\102", "", value);
    platform::RegValueExists(platform::RegRoot::CurrentUser, "SoftWare\\Marvane\\Param", "A");
    platform::ReadParam("A");
    if (size % 4 == 0 && platform::WriteParam("Fuzz", "written") &&
        platform::ReadParam("Fuzz") != "written")
        __builtin_trap(); // a value just written must read back
    return 0;
}
