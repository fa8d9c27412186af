#include "core/Utilities.h"

#include "ProgramRun.h"
#include "core/TaggedText.h"
#include "platform/Text.h"
#include "storage/TCode.h"
#include "storage/TestFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

namespace {

using storage::test::ReadFileBytes;
using storage::test::TestFolder;
using storage::test::WriteFileBytes;
using Lines = std::vector<std::string>;

// Names of the files in `folder`, to see that no temporary file stays behind.
Lines FileNames(const std::string& folder) {
    Lines names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(UtilitiesTest, FileCrcIsStandardCrc32) {
    TestFolder folder;
    std::string bytes;
    for (int i = 0; i < 50000; ++i) // more than one 16384-byte piece
        bytes += static_cast<char>(i * 31);
    WriteFileBytes(folder / "a.bin", bytes);
    uLong expected =
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
    EXPECT_EQ(core::FileCrc(folder / "a.bin"), expected);
    WriteFileBytes(folder / "check", "123456789");
    EXPECT_EQ(core::FileCrc(folder / "check"), 0xCBF43926u);
    WriteFileBytes(folder / "empty", "");
    EXPECT_EQ(core::FileCrc(folder / "empty"), 0u);
    EXPECT_EQ(core::FileCrc(folder / "missing"), 0u);
}

TEST(UtilitiesTest, SmallTextFunctions) {
    EXPECT_EQ(core::AddBackslash(""), "");
    EXPECT_EQ(core::AddBackslash("fu"), "fu\\");
    EXPECT_EQ(core::AddBackslash("fu\\"), "fu\\");
    EXPECT_EQ(core::HexXor("AB", 0), "4142");
    EXPECT_EQ(core::HexXor("", 0x55), "");
    EXPECT_EQ(core::HexXor(std::string("\x00\xFF", 2), 0x0F), "0FF0");

    Lines list = {"apple", "Banana", ""};
    EXPECT_TRUE(core::ListContains("APPLE", list));
    EXPECT_TRUE(core::ListContains("banana", list));
    EXPECT_TRUE(core::ListContains("", list));
    EXPECT_FALSE(core::ListContains("appl", list));
    EXPECT_FALSE(core::ListContains("x", {}));

    EXPECT_EQ(core::JoinLines({"a", "b"}), "a\r\nb\r\n");
}

TEST(UtilitiesTest, FileSizeAndFolders) {
    TestFolder folder;
    WriteFileBytes(folder / "f", "12345");
    EXPECT_EQ(core::FileSizeOf(folder / "f"), 5);
    chmod((folder / "f").c_str(), 0); // attributes do not matter
    EXPECT_EQ(core::FileSizeOf(folder / "f"), 5);
    EXPECT_EQ(core::FileSizeOf(folder / "missing"), -1);
    EXPECT_EQ(core::FileSizeOf(""), -1);
    EXPECT_EQ(core::FileSizeOf(folder.Path()), 0);

    EXPECT_TRUE(core::ForceFileDir(folder / "10/a/b/file.dat"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "10/a/b"));
    EXPECT_FALSE(std::filesystem::exists(folder / "10/a/b/file.dat"));
    EXPECT_TRUE(core::ForceFileDir(folder / "10/a/b/other.dat"));
    EXPECT_TRUE(core::ForceFileDir("bare.dat"));
    // A file stands where a folder would have to be.
    EXPECT_FALSE(core::ForceFileDir(folder / "f/sub/x.dat"));
}

TEST(UtilitiesTest, AppendFileCopiesCountOrWholeSource) {
    TestFolder folder;
    WriteFileBytes(folder / "src", "abcdef");
    EXPECT_FALSE(core::AppendFile(folder / "dst", folder / "missing", 0));
    EXPECT_FALSE(std::filesystem::exists(folder / "dst"));
    ASSERT_TRUE(core::AppendFile(folder / "dst", folder / "src", 0));
    EXPECT_EQ(ReadFileBytes(folder / "dst"), "abcdef");
    ASSERT_TRUE(core::AppendFile(folder / "dst", folder / "src", 2));
    EXPECT_EQ(ReadFileBytes(folder / "dst"), "abcdefab");
    ASSERT_TRUE(core::AppendFile(folder / "dst", folder / "src", 100));
    EXPECT_EQ(ReadFileBytes(folder / "dst"), "abcdefababcdef");
    // Appending a file to itself doubles it once and ends.
    ASSERT_TRUE(core::AppendFile(folder / "src", folder / "src", 0));
    EXPECT_EQ(ReadFileBytes(folder / "src"), "abcdefabcdef");
    EXPECT_FALSE(core::AppendFile(folder / "no/such/dst", folder / "src", 0));
}

TEST(UtilitiesTest, CopyFileRangeCopiesBytesAndTimes) {
    TestFolder folder;
    std::string bytes;
    for (int i = 0; i < 40000; ++i)
        bytes += static_cast<char>('a' + i % 26);
    WriteFileBytes(folder / "src", bytes);
    timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (folder / "src").c_str(), times, 0), 0);

