#include "core/EntryFetch.h"

#include "platform/Paths.h"
#include "storage/StrCRC.h"
#include "storage/TCDF.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string Le32(uint32_t v) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return bytes;
}

std::string Record(uint32_t hash, uint32_t offset, uint32_t length) {
    return Le32(hash) + Le32(offset) + Le32(length);
}

class EntryFetchTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("quendic-entryfetch-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "11");
        ::setenv("QUENDIC_HOME", folder_.c_str(), 1);
    }
    void TearDown() override {
        fs::remove_all(folder_);
        ::unsetenv("QUENDIC_HOME");
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    static void WriteFile(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // Installs `entry` for `word` in its bucket's data file behind `lead`
    // bytes of other entries, and its location record in "voc.dif".
    void Install(const std::string& word, const std::string& entry,
                 const std::string& lead = "xxxx") {
        uint32_t hash = storage::WordHash(word);
        WriteFile(Path(platform::NativePath(core::EntryFetch::EntryDataName(hash))), lead + entry);
        AddLocations(hash >> 24,
                     Record(hash ^ 1, 0, 4) + Record(hash, static_cast<uint32_t>(lead.size()),
                                                     static_cast<uint32_t>(entry.size())));
    }
    void AddLocations(uint32_t bucket, std::string member) {
        storage::TCDF dif(Path("voc.dif"));
        dif.SetNameSeed(0);
        ASSERT_TRUE(dif.AddStream(bucket, member));
    }
    void Cache(const std::string& word, std::string package) {
        storage::TCDF cache(Path("VocQuery.dat"));
        ASSERT_TRUE(cache.AddStream(storage::WordHash(word), package));
    }

    fs::path folder_;
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

TEST_F(EntryFetchTest, TempFileIsInTheProgramFolder) {
    core::EntryFetch fetch;
    EXPECT_EQ(fetch.EntryTempFile(), Path("voc.tmp"));
}

TEST_F(EntryFetchTest, CacheIsAnsweredBeforeInstalledData) {
    Install("apple", "INSTALLED");
    Cache("Apple", "CACHED");
    core::EntryFetch fetch;
    std::vector<std::string> opened;
    ASSERT_TRUE(fetch.OpenEntry("apple", [&](const std::string& path) { opened.push_back(path); }));
    ASSERT_EQ(opened, std::vector<std::string>{Path("voc.tmp")});
    EXPECT_EQ(ReadFile(Path("voc.tmp")), "CACHED");
}

TEST_F(EntryFetchTest, InstalledEntryIsCopiedAndNotCached) {
    Install("apple", "ENTRY-BYTES");
    core::EntryFetch fetch;
    int downloads = 0;
    fetch.SetDownloader([&](core::EntryFetch&, const std::string&) { return ++downloads, false; });
    int opened = 0;
    ASSERT_TRUE(fetch.OpenEntry("apple", [&](const std::string&) { ++opened; }));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(downloads, 0);
    EXPECT_EQ(ReadFile(Path("voc.tmp")), "ENTRY-BYTES");
    EXPECT_FALSE(fs::exists(Path("VocQuery.dat")));
}

TEST_F(EntryFetchTest, EmptyCacheMemberFallsBackToInstalledData) {
    Install("apple", "ENTRY");
    Cache("apple", "");
    core::EntryFetch fetch;
    ASSERT_TRUE(fetch.ExtractLocalEntry("apple"));
    EXPECT_EQ(ReadFile(Path("voc.tmp")), "ENTRY");
}

TEST_F(EntryFetchTest, WordWithoutLocationOpensNothing) {
    Install("apple", "ENTRY");
    core::EntryFetch fetch;
    int opened = 0;
    EXPECT_FALSE(fetch.FindWordLocation("pear"));
    EXPECT_FALSE(fetch.OpenEntry("pear", [&](const std::string&) { ++opened; }));
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(fs::exists(Path("voc.tmp")));
}

TEST_F(EntryFetchTest, MissingLocationFileOrDataFileOpensNothing) {
    core::EntryFetch fetch;
    EXPECT_FALSE(fetch.ExtractLocalEntry("apple"));
    uint32_t hash = storage::WordHash("apple");
    AddLocations(hash >> 24, Record(hash, 0, 4));
    ASSERT_TRUE(fetch.FindWordLocation("apple"));
    EXPECT_FALSE(fetch.ExtractLocalEntry("apple"));
}

TEST_F(EntryFetchTest, DamagedLocationRecordsAreRejected) {
    uint32_t hash = storage::WordHash("apple");
    std::string data = "0123456789";
    WriteFile(Path("11/90.dat"), data);
    core::EntryFetch fetch;
    // Past the end of the data file: the copy would produce a cut package.
    AddLocations(hash >> 24, Record(hash, 6, 8));
    EXPECT_FALSE(fetch.ExtractLocalEntry("apple"));
    fs::remove(Path("voc.dif"));
    // Offset beyond the end, and an offset + length that wraps 32 bits.
    AddLocations(hash >> 24, Record(hash, 20, 1));
    EXPECT_FALSE(fetch.ExtractLocalEntry("apple"));
    fs::remove(Path("voc.dif"));
    AddLocations(hash >> 24, Record(hash, 0xFFFFFFF0u, 0x20));
    EXPECT_FALSE(fetch.ExtractLocalEntry("apple"));
    fs::remove(Path("voc.dif"));
    // Length 0 would copy the rest of the file, other words' entries.
    AddLocations(hash >> 24, Record(hash, 2, 0));
    EXPECT_FALSE(fetch.ExtractLocalEntry("apple"));
    EXPECT_FALSE(fs::exists(Path("voc.tmp")));
    fs::remove(Path("voc.dif"));
    // Exactly up to the end is fine.
    AddLocations(hash >> 24, Record(hash, 6, 4));
    ASSERT_TRUE(fetch.ExtractLocalEntry("apple"));
    EXPECT_EQ(ReadFile(Path("voc.tmp")), "6789");
}

TEST_F(EntryFetchTest, GarbageLocationFileFindsNothing) {
    WriteFile(Path("voc.dif"), std::string("\xFF\xFF\xFF\xFF\x10\0\0\0garbage", 15));
    core::EntryFetch fetch;
    EXPECT_FALSE(fetch.FindWordLocation("apple"));
    EXPECT_FALSE(fetch.OpenEntry("apple", {}));
}

TEST_F(EntryFetchTest, DownloadedEntryIsCachedForTheNextLookup) {
    core::EntryFetch fetch;
    int downloads = 0;
    fetch.SetDownloader([&](core::EntryFetch& f, const std::string& word) {
        ++downloads;
        WriteFile(f.EntryTempFile(), "ONLINE:" + word);
        return true;
    });
    ASSERT_TRUE(fetch.OpenEntry("apple", {}));
    ASSERT_TRUE(fs::exists(Path("VocQuery.dat")));
    fs::remove(Path("voc.tmp"));
    ASSERT_TRUE(fetch.OpenEntry("Apple", {}));
    EXPECT_EQ(downloads, 1);
    EXPECT_EQ(ReadFile(Path("voc.tmp")), "ONLINE:apple");
}

TEST_F(EntryFetchTest, FailedDownloadOpensNothingAndCachesNothing) {
    core::EntryFetch fetch;
    fetch.SetDownloader([](core::EntryFetch&, const std::string&) { return false; });
    int opened = 0;
    EXPECT_FALSE(fetch.OpenEntry("apple", [&](const std::string&) { ++opened; }));
    EXPECT_EQ(opened, 0);
    EXPECT_FALSE(fs::exists(Path("VocQuery.dat")));
}

} // namespace
