#include "core/WordFinder.h"

#include "platform/Gbk.h"
#include "tests/core/VocFileBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using core::ListRow;
using core::RowKind;
using core::WordIndex;

std::string Gbk(std::string_view utf8) {
    return platform::Utf8ToGbk(utf8);
}

// Rows as "kind|word|text" in UTF-8, for readable comparisons.
std::vector<std::string> Show(const std::vector<ListRow>& rows) {
    static const char* kinds[] = {"result", "form", "suggestion", "hint", "note"};
    std::vector<std::string> shown;
    for (const ListRow& row : rows)
        shown.push_back(std::string(kinds[static_cast<int>(row.Kind)]) + "|" + row.Word + "|" +
                        platform::GbkToUtf8(row.Text));
    return shown;
}

std::string Item(std::string headword, std::string_view gloss) {
    headword.resize(std::max<size_t>(headword.size(), 30), ' ');
    return headword + " " + std::string(gloss);
}

// A small dictionary with the forms table quendic-mkdict would write for it.
// Ranks follow the list order, so "receive" outranks "relieve".
testing_voc::VocMembers Dictionary() {
    const std::vector<std::pair<const char*, const char*>> words = {{"go", "去"},
                                                                    {"find", "找到"},
                                                                    {"found", "建立"},
                                                                    {"look", "看"},
                                                                    {"study", "学习"},
                                                                    {"child", "孩子"},
                                                                    {"mouse", "老鼠"},
                                                                    {"good", "好的"},
                                                                    {"well", "好地"},
                                                                    {"better", "更好的"},
                                                                    {"apple", "苹果"},
                                                                    {"Apple", "苹果公司"},
                                                                    {"apple pie", "苹果派"},
                                                                    {"applet", "小程序"},
                                                                    {"banana", "香蕉"},
                                                                    {"receive", "收到"},
                                                                    {"relieve", "缓解"},
                                                                    {"believe", "相信"},
                                                                    {"definitely", "肯定"},
                                                                    {"ice", "冰"},
                                                                    {"ice cream", "冰淇淋"},
                                                                    {"iceberg", "冰山"},
                                                                    {"ice-cold", "冰冷"}};
    std::vector<testing_voc::VocEntry> entries;
    for (size_t rank = 0; rank < words.size(); ++rank)
        entries.push_back(
            {words[rank].first, Gbk(words[rank].second), static_cast<uint32_t>(rank)});
    testing_voc::VocMembers members = testing_voc::BuildVocMembers(entries);
    members.Forms = Gbk("better\tgood\t比较级\r\n"
                        "better\twell\t比较级\r\n"
                        "children\tchild\t复数\r\n"
                        "found\tfind\t过去式、过去分词\r\n"
                        "looked\tlook\t过去式、过去分词\r\n"
                        "mice\tmouse\t复数\r\n"
                        "studies\tstudy\t复数、第三人称单数\r\n"
                        "went\tgo\t过去式\r\n");
    members.Present[7] = true;
    return members;
}

class WordFinderTest : public ::testing::TestWithParam<WordIndex::Reading> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quendic-finder-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        ASSERT_TRUE(testing_voc::WriteVoc(folder_ + "/voc.dat", Dictionary()));
        ASSERT_TRUE(finder_.Load(folder_ + "/voc.dat", GetParam()));
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    std::vector<std::string> Find(std::string_view query) {
        const core::SearchOutcome outcome = finder_.Find(Gbk(query));
        EXPECT_EQ(outcome.Status, core::SearchStatus::Ran) << query << ": " << outcome.Error;
        return Show(finder_.Rows());
    }

    std::string folder_;
    core::WordFinder finder_;
};

TEST_P(WordFinderTest, InflectedFormsListTheirBasesFirst) {
    EXPECT_EQ(Find("went"), std::vector<std::string>{"form|go|went → go (go 的过去式)"});
    EXPECT_EQ(Find("children"),
              std::vector<std::string>{"form|child|children → child (child 的复数)"});
    EXPECT_EQ(Find("mice"), std::vector<std::string>{"form|mouse|mice → mouse (mouse 的复数)"});
    EXPECT_EQ(Find("looked"),
              std::vector<std::string>{"form|look|looked → look (look 的过去式、过去分词)"});
    EXPECT_EQ(Find("studies"),
              std::vector<std::string>{"form|study|studies → study (study 的复数、第三人称单数)"});
    // One line per base, then what the prefix search finds, the form itself
    // included when it is a headword.
    EXPECT_EQ(Find("better"),
              (std::vector<std::string>{"form|good|better → good (good 的比较级)",
                                        "form|well|better → well (well 的比较级)",
                                        "result|better|" + Item("better", "更好的")}));
    EXPECT_EQ(Find("found"),
              (std::vector<std::string>{"form|find|found → find (find 的过去式、过去分词)",
                                        "result|found|" + Item("found", "建立")}));
    // Letter case and trailing blanks do not hide a form.
    EXPECT_EQ(Find("Went  "), std::vector<std::string>{"form|go|Went → go (go 的过去式)"});
    // A prefix of a form is no form.
    EXPECT_EQ(Find("wen").size(), 0u);
}

