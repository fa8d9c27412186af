#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The folder that stands for the system folder of the original platform:
// "/usr/lib". Its drive capacity keys coding type 22.
std::string GetSystemDir();

// Total capacity of the file system holding `path` (a folder or a file), in
// KiB: statvfs total bytes / 1024, truncated to 32 bits. 0 for an empty path
// or when the file system cannot be queried.
uint32_t DriveCapacityKiB(const std::string& path);

// The computer's network name (gethostname), cut to at most 15 characters;
// empty on failure.
std::string ComputerName();

} // namespace platform
