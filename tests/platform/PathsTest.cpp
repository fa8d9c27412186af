#include "platform/Paths.h"
#include "platform/Environment.h"
#include "platform/RunLock.h"
#include "platform/ScratchFolder.h"

#include "TestFolders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using Values = std::map<std::string, std::optional<std::string>>;

// Sets environment variables for its lifetime and restores them after.
class ScopedVariables {
public:
    explicit ScopedVariables(const Values& values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    ~ScopedVariables() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST(EnvironmentTest, UserFolderIsNamedOrThePortableProgramFolderOrTheXdgDataFolder) {
    testsupport::TestFolders folders;
    const std::string program = folders.Path();
    {
        ScopedVariables variables({{"QUENDIC_HOME", program}, {"QUENDIC_USER_HOME", "/u/x"}});
        platform::Environment environment = platform::ReadEnvironment();
        EXPECT_EQ(environment.ProgramFolder, program);
        EXPECT_EQ(environment.UserFolder, "/u/x/");
    }
    {
        // A program folder that may be written is also the user folder.
        ScopedVariables variables({{"QUENDIC_HOME", program}, {"QUENDIC_USER_HOME", ""}});
        EXPECT_EQ(platform::ReadEnvironment().UserFolder, program);
    }
    {
        // One that may not (here: it does not exist) sends writes to XDG.
        ScopedVariables variables({{"QUENDIC_HOME", program + "absent"},
                                   {"QUENDIC_USER_HOME", std::nullopt},
                                   {"XDG_DATA_HOME", "/data"},
                                   {"HOME", "/home/h"}});
        EXPECT_EQ(platform::ReadEnvironment().UserFolder, "/data/quendic/");
        ScopedVariables relative(Values{{"XDG_DATA_HOME", "relative"}});
        EXPECT_EQ(platform::ReadEnvironment().UserFolder, "/home/h/.local/share/quendic/");
    }
}

TEST(EnvironmentTest, RegistryFileAndRelativeFolders) {
    ScopedVariables variables({{"QUENDIC_HOME", "rel/home"},
                               {"QUENDIC_REGISTRY", std::nullopt},
                               {"XDG_CONFIG_HOME", "/config"},
                               {"QUENDIC_IPS_URL", "http://127.0.0.1:9//"}});
    platform::Environment environment = platform::ReadEnvironment();
    EXPECT_EQ(environment.ProgramFolder, fs::current_path().string() + "/rel/home/");
    EXPECT_EQ(environment.RegistryFile, "/config/quendic/registry");
    EXPECT_EQ(environment.IpLookupAddress, "http://127.0.0.1:9");
    ScopedVariables named(Values{{"QUENDIC_REGISTRY", "/r/registry"}});
    EXPECT_EQ(platform::ReadEnvironment().RegistryFile, "/r/registry");
}

TEST(PathsTest, DataIsReadFromTheUserFolderFirstAndWrittenThere) {
    testsupport::TestFolders folders(true);
    EXPECT_EQ(platform::InProgramFolder("11\\90.dat"), folders / "11/90.dat");
    EXPECT_EQ(platform::InUserFolder("11\\90.dat"), folders.User("11/90.dat"));
    EXPECT_EQ(platform::InUserFolder("/abs/x"), "/abs/x");
    EXPECT_EQ(platform::DataFile("11\\90.dat"), folders / "11/90.dat");
    EXPECT_FALSE(fs::exists(folders.UserPath()));

    const std::string target = platform::UserFileForWriting("11\\90.dat");
    EXPECT_EQ(target, folders.User("11/90.dat"));
    EXPECT_TRUE(fs::is_directory(folders.User("11")));
    struct stat info {};
    ASSERT_EQ(::stat(folders.UserPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    std::ofstream(target) << "downloaded";
    EXPECT_EQ(platform::DataFile("11\\90.dat"), target);
    EXPECT_EQ(platform::DataFile("/abs/x"), "/abs/x");
}

TEST(PathsTest, InsideFolderIsJudgedAfterDotsAreResolved) {
    EXPECT_TRUE(platform::IsInsideFolder("/u/11/90.dat", "/u/"));
    EXPECT_TRUE(platform::IsInsideFolder("/u/11/90.dat", "/u"));
    EXPECT_TRUE(platform::IsInsideFolder("/u/a/../b", "/u/"));
    EXPECT_FALSE(platform::IsInsideFolder("/u/11/../../etc/passwd", "/u/"));
    EXPECT_FALSE(platform::IsInsideFolder("/uv/x", "/u"));
    EXPECT_FALSE(platform::IsInsideFolder("/etc/x", "/u/"));
    EXPECT_FALSE(platform::IsInsideFolder("11/90.dat", "/u/"));
}

TEST(PathsTest, ResolvedInsideFolderFollowsLinksThatExistAndRefusesDanglingOnes) {
    testsupport::TestFolders folders;
    testsupport::TestFolders outside;
    const std::string home = folders.Path();
    fs::create_directories(home + "sub");
    fs::create_directory_symlink(outside.Path(), home + "out");
    fs::create_directory_symlink(home + "sub", home + "alias");
    fs::create_symlink("/nonexistent-quendic/x", home + "dangling");
    fs::create_symlink("/nonexistent-quendic", home + "dangling-folder");

    EXPECT_EQ(platform::ResolveInsideFolder(home + "sub/new/file", home), home + "sub/new/file");
    EXPECT_EQ(platform::ResolveInsideFolder(home + "alias/x", home), home + "sub/x");
    EXPECT_EQ(platform::ResolveInsideFolder(home + "sub/../x", home.substr(0, home.size() - 1)),
              home + "x");
    for (const std::string& refused :
         {home + "out/x", home + "out", home + "dangling", home + "dangling-folder/x",
          home + "../x", home, home + "sub/..", std::string("sub/x")})
        EXPECT_FALSE(platform::ResolveInsideFolder(refused, home)) << refused;
}

TEST(RunLockTest, InstancesShareTheLockAndTheUpdaterWaitsForAllOfThem) {
    testsupport::TestFolders folders(true);
    using std::chrono::milliseconds;
    std::optional<platform::RunLock> first = platform::RunLock::Shared("quendic", milliseconds(0));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->FileName(), folders.User("quendic.lock"));
    std::optional<platform::RunLock> second = platform::RunLock::Shared("quendic", milliseconds(0));
    ASSERT_TRUE(second);
    // Another program's lock is another file.
    EXPECT_TRUE(platform::RunLock::Exclusive("quendic-cli", milliseconds(0)));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::RunLock::Exclusive("quendic", milliseconds(200)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(200));
    first.reset();
    EXPECT_FALSE(platform::RunLock::Exclusive("quendic", milliseconds(0)));
    second.reset();
    std::optional<platform::RunLock> updater =
        platform::RunLock::Exclusive("quendic", milliseconds(0));
    ASSERT_TRUE(updater);
    // A program started while the updater works waits for it.
    EXPECT_FALSE(platform::RunLock::Shared("quendic", milliseconds(100)));
    EXPECT_FALSE(platform::RunLock::Shared("../quendic", milliseconds(0)));
}

TEST(ScratchFolderTest, EachProcessHasItsOwnAndAbandonedOnesGo) {
    testsupport::TestFolders folders(true);
    const std::string file = platform::ScratchFile("voc.tmp");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file.rfind(folders.User("scratch/") + std::to_string(::getpid()) + "-", 0), 0u);
    EXPECT_EQ(platform::ScratchFile("out.mp3"), fs::path(file).parent_path() / "out.mp3");

    // A folder no process holds is removed once it is old enough; one in use
    // (locked by its owner) stays, however old.
    const std::string root = folders.User("scratch");
    platform::ScratchFolder inUse(folders.UserPath());
    fs::create_directories(root + "/999999-dead");
    std::ofstream(root + "/999999-dead/voc.tmp") << "x";
    fs::create_directories(root + "/999998-young");
    const timespec old[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 3600, 0}};
    for (const std::string& folder : {root + "/999999-dead", inUse.Path()})
        ASSERT_EQ(::utimensat(AT_FDCWD, folder.c_str(), old, 0), 0);
    platform::ScratchFolder::RemoveAbandoned(root);
    EXPECT_FALSE(fs::exists(root + "/999999-dead"));
    EXPECT_TRUE(fs::exists(root + "/999998-young"));
    EXPECT_TRUE(fs::exists(inUse.Path()));
    EXPECT_TRUE(fs::exists(fs::path(file).parent_path()));
    EXPECT_NE(inUse.Path(), fs::path(file).parent_path().string() + "/");

    // A folder is gone with its owner.
    const std::string path = inUse.Path();
    std::optional<platform::ScratchFolder> owner(std::in_place, folders.UserPath());
    const std::string owned = owner->Path();
    std::ofstream(owned + "voc.tmp") << "x";
    owner.reset();
    EXPECT_FALSE(fs::exists(owned));
    EXPECT_TRUE(fs::exists(path));
}

} // namespace
