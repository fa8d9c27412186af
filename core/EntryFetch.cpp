#include "core/EntryFetch.h"

#include "core/Utilities.h"
#include "platform/ByteOrder.h"
#include "platform/Paths.h"
#include "storage/StrCRC.h"
#include "storage/TCDF.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace core {

namespace {

constexpr char kLocationFile[] = "voc.dif";
constexpr char kCacheFile[] = "VocQuery.dat";
constexpr uint8_t kStoredUnchanged = 28;
constexpr size_t kLocationRecordSize = 12;

bool DownloadNothing(EntryFetch&, const std::string&) {
    return false;
}

} // namespace

EntryFetch::EntryFetch(std::string entryTempFile)
    : entryTempFile_(entryTempFile.empty() ? platform::InProgramFolder("voc.tmp")
                                           : std::move(entryTempFile)),
      downloader_(DownloadNothing) {}

void EntryFetch::SetDownloader(Downloader downloader) {
    downloader_ = downloader ? std::move(downloader) : Downloader(DownloadNothing);
}

bool EntryFetch::OpenEntry(const std::string& word, const Opener& opener) {
    if (!ExtractLocalEntry(word) && !DownloadEntry(word))
        return false;
    if (opener)
        opener(entryTempFile_);
    return true;
}

bool EntryFetch::ExtractLocalEntry(const std::string& word) {
    if (LoadCachedEntry(word))
        return true;
    auto location = FindWordLocation(word);
    if (!location)
        return false;
    std::string dataFile = platform::InProgramFolder(EntryDataName(location->Hash));
    std::error_code error;
    if (!std::filesystem::is_regular_file(dataFile, error))
        return false;
    // The range copy succeeds with whatever bytes are present and copies to
    // the end of the file for length 0. Either would hand the window a cut
    // or foreign package, so a record must lie wholly inside the data file.
    uint64_t dataSize = std::filesystem::file_size(dataFile, error);
    if (error || location->Length == 0 ||
        static_cast<uint64_t>(location->Offset) + location->Length > dataSize)
        return false;
    return CopyFileRange(dataFile, entryTempFile_, location->Offset, location->Length);
}

bool EntryFetch::LoadCachedEntry(const std::string& word) {
    std::string cacheFile = platform::InProgramFolder(kCacheFile);
    std::error_code error;
    if (!std::filesystem::is_regular_file(cacheFile, error))
        return false;
    storage::TCDF cache(cacheFile);
    if (!cache.ReadToFile(storage::WordHash(word), entryTempFile_))
        return false;
    // An empty member is a package nobody could show; let the installed data
    // answer instead.
    return std::filesystem::file_size(entryTempFile_, error) > 0 && !error;
}

std::optional<LocationRecord> EntryFetch::FindWordLocation(const std::string& word) const {
    uint32_t hash = storage::WordHash(word);
    storage::TCDF locations(platform::InProgramFolder(kLocationFile));
    locations.SetNameSeed(0);
    storage::Stream member;
    if (!locations.ReadStream(hash >> 24, member))
        return std::nullopt;
    return FindInLocationMember(member, hash);
}

bool EntryFetch::StoreCachedEntry(const std::string& word) {
    storage::TCDF cache(platform::InProgramFolder(kCacheFile));
    cache.SetCodeType(kStoredUnchanged);
    return cache.AddFile(storage::WordHash(word), entryTempFile_);
}

bool EntryFetch::DownloadEntry(const std::string& word) {
    if (!downloader_(*this, word))
        return false;
    // A package fetched online is kept so the next lookup needs no network;
    // failing to cache it does not spoil this lookup.
    (void)StoreCachedEntry(word);
    return true;
}

std::string EntryFetch::EntryDataName(uint32_t hash) {
    char name[16];
    std::snprintf(name, sizeof name, "11\\%02X.dat", static_cast<unsigned>(hash >> 24));
    return name;
}

std::optional<LocationRecord> EntryFetch::FindInLocationMember(std::string_view member,
                                                               uint32_t hash) {
    for (size_t at = 0; member.size() - at >= kLocationRecordSize; at += kLocationRecordSize) {
        if (platform::ReadLe32(member, at) != hash)
            continue;
        return LocationRecord{hash, platform::ReadLe32(member, at + 4),
                              platform::ReadLe32(member, at + 8)};
    }
    return std::nullopt;
}

} // namespace core
