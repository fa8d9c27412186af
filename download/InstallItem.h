#pragma once

#include "download/DownloadListEntry.h"
#include "platform/FileHandle.h"

#include <string>
#include <vector>

namespace download {

// What installing a downloaded item did. Problem says why it failed, in
// English, for terminals and the log.
struct InstallResult {
    bool Ok = false;
    std::string Target; // native path of the installed file
    std::string Problem;
};

// The folder of downloaded update files, in the user folder. Not "fu\" as
// such a folder is called elsewhere: the updater program "fu" lies in the
// same place when the program folder is the user folder.
inline constexpr char kUpdateCopyFolder[] = "fu.d\\";

// Appends the whole file at `source` to `out`; adds the bytes to `copied`.
// False on a read or write error; `problem` says which.
bool AppendWholeFile(platform::FileHandle& out, const std::string& source, uint64_t& copied,
                     std::string& problem);

// The stored name an item of class `fc` installs to, in the user folder:
//   9   "fu.d\" + FID as 8 hex digits + ".fu" (an update file)
//   10  "10\" + FID as 8 hex digits + ".dat"  (a compound data file; the item
//                                              becomes its member FID)
//   11  "11\" + FID as 2 hex digits (more when it needs them) + ".dat"
// Empty for any other class.
std::string InstalledName(uint32_t fc, uint32_t fid);

// Joins `blockFiles` (native paths, in block order) and installs the result
// as InstalledName(entry.FC, entry.FID) in the user folder, then deletes the
// block files. The joined bytes must come to entry.FS.
//
// Atomic: the new file is written beside the target and renamed over it, so
// an interrupted or failed install leaves the old file whole; class 10 copies
// the container it adds to (the user folder's, else the program folder's)
// into that new file first. On failure the block files stay for the next
// attempt; only a class without an install place removes them (they can
// never be used).
InstallResult InstallItem(const DownloadListEntry& entry,
                          const std::vector<std::string>& blockFiles);

} // namespace download
