#include "download/InstallItem.h"

#include "net/Protocol.h"
#include "platform/AtomicFile.h"
#include "platform/FileHandle.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "storage/TCDF.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

namespace download {

namespace {

constexpr uint8_t kStoredUnchanged = 28;
constexpr size_t kCopyChunk = 65536;

bool JoinBlocks(platform::FileHandle& out, const std::vector<std::string>& blockFiles,
                uint32_t expected, std::string& problem) {
    uint64_t copied = 0;
    for (const std::string& block : blockFiles)
        if (!AppendWholeFile(out, block, copied, problem))
            return false;
    if (copied != expected) {
        problem =
            "the blocks hold " + std::to_string(copied) + " bytes, not " + std::to_string(expected);
        return false;
    }
    return true;
}

void RemoveBlocks(const std::vector<std::string>& blockFiles) {
    for (const std::string& block : blockFiles)
        std::remove(block.c_str());
}

// Class 10: a copy of the current container with the joined bytes added as
// member FID, renamed over the container.
bool InstallMember(const DownloadListEntry& entry, const std::vector<std::string>& blockFiles,
                   platform::AtomicFile& container, const std::string& storedName,
                   std::string& problem) {
    const std::string current = platform::DataFile(storedName);
    uint64_t ignored = 0;
    if (platform::FileHandle::Open(current, O_RDONLY).IsOpen() &&
        !AppendWholeFile(container.File(), current, ignored, problem))
        return false;
    platform::AtomicFile member(container.TempPath() + ".member");
    if (!member.IsOpen()) {
        problem = std::string("cannot write beside the installed file: ") + std::strerror(errno);
        return false;
    }
    if (!JoinBlocks(member.File(), blockFiles, entry.FS, problem))
        return false;
    storage::TCDF cdf(container.TempPath());
    cdf.SetNameSeed(0);
    cdf.SetCodeType(kStoredUnchanged);
    if (!cdf.AddFile(entry.FID, member.TempPath())) {
        problem = "cannot add the member to " + storedName;
        return false;
    }
    return true;
}

} // namespace

bool AppendWholeFile(platform::FileHandle& out, const std::string& source, uint64_t& copied,
                     std::string& problem) {
    platform::FileHandle in = platform::FileHandle::Open(source, O_RDONLY);
    if (!in.IsOpen()) {
        problem = "cannot read " + source + ": " + std::strerror(errno);
        return false;
    }
    char buffer[kCopyChunk];
    while (true) {
        const ssize_t n = in.Read(buffer, sizeof buffer);
        if (n < 0) {
            problem = "cannot read " + source + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0)
            return true;
        if (out.Write(buffer, static_cast<size_t>(n)) != static_cast<size_t>(n)) {
            problem = std::string("cannot write the installed file: ") + std::strerror(errno);
            return false;
        }
        copied += static_cast<uint64_t>(n);
    }
}

std::string InstalledName(uint32_t fc, uint32_t fid) {
    switch (fc) {
    case net::kClassUpdateFile:
        return kUpdateCopyFolder + platform::HexNumber(fid) + ".fu";
    case net::kClassDataMember:
        return "10\\" + platform::HexNumber(fid) + ".dat";
    case net::kClassEntryData:
        return "11\\" + platform::HexNumber(fid, 2) + ".dat";
    default:
        return {};
    }
}

InstallResult InstallItem(const DownloadListEntry& entry,
                          const std::vector<std::string>& blockFiles) {
    InstallResult result;
    const std::string storedName = InstalledName(entry.FC, entry.FID);
    if (storedName.empty()) {
        RemoveBlocks(blockFiles);
        result.Problem = "file class " + std::to_string(entry.FC) + " has no install place";
        return result;
    }
    result.Target = platform::UserFileForWriting(storedName);
    if (!platform::IsInsideFolder(result.Target, platform::UserFolder())) {
        result.Problem = result.Target + " lies outside the user folder";
        return result;
    }
    platform::AtomicFile file(result.Target);
    if (!file.IsOpen()) {
        result.Problem = "cannot write " + result.Target + ": " + std::strerror(errno);
        return result;
    }
    const bool written = entry.FC == net::kClassDataMember
                             ? InstallMember(entry, blockFiles, file, storedName, result.Problem)
                             : JoinBlocks(file.File(), blockFiles, entry.FS, result.Problem);
    if (!written)
        return result;
    // A package lost with the rename in a crash is only downloaded again.
    if (!file.Commit(false)) {
        result.Problem = "cannot write " + result.Target + ": " + std::strerror(errno);
        return result;
    }
    RemoveBlocks(blockFiles);
    result.Ok = true;
    return result;
}

} // namespace download