    WriteFileBytes(folder / "dst", "old content that is longer than the range");
    ASSERT_TRUE(core::CopyFileRange(folder / "src", folder / "dst", 3, 20000));
    EXPECT_EQ(ReadFileBytes(folder / "dst"), bytes.substr(3, 20000));
    struct stat info {};
    ASSERT_EQ(stat((folder / "dst").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1200000000);

    // Length 0 copies from the offset to the end.
    ASSERT_TRUE(core::CopyFileRange(folder / "src", folder / "dst", 39990, 0));
    EXPECT_EQ(ReadFileBytes(folder / "dst"), bytes.substr(39990));
    ASSERT_TRUE(core::CopyFileRange(folder / "src", folder / "dst", 0, 0));
    EXPECT_EQ(ReadFileBytes(folder / "dst"), bytes);
    // A range past the end gives what is there.
    ASSERT_TRUE(core::CopyFileRange(folder / "src", folder / "dst", 39995, 100));
    EXPECT_EQ(ReadFileBytes(folder / "dst"), bytes.substr(39995));
    ASSERT_TRUE(core::CopyFileRange(folder / "src", folder / "dst", 50000, 10));
    EXPECT_EQ(ReadFileBytes(folder / "dst"), "");

    EXPECT_FALSE(core::CopyFileRange(folder / "missing", folder / "dst2", 0, 0));
    EXPECT_FALSE(std::filesystem::exists(folder / "dst2"));
    EXPECT_FALSE(core::CopyFileRange(folder / "src", folder / "no/such/dst", 0, 0));
}

TEST(UtilitiesTest, NameValueFileRoundTrip) {
    TestFolder folder;
    std::string value;
    EXPECT_FALSE(core::ReadNameValue("Top", value));

    // A new name on a missing file creates it with one line, zipped.
    ASSERT_TRUE(core::WriteNameValue("Top", "1"));
    std::string stored = ReadFileBytes(folder / "nv.dat");
    ASSERT_TRUE(storage::UnzipStream(stored));
    EXPECT_EQ(stored, "<Name>Top</Name><Value>1</Value>\r\n");

    ASSERT_TRUE(core::WriteNameValue("Left", "20"));
    ASSERT_TRUE(core::WriteNameValue("TOP", "2"));
    ASSERT_TRUE(core::ReadNameValue("top", value));
    EXPECT_EQ(value, "2");
    ASSERT_TRUE(core::ReadNameValue("Left", value));
    EXPECT_EQ(value, "20");
    EXPECT_FALSE(core::ReadNameValue("Lef", value));
    stored = ReadFileBytes(folder / "nv.dat");
    ASSERT_TRUE(storage::UnzipStream(stored));
    EXPECT_EQ(platform::SplitLines(stored).size(), 2u);

    // Writes replace the file through a temporary that does not stay behind;
    // the writers' lock file stays.
    EXPECT_EQ(FileNames(folder.Path()), (Lines{"nv.dat", "nv.dat.lock"}));

    // A bare name is in the program folder; other paths as given.
    ASSERT_TRUE(core::WriteNameValue("A", "b", "other.dat"));
    EXPECT_TRUE(std::filesystem::exists(folder / "other.dat"));
    ASSERT_TRUE(core::WriteNameValue("A", "c", folder / "abs.dat"));
    ASSERT_TRUE(core::ReadNameValue("A", value, folder / "abs.dat"));
    EXPECT_EQ(value, "c");
    EXPECT_FALSE(core::WriteNameValue("A", "c", folder / "no/such/x.dat"));
}

TEST(UtilitiesTest, NameValueKeepsLineBreaksAndSurvivesDamage) {
    TestFolder folder;
    ASSERT_TRUE(core::WriteNameValue("Memo", "one\r\ntwo\nthree"));
    ASSERT_TRUE(core::WriteNameValue("Next", "x"));
    std::string value;
    ASSERT_TRUE(core::ReadNameValue("Memo", value));
    EXPECT_EQ(value, "one\r\ntwo\r\nthree");
    ASSERT_TRUE(core::ReadNameValue("Next", value));
    EXPECT_EQ(value, "x");

    // A damaged file reads as having no settings; the next write keeps it
    // aside, whole, and starts a new one.
    std::string stored = ReadFileBytes(folder / "nv.dat");
    stored.resize(stored.size() / 2);
    WriteFileBytes(folder / "nv.dat", stored);
    EXPECT_FALSE(core::ReadNameValue("Next", value));
    ASSERT_TRUE(core::WriteNameValue("Next", "y"));
    ASSERT_TRUE(core::ReadNameValue("Next", value));
    EXPECT_EQ(value, "y");
    EXPECT_FALSE(core::ReadNameValue("Memo", value));
    EXPECT_EQ(ReadFileBytes(folder / "nv.dat.damaged"), stored);
    const std::string garbage("\x10\x00\x00\x00garbage", 11);
    WriteFileBytes(folder / "nv.dat", garbage);
    ASSERT_TRUE(core::WriteNameValue("Next", "z"));
    EXPECT_EQ(ReadFileBytes(folder / "nv.dat.damaged"), stored);
    EXPECT_EQ(ReadFileBytes(folder / "nv.dat.damaged.1"), garbage);
}

// Two processes changing one file at once lose nothing, and a temporary file
// left by a writer that was killed is removed by the next one.
TEST(UtilitiesTest, NameValueWritersAreLockedAgainstEachOther) {
    TestFolder folder;
    WriteFileBytes(folder / "nv.dat.Ab3dE9", "left by a killed writer");
    WriteFileBytes(folder / "nv.dat.old", "not a temporary");
    constexpr int kWriters = 2;
    constexpr int kValues = 100;
    ASSERT_TRUE(testsupport::RunInChildProcesses(kWriters, [](int w) {
        bool ok = true;
        for (int i = 0; i < kValues; ++i)
            ok = core::WriteNameValue("W" + std::to_string(w) + "_" + std::to_string(i),
                                      std::to_string(i)) &&
                 ok;
        return ok;
    }));
    std::string value;
    for (int w = 0; w < kWriters; ++w)
        for (int i = 0; i < kValues; ++i)
            ASSERT_TRUE(
                core::ReadNameValue("W" + std::to_string(w) + "_" + std::to_string(i), value))
                << w << " " << i;
    EXPECT_EQ(FileNames(folder.Path()), (Lines{"nv.dat", "nv.dat.lock", "nv.dat.old"}));
}

TEST(UtilitiesTest, ListFilesPlainAndZipped) {
    TestFolder folder;
    EXPECT_TRUE(core::LoadListFile(folder / "none.txt", false).empty());
    ASSERT_TRUE(core::AppendListFile("first", folder / "l.txt", false));
    ASSERT_TRUE(core::AppendListFile("second", folder / "l.txt", false));
    EXPECT_EQ(ReadFileBytes(folder / "l.txt"), "first\r\nsecond\r\n");
    EXPECT_EQ(core::LoadListFile(folder / "l.txt", false), (Lines{"first", "second"}));

    ASSERT_TRUE(core::AppendListFile("z1", folder / "z.dat", true));
    ASSERT_TRUE(core::AppendListFile("z2", folder / "z.dat", true));
    EXPECT_EQ(core::LoadListFile(folder / "z.dat", true), (Lines{"z1", "z2"}));
    // Not in the zipped form: nothing comes back.
    EXPECT_TRUE(core::LoadListFile(folder / "l.txt", true).empty());
    // No temporary file stays; the writers' lock files do.
    EXPECT_EQ(FileNames(folder.Path()), (Lines{"l.txt", "l.txt.lock", "z.dat", "z.dat.lock"}));
    EXPECT_FALSE(core::AppendListFile("x", folder / "no/such/l.txt", false));

    ASSERT_TRUE(core::AppendListFile(Lines{"z3", "z4"}, folder / "z.dat", true));
    EXPECT_EQ(core::LoadListFile(folder / "z.dat", true), (Lines{"z1", "z2", "z3", "z4"}));
    // A change that gives up writes nothing.
    const std::string before = ReadFileBytes(folder / "z.dat");
    EXPECT_FALSE(core::UpdateListFile(folder / "z.dat", true, [](Lines& lines) {
        lines.clear();
        return false;
    }));
    EXPECT_EQ(ReadFileBytes(folder / "z.dat"), before);
}

TEST(UtilitiesTest, ListFileThatDoesNotUnzipIsKeptAsideNotOverwritten) {
    TestFolder folder;
    const std::string path = folder / "sol.dat";
    WriteFileBytes(path, "damaged history one");
    EXPECT_TRUE(core::LoadListFile(path, true).empty());
    ASSERT_TRUE(core::AppendListFile("new", path, true));
    EXPECT_EQ(core::LoadListFile(path, true), (Lines{"new"}));
    EXPECT_EQ(ReadFileBytes(path + ".damaged"), "damaged history one");

    // A second damage never replaces the first copy.
    WriteFileBytes(path, "damaged history two");
    ASSERT_TRUE(core::AppendListFile("newer", path, true));
    EXPECT_EQ(core::LoadListFile(path, true), (Lines{"newer"}));
    EXPECT_EQ(ReadFileBytes(path + ".damaged"), "damaged history one");
    EXPECT_EQ(ReadFileBytes(path + ".damaged.1"), "damaged history two");

    // An empty file holds nothing to keep.
    WriteFileBytes(path, "");
    ASSERT_TRUE(core::AppendListFile("fresh", path, true));
    EXPECT_EQ(core::LoadListFile(path, true), (Lines{"fresh"}));
    EXPECT_FALSE(std::filesystem::exists(path + ".damaged.2"));

    // Something that cannot be read is left alone.
    std::filesystem::create_directory(folder / "folder.dat");
    EXPECT_FALSE(core::AppendListFile("x", folder / "folder.dat", true));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "folder.dat"));
}

