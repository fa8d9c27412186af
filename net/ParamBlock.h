#pragma once

#include "net/Protocol.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace net {

// The values a parameter block can carry, one per tag. A block of an
// operation holds the ones OperationFields lists, in that order. Integers are
// 32-bit on the wire; a caller that means -1 stores 0xFFFFFFFF.
struct ParamValues {
    uint32_t Operation = 0;              // tag 0
    uint32_t Product = kProductNumber;   // tag 2
    uint32_t Software = kSoftwareNumber; // tag 3
    uint32_t ProgramCrc = 0;             // tag 4
    uint32_t ClientId = 0;               // tag 8
    uint32_t IID = 0;                    // tag 20
    uint32_t PID = 0;                    // tag 21
    uint32_t LastMessage = 0;            // tag 30, the last chat record id known
    uint32_t FileClass = 0;              // tag 31
    uint32_t FileNumber = 0;             // tag 32
    uint32_t Offset = 0;                 // tag 34
    uint32_t Length = 0;                 // tag 35
    uint32_t Selector = 0;               // tag 36, server-list selector
    uint32_t NoticeKind = 0;             // tag 40
    std::string UserName;                // tag 128, GBK
    std::string Message;                 // tag 137, GBK

    bool operator==(const ParamValues&) const = default;
};

// The tags of an operation's block in order. Operation numbers without a
// layout of their own get that of operation 17.
std::span<const uint8_t> OperationFields(uint32_t operation);

// True for the operations with a layout of their own.
bool IsKnownOperation(uint32_t operation);

// True for the tags whose value is a text (128 and 137); all others carry
// integers.
bool IsTextTag(uint8_t tag);

// Field encodings. An integer under a tag of 0-127 is 8 hex digits, under
// 128-255 "08" and 8 hex digits. A text under 0-127 (but 9) is its bytes in
// hex; under 9 the text itself; under 128-199 a 2-digit and under 200-255 a
// 4-digit count of hex digits, then the bytes in hex. A text longer than its
// tag range can count (127 bytes, 32767 bytes) is cut to the longest prefix
// that ends on a GBK character boundary. All hex is upper case.
std::string EncodeIntField(uint8_t tag, uint32_t value);
std::string EncodeTextField(uint8_t tag, std::string_view text);

// The fields of `operation` in order, from `values` (whose Operation is
// ignored), without the check.
std::string EncodeFields(uint32_t operation, const ParamValues& values);

// The check of a block: MD5 of the block followed by one blank, as 32
// upper-case hex digits.
std::string BlockCheck(std::string_view fields);

enum class BlockError {
    None,
    Malformed, // a character outside 0-9A-F, a field cut short, a wrong tag or extra text
    BadCheck,  // well formed, but the check does not match
};

struct DecodedBlock {
    BlockError Error = BlockError::None;
    ParamValues Values;
};

// Reads a complete block (fields and check) strictly: only 0-9A-F, every
// length within the block, the fields exactly in the layout of the
// operation named by the first field, nothing after the last field, and the
// check equal to BlockCheck of the fields. Values are only meaningful when
// Error is None. Never reads outside `block`.
DecodedBlock DecodeParamBlock(std::string_view block);

} // namespace net
