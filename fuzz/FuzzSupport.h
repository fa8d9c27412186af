#pragma once

// Shared by the fuzz targets. Each target is one process that runs its input
// function millions of times, so everything here is made once and kept.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fuzzsupport {

// The run's own folder, ending with "/": program folder, user folder and the
// registry file's home, set as the program's environment on first use (in
// /dev/shm when there is one, else the temporary folder) and removed at exit.
// Nothing a target does touches the real home.
const std::string& Folder();

// Replaces the file at `path` by `bytes` (no atomic rename: fuzzing is about
// the readers).
void WriteFile(const std::string& path, std::string_view bytes);

// The input cut into at most `count` parts at each "|~|"; missing parts are
// empty. Lets one input carry several members of a file.
std::vector<std::string> Parts(const uint8_t* data, size_t size, size_t count);

} // namespace fuzzsupport
