#include "download/BlockPlan.h"

#include "platform/Text.h"

namespace download {

std::vector<BlockSpan> PlanBlocks(uint32_t fileSize) {
    std::vector<BlockSpan> blocks;
    if (fileSize >= kTenBlockSize) {
        const uint32_t len = fileSize / kMaxBlocks;
        for (uint32_t i = 0; i + 1 < kMaxBlocks; ++i)
            blocks.push_back({i * len, len});
        const uint32_t last = static_cast<uint32_t>(kMaxBlocks - 1) * len;
        blocks.push_back({last, fileSize - last});
    } else if (fileSize <= kSmallBlockLen) {
        blocks.push_back({0, fileSize});
    } else {
        const uint32_t count = fileSize / kSmallBlockLen + 1;
        for (uint32_t i = 0; i + 1 < count; ++i)
            blocks.push_back({i * kSmallBlockLen, kSmallBlockLen});
        const uint32_t last = (count - 1) * kSmallBlockLen;
        blocks.push_back({last, fileSize - last});
    }
    return blocks;
}

std::string BlockFileName(uint32_t fcrc, size_t index) {
    return platform::HexNumber(fcrc) + "." + std::to_string(index);
}

std::string BlockOwnerName(uint32_t fcrc) {
    return platform::HexNumber(fcrc) + ".owner";
}

} // namespace download
