#include "core/WordIndex.h"

#include "TestFolders.h"
#include "core/TaggedText.h"
#include "platform/Gbk.h"
#include "tests/core/VocFileBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

namespace {

using core::SearchStatus;
using core::WordIndex;
using testing_voc::BuildVocMembers;
using testing_voc::VocEntry;
using testing_voc::VocMembers;
using testing_voc::WriteVoc;

std::string Gbk(std::string_view utf8) {
    return platform::Utf8ToGbk(utf8);
}

std::string Line(std::string_view headword, std::string_view gloss) {
    return core::MakeTagField(headword, "En") + core::MakeTagField(gloss, "Cn");
}

// The gloss as listed: the line breaks of the sample ("<0D0A>", "<0d0a>")
// become two spaces.
std::string Shown(std::string gloss) {
    for (const char* escape : {"<0D0A>", "<0d0a>"}) {
        for (size_t at; (at = gloss.find(escape)) != std::string::npos;)
            gloss.replace(at, 6, "  ");
    }
    return gloss;
}

std::string EnglishLine(std::string_view headword, std::string_view gloss) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%02zX", headword.size());
    return prefix + Line(headword, gloss);
}

std::string Numbered(std::string_view stem, int i) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d", i);
    return std::string(stem) + digits;
}

// The dictionary most tests search: a letter A bucket of more than 1001
// headwords (1100 of them starting "abc"), phrases, a few B words, glosses
// in Chinese with one line break, and a character shared by 1100 glosses.
std::vector<VocEntry> SampleEntries() {
    const std::string apple = Gbk("苹果");
    const std::string common = Gbk("的");
    std::vector<VocEntry> entries;
    for (int i = 0; i < 1100; ++i)
        entries.push_back({Numbered("abc", i), common + Gbk("词") + std::to_string(i)});
    entries.push_back({"apple", apple});
    entries.push_back({"Apple", apple + Gbk("公司")});
    entries.push_back({"apple pie", apple + Gbk("派")});
    entries.push_back({"apple of my eye", Gbk("掌上明珠")});
    entries.push_back({"a", Gbk("一个")});
    entries.push_back({"ab", Gbk("腹肌")});
    entries.push_back({"abandon", Gbk("放弃<0D0A>抛弃")});
    entries.push_back({"abacus", Gbk("算盘<0d0a>")});
    entries.push_back({"an apple a day keeps", Gbk("一日一苹果")});
    entries.push_back({"book", Gbk("书")});
    entries.push_back({"bookworm extraordinaire of 35 bytes", Gbk("书虫")});
    entries.push_back({"be", Gbk("是")});
    entries.push_back({"bee", Gbk("蜜蜂")});
    entries.push_back({"Bee", Gbk("蜜蜂")});
    return entries;
}

class WordIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = folders_.Path();
        members_ = BuildVocMembers(SampleEntries());
    }
    std::string VocPath() const { return home_ + "voc.dat"; }

    // Writes `members` as the program folder's voc.dat and loads it.
    bool Load(const VocMembers& members) {
        EXPECT_TRUE(WriteVoc(VocPath(), members));
        return index_.LoadWordIndex();
    }

    std::vector<std::string> Search(std::string_view query) {
        core::SearchOutcome outcome = index_.Dispatch(Gbk(query));
        EXPECT_EQ(outcome.Status, SearchStatus::Ran) << query << ": " << outcome.Error;
        return index_.ResultList();
    }

    // Line numbers of the sample whose headword satisfies `keep`, in order.
    template <typename Keep> std::vector<size_t> LinesWhere(Keep keep) const {
        std::vector<size_t> lines;
        for (size_t i = 0; i < members_.Headwords.size(); ++i)
            if (keep(members_.Headwords[i]))
                lines.push_back(i);
        return lines;
    }

    testsupport::TestFolders folders_;
    std::string home_;
    VocMembers members_;
    WordIndex index_;
};

