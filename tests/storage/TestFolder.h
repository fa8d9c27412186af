#pragma once

#include "TestFolders.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace storage::test {

// A fresh temporary folder that is the program folder, user folder and
// registry's home while it lives.
using TestFolder = testsupport::TestFolders;

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace storage::test
