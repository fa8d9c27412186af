#pragma once

#include <cstddef>
#include <cstdint>

namespace net {

// Numbers every request to the service carries or names.
inline constexpr uint32_t kProductNumber = 102;
inline constexpr uint32_t kSoftwareNumber = 102001; // "00018E71"

// File classes of operation 6, 23 and 24 and of block queries.
inline constexpr uint32_t kClassUpdateFile = 9;
inline constexpr uint32_t kClassDataMember = 10;
inline constexpr uint32_t kClassEntryData = 11;

// The update list is the class-9 file with the software number as its number.
inline constexpr uint32_t kUpdateListNumber = kSoftwareNumber;

// Operation numbers (field 0 of a parameter block).
enum Operation : uint32_t {
    kOpReportInstall = 1,
    kOpSendChat = 3,
    kOpPollChat = 4,
    kOpFileAddress = 6,
    kOpPackageList = 17,
    kOpNotices = 22,
    kOpLocateWordData = 23,
    kOpServerList = 24,
};

// Field tags of the parameter block.
enum Tag : uint8_t {
    kTagOperation = 0,
    kTagProduct = 2,
    kTagSoftware = 3,
    kTagProgramCrc = 4,
    kTagClientId = 8,
    kTagIID = 20,
    kTagPID = 21,
    kTagLastMessage = 30,
    kTagFileClass = 31,
    kTagFileNumber = 32,
    kTagOffset = 34,
    kTagLength = 35,
    kTagSelector = 36,
    kTagNoticeKind = 40,
    kTagUserName = 128,
    kTagMessage = 137,
};

// The longest text a tag of 128-199 can carry (its length field is two hex
// digits counting hex digits), and of 200-255.
inline constexpr size_t kMaxShortText = 127;
inline constexpr size_t kMaxLongText = 32767;

} // namespace net
