#include "download/ConnectionLimit.h"

#include "platform/Registry.h"

#include <variant>

namespace download {

namespace {

constexpr char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kValue[] = "MaxConnectionsPerServer";

} // namespace

int64_t RaiseConnectionLimit() {
    int64_t saved = -1;
    platform::RegValue value;
    if (platform::RegReadValue(platform::RegRoot::CurrentUser, kKey, kValue, value))
        if (const uint32_t* number = std::get_if<uint32_t>(&value))
            saved = *number;
    platform::RegWriteValue(platform::RegRoot::CurrentUser, kKey, kValue, false, true,
                            kRaisedConnectionLimit, platform::RegNumber);
    return saved;
}

void RestoreConnectionLimit(int64_t saved) {
    if (saved < 0)
        platform::RegDeleteValue(platform::RegRoot::CurrentUser, kKey, kValue);
    else
        platform::RegWriteValue(platform::RegRoot::CurrentUser, kKey, kValue, false, true,
                                static_cast<uint32_t>(saved), platform::RegNumber);
}

} // namespace download
