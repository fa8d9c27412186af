#pragma once

#include "platform/FileHandle.h"

#include <mutex>
#include <string>
#include <string_view>

namespace net {

// The application log: a binary file of timestamped text records (layout in
// docs/formats.md), appended to and never read back. Opened at construction,
// closed at destruction. A file that cannot be opened or created leaves the
// log silent; the program goes on without it. Add may be called from any
// thread.
class TAppLog {
public:
    // Text bytes one record can hold (its length field is 16 bits).
    static constexpr size_t kMaxText = 65535;
    // A log larger than this is emptied when it is opened.
    static constexpr uint64_t kMaxOpenSize = 3145728;

    // No name: the program's file name with its extension replaced by
    // ".log", in the user folder. A name starting with "/" is used as it
    // is; any other name is taken in the user folder ("\" separators
    // allowed). Missing folders of the path are created. The file is opened
    // for reading and writing, created when missing, and locked against
    // other writers (another process holding it leaves this log silent).
    explicit TAppLog(std::string_view fileName = {});
    ~TAppLog() = default;
    TAppLog(const TAppLog&) = delete;
    TAppLog& operator=(const TAppLog&) = delete;

    const std::string& FileName() const { return fileName_; }
    bool IsOpen() const { return file_.IsOpen(); }

    // Appends one record with the current local time. A text over kMaxText
    // bytes is cut on a GBK character boundary. Write errors are ignored.
    void Add(std::string_view text);

    // The record for `text` at `daysSince1899` (days since 1899-12-30 00:00
    // local time, the fraction the time of day).
    static std::string MakeRecord(double daysSince1899, std::string_view text);
    // The current local time in that form.
    static double Now();

private:
    std::string fileName_;
    std::mutex mutex_;
    platform::FileHandle file_; // guarded by mutex_ for writes
};

} // namespace net