TEST_F(WordIndexTest, LoadsMembersFromProgramFolder) {
    ASSERT_TRUE(Load(members_));
    EXPECT_EQ(index_.HeadwordList(), members_.Headwords);
    EXPECT_EQ(index_.GlossList(), members_.Glosses);
    EXPECT_EQ(index_.LetterBuckets(), members_.LetterBuckets);
    EXPECT_EQ(index_.PairBuckets(), members_.PairBuckets);
    EXPECT_EQ(index_.CnCharTable(), members_.CnCharTable);
    EXPECT_EQ(index_.CnPostings(), members_.CnPostings);
    // An explicit path works too, and a missing file empties the index.
    EXPECT_TRUE(index_.LoadWordIndex(VocPath()));
    EXPECT_FALSE(index_.LoadWordIndex(home_ + "absent.dat"));
    EXPECT_TRUE(index_.HeadwordList().empty());
    EXPECT_TRUE(index_.CnPostings().empty());
}

TEST_F(WordIndexTest, LoadNeedsHeadwordsAndGlosses) {
    VocMembers noGlosses = members_;
    noGlosses.Present[1] = false;
    EXPECT_FALSE(Load(noGlosses));
    VocMembers noHeadwords = members_;
    noHeadwords.Present[0] = false;
    EXPECT_FALSE(Load(noHeadwords));
    // The gloss list is only read together with the headword list.
    EXPECT_TRUE(index_.GlossList().empty());
}

TEST_F(WordIndexTest, OneLetterQueryTakesFirst1001OfBucketSortedByLengthThenName) {
    ASSERT_TRUE(Load(members_));
    const std::vector<std::string> results = Search("a");
    ASSERT_EQ(results.size(), 1001u);
    // The cap applies in bucket order, before sorting.
    std::vector<size_t> lines = LinesWhere([](const std::string& h) {
        return (h[0] == 'a' || h[0] == 'A') && h.find(' ') == std::string::npos;
    });
    lines.resize(1001);
    std::vector<std::string> expected;
    for (size_t i : lines)
        expected.push_back(EnglishLine(members_.Headwords[i], Shown(index_.GlossList()[i])));
    std::sort(expected.begin(), expected.end(), core::ResultLineLess);
    EXPECT_EQ(results, expected);
    EXPECT_EQ(results[0], EnglishLine("a", Gbk("一个")));
    EXPECT_EQ(results[1], EnglishLine("ab", Gbk("腹肌")));
    EXPECT_TRUE(std::is_sorted(results.begin(), results.end(), core::ResultLineLess));
}

TEST_F(WordIndexTest, TwoLetterQueryListsPairBucketWhateverTheCase) {
    ASSERT_TRUE(Load(members_));
    const std::vector<std::string> ap = Search("ap");
    // Whole lines are compared: the shorter gloss of "apple" puts it first.
    EXPECT_EQ(ap, (std::vector<std::string>{EnglishLine("apple", Gbk("苹果")),
                                            EnglishLine("Apple", Gbk("苹果公司"))}));
    EXPECT_EQ(Search("Ap"), ap);
    EXPECT_EQ(Search("aP"), ap);
    EXPECT_EQ(Search("AP"), ap);
    // "ab" lists its 1100+ lines capped like a one-letter query.
    EXPECT_EQ(Search("ab").size(), 1001u);
    EXPECT_EQ(Search("be"), (std::vector<std::string>{EnglishLine("be", Gbk("是")),
                                                      EnglishLine("Bee", Gbk("蜜蜂")),
                                                      EnglishLine("bee", Gbk("蜜蜂"))}));
}

TEST_F(WordIndexTest, ThreeOrMoreLettersMatchPrefixUncapped) {
    ASSERT_TRUE(Load(members_));
    EXPECT_EQ(Search("abc").size(), 1100u);
    EXPECT_EQ(Search("ABC10").size(), 100u);
    EXPECT_EQ(Search("abc1099"),
              std::vector<std::string>{EnglishLine("abc1099", Gbk("的词") + "1099")});
    // A headword shorter than the query never matches.
    EXPECT_TRUE(Search("abc10990").empty());
    EXPECT_TRUE(Search("apples").empty());
    // A trailing blank is part of the query and reaches the phrases.
    index_.SetFilter(true, true);
    EXPECT_EQ(Search("apple "),
              (std::vector<std::string>{EnglishLine("apple pie", Gbk("苹果派")),
                                        EnglishLine("apple of my eye", Gbk("掌上明珠"))}));
}

