#pragma once

#include "storage/TCDF.h"

#include <cstdint>
#include <string>
#include <vector>

namespace core {

// The service and display data file "sd.102", a compound data file, and the
// one place that reads it. Its file name is "sd." + (member number / 1000000);
// every member in use belongs to product 102.
inline constexpr uint32_t kServiceBaseMember = 102000000; // the service base address
inline constexpr uint32_t kAdPictureMember = 102000001;   // advertisement picture (GIF)
inline constexpr uint32_t kAdRecordMember = 102000002;    // advertisement record, "Url"
inline constexpr uint32_t kHelpMember = 102000100;        // help document, lines

// Native path of the data file holding `member`: "sd.102" for every member
// above, read as a data file (the user folder's copy, else the program
// folder's).
std::string ServiceDataFile(uint32_t member);

// The decoded bytes of a member. False, with `bytes` unchanged, when the file
// is missing (or no regular file) or the member is absent, damaged or larger
// than such a member may be (1 MiB for the help document, 4 MiB for the
// picture, 64 KiB for the records); `why`, when given, then tells which. A
// member of length 0 is found and gives "".
bool ReadServiceMember(uint32_t member, std::string& bytes, storage::ReadStatus* why = nullptr);

// The member as text lines (CR LF, LF or CR breaks). False, with `lines`
// unchanged, as for ReadServiceMember.
bool ReadServiceLines(uint32_t member, std::vector<std::string>& lines,
                      storage::ReadStatus* why = nullptr);

} // namespace core
