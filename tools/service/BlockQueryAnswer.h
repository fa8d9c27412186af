#pragma once

#include "tools/service/ServiceFolder.h"

#include <cstdint>
#include <map>
#include <string>

namespace standin {

// How a block query ("dl.asp?cid=…&sid=…&fc=…&fid=…&pos=…&len=…&check=…")
// is answered: exactly the bytes [Pos, Pos + Len) of Path with status 200,
// or an error status with a short GBK text, never a short body that could
// pass for data.
struct BlockQueryAnswer {
    int Status = 200;
    std::string Message; // the error text when Status is not 200
    std::string Path;
    uint64_t Pos = 0;
    uint64_t Len = 0;
};

// Every parameter must be there exactly once and in its canonical form (cid
// unsigned decimal; sid, fc, pos and len signed 32-bit decimal; fid 1 to 8
// hex digits; check 32 hex digits). 400 for a malformed query or a negative
// position or length, 403 for a wrong check, 404 for an unknown file
// (software other than 102001, class other than 9 and 11, or a number without
// a file), 416 for a range past the end of the file. len=0 is a valid empty
// block.
BlockQueryAnswer AnswerBlockQuery(const ServiceFolder& folder,
                                  const std::multimap<std::string, std::string>& params);

} // namespace standin