TEST_F(WordIndexTest, LengthPrefixIsUpperCaseHex) {
    ASSERT_TRUE(Load(members_));
    index_.SetFilter(false, true);
    const std::vector<std::string> results = Search("an ");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].substr(0, 2), "14"); // 20 bytes
    index_.SetFilter(true, true);
    EXPECT_EQ(Search("apple of")[0].substr(0, 2), "0F");
    EXPECT_EQ(Search("abando")[0], "07<En>abandon</En><Cn>" + Gbk("放弃  抛弃") + "</Cn>");
}

TEST_F(WordIndexTest, WordAndPhraseFilters) {
    ASSERT_TRUE(Load(members_));
    const std::vector<std::string> words = Search("app");
    EXPECT_EQ(words.size(), 2u); // apple, Apple
    index_.SetFilter(false, true);
    const std::vector<std::string> phrases = Search("app");
    EXPECT_EQ(phrases, (std::vector<std::string>{EnglishLine("apple pie", Gbk("苹果派")),
                                                 EnglishLine("apple of my eye", Gbk("掌上明珠"))}));
    index_.SetFilter(true, true);
    EXPECT_EQ(Search("app").size(), 4u);
    index_.SetFilter(false, false);
    EXPECT_EQ(Search("app").size(), 4u);
    // The cap counts listed lines only: with phrases alone, "a" lists the
    // three A phrases although the bucket is longer than 1001.
    index_.SetFilter(false, true);
    EXPECT_EQ(Search("a").size(), 3u);
}

TEST_F(WordIndexTest, EqualIgnoringCaseLinesHaveFixedOrder) {
    ASSERT_TRUE(Load(members_));
    // "bee" and "Bee" with the same gloss tie when case is folded; bytes
    // decide, in whichever order the bucket holds them.
    const std::vector<std::string> results = Search("bee");
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(core::GetTagValue(results[0], "En"), "Bee");
    EXPECT_EQ(core::GetTagValue(results[1], "En"), "bee");
    EXPECT_TRUE(core::ResultLineLess("05<En>Apple", "05<En>apple"));
    EXPECT_FALSE(core::ResultLineLess("05<En>apple", "05<En>Apple"));
    EXPECT_TRUE(core::ResultLineLess("05<En>apple", "05<En>APPLY"));
    EXPECT_TRUE(core::ResultLineLess("03<En>a_b", "03<En>aZb")); // letters fold to lower case
    EXPECT_TRUE(core::ResultLineLess("05<En>", "05<En>a"));
    EXPECT_FALSE(core::ResultLineLess("x", "x"));
}

TEST_F(WordIndexTest, QueryTextDropsLeadingBlanksAndControls) {
    ASSERT_TRUE(Load(members_));
    const std::vector<std::string> plain = Search("apple");
    EXPECT_EQ(Search(" \t\r\n apple"), plain);
    EXPECT_EQ(index_.QueryText(), "apple");
    index_.SetQueryText("\x01\x1F x y ");
    EXPECT_EQ(index_.QueryText(), "x y ");
}

TEST_F(WordIndexTest, BlankQueryKeepsListAndUnqualifiedQueryEmptiesIt) {
    ASSERT_TRUE(Load(members_));
    const std::vector<std::string> before = Search("apple");
    EXPECT_EQ(index_.Dispatch("   ").Status, SearchStatus::Blank);
    EXPECT_EQ(index_.Dispatch("").Status, SearchStatus::Blank);
    EXPECT_EQ(index_.ResultList(), before);
    for (const char* query : {"1abc", "-apple", "'", "\x7F"}) {
        Search("apple");
        EXPECT_EQ(index_.Dispatch(query).Status, SearchStatus::NotQualified) << query;
        EXPECT_TRUE(index_.ResultList().empty()) << query;
    }
    // A lone Chinese lead byte is not a character.
    Search("apple");
    EXPECT_EQ(index_.Dispatch("\xB9").Status, SearchStatus::NotQualified);
    EXPECT_TRUE(index_.ResultList().empty());
}

