#include "net/BlockQuery.h"

#include "net/Md5.h"

#include <cstdio>

namespace net {

std::string BlockQueryCheck(uint32_t clientId, int32_t pos, int32_t len) {
    return Md5Hex(std::to_string(clientId) + std::to_string(pos) + std::to_string(len) + " ",
                  false);
}

std::string BlockQuery(const BlockRequest& block) {
    char fid[9];
    std::snprintf(fid, sizeof fid, "%08X", static_cast<unsigned>(block.FileNumber));
    return "cid=" + std::to_string(block.ClientId) + "&sid=" + std::to_string(block.Software) +
           "&fc=" + std::to_string(block.FileClass) + "&fid=" + fid +
           "&pos=" + std::to_string(block.Pos) + "&len=" + std::to_string(block.Len) +
           "&check=" + BlockQueryCheck(block.ClientId, block.Pos, block.Len);
}

} // namespace net
