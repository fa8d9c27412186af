#include "download/TSoftUpdate.h"

#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "core/WordIndex.h"
#include "download/InstallItem.h"
#include "download/PendingReplacements.h"
#include "net/Protocol.h"
#include "net/TAppLog.h"
#include "net/TShakeHand.h"
#include "platform/AtomicFile.h"
#include "platform/ByteOrder.h"
#include "platform/Environment.h"
#include "platform/Http.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "storage/StrCRC.h"
#include "storage/TCode.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace download {

namespace {

// "【" and "】" in GBK.
constexpr char kOpenBracket[] = "\xA1\xBE";
constexpr char kCloseBracket[] = "\xA1\xBF";

constexpr char kSoftwareHex[] = "00018E71";
constexpr char kUpdateClassHex[] = "00000009";

// A stored path from the network as a native relative path: its parts
// joined by "/", empty parts dropped. Nothing for an absolute path, a "." or
// ".." part or a control character, none of which an update may use.
std::optional<std::string> SafeRelative(std::string_view stored) {
    const std::string native = platform::NativePath(stored);
    if (platform::IsAbsolutePath(native))
        return std::nullopt;
    std::string relative;
    size_t from = 0;
    while (from <= native.size()) {
        size_t end = native.find('/', from);
        if (end == std::string::npos)
            end = native.size();
        const std::string_view part(native.data() + from, end - from);
        if (part == "." || part == "..")
            return std::nullopt;
        for (char c : part)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                return std::nullopt;
        if (!part.empty()) {
            if (!relative.empty())
                relative += '/';
            relative += part;
        }
        from = end + 1;
    }
    return relative;
}

// The folder of "LFp" relative to the program folder: "" or ending with "/".
std::optional<std::string> RelativeFolder(std::string_view localFolder) {
    const std::string lower = platform::LowerAscii(localFolder);
    // "[SYS]" and "[SysRoot]": a per-user program never writes system folders.
    if (lower.find("[sys") != std::string::npos)
        return std::nullopt;
    std::string_view rest = localFolder;
    if (platform::StartsWithIgnoringAsciiCase(rest, "[APP]"))
        rest.remove_prefix(5);
    if (platform::LowerAscii(rest).find("[app]") != std::string::npos)
        return std::nullopt;
    std::optional<std::string> relative = SafeRelative(rest);
    if (relative && !relative->empty())
        *relative += '/';
    return relative;
}

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

std::string Lfnc(std::string_view pendingRecord) {
    return core::GetTagValue(pendingRecord, "LFNC");
}

bool HasCrc(const std::string& path, std::string_view crcText) {
    return platform::EqualIgnoringAsciiCase(platform::HexNumber(core::FileCrc(path)), crcText);
}

bool OutOfDate(const UpdateTarget& target, std::string_view record) {
    return target.Refusal.empty() && !HasCrc(target.Current, core::GetTagValue(record, "FCrc"));
}

} // namespace

TSoftUpdate::TSoftUpdate(net::TAppLog* log) : log_(log), runningProgram_(platform::ProgramFile()) {}

void TSoftUpdate::Log(const std::string& text) const {
    if (log_)
        log_->Add(text);
}

std::string TSoftUpdate::ResolveLocalPath(std::string_view record) const {
    const std::optional<std::string> folder = RelativeFolder(core::GetTagValue(record, "LFp"));
    return folder ? platform::ProgramFolder() + *folder : std::string();
}

UpdateTarget TSoftUpdate::Target(std::string_view record) const {
    UpdateTarget target;
    if (!platform::ParseHex32(core::GetTagValue(record, "FID"))) {
        target.Refusal = "no file number";
        return target;
    }
    const std::optional<std::string> folder = RelativeFolder(core::GetTagValue(record, "LFp"));
    if (!folder) {
        target.Refusal = "its folder lies outside the program folder";
        return target;
    }
    const std::string name = core::GetTagValue(record, "LFn");
    const std::optional<std::string> file = SafeRelative(name);
    if (!file || file->empty() || platform::NativePath(name).back() == '/') {
        target.Refusal = "its file name is not a name inside the program folder";
        return target;
    }
    target.Relative = *folder + *file;
    // The copies and the updater's list are the update's own files.
    if (target.Relative == "fu.dat" ||
        target.Relative.starts_with(platform::NativePath(kUpdateCopyFolder))) {
        target.Refusal = "it names the update's own files";
        return target;
    }
    const std::string programFolder = platform::ProgramFolder();
    const std::optional<std::string> inProgram =
        platform::ResolveInsideFolder(programFolder + target.Relative, programFolder);
    if (!inProgram) {
        target.Refusal = "a symbolic link leads out of the program folder";
        return target;
    }
    const std::optional<std::string> running =
        platform::ResolveInsideFolder(runningProgram_, programFolder);
    target.RunningProgram = running && *running == *inProgram;
    target.ProgramFile = target.RunningProgram || IsExecutableFile(*inProgram);
    if (target.ProgramFile) {
        target.Path = target.Current = *inProgram;
        return target;
    }
    const std::string userFolder = platform::UserFolder();
    const std::optional<std::string> inUser =
        platform::ResolveInsideFolder(userFolder + target.Relative, userFolder);
    if (!inUser) {
        target.Refusal = "a symbolic link leads out of the user folder";
        return target;
    }
    target.Path = *inUser;
    target.Current = platform::DataFile(target.Relative);
    return target;
}

