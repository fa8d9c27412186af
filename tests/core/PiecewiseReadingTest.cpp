// Lines and the forms table read piece by piece must be what reading the
// whole text gives, whatever sizes the pieces come in.
#include "core/FormTable.h"
#include "core/LineList.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A reader over `text` that hands out pieces of 1 to 9 bytes, so that every
// line and every CR LF is cut somewhere.
core::LineList::PieceReader ShortPieces(const std::string& text, std::mt19937& random) {
    return [&text, &random](uint64_t offset, size_t length, std::string& piece) {
        const size_t at = offset < text.size() ? static_cast<size_t>(offset) : text.size();
        piece = text.substr(at, std::min<size_t>(length, 1 + random() % 9));
        return true;
    };
}

TEST(LineListTest, WantedLinesReadInPiecesAreTheTextsLines) {
    std::mt19937 random(3);
    const char alphabet[] = {'a', 'b', 'c', '\r', '\n', 'x', 'y'};
    for (int round = 0; round < 200; ++round) {
        std::string text(random() % 200, ' ');
        for (char& c : text)
            c = alphabet[random() % 7];
        const std::vector<std::string> lines = platform::SplitLines(text);
        core::LineList whole;
        whole.Assign(text);
        ASSERT_EQ(whole.Size(), lines.size());
        ASSERT_EQ(whole.Copy(), lines);

        std::vector<uint32_t> wanted;
        for (uint32_t line = 0; line < lines.size() + 3; ++line) {
            if (random() % 3 == 0)
                wanted.push_back(line);
        }
        core::LineList some;
        ASSERT_TRUE(some.AssignSome(ShortPieces(text, random), text.size(), wanted));
        const bool allThere = wanted.empty() || wanted.back() < lines.size();
        EXPECT_EQ(some.Size(), allThere ? (wanted.empty() ? 0 : wanted.back() + 1) : lines.size());
        for (uint32_t line : wanted) {
            if (line < lines.size()) {
                EXPECT_EQ(some[line], lines[line]) << round << " line " << line;
            }
        }
    }
}

TEST(LineListTest, UnreadablePieceFailsTheRead) {
    core::LineList lines;
    auto failing = [](uint64_t, size_t, std::string&) { return false; };
    EXPECT_FALSE(lines.AssignSome(failing, 100, {0}));
    // Nothing wanted needs no reading at all.
    EXPECT_TRUE(lines.AssignSome(failing, 100, {}));
}

class FormTableTest : public ::testing::Test {
protected:
    // Forms with their bases; "take" has two, and lines that break the
    // format sit between them.
    static std::string Table(const char* lineBreak) {
        std::string text;
        for (const char* line :
             {"'em\tthem\tx", "better\tgood\tc", "better\twell\tc", "broken line",
              "children\tchild\tp", "found\tfind\tpast", "mice\tmouse\tp", "took\ttake\tpast",
              "went\tgo\tpast", "went\twend\tpast", "wrote\twrite\t", "zoomed\tzoom\tpast"})
            text += std::string(line) + lineBreak;
        return text;
    }

    static std::vector<std::string> Bases(const core::FormTable& table, std::string_view word) {
        std::vector<std::string> bases;
        for (const core::FormBase& base : table.Find(word))
            bases.push_back(base.Base + ":" + base.Kinds);
        return bases;
    }
};

TEST_F(FormTableTest, FindsEveryBaseInMemoryAndThroughPieces) {
    std::mt19937 random(9);
    for (const char* lineBreak : {"\r\n", "\n"}) {
        const std::string text = Table(lineBreak);
        core::FormTable inMemory;
        inMemory.Assign(text);
        core::FormTable pieces;
        pieces.AssignReader(ShortPieces(text, random), text.size());
        for (const core::FormTable* table : {&inMemory, &pieces}) {
            EXPECT_EQ(Bases(*table, "went"), (std::vector<std::string>{"go:past", "wend:past"}));
            EXPECT_EQ(Bases(*table, "Better"), (std::vector<std::string>{"good:c", "well:c"}));
            EXPECT_EQ(Bases(*table, "'em"), std::vector<std::string>{"them:x"});
            EXPECT_EQ(Bases(*table, "zoomed"), std::vector<std::string>{"zoom:past"});
            EXPECT_EQ(Bases(*table, "children"), std::vector<std::string>{"child:p"});
            // Before the first, between and after the last form; a prefix;
            // a line without kinds.
            for (const char* none : {"", "aardvark", "cat", "zz", "wen", "wrote"})
                EXPECT_TRUE(table->Find(none).empty()) << none;
        }
    }
}

TEST_F(FormTableTest, LongTablesAreBisected) {
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "form%05d\tbase%d\tk\r\n", i, i);
        text += line;
    }
    core::FormTable table;
    size_t reads = 0;
    table.AssignReader(
        [&](uint64_t offset, size_t length, std::string& piece) {
            ++reads;
            piece = text.substr(std::min<size_t>(offset, text.size()), length);
            return true;
        },
        text.size());
    EXPECT_EQ(Bases(table, "form04321"), std::vector<std::string>{"base4321:k"});
    EXPECT_LT(reads, 80u); // a bisection, not a scan of 5000 lines
    EXPECT_EQ(Bases(table, "form00000"), std::vector<std::string>{"base0:k"});
    EXPECT_EQ(Bases(table, "form04999"), std::vector<std::string>{"base4999:k"});
    EXPECT_TRUE(table.Find("form05000").empty());
}

} // namespace
