#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace download {

// Where one block lies in the file being downloaded.
struct BlockSpan {
    uint32_t Pos = 0;
    uint32_t Len = 0; // may be 0: see PlanBlocks
};

// No plan has more blocks than this, so no item has more transfers at once.
inline constexpr size_t kMaxBlocks = 10;
// Files of at least this size are cut into exactly kMaxBlocks blocks.
inline constexpr uint32_t kTenBlockSize = 655360;
// Below that, blocks are this long (the last one takes the rest).
inline constexpr uint32_t kSmallBlockLen = 65536;

// The blocks of a file of `fileSize` bytes, in file order:
//   size >= 655360:  10 blocks of size / 10, the last one taking the rest;
//   size <= 65536:   one block of the whole file (of 0 bytes for size 0);
//   otherwise:       size / 65536 + 1 blocks of 65536, the last one taking
//                    the rest, which is 0 for an exact multiple of 65536
//                    (that empty block is still requested).
std::vector<BlockSpan> PlanBlocks(uint32_t fileSize);

// The stored name of block `index` of the file whose checksum is `fcrc`, in
// the user folder: 8 upper-case hex digits, ".", the index in decimal
// ("1A2B3C4D.0").
std::string BlockFileName(uint32_t fcrc, size_t index);

// The stored name of the file beside the blocks of `fcrc` that names the item
// they belong to ("1A2B3C4D.owner").
std::string BlockOwnerName(uint32_t fcrc);

} // namespace download
