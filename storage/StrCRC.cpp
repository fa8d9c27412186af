#include "storage/StrCRC.h"

#include "platform/FileHandle.h"
#include "platform/Text.h"

#include <array>
#include <fcntl.h>
#include <zlib.h>

namespace storage {
namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

} // namespace

uint32_t StrCRC(std::string_view text, uint32_t start) {
    uint32_t reg = start;
    for (unsigned char b : text)
        reg = kCrcTable[(reg ^ b) & 0xFF] ^ (reg >> 8);
    return ~reg;
}

uint32_t Crc32(std::string_view bytes, uint32_t previous) {
    uLong crc = previous;
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    size_t left = bytes.size();
    // zlib takes at most a uInt per call.
    while (left > 0) {
        const uInt piece = left > 0x40000000u ? 0x40000000u : static_cast<uInt>(left);
        crc = crc32(crc, data, piece);
        data += piece;
        left -= piece;
    }
    return static_cast<uint32_t>(crc);
}

uint32_t WordHash(std::string_view word) {
    return StrCRC(platform::LowerAscii(word));
}

uint32_t FileCrc32(const std::string& path) {
    platform::FileHandle file = platform::FileHandle::Open(path, O_RDONLY);
    if (!file.IsOpen())
        return 0;
    uint32_t crc = 0;
    char buffer[65536];
    for (;;) {
        const ssize_t n = file.Read(buffer, sizeof buffer);
        if (n < 0)
            return 0;
        if (n == 0)
            return crc;
        crc = Crc32(std::string_view(buffer, static_cast<size_t>(n)), crc);
    }
}

} // namespace storage