TEST(UtilitiesTest, ListFileAppendsFromManyWritersAllArrive) {
    TestFolder folder;
    const std::string path = folder / "sol.dat";
    constexpr int kWriters = 4;
    constexpr int kLines = 25;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            for (int i = 0; i < kLines; ++i)
                EXPECT_TRUE(core::AppendListFile(std::to_string(w * 100 + i), path, true));
        });
    for (std::thread& writer : writers)
        writer.join();
    Lines lines = core::LoadListFile(path, true);
    std::sort(lines.begin(), lines.end());
    Lines expected;
    for (int w = 0; w < kWriters; ++w)
        for (int i = 0; i < kLines; ++i)
            expected.push_back(std::to_string(w * 100 + i));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
}

TEST(UtilitiesTest, IpLookupNeedsConfiguredAddress) {
    TestFolder folder;
    EXPECT_EQ(core::IpLookupAddress(), "");
    EXPECT_EQ(core::LookupIpNetwork("1.2.3.4"), "");
    platform::Environment environment = platform::CurrentEnvironment();
    environment.IpLookupAddress = "http://127.0.0.1:1";
    platform::SetEnvironment(environment);
    EXPECT_EQ(core::LookupIpNetwork("1.2.3.4"), ""); // nothing listens on port 1

    // "您查询的IP:1.2.3.4<ul><li>本站主数据：江苏 电信</li><li>查询结果2：南京</li><li>
    // 查询结果3：电信</li></ul>如果您发现查询结果" in GBK.
    const std::string page =
        "<html>\xC4\xFA\xB2\xE9\xD1\xAF\xB5\xC4IP:1.2.3.4<ul><li>"
        "\xB1\xBE\xD5\xBE\xD6\xF7\xCA\xFD\xBE\xDD\xA3\xBA"
        "JS \xB5\xE7\xD0\xC5</li><li>"
        "\xB2\xE9\xD1\xAF\xBD\xE1\xB9\xFB"
        "2\xA3\xBA"
        "NJ</li><li>"
        "\xB2\xE9\xD1\xAF\xBD\xE1\xB9\xFB"
        "3\xA3\xBA"
        "T3</li></ul>"
        "\xC8\xE7\xB9\xFB\xC4\xFA\xB7\xA2\xCF\xD6\xB2\xE9\xD1\xAF\xBD\xE1\xB9\xFB"
        "...</html>";
    EXPECT_EQ(core::IpNetworkFromPage(page), "JS \xB5\xE7\xD0\xC5NJT3");
    EXPECT_EQ(core::IpNetworkFromPage("<html>404</html>"), "");
    EXPECT_EQ(core::IpNetworkFromPage(page.substr(0, page.size() / 2)), "");
}

} // namespace
