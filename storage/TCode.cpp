#include "storage/TCode.h"

#include "platform/ByteOrder.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"
#include "storage/StrCRC.h"

#include <algorithm>
#include <zlib.h>

namespace storage {
namespace {

// XOR with a 32-bit key taken as four little-endian bytes: byte i of the
// stream meets byte (i mod 4) of the key, so a short final group uses the
// low-order key bytes. NOT is XOR with all ones.
void XorWords(Stream& stream, uint32_t key) {
    const unsigned char keyBytes[4] = {
        static_cast<unsigned char>(key), static_cast<unsigned char>(key >> 8),
        static_cast<unsigned char>(key >> 16), static_cast<unsigned char>(key >> 24)};
    for (size_t i = 0; i < stream.size(); ++i)
        stream[i] = static_cast<char>(static_cast<unsigned char>(stream[i]) ^ keyBytes[i % 4]);
}

bool IsXorType(uint8_t codeType) {
    return (codeType >= 20 && codeType <= 27) || codeType == 128;
}

// Deflate's best case is about 1032 output bytes per input byte; a length
// word beyond that cannot be honest.
constexpr uint64_t kMaxInflateRatio = 1032;

} // namespace

uint32_t TCode::KeyForType(uint8_t codeType) const {
    switch (codeType) {
    case 20:
    case 128:
        return Key;
    case 21:
        return FileCrc32(platform::ProgramFile());
    case 22:
        return platform::DriveCapacityKiB(platform::GetSystemDir());
    case 23:
        return platform::DriveCapacityKiB(platform::ProgramFile());
    default:
        return 0;
    }
}

bool TCode::StoresUnchanged(uint8_t codeType) {
    // 24-27 XOR with a zero key.
    return codeType != 1 && codeType != 2 && !(codeType >= 20 && codeType <= 23) && codeType != 128;
}

bool TCode::Encode(uint8_t codeType, Stream& stream) {
    if (codeType == 1) {
        XorWords(stream, 0xFFFFFFFFu);
        return true;
    }
    if (codeType == 2)
        return ZipStream(stream);
    if (IsXorType(codeType)) {
        XorWords(stream, KeyForType(codeType));
        return true;
    }
    return false;
}

bool TCode::Decode(uint8_t codeType, Stream& stream) {
    if (codeType == 2)
        return UnzipStream(stream);
    return Encode(codeType, stream);
}

bool ZipStream(Stream& stream) {
    if (stream.empty() || stream.size() > 0xFFFFFFFFu)
        return false;
    const auto n = static_cast<uint32_t>(stream.size());
    uLongf packedSize = compressBound(static_cast<uLong>(stream.size()));
    Stream out(4 + static_cast<size_t>(packedSize), '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data() + 4), &packedSize,
                  reinterpret_cast<const Bytef*>(stream.data()), static_cast<uLong>(stream.size()),
                  1) != Z_OK)
        return false;
    out.resize(4 + static_cast<size_t>(packedSize));
    for (int i = 0; i < 4; ++i)
        out[static_cast<size_t>(i)] = static_cast<char>(n >> (8 * i));
    stream.swap(out);
    return true;
}

bool UnzipStream(Stream& stream) {
    if (stream.size() < 4)
        return false;
    const uint32_t n = platform::ReadLe32(stream, 0);
    if (n == 0)
        return false;
    const size_t packedSize = stream.size() - 4;
    if (static_cast<uint64_t>(n) > kMaxInflateRatio * packedSize)
        return false;

    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return false;
    // The output grows with what zlib really produces, never straight to the
    // claimed length. One byte of room beyond n lets the stream's end (and
    // its checksum) be read, and reveals a stream longer than stated.
    const size_t limit = static_cast<size_t>(n) + 1;
    Stream out(std::min(limit, std::max<size_t>(packedSize * 4, 65536)), '\0');
    const auto* in = reinterpret_cast<const Bytef*>(stream.data() + 4);
    size_t inLeft = packedSize;
    size_t produced = 0;
    int rc = Z_OK;
    while (rc == Z_OK && produced < limit) {
        if (z.avail_in == 0 && inLeft > 0) {
            z.next_in = const_cast<Bytef*>(in);
            z.avail_in = static_cast<uInt>(std::min<size_t>(inLeft, 0x40000000u));
            in += z.avail_in;
            inLeft -= z.avail_in;
        }
        if (produced == out.size())
            out.resize(std::min(limit, out.size() * 2));
        z.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        z.avail_out = static_cast<uInt>(std::min<size_t>(out.size() - produced, 0x40000000u));
        const uInt room = z.avail_out;
        rc = inflate(&z, Z_NO_FLUSH);
        produced += room - z.avail_out;
        if (rc == Z_BUF_ERROR && z.avail_in == 0 && inLeft > 0)
            rc = Z_OK; // more input to feed
    }
    // Bytes after the end of the stream are not part of any member we write.
    const bool allInput = z.avail_in == 0 && inLeft == 0;
    inflateEnd(&z);
    if (rc != Z_STREAM_END || produced != n || !allInput)
        return false;
    out.resize(produced);
    stream.swap(out);
    return true;
}

} // namespace storage
