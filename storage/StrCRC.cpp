#include "storage/StrCRC.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
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
    std::string lower(word);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return StrCRC(lower);
}

uint32_t FileCrc32(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    uint32_t crc = 0;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            crc = 0;
            break;
        }
        if (n == 0)
            break;
        crc = Crc32(std::string_view(buffer, static_cast<size_t>(n)), crc);
    }
    ::close(fd);
    return crc;
}

} // namespace storage
