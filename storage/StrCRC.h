#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace storage {

// String checksum: the reflected CRC-32 table (polynomial 0xEDB88320) with the
// register started at `start` (every caller passes 0) and the result
// complemented. StrCRC("abc") == 0x359A672F.
uint32_t StrCRC(std::string_view text, uint32_t start = 0);

// The standard CRC-32 (as zlib computes it): register started at all ones,
// result complemented. Feed pieces by passing the previous result back in.
uint32_t Crc32(std::string_view bytes, uint32_t previous = 0);

// StrCRC of the word with ASCII letters lower-cased; its top byte is the
// word's bucket. WordHash("Apple") == 0x90F3D8B2.
uint32_t WordHash(std::string_view word);

// Crc32 of a whole file's bytes (native path). 0 when the file cannot be
// opened or read, and for an empty file.
uint32_t FileCrc32(const std::string& path);

} // namespace storage
