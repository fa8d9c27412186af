#include "ProgramRun.h"
#include "platform/Gbk.h"
#include "tests/core/VocFileBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

using testsupport::ProgramRun;

class SearchCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<testing_voc::VocEntry> entries = {
            {"apple", Gbk("苹果")},       {"Apple", Gbk("苹果公司")},
            {"apple pie", Gbk("苹果派")}, {"applet", Gbk("小程序<0D0A>小应用")},
            {"banana", Gbk("香蕉")},
        };
        members_ = testing_voc::BuildVocMembers(entries);
        members_.Forms = Gbk("apples\tapple\t复数\r\nbananas\tbanana\t复数\r\n");
        members_.Present[7] = true;
    }
    static std::string Gbk(std::string_view utf8) { return platform::Utf8ToGbk(utf8); }

    void WriteIndex(const testing_voc::VocMembers& members) {
        ASSERT_TRUE(testing_voc::WriteVoc(folders_ / "voc.dat", members));
    }

    // Runs the program with `args`; `input` is its stdin, `environment`
    // adds "NAME=value" entries to its environment.
    ProgramRun Run(const std::vector<std::string>& args, const std::string& input = {},
                   const std::vector<std::string>& environment = {}) {
        return testsupport::RunProgram(QUENDIC_CLI_PATH, args, folders_, input, environment);
    }

    static std::string Item(std::string headword, std::string_view gloss) {
        headword.resize(std::max<size_t>(headword.size(), 30), ' ');
        return headword + " " + std::string(gloss) + "\n";
    }

    testsupport::TestFolders folders_;
    testing_voc::VocMembers members_;
};

