#include "core/WordHistory.h"

#include "storage/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using core::WordHistory;
using Words = std::vector<std::string>;

class WordHistoryTest : public ::testing::Test {
protected:
    storage::test::TestFolder folder_{true}; // a user folder apart, not made yet
};

TEST_F(WordHistoryTest, NewestFirstOnceEachAndKeptAcrossARestart) {
    WordHistory history;
    history.Load();
    EXPECT_TRUE(history.Words().empty());
    ASSERT_TRUE(history.Add("apple"));
    ASSERT_TRUE(history.Add("go"));
    ASSERT_TRUE(history.Add("Apple")); // again, in another case: moves to the front
    EXPECT_EQ(history.Words(), (Words{"Apple", "go"}));
    EXPECT_EQ(history.Path(), folder_.User("history.lst"));
    EXPECT_EQ(storage::test::ReadFileBytes(history.Path()), "Apple\r\ngo\r\n");

    WordHistory restarted;
    restarted.Load();
    EXPECT_EQ(restarted.Words(), (Words{"Apple", "go"}));
    ASSERT_TRUE(restarted.Clear());
    WordHistory cleared;
    cleared.Load();
    EXPECT_TRUE(cleared.Words().empty());
}

TEST_F(WordHistoryTest, KeepsTheLastThousand) {
    std::filesystem::create_directories(folder_.UserPath());
    std::string lines;
    for (int i = 1004; i >= 0; --i)
        lines += "word" + std::to_string(i) + "\r\n";
    storage::test::WriteFileBytes(folder_.User("history.lst"), lines);
    WordHistory history;
    history.Load();
    ASSERT_EQ(history.Words().size(), WordHistory::kLimit);
    EXPECT_EQ(history.Words().back(), "word5");
    ASSERT_TRUE(history.Add("new"));
    ASSERT_EQ(history.Words().size(), WordHistory::kLimit);
    EXPECT_EQ(history.Words().front(), "new");
    EXPECT_EQ(history.Words().back(), "word6");
    WordHistory reloaded;
    reloaded.Load();
    EXPECT_EQ(reloaded.Words(), history.Words());
}

TEST_F(WordHistoryTest, DamagedFileGivesWhatIsUsable) {
    std::filesystem::create_directories(folder_.UserPath());
    std::string junk = "go\r\n\r\nbad\x01word\nok\x7F\n" + std::string(300, 'x') + "\n";
    junk += std::string("nul\0byte", 8) + "\r" + "GO\n" + "\xC6\xBB\xB9\xFB\n" + "last";
    storage::test::WriteFileBytes(folder_.User("history.lst"), junk);
    WordHistory history;
    history.Load();
    // Control characters, empty and overlong lines go; "GO" repeats "go".
    EXPECT_EQ(history.Words(), (Words{"go", "\xC6\xBB\xB9\xFB", "last"}));
    // The next change writes a clean file.
    ASSERT_TRUE(history.Add("new"));
    EXPECT_EQ(storage::test::ReadFileBytes(history.Path()),
              "new\r\ngo\r\n\xC6\xBB\xB9\xFB\r\nlast\r\n");
    EXPECT_FALSE(history.Add(""));
    EXPECT_FALSE(history.Add("tab\tin"));
}

TEST_F(WordHistoryTest, TwoProgramsKeepEachOthersWords) {
    WordHistory first;
    WordHistory second;
    first.Load();
    second.Load();
    ASSERT_TRUE(first.Add("apple"));
    ASSERT_TRUE(second.Add("pear"));
    EXPECT_EQ(second.Words(), (Words{"pear", "apple"}));
}

TEST_F(WordHistoryTest, UnwritableFolderKeepsTheWordInMemory) {
    // A file where the user folder should be: nothing can be written there.
    std::string userPath = folder_.UserPath();
    userPath.pop_back();
    storage::test::WriteFileBytes(userPath, "");
    WordHistory history;
    EXPECT_FALSE(history.Add("apple"));
    EXPECT_EQ(history.Words(), Words{"apple"});
}

} // namespace
