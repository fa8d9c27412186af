#pragma once

#include <cstdint>
#include <string>

namespace net {

// One block of a download: which file, which bytes, for which client.
struct BlockRequest {
    uint32_t ClientId = 0;   // "cid", unsigned decimal
    int32_t Software = 0;    // "sid"
    int32_t FileClass = 0;   // "fc"
    uint32_t FileNumber = 0; // "fid", 8 upper-case hex digits
    int32_t Pos = 0;         // "pos"
    int32_t Len = 0;         // "len"
};

// The check of a block query: MD5 of cid (unsigned decimal), pos and len
// (signed decimal) and one blank, joined without separators, as 32
// lower-case hex digits. For cid 5, pos 0, len 65536 the digested text is
// "5065536 ".
std::string BlockQueryCheck(uint32_t clientId, int32_t pos, int32_t len);

// "cid=…&sid=…&fc=…&fid=…&pos=…&len=…&check=…", appended as it is to a
// server's "Url" (which carries its own "?").
std::string BlockQuery(const BlockRequest& block);

} // namespace net
