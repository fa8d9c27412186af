#include "platform/CurlLibrary.h"

#include <dlfcn.h>

#include <mutex>

namespace platform {
namespace {

// Binds one function pointer; false when the symbol is missing.
template <typename Function> bool Bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

const CurlLibrary* Load() {
    // The soname of libcurl 7.16 and later, the ABI curl.h describes.
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        return nullptr;
    static CurlLibrary curl;
    CURLcode (*globalInit)(long) = nullptr;
    if (!Bind(library, "curl_global_init", globalInit) ||
        !Bind(library, "curl_easy_init", curl.EasyInit) ||
        !Bind(library, "curl_easy_cleanup", curl.EasyCleanup) ||
        !Bind(library, "curl_easy_setopt", curl.EasySetopt) ||
        !Bind(library, "curl_easy_perform", curl.EasyPerform) ||
        !Bind(library, "curl_easy_getinfo", curl.EasyGetinfo) ||
        !Bind(library, "curl_slist_append", curl.SlistAppend) ||
        !Bind(library, "curl_slist_free_all", curl.SlistFreeAll) ||
        globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        dlclose(library);
        return nullptr;
    }
    return &curl;
}

} // namespace

const CurlLibrary* Curl() {
    static std::once_flag once;
    static const CurlLibrary* curl = nullptr;
    std::call_once(once, [] { curl = Load(); });
    return curl;
}

} // namespace platform
