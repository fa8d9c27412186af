#include "core/EntryFetch.h"

#include "core/TaggedText.h"
#include "platform/Paths.h"
#include "storage/StrCRC.h"
#include "storage/TCDF.h"
#include "storage/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using core::FetchStatus;
using storage::test::ReadFileBytes;
using storage::test::WriteFileBytes;

std::string Le32(uint32_t v) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return bytes;
}

std::string Record(uint32_t hash, uint32_t offset, uint32_t length) {
    return Le32(hash) + Le32(offset) + Le32(length);
}

// The bytes of a package whose entry record names `headword` and carries
// `meaning`, as a source stores it.
std::string Package(const std::string& headword, const std::string& meaning) {
    const std::string path = platform::UserFileForWriting("package.build");
    std::error_code ignored;
    fs::remove(path, ignored);
    storage::TCDF package(path);
    storage::Stream record = core::MakeTagField(
        core::MakeTagField(headword, "Name") + core::MakeTagField(meaning, "CN"), "Voc");
    EXPECT_TRUE(package.AddStream(0u, record));
    std::string bytes = ReadFileBytes(path);
    fs::remove(path, ignored);
    return bytes;
}

// The meaning of the entry in a fetched package file.
std::string MeaningIn(const std::string& path) {
    storage::TCDF package(path);
    std::string record;
    if (!package.ReadString(0u, record))
        return "(unreadable)";
    return core::GetTagValue(core::GetTagValue(record, "Voc"), "CN");
}

void AddLocations(const std::string& folder, uint32_t bucket, std::string member) {
    storage::TCDF dif(folder + "voc.dif");
    dif.SetNameSeed(0);
    ASSERT_TRUE(dif.AddStream(bucket, member));
}

// Installs `entry` for `word` in `folder` (a program or user folder): its
// bucket's data file, behind `lead` bytes of other entries, and its location
// record in the program folder's "voc.dif", which is written anew.
void InstallEntry(const std::string& folder, const std::string& word, const std::string& entry,
                  const std::string& lead = "xxxx") {
    uint32_t hash = storage::WordHash(word);
    fs::create_directories(folder + "11");
    WriteFileBytes(folder + platform::NativePath(core::EntryFetch::EntryDataName(hash)),
                   lead + entry);
    fs::remove(platform::InProgramFolder("voc.dif"));
    AddLocations(platform::ProgramFolder(), hash >> 24,
                 Record(hash ^ 1, 0, 4) + Record(hash, static_cast<uint32_t>(lead.size()),
                                                 static_cast<uint32_t>(entry.size())));
}

class EntryFetchTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(folder_ / "11"); }

    void Install(const std::string& word, const std::string& entry) {
        InstallEntry(folder_.Path(), word, entry);
    }
    void AddLocations(uint32_t bucket, std::string member) {
        ::AddLocations(folder_.Path(), bucket, std::move(member));
    }
    void Cache(const std::string& word, std::string package, uint8_t codeType = 28) {
        storage::TCDF cache(folder_.User("VocQuery.dat"));
        cache.SetCodeType(codeType);
        ASSERT_TRUE(cache.AddStream(storage::WordHash(word), package));
    }

    storage::test::TestFolder folder_;
    core::EntryFetch fetch_;
};

TEST(EntryFetchNames, BucketFileIsTwoUpperCaseHexDigits) {
    EXPECT_EQ(core::EntryFetch::EntryDataName(0x90F3D8B2), "11\\90.dat");
    EXPECT_EQ(core::EntryFetch::EntryDataName(0x0AFFFFFF), "11\\0A.dat");
}

TEST(EntryFetchNames, LocationMemberScanStopsBeforeAShortTail) {
    std::string member = Record(5, 1, 2) + Record(7, 3, 4) + std::string("\x09\0\0\0\x01", 5);
    auto found = core::EntryFetch::FindInLocationMember(member, 7);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Offset, 3u);
    EXPECT_EQ(found->Length, 4u);
    EXPECT_FALSE(core::EntryFetch::FindInLocationMember(member, 9));
    EXPECT_FALSE(core::EntryFetch::FindInLocationMember("", 5));
}

TEST_F(EntryFetchTest, PackageGoesToThisProcessesScratchFile) {
    EXPECT_EQ(fetch_.EntryTempFile(), platform::ScratchFile("voc.tmp"));
    EXPECT_EQ(fetch_.EntryTempFile().rfind(folder_.UserPath() + "scratch/", 0), 0u);
}

TEST_F(EntryFetchTest, PackagesKeptInMemoryWriteNoFile) {
    Install("apple", Package("apple", "ENTRY"));
    fetch_.KeepPackagesInMemory(true);
    ASSERT_TRUE(fetch_.ExtractLocalEntry("Apple"));
    EXPECT_EQ(fetch_.Package(), Package("apple", "ENTRY"));
    EXPECT_EQ(core::GetTagValue(core::GetTagValue(fetch_.EntryRecord(), "Voc"), "CN"), "ENTRY");
    EXPECT_FALSE(fs::exists(fetch_.EntryTempFile()));
    // The check still applies: a package of another word is damage.
    Install("pear", Package("plum", "WRONG"));
    core::EntryFetch other;
    other.KeepPackagesInMemory(true);
    EXPECT_EQ(other.ExtractLocalEntry("pear").Status, FetchStatus::Damaged);
    EXPECT_TRUE(other.EntryRecord().empty());
}