TEST_F(WordIndexTest, ListItemsPadHeadwordTo30Bytes) {
    ASSERT_TRUE(Load(members_));
    Search("apple");
    EXPECT_EQ(index_.ListItems()[0], "apple" + std::string(25, ' ') + " " + Gbk("苹果"));
    Search("bookworm");
    const std::string long35 = "bookworm extraordinaire of 35 bytes";
    ASSERT_EQ(long35.size(), 35u);
    index_.SetFilter(true, true);
    Search("bookworm");
    EXPECT_EQ(index_.ListItems(), std::vector<std::string>{long35 + " " + Gbk("书虫")});
    // Line breaks of the gloss show as two spaces, whatever their case.
    Search("abac");
    EXPECT_EQ(index_.ListItems()[0], "abacus" + std::string(24, ' ') + " " + Gbk("算盘") + "  ");
    // Items correspond index for index to the result lines.
    Search("a");
    const std::vector<std::string> items = index_.ListItems();
    ASSERT_EQ(items.size(), index_.ResultList().size());
    EXPECT_EQ(items[5], core::ListItem(index_.ResultList()[5]));
}

TEST_F(WordIndexTest, OneChineseCharacterListsPostingRunInStoredOrderCapped) {
    ASSERT_TRUE(Load(members_));
    const std::vector<std::string> common = Search("的");
    ASSERT_EQ(common.size(), 1001u);
    EXPECT_EQ(common[0], Line("abc0000", Gbk("的词") + "0"));
    EXPECT_EQ(common[1000], Line("abc1000", Gbk("的词") + "1000"));
    // Stored order is kept, not sorted: reverse the run of one character.
    const std::string book = Gbk("书");
    const uint32_t code =
        static_cast<unsigned char>(book[0]) * 256u + static_cast<unsigned char>(book[1]);
    std::map<uint32_t, std::vector<uint32_t>> runs;
    auto lineOf = [&](std::string_view headword) {
        auto it = std::find(members_.Headwords.begin(), members_.Headwords.end(), headword);
        return static_cast<uint32_t>(it - members_.Headwords.begin());
    };
    runs[code] = {lineOf("bookworm extraordinaire of 35 bytes"), lineOf("book")};
    VocMembers reversed = members_;
    testing_voc::SetPostings(reversed, runs);
    ASSERT_TRUE(Load(reversed));
    index_.SetFilter(true, true);
    EXPECT_EQ(Search("书"),
              (std::vector<std::string>{Line("bookworm extraordinaire of 35 bytes", Gbk("书虫")),
                                        Line("book", Gbk("书"))}));
}

TEST_F(WordIndexTest, SeveralChineseCharactersMatchWholeQueryUncapped) {
    ASSERT_TRUE(Load(members_));
    EXPECT_EQ(Search("的词").size(), 1100u);
    EXPECT_EQ(Search("的词109").size(), 11u);
    index_.SetFilter(true, true);
    EXPECT_EQ(Search("苹果"),
              (std::vector<std::string>{Line("an apple a day keeps", Gbk("一日一苹果")),
                                        Line("apple", Gbk("苹果")), Line("Apple", Gbk("苹果公司")),
                                        Line("apple pie", Gbk("苹果派"))}));
    // Filters apply to Chinese searches too.
    index_.SetFilter(false, true);
    EXPECT_EQ(Search("苹果"),
              (std::vector<std::string>{Line("an apple a day keeps", Gbk("一日一苹果")),
                                        Line("apple pie", Gbk("苹果派"))}));
    // A gloss line break is matched as the two spaces shown.
    index_.SetFilter(true, true);
    EXPECT_EQ(Search("放弃  抛").size(), 1u);
    EXPECT_TRUE(Search("苹果苹果").empty());
}

TEST_F(WordIndexTest, ChineseMatchDoesNotStartInsideACharacter) {
    // Gloss bytes B0 A1 | B0 A1 | B0 A1 ("啊啊啊"): the bytes A1 B0 A1 B0 in
    // the middle are not the characters A1B0 A1B0 ("““"), so that query must
    // not match them.
    VocMembers members =
        BuildVocMembers({{"ah", "\xB0\xA1\xB0\xA1\xB0\xA1"}, {"quote", "\xA1\xB0\xA1\xB0"}});
    std::map<uint32_t, std::vector<uint32_t>> runs;
    runs[0xA1B0] = {0, 1}; // a run that also names the "ah" entry
    testing_voc::SetPostings(members, runs);
    ASSERT_TRUE(Load(members));
    EXPECT_EQ(Search("““"), std::vector<std::string>{Line("quote", "\xA1\xB0\xA1\xB0")});
}

