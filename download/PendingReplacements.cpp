#include "download/PendingReplacements.h"

#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "download/InstallItem.h"
#include "platform/AtomicFile.h"
#include "platform/ByteOrder.h"
#include "platform/FileIO.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "storage/TCode.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace download {

namespace {

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

PendingReplacements::ReadResult Failure(PendingReplacements::Status state, std::string problem) {
    PendingReplacements::ReadResult result;
    result.State = state;
    result.Problem = std::move(problem);
    return result;
}

} // namespace

bool PendingReplacements::Write(const std::string& path, const std::vector<Replacement>& items) {
    std::vector<std::string> lines;
    for (const Replacement& item : items)
        lines.push_back(core::MakeTagField(item.NewFile, "NFN") +
                        core::MakeTagField(item.OldFile, "OFN"));
    storage::Stream stream = core::JoinLines(lines);
    return storage::ZipStream(stream) && platform::WriteFileAtomically(path, stream);
}

std::string PendingReplacements::Check(Replacement& item) {
    const std::string copies = platform::InUserFolder(kUpdateCopyFolder);
    std::optional<std::string> source = platform::ResolveInsideFolder(item.NewFile, copies);
    if (!source)
        return "the copy " + item.NewFile + " lies outside " + copies;
    if (!IsRegularFile(*source))
        return "the copy " + item.NewFile + " is missing";
    std::optional<std::string> target =
        platform::ResolveInsideFolder(item.OldFile, platform::ProgramFolder());
    if (!target)
        target = platform::ResolveInsideFolder(item.OldFile, platform::UserFolder());
    if (!target)
        return "the file " + item.OldFile + " lies outside the program and user folders";
    if (IsFolder(*target))
        return "the file " + item.OldFile + " is a folder";
    const std::string pendingFile =
        platform::ResolveInsideFolder(platform::InUserFolder("fu.dat"), platform::UserFolder())
            .value_or("");
    if (*target == pendingFile || *source == pendingFile)
        return "a line names fu.dat itself";
    item.NewFile = std::move(*source);
    item.OldFile = std::move(*target);
    return {};
}

PendingReplacements::ReadResult PendingReplacements::Read(const std::string& path) {
    std::optional<std::string> bytes = platform::ReadWholeFile(path);
    if (!bytes)
        return errno == ENOENT ? Failure(Status::Missing, path + " is missing")
                               : Failure(Status::Damaged, path + " cannot be read");
    if (bytes->size() < 4)
        return Failure(Status::Damaged, path + " is too short");
    if (platform::ReadLe32(*bytes, 0) > kMaxBytes)
        return Failure(Status::Damaged, path + " is too large");
    if (!storage::UnzipStream(*bytes))
        return Failure(Status::Damaged, path + " does not unzip");
    ReadResult result;
    for (const std::string& line : platform::SplitLines(*bytes)) {
        if (line.empty())
            continue;
        Replacement item{core::GetTagValue(line, "NFN"), core::GetTagValue(line, "OFN")};
        if (item.NewFile.empty() || item.OldFile.empty())
            return Failure(Status::Damaged, "a line of " + path + " lacks NFN or OFN");
        if (std::string problem = Check(item); !problem.empty())
            return Failure(Status::Refused, problem);
        result.Items.push_back(std::move(item));
    }
    if (result.Items.empty())
        return Failure(Status::Damaged, path + " names no file");
    result.State = Status::Ok;
    return result;
}

bool ReplaceFile(const std::string& source, const std::string& target, std::string& problem) {
    core::ForceFileDir(target);
    platform::AtomicFile out(target);
    if (!out.IsOpen()) {
        problem = "cannot write beside " + target + ": " + std::strerror(errno);
        return false;
    }
    uint64_t copied = 0;
    if (!AppendWholeFile(out.File(), source, copied, problem))
        return false;
    if (!out.Commit()) {
        problem = "cannot replace " + target + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace download
