#include "platform/FileIO.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class FileIOTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("quendic-fileio-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    size_t Entries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {}));
    }

    fs::path folder_;
};

TEST_F(FileIOTest, ReplacesContentAndKeepsMode) {
    std::string path = (folder_ / "a.dat").string();
    errno = 0;
    EXPECT_FALSE(platform::ReadWholeFile(path).has_value());
    EXPECT_EQ(errno, ENOENT);

    ASSERT_TRUE(platform::WriteFileAtomically(path, std::string("one\0two", 7)));
    EXPECT_EQ(platform::ReadWholeFile(path), std::string("one\0two", 7));
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(platform::WriteFileAtomically(path, ""));
    EXPECT_EQ(platform::ReadWholeFile(path), "");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(FileIOTest, FailedReplaceLeavesNoTemporary) {
    // The target is a folder: the rename fails and the folder stays as it was.
    fs::create_directories(folder_ / "busy" / "inside");
    EXPECT_FALSE(platform::WriteFileAtomically((folder_ / "busy").string(), "x"));
    EXPECT_TRUE(fs::is_directory(folder_ / "busy" / "inside"));
    EXPECT_EQ(Entries(), 1u);
    EXPECT_FALSE(platform::WriteFileAtomically((folder_ / "no" / "file").string(), "x"));
    EXPECT_FALSE(platform::ReadWholeFile(folder_.string() + "/busy").has_value());
}

} // namespace
