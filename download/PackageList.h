#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace download {

// One package the service offers (operation 17), with its download list entry.
struct Package {
    uint32_t Number = 0;    // "JMBH", the bucket of its entry data file
    std::string Name;       // "JMMC", GBK
    bool Installed = false; // its "11\XX.dat" is there (user or program folder)
    // The download list entry: "CID" (this installation's client number),
    // "SID" 00018E71, "FC" 0000000B, "FID" the number as 8 hex digits,
    // "Title" the name, "FS" and "FCRC" as the service wrote them.
    std::string Record;
};

// The service's packages in its order; lines without a hexadecimal "JMBH"
// are left out. Nothing when the list cannot be had (no answer, or an answer
// without packages).
std::optional<std::vector<Package>> FetchPackages();

// Fills `list` with the entries of the packages that are not installed, in
// the service's order. False when the package list cannot be had; the caller
// shows "取下载信息失败！请检稍后再试！".
bool BuildPackageList(std::vector<std::string>& list);

// Row states of the package window (its state images).
enum RowState : int { kRowWaiting = 0, kRowDownloading = 1, kRowDone = 2, kRowFailed = 3 };

// The row to download next, or -1. With automatic download the first row
// from the top that is waiting; otherwise the selected row (-1 for none)
// unless it is done. A failed row can thus be started again by hand.
int ChooseItem(const std::vector<int>& rowStates, int selectedRow, bool autoDownload);

} // namespace download