std::string TSoftUpdate::CopyPath(std::string_view record) const {
    const std::optional<uint32_t> fid = platform::ParseHex32(core::GetTagValue(record, "FID"));
    return fid ? platform::InUserFolder(InstalledName(net::kClassUpdateFile, *fid)) : std::string();
}

bool TSoftUpdate::NeedsUpdate(std::string_view record) const {
    return OutOfDate(Target(record), record);
}

bool TSoftUpdate::CopyIsValid(std::string_view record) const {
    const std::string copy = CopyPath(record);
    return !copy.empty() && ::access(copy.c_str(), F_OK) == 0 &&
           HasCrc(copy, core::GetTagValue(record, "FCrc"));
}

bool TSoftUpdate::ReplaceTarget(const std::string& copy, const UpdateTarget& target) const {
    std::string problem;
    if (ReplaceFile(copy, target.Path, problem))
        return true;
    Log("update: " + problem);
    return false;
}

bool TSoftUpdate::DownloadCopy(std::string_view record, const std::string& copy,
                               const std::stop_token& stop) const {
    const std::optional<uint32_t> fid = platform::ParseHex32(core::GetTagValue(record, "FID"));
    const std::optional<uint32_t> size = platform::ParseHex32(core::GetTagValue(record, "FS"));
    if (!fid || !size) {
        Log("update: no size given for " + core::GetTagValue(record, "LFn"));
        return false;
    }
    core::ForceFileDir(copy);
    platform::AtomicFile out(copy);
    if (!out.IsOpen()) {
        Log("update: cannot write " + copy);
        return false;
    }
    net::TShakeHand client;
    platform::HttpRequest request;
    request.cancelled = [&stop] { return stop.stop_requested(); };
    uint64_t received = 0;
    bool written = true;
    const platform::HttpReply reply = platform::HttpFetch(
        client.MakeFileUrl(net::kClassUpdateFile, *fid), request, [&](std::string_view piece) {
            received += piece.size();
            written = received <= *size && out.File().WriteAll(piece);
            return written;
        });
    if (!reply.ok || reply.status < 200 || reply.status > 299 || !written || received != *size) {
        Log("update: the download of " + core::GetTagValue(record, "LFn") + " failed");
        return false;
    }
    return out.Commit();
}

void TSoftUpdate::QuietUpdate(std::string_view record, std::stop_token stop) {
    const UpdateTarget target = Target(record);
    if (!target.Refusal.empty() || HasCrc(target.Current, core::GetTagValue(record, "FCrc")))
        return;
    const std::string copy = CopyPath(record);
    if (!CopyIsValid(record) && !stop.stop_requested())
        DownloadCopy(record, copy, stop);
    if (stop.stop_requested())
        return;
    if (!CopyIsValid(record)) {
        Log("update: the copy of " + target.Relative + " does not have its CRC");
        return;
    }
    if (ReplaceTarget(copy, target))
        Log("update: installed " + target.Path);
}

bool TSoftUpdate::SelectUpdates(const std::vector<std::string>& lines, std::stop_token stop) {
    pendingList_.clear();
    updateMode_.clear();
    skippedProgramFiles_ = 0;
    refusedRecords_ = 0;
    const std::string clientId = platform::HexNumber(net::TShakeHand().GetClientId());
    const std::string programFolder = platform::ProgramFolder();
    for (const std::string& line : lines) {
        if (core::GetTagValue(line, "FID").empty())
            continue;
        const char* rank = "4";
        if (platform::EqualIgnoringAsciiCase(core::GetTagValue(line, "User"), "CID")) {
            if (!platform::EqualIgnoringAsciiCase(core::GetTagValue(line, "CID"), clientId))
                continue;
            rank = "1";
        }
        const UpdateTarget target = Target(line);
        if (!target.Refusal.empty()) {
            Log("update: record refused (" + target.Refusal + "): " + line);
            ++refusedRecords_;
            continue;
        }
        const std::string lfnc = platform::HexNumber(
            storage::StrCRC(platform::LowerAscii(programFolder + target.Relative)));
        pendingList_.push_back(core::MakeTagField(lfnc, "LFNC") + core::MakeTagField(rank, "UO") +
                               line);
    }
    if (pendingList_.empty())
        return false;
    // Case-insensitive text order: the records of one file stand together,
    // the one for this installation ("UO" 1) first.
    std::stable_sort(
        pendingList_.begin(), pendingList_.end(),
        [](const std::string& a, const std::string& b) { return core::ResultLineLess(a, b); });
    updateMode_ = "Hint";

    const bool programFolderWritable = platform::CurrentEnvironment().ProgramFolderWritable;
    std::vector<bool> keep(pendingList_.size(), false);
    for (size_t i = pendingList_.size(); i-- > 0;) {
        const std::string& record = pendingList_[i];
        if (i > 0 && Lfnc(record) == Lfnc(pendingList_[i - 1]))
            continue;
        const UpdateTarget target = Target(record);
        if (!OutOfDate(target, record))
            continue;
        if (target.ProgramFile && !programFolderWritable) {
            ++skippedProgramFiles_;
            continue;
        }
        const std::string manner = core::GetTagValue(record, "UM");
        if (quietInstall_ && platform::EqualIgnoringAsciiCase(manner, "Quiet")) {
            QuietUpdate(record, stop);
            continue;
        }
        if (platform::EqualIgnoringAsciiCase(manner, "Auto"))
            updateMode_ = "Auto";
        keep[i] = true;
    }
    size_t kept = 0;
    for (size_t i = 0; i < pendingList_.size(); ++i) {
        if (!keep[i])
            continue;
        if (i != kept)
            pendingList_[kept] = std::move(pendingList_[i]);
        ++kept;
    }
    pendingList_.resize(kept);
    if (skippedProgramFiles_ > 0)
        Log("update: " + std::to_string(skippedProgramFiles_) +
            " program files are out of date, but the program folder " + programFolder +
            " may not be written; the package manager updates them");
    return !pendingList_.empty();
}