TEST_F(EntryFetchTest, CacheIsAnsweredBeforeInstalledData) {
    Install("apple", Package("apple", "INSTALLED"));
    Cache("Apple", Package("apple", "CACHED"));
    std::vector<std::string> opened;
    ASSERT_TRUE(
        fetch_.OpenEntry("apple", [&](const std::string& path) { opened.push_back(path); }));
    ASSERT_EQ(opened, std::vector<std::string>{fetch_.EntryTempFile()});
    EXPECT_EQ(MeaningIn(fetch_.EntryTempFile()), "CACHED");
}

TEST_F(EntryFetchTest, InstalledEntryIsCopiedAndNotCached) {
    Install("apple", Package("apple", "ENTRY"));
    int downloads = 0;
    fetch_.SetDownloader([&](core::EntryFetch&, const std::string&) { return ++downloads, false; });
    int opened = 0;
    ASSERT_TRUE(fetch_.OpenEntry("apple", [&](const std::string&) { ++opened; }));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(downloads, 0);
    EXPECT_EQ(MeaningIn(fetch_.EntryTempFile()), "ENTRY");
    EXPECT_FALSE(fs::exists(folder_.User("VocQuery.dat")));
}

// A cached package that is empty, unreadable, of another word or with no
// entry record is no answer: the installed data is asked instead.
TEST_F(EntryFetchTest, CachedPackageThatIsNotTheEntryFallsBackToInstalledData) {
    Install("apple", Package("apple", "ENTRY"));
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"empty", ""},
        {"another word", Package("attach", "ATTACH")},
        {"no entry record", "x"},
        {"type-2 length 0", std::string(4, '\0') + "zz"},
    };
    for (const auto& [what, package] : bad) {
        Cache("apple", package, what == std::string("type-2 length 0") ? 2 : 28);
        core::FetchResult result = fetch_.ExtractLocalEntry("apple");
        EXPECT_TRUE(result) << what;
        EXPECT_EQ(MeaningIn(fetch_.EntryTempFile()), "ENTRY") << what;
    }
}

TEST_F(EntryFetchTest, WordWithoutEntryIsAbsent) {
    Install("apple", Package("apple", "ENTRY"));
    int opened = 0;
    EXPECT_FALSE(fetch_.FindWordLocation("pear"));
    EXPECT_EQ(fetch_.OpenEntry("pear", [&](const std::string&) { ++opened; }).Status,
              FetchStatus::Absent);
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(fs::exists(fetch_.EntryTempFile()));
    // No location file at all, and a record whose data file is not installed.
    fs::remove(folder_ / "voc.dif");
    EXPECT_EQ(fetch_.ExtractLocalEntry("apple").Status, FetchStatus::Absent);
    uint32_t hash = storage::WordHash("apple");
    fs::remove(folder_ / "11/90.dat");
    AddLocations(hash >> 24, Record(hash, 0, 4));
    ASSERT_TRUE(fetch_.FindWordLocation("apple"));
    EXPECT_EQ(fetch_.ExtractLocalEntry("apple").Status, FetchStatus::Absent);
}

TEST_F(EntryFetchTest, DamagedLocationRecordsAreReportedAsDamage) {
    uint32_t hash = storage::WordHash("apple");
    const std::string entry = Package("apple", "ENTRY");
    WriteFileBytes(folder_ / "11/90.dat", "xxxx" + entry);
    const auto size = static_cast<uint32_t>(entry.size());
    const std::vector<std::pair<const char*, std::string>> records = {
        {"past the end", Record(hash, 6, size)},
        {"beyond the end", Record(hash, size + 20, 1)},
        {"wrapping 32 bits", Record(hash, 0xFFFFFFF0u, 0x20)},
        {"length 0", Record(hash, 2, 0)},
        {"another word's place", Record(hash, 0, size)},
    };
    for (const auto& [what, record] : records) {
        fs::remove(folder_ / "voc.dif");
        AddLocations(hash >> 24, record);
        core::FetchResult result = fetch_.ExtractLocalEntry("apple");
        EXPECT_EQ(result.Status, FetchStatus::Damaged) << what;
        EXPECT_EQ(result.Path, folder_ / "11/90.dat") << what;
        EXPECT_FALSE(fs::exists(fetch_.EntryTempFile())) << what;
    }
    fs::remove(folder_ / "voc.dif");
    AddLocations(hash >> 24, Record(hash, 4, size));
    ASSERT_TRUE(fetch_.ExtractLocalEntry("apple"));
    EXPECT_EQ(MeaningIn(fetch_.EntryTempFile()), "ENTRY");
}

