#include "TestFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace testsupport {

namespace {

std::string MakeTemporaryFolder(const char* prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / prefix).string() + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        std::abort();
    return pattern + "/";
}

// Every test executable runs in folders of its own: the environment a test
// and its child processes see names a temporary program folder, user folder,
// registry file and XDG folders, never the real home.
class RunFolders : public ::testing::Environment {
public:
    void SetUp() override {
        root_ = MakeTemporaryFolder("quendic-test-run");
        std::filesystem::create_directories(root_ + "home");
        std::filesystem::create_directories(root_ + "user");
        ::setenv("QUENDIC_HOME", (root_ + "home").c_str(), 1);
        ::setenv("QUENDIC_USER_HOME", (root_ + "user").c_str(), 1);
        ::setenv("QUENDIC_REGISTRY", (root_ + "registry").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root_ + "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root_ + "data").c_str(), 1);
        ::unsetenv("QUENDIC_IPS_URL");
        platform::SetEnvironment(platform::ReadEnvironment());
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

private:
    std::string root_;
};

[[maybe_unused]] ::testing::Environment* const g_runFolders =
    ::testing::AddGlobalTestEnvironment(new RunFolders);

} // namespace

TestFolders::TestFolders(bool separateUserFolder)
    : previous_(platform::CurrentEnvironment()), root_(MakeTemporaryFolder("quendic-test")) {
    program_ = root_;
    user_ = separateUserFolder ? root_ + "user/" : root_;
    registry_ = root_ + "registry";
    platform::Environment environment = previous_;
    environment.ProgramFolder = program_;
    environment.UserFolder = user_;
    environment.RegistryFile = registry_;
    platform::SetEnvironment(environment);
}

TestFolders::~TestFolders() {
    platform::SetEnvironment(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string TestFolders::ShellAssignments() const {
    return "QUENDIC_HOME='" + program_ + "' QUENDIC_USER_HOME='" + user_ + "' QUENDIC_REGISTRY='" +
           registry_ + "'";
}

} // namespace testsupport
