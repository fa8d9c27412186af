#pragma once

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

// Fetches the entry package of one headword into the scratch file "voc.tmp"
// of the program folder and hands that file to an opener (the vocabulary
// window). Sources, in order: the cache "VocQuery.dat", the installed entry
// data "11\XX.dat" located through "voc.dif", then DownloadEntry.
// Not thread-safe; owned by the main window and used on its thread.
class EntryFetch {
public:
    // Opens a fetched package; receives the full path of EntryTempFile().
    using Opener = std::function<void(const std::string& packagePath)>;
    // Fetches the word online into EntryTempFile(); true on success. The
    // default fails silently: there is no network source yet. Caching the
    // result is DownloadEntry's job, not the downloader's.
    using Downloader = std::function<bool(EntryFetch& fetch, const std::string& word)>;

    // entryTempFile: the package file handed to the opener; empty means
    // "voc.tmp" in the program folder (taken once, at construction).
    explicit EntryFetch(std::string entryTempFile = {});

    const std::string& EntryTempFile() const { return entryTempFile_; }

    // Replaces the network source. An empty function restores the default.
    void SetDownloader(Downloader downloader);

    // Fetches the entry and calls opener on success. False when no source had
    // the word; nothing is shown in that case.
    bool OpenEntry(const std::string& word, const Opener& opener);

    // Cache first, then the installed entry data. The installed data is not
    // added to the cache.
    [[nodiscard]] bool ExtractLocalEntry(const std::string& word);
    // Member WordHash(word) of "VocQuery.dat" into EntryTempFile().
    [[nodiscard]] bool LoadCachedEntry(const std::string& word);
    // The word's record in member (hash >> 24) of "voc.dif".
    [[nodiscard]] std::optional<LocationRecord> FindWordLocation(const std::string& word) const;
    // Adds EntryTempFile() to "VocQuery.dat" as member WordHash(word), stored
    // unchanged (code type 28).
    [[nodiscard]] bool StoreCachedEntry(const std::string& word);
    // The network step: the downloader, then StoreCachedEntry on success.
    // The default downloader returns false.
    [[nodiscard]] bool DownloadEntry(const std::string& word);

    // "11\" + bucket as two upper-case hex digits + ".dat", as stored.
    static std::string EntryDataName(uint32_t hash);
    // The record matching hash in a member of "voc.dif"; a trailing piece
    // shorter than 12 bytes is ignored.
    static std::optional<LocationRecord> FindInLocationMember(std::string_view member,
                                                              uint32_t hash);

private:
    std::string entryTempFile_;
    Downloader downloader_;
};

} // namespace core