std::string TSoftUpdate::MakeDownloadRecord(std::string_view record, uint32_t clientId) const {
    const uint32_t fid = platform::ParseHex32(core::GetTagValue(record, "FID")).value_or(0);
    return core::MakeTagField(platform::HexNumber(clientId), "CID") +
           core::MakeTagField(kSoftwareHex, "SID") + core::MakeTagField(kUpdateClassHex, "FC") +
           core::MakeTagField(platform::HexNumber(fid), "FID") +
           core::MakeTagField(core::GetTagValue(record, "LFn"), "Title") +
           core::MakeTagField(core::GetTagValue(record, "FS"), "FS") +
           core::MakeTagField(core::GetTagValue(record, "FCrc"), "FCRC");
}

bool TSoftUpdate::CheckForUpdates(std::stop_token stop) {
    listReceived_ = false;
    net::TShakeHand client;
    std::atomic<bool> cancelled{stop.stop_requested()};
    std::stop_callback onStop(stop, [&cancelled] { cancelled = true; });
    client.SetCancelFlag(&cancelled);
    const std::string url = client.MakeFileUrl(net::kClassUpdateFile, net::kUpdateListNumber);
    core::ForceFileDir(platform::InUserFolder(kUpdateCopyFolder));
    std::string body;
    if (!client.FetchStream(url, body) || body.size() < 4 ||
        platform::ReadLe32(body, body.size() - 4) != net::kUpdateListNumber)
        return false;
    body.resize(body.size() - 4);
    if (body.size() < 4 || platform::ReadLe32(body, 0) > kMaxListBytes ||
        !storage::UnzipStream(body))
        return false;
    listReceived_ = true;
    const bool pending = SelectUpdates(platform::SplitLines(body), stop);
    // A list left by an updater that could not finish: starting the update
    // unasked would end the program at every start, so the user is asked.
    if (updateMode_ == "Auto" && ::access(PendingFile().c_str(), F_OK) == 0)
        updateMode_ = "Hint";
    downloadList_.clear();
    const uint32_t clientId = client.GetClientId();
    for (const std::string& record : pendingList_)
        downloadList_.push_back(MakeDownloadRecord(record, clientId));
    return pending;
}

bool TSoftUpdate::ApplyUpdates() {
    std::vector<Replacement> left;
    for (const std::string& record : pendingList_) {
        const UpdateTarget target = Target(record);
        const std::string copy = CopyPath(record);
        if (::access(copy.c_str(), F_OK) != 0 || !OutOfDate(target, record))
            continue;
        if (!CopyIsValid(record)) {
            Log("update: the copy " + copy + " does not have the CRC of " + target.Relative);
            continue;
        }
        if (target.RunningProgram || !ReplaceTarget(copy, target))
            left.push_back({copy, target.Path});
    }
    if (left.empty())
        return false;
    if (!PendingReplacements::Write(PendingFile(), left)) {
        Log("update: cannot write " + PendingFile());
        return false;
    }
    return true;
}

std::string TSoftUpdate::RunningProgramName() {
    const std::string file = platform::ProgramFile();
    return file.substr(file.rfind('/') + 1);
}

std::string TSoftUpdate::PendingFile() {
    return platform::UserFileForWriting("fu.dat");
}

std::string TSoftUpdate::UpdaterCommandLine(std::string_view programName) {
    return "\"" + platform::ProgramFolder() + "fu\" \"" + kOpenBracket + std::string(programName) +
           kCloseBracket + "\" \"";
}

bool TSoftUpdate::StartUpdater(std::string_view programName, std::string_view extraArguments) {
    std::string commandLine = UpdaterCommandLine(programName);
    if (!extraArguments.empty())
        commandLine += "\" " + std::string(extraArguments);
    return platform::RunProgram(commandLine, false, false);
}

} // namespace download
