#pragma once

#include <cstdint>
#include <string>

namespace download {

// The progress columns of the package window's row for an item, GBK. Texts
// that cannot be computed yet (no whole second has passed, nothing arrived)
// are empty.
struct ItemProgress {
    std::string Elapsed;   // "45秒", "1分30秒"
    std::string Percent;   // "45": received / size x 100, rounded, no sign
    std::string Speed;     // "200K/S": whole KiB per whole second
    std::string Remaining; // like Elapsed, from the speed so far
};

// The progress of `received` of `size` bytes after `elapsedMs` milliseconds.
// An empty file (size 0) is complete: "100".
ItemProgress MakeItemProgress(uint64_t received, uint64_t size, int64_t elapsedMs);

// A duration the way the package window writes it: up to 60 seconds
// "N秒", longer "M分S秒".
std::string DurationText(int64_t seconds);

// The single-file download window's time label after `seconds`:
// "[ 5秒 ]", "[ 1分5秒 ]".
std::string DownloadTimeLabel(int64_t seconds);

} // namespace download