TEST_F(SearchCliTest, PrintsListItemsInUtf8) {
    WriteIndex(members_);
    ProgramRun run = Run({"search", "app"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out,
              Item("apple", "苹果") + Item("Apple", "苹果公司") + Item("applet", "小程序  小应用"));
    run = Run({"search", "苹果"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, Item("apple", "苹果") + Item("Apple", "苹果公司"));
}

TEST_F(SearchCliTest, FilterOptionsAndJoinedArguments) {
    WriteIndex(members_);
    ProgramRun run = Run({"search", "--phrases", "app"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, Item("apple pie", "苹果派"));
    run = Run({"search", "--all", "apple", "p"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, Item("apple pie", "苹果派"));
    run = Run({"search", "--all", "苹果"});
    EXPECT_EQ(run.Out,
              Item("apple", "苹果") + Item("Apple", "苹果公司") + Item("apple pie", "苹果派"));
    // Words only by default: the phrase is not listed.
    run = Run({"search", "apple", "p"});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(run.Out, "");
}

TEST_F(SearchCliTest, NothingFoundExitsOne) {
    WriteIndex(members_);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"search", "zebra"},
                                                 {"search", "123"},
                                                 {"search", "   "},
                                                 {"search", "龙"}}) {
        ProgramRun run = Run(args);
        EXPECT_EQ(run.Exit, 1) << args[1];
        EXPECT_EQ(run.Out, "") << args[1];
    }
}

TEST_F(SearchCliTest, UnreadableOrDamagedIndexExitsTwo) {
    ProgramRun missing = Run({"search", "apple"});
    EXPECT_EQ(missing.Exit, 2);
    EXPECT_EQ(missing.Out, "");
    EXPECT_NE(missing.Err.find("voc.dat"), std::string::npos) << missing.Err;

    testing_voc::VocMembers damaged = members_;
    damaged.PairBuckets = {"<EN>AP</EN><Index>3</Index><Count>99</Count>"};
    WriteIndex(damaged);
    ProgramRun run = Run({"search", "apple"});
    EXPECT_EQ(run.Exit, 2);
    EXPECT_EQ(run.Out, "");
    EXPECT_FALSE(run.Err.empty());
    // The undamaged part of the index still answers.
    EXPECT_EQ(Run({"search", "b"}).Exit, 0);
}

// A small file whose first member inflates to 20 MB of line breaks: refused
// before it is inflated, with a clear error, in little memory.
TEST_F(SearchCliTest, IndexMemberBeyondItsSizeIsRefusedInBoundedMemory) {
    {
        storage::TCDF voc(folders_ / "voc.dat");
        voc.SetCodeType(2);
        storage::Stream bomb(20u << 20, '\n');
        ASSERT_TRUE(voc.AddStream(0u, bomb));
        ASSERT_LT(std::filesystem::file_size(folders_ / "voc.dat"), 200000u);
    }
    ProgramRun run = Run({"search", "apple"});
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(
        run.Err.find("member 0 of the word index " + (folders_ / "voc.dat") + " is too large"),
        std::string::npos)
        << run.Err;
    EXPECT_LT(run.PeakKiB, 200 * 1024);
}

// Index text carrying tags cannot change another field of a result line.
TEST_F(SearchCliTest, TagsInIndexTextStayInTheirField) {
    testing_voc::VocMembers members = testing_voc::BuildVocMembers(
        {{"apple</En><Cn>evil", Gbk("苹果")}, {"apply", Gbk("应用</Cn><En>x")}});
    WriteIndex(members);
    ProgramRun run = Run({"search", "app"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    // Padded to 30 bytes of GBK, where "＜" and "＞" take two.
    EXPECT_EQ(run.Out, Item("apply", "应用＜/Cn＞＜En＞x") + "apple＜/En＞＜Cn＞evil" +
                           std::string(8, ' ') + " 苹果\n");
}

TEST_F(SearchCliTest, FormAndSuggestionLinesAreMarked) {
    WriteIndex(members_);
    ProgramRun run = Run({"search", "bananas"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, "[form] bananas → banana (banana 的复数)\n");
    // Suggestions alone find nothing: exit 1, but they are printed.
    run = Run({"search", "bananna"});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(run.Out, "[suggestion] " + Item("banana", "香蕉"));
    // The filter hint is the window's: a script sees no line for it.
    run = Run({"search", "apple", "p"});
    EXPECT_EQ(run.Out, "");
}

TEST_F(SearchCliTest, DashAnswersEveryLineOfStdinInTurn) {
    WriteIndex(members_);
    ProgramRun run = Run({"search", "-"}, "app\r\nzebra\n\n苹果\napples\n");
    EXPECT_EQ(run.Exit, 1) << run.Err; // zebra and the empty line found nothing
    EXPECT_EQ(run.Out, Item("apple", "苹果") + Item("Apple", "苹果公司") +
                           Item("applet", "小程序  小应用") + "\n" + "\n" + "\n" +
                           Item("apple", "苹果") + Item("Apple", "苹果公司") + "\n" +
                           "[form] apples → apple (apple 的复数)\n\n");
    run = Run({"search", "--phrases", "-"}, "app\n");
    EXPECT_EQ(run.Exit, 0);
    EXPECT_EQ(run.Out, Item("apple pie", "苹果派") + "\n");
    // Nothing on stdin: nothing to answer.
    EXPECT_EQ(Run({"search", "-"}).Out, "");
}

TEST_F(SearchCliTest, SearchingLoadsNoNetworkLibrary) {
    WriteIndex(members_);
    // The dynamic linker names every library it loads.
    ProgramRun run = Run({"search", "apple"}, {}, {"LD_DEBUG=libs"});
    EXPECT_EQ(run.Exit, 0);
    EXPECT_NE(run.Err.find("libstdc++"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Err.find("libcurl"), std::string::npos);
}

TEST_F(SearchCliTest, MissingTextIsBadUsage) {
    WriteIndex(members_);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"search"}, {"search", "--all"}}) {
        ProgramRun run = Run(args);
        EXPECT_EQ(run.Exit, 2);
        EXPECT_NE(run.Err.find("usage"), std::string::npos);
    }
}

} // namespace
