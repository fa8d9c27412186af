#include "tools/mkdict/UpdateWriter.h"
#include "core/ServiceData.h"
#include "core/TaggedText.h"
#include "platform/Gbk.h"
#include "storage/TCDF.h"
#include "tools/mkdict/ServiceDataWriter.h"
#include "tools/mkdict/TextUtil.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(UpdateWriterTest, OffersANewerHelpDocument) {
    std::string folder =
        (std::filesystem::temp_directory_path() / "quendic-updates-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    ASSERT_TRUE(tools::UpdateWriter::Write(folder));

    std::string list;
    ASSERT_TRUE(tools::ReadWholeFile(folder + "/updates/updates.lst", list));
    EXPECT_EQ(core::GetTagValue(list, "FID"), "00000001");
    EXPECT_EQ(core::GetTagValue(list, "LFn"), "sd.102");

    // The update is an sd.102 whose help has one note more than the current.
    storage::TCDF update(folder + "/updates/00000001");
    std::vector<std::string> help;
    ASSERT_TRUE(update.ReadStrings(core::kHelpMember, help));
    EXPECT_EQ(help.size(), tools::ServiceDataWriter::HelpLines().size() + 2);
    EXPECT_NE(platform::GbkToUtf8(help[3]).find("本版更新"), std::string::npos);
    std::string record;
    EXPECT_TRUE(update.ReadString(core::kAdRecordMember, record));

    std::string ips;
    ASSERT_TRUE(tools::ReadWholeFile(folder + "/ips.txt", ips));
    EXPECT_EQ(ips.substr(0, 5), "127.\t");
    std::filesystem::remove_all(folder);
}

} // namespace
