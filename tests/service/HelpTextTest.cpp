#include "service/HelpText.h"

#include "service/HelpData.h"
#include "storage/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace service {
namespace {

TEST(ReadHelpText, ReadsTheHelpMemberOfServiceData) {
    storage::test::TestFolder home;
    EXPECT_EQ(core::ServiceDataFile(core::kHelpMember), home / "sd.102");
    ASSERT_TRUE(test::WriteHelpData(test::SampleHelpLines()));
    std::vector<std::string> lines{"stale"};
    ASSERT_TRUE(ReadHelpText(lines));
    EXPECT_EQ(lines, test::SampleHelpLines());
}

TEST(ReadHelpText, MissingFileOrMemberLeavesTheListUnchanged) {
    storage::test::TestFolder home;
    std::vector<std::string> lines{"kept"};
    EXPECT_FALSE(ReadHelpText(lines));
    EXPECT_EQ(lines, std::vector<std::string>{"kept"});

    ASSERT_TRUE(test::WriteHelpData({"other document"}, 102000101u));
    EXPECT_FALSE(ReadHelpText(lines));
    EXPECT_EQ(lines, std::vector<std::string>{"kept"});

    std::filesystem::remove(home / "sd.102");
    std::filesystem::create_directory(home / "sd.102");
    EXPECT_FALSE(ReadHelpText(lines)) << "a folder is no data file";
    EXPECT_EQ(lines, std::vector<std::string>{"kept"});
}

TEST(ReadHelpText, DamagedServiceDataFailsQuietly) {
    storage::test::TestFolder home;
    ASSERT_TRUE(test::WriteHelpData(test::SampleHelpLines()));
    const std::string whole = storage::test::ReadFileBytes(home / "sd.102");
    // Cut inside the help member's data and inside its header.
    for (std::size_t cut : {whole.size() - 5, whole.size() - 60, std::size_t(3)}) {
        storage::test::WriteFileBytes(home / "sd.102", whole.substr(0, cut));
        std::vector<std::string> lines{"kept"};
        EXPECT_FALSE(ReadHelpText(lines)) << cut;
        EXPECT_EQ(lines, std::vector<std::string>{"kept"}) << cut;
    }
}

} // namespace
} // namespace service
