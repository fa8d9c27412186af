#pragma once

#include <curl/curl.h>

namespace platform {

// The libcurl functions the HTTP layer calls, loaded from the shared library
// on first use rather than linked: programs that never go online (most runs
// of quendic-cli) then do not pay for loading libcurl and the dozens of
// libraries it pulls in.
struct CurlLibrary {
    CURL* (*EasyInit)();
    void (*EasyCleanup)(CURL*);
    CURLcode (*EasySetopt)(CURL*, CURLoption, ...);
    CURLcode (*EasyPerform)(CURL*);
    CURLcode (*EasyGetinfo)(CURL*, CURLINFO, ...);
    curl_slist* (*SlistAppend)(curl_slist*, const char*);
    void (*SlistFreeAll)(curl_slist*);
};

// The library, loaded and globally initialised once (thread-safe); null when
// it cannot be loaded, and every transfer then fails. Never unloaded.
const CurlLibrary* Curl();

} // namespace platform
