#pragma once

#include "storage/TCDF.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace core {

// Where a word's full entry lies inside its bucket's entry data file. Stored
// in "voc.dif" as 12 little-endian bytes: hash, offset, length.
struct LocationRecord {
    uint32_t Hash = 0;
    uint32_t Offset = 0;
    uint32_t Length = 0;
};

enum class FetchStatus {
    Found,       // the package is in EntryTempFile()
    Absent,      // no source has the word
    Damaged,     // a source has it, but not as a readable entry of that word
    CannotWrite, // the package file cannot be written
};

// The outcome of a fetch. Path names the damaged file (Damaged) or the folder
// that cannot be written (CannotWrite); Reason says what went wrong, in
// English, for terminals.
struct FetchResult {
    FetchStatus Status = FetchStatus::Absent;
    std::string Path;
    std::string Reason;

    explicit operator bool() const { return Status == FetchStatus::Found; }
};

// Fetches the entry package of one headword into a scratch file ("voc.tmp"
// of this process) and hands that file to an opener (the vocabulary window).
// Sources, in order: the cache "VocQuery.dat" (the user folder's, then the
// program folder's), the installed entry data "11\XX.dat" located through
// "voc.dif", then DownloadEntry. A package counts only when its entry record
// (member 0) is readable and names the word; otherwise the next source is
// tried. Not thread-safe; owned by the main window and used on its thread.
class EntryFetch {
public:
    // Opens a fetched package; receives the full path of EntryTempFile().
    using Opener = std::function<void(const std::string& packagePath)>;
    // Fetches the word online into EntryTempFile(); true on success. The
    // default fails silently: there is no network source yet. Caching the
    // result is DownloadEntry's job, not the downloader's.
    using Downloader = std::function<bool(EntryFetch& fetch, const std::string& word)>;

    // Largest package a source may hand over, and largest entry record.
    static constexpr uint64_t kPackageLimit = 16u << 20;
    static constexpr uint64_t kEntryRecordLimit = 1u << 20;

    // entryTempFile: the package file handed to the opener; empty means the
    // scratch file "voc.tmp" of this process (platform::ScratchFile).
    explicit EntryFetch(std::string entryTempFile = {});

    // The package file; empty when the scratch folder cannot be made.
    std::string EntryTempFile() const;

    // Keeps the packages the local sources hand over in memory (Package())
    // instead of writing EntryTempFile(): for tools that only read the entry
    // record and write no file. Downloads still go to the file. The location
    // records a lookup reads are then kept too, for the next lookups of the
    // run: a tool's run does not outlive an installation.
    void KeepPackagesInMemory(bool on) { inMemory_ = on; }
    // The last package kept in memory, and its entry record (member 0).
    const std::string& Package() const { return package_; }
    const std::string& EntryRecord() const { return record_; }

    // Replaces the network source. An empty function restores the default.
    void SetDownloader(Downloader downloader);

    // Fetches the entry and calls opener when it is found. Nothing is opened
    // otherwise; the result says why.
    FetchResult OpenEntry(const std::string& word, const Opener& opener);

    // Cache first, then the installed entry data. The installed data is not
    // added to the cache.
    [[nodiscard]] FetchResult ExtractLocalEntry(const std::string& word);
    // Member WordHash(word) of a "VocQuery.dat" into EntryTempFile().
    [[nodiscard]] FetchResult LoadCachedEntry(const std::string& word);
    // The word's record in member (hash >> 24) of "voc.dif". Absent when the
    // word has none, Damaged when the member cannot be read.
    [[nodiscard]] FetchResult FindWordLocation(const std::string& word,
                                               LocationRecord& location) const;
    std::optional<LocationRecord> FindWordLocation(const std::string& word) const;
    // Adds EntryTempFile() to the user folder's "VocQuery.dat" as member
    // WordHash(word), stored unchanged (code type 28).
    [[nodiscard]] bool StoreCachedEntry(const std::string& word);
    // The network step: the downloader, then the package check and
    // StoreCachedEntry on success. The default downloader finds nothing.
    [[nodiscard]] FetchResult DownloadEntry(const std::string& word);

    // Damaged (naming `path`) when the package file's entry record cannot be
    // read or names another headword (ASCII letter case ignored), else Found.
    static FetchResult CheckPackage(const std::string& path, const std::string& word);

    // "11\" + bucket as two upper-case hex digits + ".dat", as stored.
    static std::string EntryDataName(uint32_t hash);
    // The record matching hash in a member of "voc.dif"; a trailing piece
    // shorter than 12 bytes is ignored.
    static std::optional<LocationRecord> FindInLocationMember(std::string_view member,
                                                              uint32_t hash);

private:
    FetchResult LoadFromCache(const std::string& cacheFile, const std::string& word);
    FetchResult LoadInstalledEntry(const std::string& word);
    // Checks package bytes and writes them to EntryTempFile() (or keeps
    // them in memory).
    FetchResult PlacePackage(const std::string& bytes, const std::string& source,
                             const std::string& word);
    // Found when the entry record was read and names the word.
    static FetchResult CheckRecord(storage::ReadStatus read, const std::string& record,
                                   const std::string& path, const std::string& word);
    FetchResult CannotWrite() const;

    std::string entryTempFile_; // empty: the scratch file
    Downloader downloader_;
    mutable storage::TCDF locations_; // "voc.dif", kept while packages are kept in memory
    bool inMemory_ = false;
    mutable std::array<std::optional<std::string>, 256> locationMembers_;
    std::string package_;
    std::string record_;
};

} // namespace core