TEST_F(WordIndexTest, FindPairBucketFirstMatchingRecordWins) {
    VocMembers members = members_;
    members.PairBuckets.insert(members.PairBuckets.begin(),
                               {"<EN>zz</EN><Index>0</Index><Count>1</Count>",
                                "<EN>ZZ</EN><Index>1</Index><Count>1</Count>",
                                "<en>Zy</en><index>2</index><count>3</count>"});
    ASSERT_TRUE(Load(members));
    core::PairBucketLookup zz = index_.FindPairBucket("Zz");
    EXPECT_TRUE(zz.Found);
    EXPECT_EQ(zz.Range.Start, 0u);
    EXPECT_EQ(zz.Range.Count, 1u);
    core::PairBucketLookup zy = index_.FindPairBucket("ZY");
    EXPECT_TRUE(zy.Found);
    EXPECT_EQ(zy.Range.Start, 2u);
    EXPECT_EQ(zy.Range.Count, 3u);
    core::PairBucketLookup none = index_.FindPairBucket("QQ");
    EXPECT_FALSE(none.Found);
    EXPECT_EQ(none.Range.Start, 0u);
    EXPECT_EQ(none.Range.Count, 0u);
    EXPECT_TRUE(none.Error.empty());
    // No bucket: the search runs and finds nothing.
    EXPECT_TRUE(Search("qq").empty());
}

// Every kind of damaged index: the search fails with a reason, lists nothing
// wrong and keeps the previous result list.
class DamagedIndexTest : public WordIndexTest {
protected:
    void ExpectFails(const VocMembers& damaged, std::string_view query) {
        ASSERT_TRUE(Load(members_));
        const std::vector<std::string> before = Search("apple");
        ASSERT_FALSE(before.empty());
        EXPECT_TRUE(WriteVoc(VocPath(), damaged));
        index_.LoadWordIndex();
        // The old results stay; the new index gives no results at all.
        ASSERT_EQ(index_.ResultList(), before);
        core::SearchOutcome outcome = index_.Dispatch(Gbk(query));
        EXPECT_EQ(outcome.Status, SearchStatus::Failed) << query;
        EXPECT_FALSE(outcome.Error.empty()) << query;
        EXPECT_EQ(index_.ResultList(), before) << query;
    }

    static uint32_t Code(std::string_view utf8) {
        const std::string c = platform::Utf8ToGbk(utf8);
        return static_cast<unsigned char>(c[0]) * 256u + static_cast<unsigned char>(c[1]);
    }
};

TEST_F(DamagedIndexTest, MissingFileFailsEverySearch) {
    ASSERT_TRUE(Load(members_));
    const std::vector<std::string> before = Search("apple");
    std::filesystem::remove(VocPath());
    EXPECT_FALSE(index_.LoadWordIndex());
    for (const char* query : {"a", "ab", "abc", "\xB5\xC4", "\xB5\xC4\xB4\xCA"}) {
        core::SearchOutcome outcome = index_.Dispatch(query);
        EXPECT_EQ(outcome.Status, SearchStatus::Failed) << query;
        EXPECT_EQ(index_.ResultList(), before) << query;
    }
}

TEST_F(DamagedIndexTest, AbsentMembers) {
    const std::vector<std::pair<size_t, std::vector<const char*>>> cases = {
        {0, {"a", "ab", "abc", "的"}},
        {1, {"a", "ab", "abc", "的"}},
        {2, {"a"}},
        {3, {"ab", "abc"}},
        {4, {"的", "的词"}},
        {5, {"的", "的词"}}};
    for (const auto& [member, queries] : cases) {
        VocMembers damaged = members_;
        damaged.Present[member] = false;
        for (const char* query : queries) {
            SCOPED_TRACE("member " + std::to_string(member));
            ExpectFails(damaged, query);
        }
    }
}

TEST_F(DamagedIndexTest, LetterBucketFieldMissingOrNotANumber) {
    // The A bucket is n = 0; Index1 and Index10 must not stand in for it.
    for (const std::string& buckets :
         {std::string("<Count0>5</Count0><Index10>0</Index10>"),
          std::string("<Index0>x1</Index0><Count0>5</Count0>"),
          std::string("<Index0>0</Index0><Count0>-5</Count0>"),
          std::string("<Index0>0</Index0><Count0></Count0>"),
          std::string("<Index0>0</Index0><Count0>99999999999</Count0>"),
          std::string("<Index0>0</Index0><Count0>5")}) {
        VocMembers damaged = members_;
        damaged.LetterBuckets = buckets;
        SCOPED_TRACE(buckets);
        ExpectFails(damaged, "a");
    }
}

