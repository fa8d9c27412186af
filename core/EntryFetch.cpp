#include "core/EntryFetch.h"

#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "platform/ByteOrder.h"
#include "platform/FileIO.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "storage/StrCRC.h"
#include "storage/TCDF.h"

#include <cstdio>
#include <new>

namespace core {

namespace {

constexpr char kLocationFile[] = "voc.dif";
constexpr char kCacheFile[] = "VocQuery.dat";
constexpr uint8_t kStoredUnchanged = 28;
constexpr size_t kLocationRecordSize = 12;

bool DownloadNothing(EntryFetch&, const std::string&) {
    return false;
}

FetchResult Damaged(std::string path, std::string reason) {
    return {FetchStatus::Damaged, std::move(path), std::move(reason)};
}

} // namespace

EntryFetch::EntryFetch(std::string entryTempFile)
    : entryTempFile_(std::move(entryTempFile)), downloader_(DownloadNothing) {}

std::string EntryFetch::EntryTempFile() const {
    return entryTempFile_.empty() ? platform::ScratchFile("voc.tmp") : entryTempFile_;
}

void EntryFetch::SetDownloader(Downloader downloader) {
    downloader_ = downloader ? std::move(downloader) : Downloader(DownloadNothing);
}

FetchResult EntryFetch::CannotWrite() const {
    std::string folder;
    if (entryTempFile_.empty()) {
        folder = platform::UserFolder();
    } else {
        auto slash = entryTempFile_.rfind('/');
        folder =
            slash == std::string::npos ? std::string(".") : entryTempFile_.substr(0, slash + 1);
    }
    return {FetchStatus::CannotWrite, folder, "cannot write the entry package into " + folder};
}

FetchResult EntryFetch::OpenEntry(const std::string& word, const Opener& opener) {
    FetchResult result;
    try {
        result = ExtractLocalEntry(word);
        if (!result && result.Status != FetchStatus::CannotWrite) {
            FetchResult online = DownloadEntry(word);
            // The local damage is the better explanation when the network
            // has nothing either.
            if (online || online.Status != FetchStatus::Absent)
                result = online;
        }
    } catch (const std::bad_alloc&) {
        result = Damaged(word, "the entry is too large to load");
    }
    if (result && opener)
        opener(EntryTempFile());
    return result;
}

FetchResult EntryFetch::ExtractLocalEntry(const std::string& word) {
    FetchResult damage;
    FetchResult cached = LoadCachedEntry(word);
    if (cached || cached.Status == FetchStatus::CannotWrite)
        return cached;
    if (cached.Status == FetchStatus::Damaged)
        damage = cached;
    FetchResult installed = LoadInstalledEntry(word);
    if (installed || installed.Status != FetchStatus::Absent)
        return installed;
    return damage;
}

FetchResult EntryFetch::LoadCachedEntry(const std::string& word) {
    // The user's cache is newer; the program folder may ship one of its own.
    const std::string userCache = platform::InUserFolder(kCacheFile);
    const std::string programCache = platform::InProgramFolder(kCacheFile);
    FetchResult result = LoadFromCache(userCache, word);
    if (result || result.Status == FetchStatus::CannotWrite || programCache == userCache)
        return result;
    FetchResult shipped = LoadFromCache(programCache, word);
    return shipped || shipped.Status != FetchStatus::Absent ? shipped : result;
}

FetchResult EntryFetch::LoadFromCache(const std::string& cacheFile, const std::string& word) {
    storage::TCDF cache(cacheFile);
    cache.SetReadLimit(kPackageLimit);
    storage::Stream package;
    if (!cache.ReadStream(storage::WordHash(word), package)) {
        if (cache.LastReadStatus() == storage::ReadStatus::Absent)
            return {};
        return Damaged(cacheFile, std::string("the cached entry ") +
                                      storage::ReadStatusText(cache.LastReadStatus()));
    }
    // An empty member is a package nobody could show; let the installed data
    // answer instead.
    if (package.empty())
        return {};
    return PlacePackage(package, cacheFile, word);
}

FetchResult EntryFetch::LoadInstalledEntry(const std::string& word) {
    LocationRecord location;
    FetchResult found = FindWordLocation(word, location);
    if (!found)
        return found;
    const std::string dataFile = platform::DataFile(EntryDataName(location.Hash));
    const int64_t dataSize = FileSizeOf(dataFile);
    // Entry data not installed yet: the network may have it.
    if (dataSize < 0)
        return {};
    // A record must lie wholly inside the data file: a cut copy or one of
    // length 0 (the rest of the file) would hand over a foreign package.
    if (location.Length == 0 || location.Length > kPackageLimit ||
        static_cast<uint64_t>(location.Offset) + location.Length > static_cast<uint64_t>(dataSize))
        return Damaged(dataFile, "the location record of the entry points outside the file");
    std::optional<std::string> package =
        platform::ReadFileRange(dataFile, location.Offset, location.Length);
    if (!package)
        return Damaged(dataFile, "the entry cannot be read");
    return PlacePackage(*package, dataFile, word);
}

FetchResult EntryFetch::PlacePackage(const std::string& bytes, const std::string& source,
                                     const std::string& word) {
    std::string record;
    const storage::ReadStatus read =
        storage::TCDF::ReadFromImage(bytes, 0u, record, kEntryRecordLimit);
    FetchResult checked = CheckRecord(read, record, source, word);
    if (!checked)
        return checked;
    if (inMemory_) {
        package_ = bytes;
        record_.swap(record);
        return checked;
    }
    const std::string temp = EntryTempFile();
    // Scratch: written at every lookup and deleted at exit, so not synced.
    if (temp.empty() || !platform::WriteFileAtomically(temp, bytes, platform::Durability::Scratch))
        return CannotWrite();
    return checked;
}

FetchResult EntryFetch::CheckPackage(const std::string& path, const std::string& word) {
    storage::TCDF package(path);
    package.SetReadLimit(kEntryRecordLimit);
    std::string record;
    package.ReadString(0u, record);
    return CheckRecord(package.LastReadStatus(), record, path, word);
}

FetchResult EntryFetch::CheckRecord(storage::ReadStatus read, const std::string& record,
                                    const std::string& path, const std::string& word) {
    if (read == storage::ReadStatus::Absent)
        return Damaged(path, "the package of the entry holds no entry record");
    if (read != storage::ReadStatus::Ok)
        return Damaged(path, std::string("the entry record ") + storage::ReadStatusText(read));
    const std::string headword = GetTagValue(GetTagValue(record, "Voc"), "Name");
    if (headword.empty() || !platform::EqualIgnoringAsciiCase(headword, word))
        return Damaged(path, "the package holds no entry of this word");
    return {FetchStatus::Found, {}, {}};
}

FetchResult EntryFetch::FindWordLocation(const std::string& word, LocationRecord& location) const {
    uint32_t hash = storage::WordHash(word);
    // A tool's run keeps the file and the members it read (see
    // KeepPackagesInMemory); the window opens the file anew for each lookup,
    // as an installation may replace it while the program runs.
    storage::TCDF fresh;
    storage::TCDF& locations = inMemory_ ? locations_ : fresh;
    locations.SetFileName(kLocationFile);
    locations.SetNameSeed(0);
    storage::Stream read;
    const storage::Stream* member = &read;
    if (inMemory_ && locationMembers_[hash >> 24]) {
        member = &*locationMembers_[hash >> 24];
    } else if (!locations.ReadStream(hash >> 24, read)) {
        if (locations.LastReadStatus() == storage::ReadStatus::Absent)
            return {};
        return Damaged(locations.FileName(),
                       "the location member of bucket " + std::to_string(hash >> 24) + " " +
                           storage::ReadStatusText(locations.LastReadStatus()));
    } else if (inMemory_) {
        member = &locationMembers_[hash >> 24].emplace(std::move(read));
    }
    std::optional<LocationRecord> found = FindInLocationMember(*member, hash);
    if (!found)
        return {};
    location = *found;
    return {FetchStatus::Found, {}, {}};
}

std::optional<LocationRecord> EntryFetch::FindWordLocation(const std::string& word) const {
    LocationRecord location;
    if (!FindWordLocation(word, location))
        return std::nullopt;
    return location;
}

bool EntryFetch::StoreCachedEntry(const std::string& word) {
    storage::TCDF cache(platform::UserFileForWriting(kCacheFile));
    cache.SetCodeType(kStoredUnchanged);
    return cache.AddFile(storage::WordHash(word), EntryTempFile());
}

FetchResult EntryFetch::DownloadEntry(const std::string& word) {
    if (!downloader_(*this, word))
        return {};
    // Packages arrive from the network: one that is not the word's entry is
    // neither shown nor kept.
    const std::string temp = EntryTempFile();
    FetchResult checked = CheckPackage(temp, word);
    if (!checked) {
        std::remove(temp.c_str());
        return checked;
    }
    // A package fetched online is kept so the next lookup needs no network;
    // failing to cache it does not spoil this lookup.
    (void)StoreCachedEntry(word);
    if (!inMemory_)
        return checked;
    // A tool's run reads it from memory, as a package from a local source.
    std::optional<std::string> bytes = platform::ReadWholeFile(temp);
    std::remove(temp.c_str());
    if (!bytes)
        return Damaged(temp, "the downloaded package cannot be read");
    return PlacePackage(*bytes, temp, word);
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
