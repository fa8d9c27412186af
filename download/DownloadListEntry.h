#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace download {

// One line of a download list: the tagged record with "CID", "SID", "FC",
// "FID", "Title", "FS" and "FCRC", numbers as hexadecimal text. The main
// window's package list and the software update write such lines; the
// package window and `quendic-cli download` read them.
struct DownloadListEntry {
    uint32_t CID = 0;
    uint32_t SID = 0;
    uint32_t FC = 0;  // 9 update file, 10 data-file member, 11 entry data file
    uint32_t FID = 0; // names the installed file
    std::string Title;
    uint32_t FS = 0;   // file size in bytes
    uint32_t FCRC = 0; // stem of the block file names

    // Reads a record (tags in any letter case). Nothing when one of the
    // numbers is missing or is not hexadecimal that fits 32 bits.
    static std::optional<DownloadListEntry> Parse(std::string_view record);
};

} // namespace download
