#pragma once

#include <cstdint>
#include <string>

namespace storage {

// In-memory stream: the bytes of a member, plain or stored (coded) form.
using Stream = std::string;

// Codes a whole memory stream into its stored form and back by coding type:
// 1 NOT, 2 zlib with a length word, 20 and 128 XOR with Key, 21 XOR with the
// program file's CRC-32, 22/23 XOR with a drive capacity in KiB, 24-27 XOR 0,
// anything else unchanged.
class TCode {
public:
    // XOR key of types 20 and 128; the container sets it to a member id
    // before a type-128 member and it keeps that value afterwards.
    uint32_t Key = 0;

    // Both return false when the stream was not (or could not be) coded; a
    // failed decode leaves the stream unchanged.
    bool Encode(uint8_t codeType, Stream& stream);
    bool Decode(uint8_t codeType, Stream& stream);

    uint32_t KeyForType(uint8_t codeType) const;

    // True for the types whose stored bytes are the plain bytes, so any part
    // of a member can be read without the rest.
    static bool StoresUnchanged(uint8_t codeType);
};

// Type 2. ZipStream: false on an empty stream. UnzipStream: false on an empty
// stream, a zero length word, data that does not inflate to exactly the
// stated length or bytes after the end of the zlib stream; the stream is then
// unchanged. Never allocates more than the
// compressed data can justify.
bool ZipStream(Stream& stream);
bool UnzipStream(Stream& stream);

} // namespace storage