TEST_F(EntryFetchTest, UnreadableLocationMemberIsDamageAndGarbageFindsNothing) {
    uint32_t hash = storage::WordHash("apple");
    {
        storage::TCDF dif(folder_ / "voc.dif");
        dif.SetNameSeed(0);
        dif.SetCodeType(2);
        storage::Stream member = Record(hash, 0, 4);
        ASSERT_TRUE(dif.AddStream(hash >> 24, member));
    }
    // Its length word, zeroed: the member no longer decodes.
    std::string bytes = ReadFileBytes(folder_ / "voc.dif");
    bytes.replace(12, 4, std::string(4, '\0'));
    WriteFileBytes(folder_ / "voc.dif", bytes);
    core::FetchResult result = fetch_.ExtractLocalEntry("apple");
    EXPECT_EQ(result.Status, FetchStatus::Damaged);
    EXPECT_EQ(result.Path, folder_ / "voc.dif");

    WriteFileBytes(folder_ / "voc.dif", std::string("\xFF\xFF\xFF\xFF\x10\0\0\0garbage", 15));
    EXPECT_EQ(fetch_.OpenEntry("apple", {}).Status, FetchStatus::Absent);
}

TEST_F(EntryFetchTest, DownloadedEntryIsCheckedAndCachedForTheNextLookup) {
    int downloads = 0;
    std::string served = Package("apple", "ONLINE");
    fetch_.SetDownloader([&](core::EntryFetch& f, const std::string&) {
        ++downloads;
        WriteFileBytes(f.EntryTempFile(), served);
        return true;
    });
    ASSERT_TRUE(fetch_.OpenEntry("apple", {}));
    ASSERT_TRUE(fs::exists(folder_.User("VocQuery.dat")));
    fs::remove(fetch_.EntryTempFile());
    ASSERT_TRUE(fetch_.OpenEntry("Apple", {}));
    EXPECT_EQ(downloads, 1);
    EXPECT_EQ(MeaningIn(fetch_.EntryTempFile()), "ONLINE");

    // A package of another word is neither opened nor kept.
    served = Package("attach", "ATTACH");
    int opened = 0;
    EXPECT_EQ(fetch_.OpenEntry("pear", [&](const std::string&) { ++opened; }).Status,
              FetchStatus::Damaged);
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(fetch_.LoadCachedEntry("pear"));
}

TEST_F(EntryFetchTest, FailedDownloadOpensNothingAndCachesNothing) {
    fetch_.SetDownloader([](core::EntryFetch&, const std::string&) { return false; });
    int opened = 0;
    EXPECT_FALSE(fetch_.OpenEntry("apple", [&](const std::string&) { ++opened; }));
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(fs::exists(folder_.User("VocQuery.dat")));
}

// A system-wide install: the program folder is only read, the cache and the
// scratch files live in the user folder, and a data file the user folder
// holds (a downloaded one) is preferred.
TEST(EntryFetchInstall, ReadsTheProgramFolderAndWritesTheUserFolder) {
    testsupport::TestFolders folders(true);
    InstallEntry(folders.Path(), "apple", Package("apple", "INSTALLED"));
    core::EntryFetch fetch;
    ASSERT_TRUE(fetch.OpenEntry("apple", {}));
    EXPECT_EQ(fetch.EntryTempFile().rfind(folders.UserPath(), 0), 0u);
    EXPECT_EQ(MeaningIn(fetch.EntryTempFile()), "INSTALLED");
    ASSERT_TRUE(fetch.StoreCachedEntry("apple"));
    EXPECT_TRUE(fs::exists(folders.User("VocQuery.dat")));
    EXPECT_FALSE(fs::exists(folders / "VocQuery.dat"));

    fs::remove(folders.User("VocQuery.dat"));
    InstallEntry(folders.UserPath(), "apple", Package("apple", "DOWNLOADED"), "longer lead");
    ASSERT_TRUE(fetch.OpenEntry("apple", {}));
    EXPECT_EQ(MeaningIn(fetch.EntryTempFile()), "DOWNLOADED");
}

TEST(EntryFetchInstall, UserFolderThatCannotBeWrittenIsNamed) {
    testsupport::TestFolders folders;
    InstallEntry(folders.Path(), "apple", Package("apple", "INSTALLED"));
    // A user folder below a plain file can never be made, not even by root.
    WriteFileBytes(folders / "file", "");
    platform::Environment environment = platform::CurrentEnvironment();
    environment.UserFolder = folders / "file/user";
    platform::SetEnvironment(environment);
    core::EntryFetch fetch;
    int opened = 0;
    core::FetchResult result = fetch.OpenEntry("apple", [&](const std::string&) { ++opened; });
    EXPECT_EQ(result.Status, FetchStatus::CannotWrite);
    EXPECT_EQ(result.Path, folders / "file/user/");
    EXPECT_EQ(opened, 0);
}

} // namespace
