#pragma once

#include <string>
#include <vector>

namespace download {

// One line of "fu.dat": a downloaded copy ("NFN") and the file it replaces
// ("OFN"), both native absolute paths.
struct Replacement {
    std::string NewFile;
    std::string OldFile;
};

// "fu.dat": the ZipStream form of text lines, each the field "NFN" followed
// by the field "OFN" (layout in docs/formats.md). Written by the program for
// the updater "fu", which applies it after the program has exited.
class PendingReplacements {
public:
    enum class Status {
        Ok,
        Missing, // no file
        Damaged, // empty, does not unzip, too large, or a line lacks a field
        Refused, // a line names a file outside the places it may name
    };

    struct ReadResult {
        Status State = Status::Missing;
        std::vector<Replacement> Items;
        std::string Problem; // English, for the log; empty for Ok
    };

    // The largest "fu.dat" accepted, unzipped.
    static constexpr size_t kMaxBytes = 1u << 20;

    // Writes `items` to `path` atomically; false when it cannot be written.
    static bool Write(const std::string& path, const std::vector<Replacement>& items);

    // Reads and checks the whole file: every "NFN" a regular file inside the
    // user folder's "fu.d" folder, every "OFN" inside the program folder or the
    // user folder (after symbolic links are followed), neither of them
    // "fu.dat" or a folder. One bad line refuses the whole file, so a damaged
    // or hostile file changes nothing.
    static ReadResult Read(const std::string& path);

    // The reason `item` may not be applied; empty when it may. Paths come
    // back with symbolic links resolved.
    static std::string Check(Replacement& item);
};

// Replaces `target` by a copy of `source`, making its folder when missing:
// the bytes go to a temporary file
// in the target's folder that gets the old file's permission bits (0600 for
// a new file) and is renamed over the target, so an interruption leaves the
// old file whole. False on any failure, with `problem` saying why.
bool ReplaceFile(const std::string& source, const std::string& target, std::string& problem);

} // namespace download