TEST_F(DamagedIndexTest, PairBucketNumbersUnusable) {
    for (const std::string& record :
         {std::string("<EN>AP</EN><Count>2</Count>"),
          std::string("<EN>AP</EN><Index>1.5</Index><Count>2</Count>"),
          std::string("<EN>AP</EN><Index>1</Index><Count>0x2</Count>")}) {
        VocMembers damaged = members_;
        damaged.PairBuckets.insert(damaged.PairBuckets.begin(), record);
        SCOPED_TRACE(record);
        ExpectFails(damaged, "ap");
        ExpectFails(damaged, "apple");
    }
}

TEST_F(DamagedIndexTest, BucketRangeOutsideLists) {
    const uint32_t size = static_cast<uint32_t>(members_.Headwords.size());
    VocMembers letter = members_;
    letter.LetterBuckets = "<Index0>" + std::to_string(size - 2) + "</Index0><Count0>3</Count0>";
    ExpectFails(letter, "a");
    VocMembers huge = members_;
    huge.LetterBuckets = "<Index0>4294967295</Index0><Count0>4294967295</Count0>";
    ExpectFails(huge, "a");
    VocMembers pair = members_;
    pair.PairBuckets.insert(pair.PairBuckets.begin(), "<EN>AP</EN><Index>" + std::to_string(size) +
                                                          "</Index><Count>1</Count>");
    ExpectFails(pair, "apple");
    // Fewer glosses than headwords: the bucket of the last lines has no glosses.
    VocMembers shortGlosses = members_;
    shortGlosses.Glosses.resize(shortGlosses.Glosses.size() - 3);
    ExpectFails(shortGlosses, "b");
    ExpectFails(shortGlosses, "book");
}

TEST_F(DamagedIndexTest, CharacterTableTooShort) {
    const uint32_t code = Code("的");
    VocMembers damaged = members_;
    damaged.CnCharTable.resize((code - 0x8000) * 8 + 7);
    ExpectFails(damaged, "的");
    VocMembers empty = members_;
    empty.CnCharTable = std::string(8, '\0');
    ExpectFails(empty, "的词");
}

TEST_F(DamagedIndexTest, PostingRunOutsidePostingTable) {
    const uint32_t code = Code("的");
    const size_t entry = (code - 0x8000) * 8;
    auto withEntry = [&](uint32_t offset, uint32_t count) {
        VocMembers damaged = members_;
        std::string field;
        testing_voc::PutLe32(field, offset);
        testing_voc::PutLe32(field, count);
        damaged.CnCharTable.replace(entry, 8, field);
        return damaged;
    };
    const uint32_t postings = static_cast<uint32_t>(members_.CnPostings.size());
    ExpectFails(withEntry(postings, 1), "的");
    ExpectFails(withEntry(postings - 4, 2), "的词");
    ExpectFails(withEntry(0, 0x40000000), "的"); // count * 4 wraps in 32 bits
    ExpectFails(withEntry(0xFFFFFFFF, 1), "的");
}

TEST_F(DamagedIndexTest, PostingLineOutsideLists) {
    const uint32_t code = Code("的");
    const size_t entry = (code - 0x8000) * 8;
    const uint32_t offset = testing_voc::GetLe32(members_.CnCharTable, entry);
    auto withFirstPosting = [&](VocMembers damaged, uint32_t line) {
        std::string field;
        testing_voc::PutLe32(field, line);
        damaged.CnPostings.replace(offset, 4, field);
        return damaged;
    };
    const uint32_t size = static_cast<uint32_t>(members_.Headwords.size());
    ExpectFails(withFirstPosting(members_, size), "的");
    ExpectFails(withFirstPosting(members_, 0xFFFFFFFF), "的词");
    VocMembers shortGlosses = members_;
    shortGlosses.Glosses.resize(10);
    ExpectFails(withFirstPosting(shortGlosses, 10), "的");
}

} // namespace