TEST_P(WordFinderTest, MisspellingsGetSuggestionsClosestAndMostFrequentFirst) {
    const std::string note = "note||没有以“recieve”开头的词条，您要找的是不是：";
    // Two letters swapped (receive) and one replaced (relieve): one edit
    // each, the more frequent first.
    EXPECT_EQ(Find("recieve"),
              (std::vector<std::string>{note, "suggestion|receive|" + Item("receive", "收到"),
                                        "suggestion|relieve|" + Item("relieve", "缓解")}));
    EXPECT_EQ(Find("beleive")[1], "suggestion|believe|" + Item("believe", "相信"));
    // A letter dropped, a letter doubled, a letter replaced.
    EXPECT_EQ(Find("definitly")[1], "suggestion|definitely|" + Item("definitely", "肯定"));
    EXPECT_EQ(Find("bananna")[1], "suggestion|banana|" + Item("banana", "香蕉"));
    EXPECT_EQ(Find("definately")[1], "suggestion|definitely|" + Item("definitely", "肯定"));
    // Of "apple" and "Apple" the more frequent spelling is suggested once.
    EXPECT_EQ(Find("aple"),
              (std::vector<std::string>{"note||没有以“aple”开头的词条，您要找的是不是：",
                                        "suggestion|apple|" + Item("apple", "苹果")}));
    // Nonsense, and words too short for two edits, get nothing.
    EXPECT_TRUE(Find("xqzzyv").empty());
    EXPECT_TRUE(Find("gxxd").empty());
}

TEST_P(WordFinderTest, FilterHintSaysWhatTheOtherBoxWouldShow) {
    EXPECT_EQ(Find("ice cream"), std::vector<std::string>{"hint||勾选“词组”可显示 1 个匹配的词组"});
    finder_.Index().SetFilter(false, true);
    EXPECT_EQ(Find("iceb"), std::vector<std::string>{"hint||勾选“单词”可显示 1 个匹配的单词"});
    EXPECT_EQ(Find("冰山"), std::vector<std::string>{"hint||勾选“单词”可显示 1 个匹配的单词"});
    // Nothing hidden: no hint, and no suggestions for what the filter hides.
    finder_.Index().SetFilter(true, true);
    EXPECT_EQ(Find("ice c"),
              std::vector<std::string>{"result|ice cream|" + Item("ice cream", "冰淇淋")});
    EXPECT_TRUE(Find("冰箱").empty());
}

TEST_P(WordFinderTest, TrailingBlankFallsBackToTheWordTyped) {
    // Words only: "apple " reaches only phrases, so "apple" is listed, and
    // the hint tells of the phrase.
    EXPECT_EQ(Find("apple "), (std::vector<std::string>{"result|apple|" + Item("apple", "苹果"),
                                                        "result|Apple|" + Item("Apple", "苹果公司"),
                                                        "result|applet|" + Item("applet", "小程序"),
                                                        "hint||勾选“词组”可显示 1 个匹配的词组"}));
    // With phrases shown, the prefix search finds the phrase as before.
    finder_.Index().SetFilter(true, true);
    EXPECT_EQ(Find("apple "),
              std::vector<std::string>{"result|apple pie|" + Item("apple pie", "苹果派")});
}

TEST_P(WordFinderTest, BlankQueryKeepsTheRows) {
    const std::vector<std::string> rows = Find("went");
    EXPECT_EQ(finder_.Find("   ").Status, core::SearchStatus::Blank);
    EXPECT_EQ(Show(finder_.Rows()), rows);
}

INSTANTIATE_TEST_SUITE_P(Readings, WordFinderTest,
                         ::testing::Values(WordIndex::Reading::Whole,
                                           WordIndex::Reading::OnDemand));

TEST(WordFinderLoadTest, IndexWithoutFormsTableFindsNoForms) {
    char pattern[] = "/tmp/quendic-finder-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    testing_voc::VocMembers members = Dictionary();
    members.Present[7] = false;
    ASSERT_TRUE(testing_voc::WriteVoc(folder + "/voc.dat", members));
    core::WordFinder finder;
    ASSERT_TRUE(finder.Load(folder + "/voc.dat"));
    EXPECT_TRUE(finder.Forms().Empty());
    EXPECT_EQ(finder.Find("went").Status, core::SearchStatus::Ran);
    EXPECT_TRUE(finder.Rows().empty());
    std::filesystem::remove_all(folder);
}

} // namespace
