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

struct CliRun {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

std::string Quoted(std::string_view arg) {
    std::string quoted = "'";
    for (char c : arg) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

class SearchCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quendic-searchcli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        std::vector<testing_voc::VocEntry> entries = {
            {"apple", Gbk("苹果")},       {"Apple", Gbk("苹果公司")},
            {"apple pie", Gbk("苹果派")}, {"applet", Gbk("小程序<0D0A>小应用")},
            {"banana", Gbk("香蕉")},
        };
        members_ = testing_voc::BuildVocMembers(entries);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(home_, ec);
    }

    static std::string Gbk(std::string_view utf8) { return platform::Utf8ToGbk(utf8); }

    void WriteIndex(const testing_voc::VocMembers& members) {
        ASSERT_TRUE(testing_voc::WriteVoc(home_ + "/voc.dat", members));
    }

    CliRun Run(const std::vector<std::string>& args) {
        std::string command = "QUENDIC_HOME=" + Quoted(home_) + " " + Quoted(QUENDIC_CLI_PATH);
        for (const std::string& arg : args)
            command += " " + Quoted(arg);
        const std::string errFile = home_ + "/stderr.txt";
        command += " 2>" + Quoted(errFile);
        CliRun run;
        std::FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr)
            return run;
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            run.Out.append(buffer, n);
        const int status = pclose(pipe);
        run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream err(errFile);
        std::stringstream text;
        text << err.rdbuf();
        run.Err = text.str();
        return run;
    }

    static std::string Item(std::string headword, std::string_view gloss) {
        headword.resize(std::max<size_t>(headword.size(), 30), ' ');
        return headword + " " + std::string(gloss) + "\n";
    }

    std::string home_;
    testing_voc::VocMembers members_;
};

TEST_F(SearchCliTest, PrintsListItemsInUtf8) {
    WriteIndex(members_);
    CliRun run = Run({"search", "app"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out,
              Item("apple", "苹果") + Item("Apple", "苹果公司") + Item("applet", "小程序  小应用"));
    run = Run({"search", "苹果"});
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, Item("apple", "苹果") + Item("Apple", "苹果公司"));
}

TEST_F(SearchCliTest, FilterOptionsAndJoinedArguments) {
    WriteIndex(members_);
    CliRun run = Run({"search", "--phrases", "app"});
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
        CliRun run = Run(args);
        EXPECT_EQ(run.Exit, 1) << args[1];
        EXPECT_EQ(run.Out, "") << args[1];
    }
}

TEST_F(SearchCliTest, UnreadableOrDamagedIndexExitsTwo) {
    CliRun missing = Run({"search", "apple"});
    EXPECT_EQ(missing.Exit, 2);
    EXPECT_EQ(missing.Out, "");
    EXPECT_NE(missing.Err.find("voc.dat"), std::string::npos) << missing.Err;

    testing_voc::VocMembers damaged = members_;
    damaged.PairBuckets = {"<EN>AP</EN><Index>3</Index><Count>99</Count>"};
    WriteIndex(damaged);
    CliRun run = Run({"search", "apple"});
    EXPECT_EQ(run.Exit, 2);
    EXPECT_EQ(run.Out, "");
    EXPECT_FALSE(run.Err.empty());
    // The undamaged part of the index still answers.
    EXPECT_EQ(Run({"search", "b"}).Exit, 0);
}

TEST_F(SearchCliTest, MissingTextIsBadUsage) {
    WriteIndex(members_);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"search"}, {"search", "--all"}}) {
        CliRun run = Run(args);
        EXPECT_EQ(run.Exit, 2);
        EXPECT_NE(run.Err.find("usage"), std::string::npos);
    }
}

} // namespace
