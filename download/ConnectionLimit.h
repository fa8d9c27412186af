#pragma once

#include <cstdint>

namespace download {

// The per-server connection limit of the internet layer, "MaxConnectionsPerServer"
// under the current user's "Software\Microsoft\Windows\CurrentVersion\Internet
// Settings" in the registry store. libcurl has no such cap, so the value is
// only kept for what else reads the store; the package window raises it while
// it exists.

// The value the limit is raised to.
inline constexpr uint32_t kRaisedConnectionLimit = 10;

// Reads the current value (-1 when absent or not a number), then writes 10
// as a 32-bit number, creating the key when needed. Returns what was read,
// for RestoreConnectionLimit.
int64_t RaiseConnectionLimit();

// Deletes the value when `saved` is -1, else writes `saved` back.
void RestoreConnectionLimit(int64_t saved);

} // namespace download
