#include "core/SpellingSuggester.h"

#include "core/WordIndex.h"
#include "tests/core/VocFileBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using core::SpellingSuggester;

TEST(SpellingSuggesterTest, DistanceCountsEditsAndSwapsOfNeighbours) {
    EXPECT_EQ(SpellingSuggester::Distance("receive", "receive"), 0);
    EXPECT_EQ(SpellingSuggester::Distance("recieve", "receive"), 1);  // swapped
    EXPECT_EQ(SpellingSuggester::Distance("recive", "receive"), 1);   // dropped
    EXPECT_EQ(SpellingSuggester::Distance("receeive", "receive"), 1); // doubled
    EXPECT_EQ(SpellingSuggester::Distance("recelve", "receive"), 1);  // replaced
    EXPECT_EQ(SpellingSuggester::Distance("tommorow", "tomorrow"), 2);
    EXPECT_EQ(SpellingSuggester::Distance("", "abc"), 3);
    EXPECT_EQ(SpellingSuggester::Distance("ca", "abc"), 3); // no edit of a swapped pair
}

class SuggestTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quendic-suggest-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        // Ranks in list order: "tomorrow" is the most frequent.
        const char* words[] = {"tomorrow", "morrow",  "borrow",    "sorrow", "marrow", "Tomorrow",
                               "narrow",   "barrow",  "farrow",    "harrow", "yarrow", "arrow",
                               "to-do",    "o'clock", "ice cream", "x2y"};
        std::vector<testing_voc::VocEntry> entries;
        for (uint32_t rank = 0; rank < std::size(words); ++rank)
            entries.push_back({words[rank], "\xB4\xCA", rank});
        ASSERT_TRUE(
            testing_voc::WriteVoc(folder_ + "/voc.dat", testing_voc::BuildVocMembers(entries)));
        ASSERT_TRUE(index_.LoadWordIndex(folder_ + "/voc.dat"));
        suggester_.Build(index_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::vector<std::string> Suggest(std::string_view word, size_t limit = 8) {
        std::vector<std::string> words;
        for (const SpellingSuggester::Suggestion& s : suggester_.Suggest(word, limit))
            words.push_back(std::string(index_.Headword(s.Line)) + ":" +
                            std::to_string(s.Distance));
        return words;
    }

    std::string folder_;
    core::WordIndex index_;
    SpellingSuggester suggester_;
};

TEST_F(SuggestTest, ClosestFirstThenMostFrequentUpToTheLimit) {
    // Two edits away; one spelling for "tomorrow" and "Tomorrow".
    EXPECT_EQ(Suggest("tommorow"), (std::vector<std::string>{"tomorrow:2"}));
    // One edit each, in rank order, cut at the limit.
    EXPECT_EQ(Suggest("Xarrow", 3), (std::vector<std::string>{"marrow:1", "narrow:1", "barrow:1"}));
    // All seven one edit away; two letters replaced (borrow) are beyond a
    // deletion on each side.
    EXPECT_EQ(Suggest("xarrow").size(), 7u);
    EXPECT_EQ(Suggest("sorow").front(), "sorrow:1");
    // Hyphens and apostrophes are part of words.
    EXPECT_EQ(Suggest("to-od"), std::vector<std::string>{"to-do:1"});
    EXPECT_EQ(Suggest("oclock"), std::vector<std::string>{"o'clock:1"});
}

TEST_F(SuggestTest, OnlyWordsAreSuggestedAndOnlyWordsAsked) {
    EXPECT_TRUE(Suggest("ice creem").empty()); // phrases are not indexed, nor asked
    EXPECT_TRUE(Suggest("icecream").empty());
    EXPECT_TRUE(Suggest("x2z").empty()); // a digit is no word
    EXPECT_TRUE(Suggest("").empty());
    EXPECT_TRUE(Suggest("qwertyuiop").empty());
    // Short words get one edit only.
    EXPECT_TRUE(Suggest("arow").size() == 1 && Suggest("arow")[0] == "arrow:1");
    EXPECT_TRUE(Suggest("aro").empty());
}

} // namespace
