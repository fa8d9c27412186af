#include "tools/mkdict/ChineseGlosses.h"
#include "tools/mkdict/CedictReader.h"

#include <gtest/gtest.h>

namespace {

using namespace tools;

std::vector<CedictEntry> Entries(const char* text) {
    CedictReader reader;
    reader.Parse(text);
    return reader.Entries();
}

std::vector<std::string> Chinese(const std::vector<ChineseCandidate>& candidates) {
    std::vector<std::string> out;
    for (const ChineseCandidate& c : candidates) {
        out.push_back(c.Chinese);
    }
    return out;
}

TEST(ChineseGlossesTest, WholeSenseBeatsPartsAndMarkedSensesAreDemoted) {
    const auto entries = Entries("蘋 苹 [ping2] /(Tw) apple/\n"
                                 "蘋果 苹果 [ping2 guo3] /apple/CL:個|个[ge4]/\n"
                                 "林檎 林檎 [lin2 qin2] /(old) apple/\n"
                                 "果子 果子 [guo3 zi5] /fruit; apple; pear/\n"
                                 "蘋果汁 苹果汁 [ping2 guo3 zhi1] /apple juice/\n");
    const ChineseGlosses glosses(entries);
    const auto apple = glosses.Candidates("apple", false);
    ASSERT_FALSE(apple.empty());
    EXPECT_EQ(apple.front().Chinese, "苹果");
    const auto names = Chinese(apple);
    const auto position = [&](const char* word) {
        return std::find(names.begin(), names.end(), word) - names.begin();
    };
    EXPECT_LT(position("果子"), position("苹")); // a part of a sense beats a (Tw) sense
    EXPECT_EQ(std::count(names.begin(), names.end(), "苹果汁"), 0); // a phrase, not a gloss
    EXPECT_TRUE(glosses.Candidates("pear", false).size() == 1);
}

TEST(ChineseGlossesTest, ProperNounsOnlyForCapitalisedHeadwords) {
    const auto entries = Entries("巴黎 巴黎 [Ba1 li2] /Paris, capital of France/\n"
                                 "喜歌劇院 喜歌剧院 [xi3 ge1 ju4 yuan4] /Opera-Comique (Paris)/\n"
                                 "可 可 [ke3] /can; may/to suit/\n"
                                 "適合 适合 [shi4 he2] /to fit; to suit/\n"
                                 "套裝 套装 [tao4 zhuang1] /suit/\n");
    const ChineseGlosses glosses(entries);
    const auto paris = glosses.Candidates("Paris", true);
    EXPECT_EQ(Chinese(paris), std::vector<std::string>{"巴黎"});
    const auto suit = glosses.Candidates("suit", false);
    ASSERT_FALSE(suit.empty());
    EXPECT_EQ(suit.front().Chinese, "套装");
    const auto verb = std::find_if(suit.begin(), suit.end(),
                                   [](const ChineseCandidate& c) { return c.Chinese == "适合"; });
    ASSERT_NE(verb, suit.end());
    EXPECT_EQ(verb->Pos, 'v');
}

TEST(ChineseGlossesTest, SkipsVariantsClassifiersAndTextGbkCannotHold) {
    const auto entries = Entries("𰻞𰻞麵 𰻝𰻝面 [biang2 biang2 mian4] /noodle/\n"
                                 "麵條 面条 [mian4 tiao2] /noodle/CL:根[gen1]/\n"
                                 "麪 面 [mian4] /variant of 麵|面[mian4]/\n"
                                 "本 本 [ben3] /CL:book/\n");
    const ChineseGlosses glosses(entries);
    EXPECT_EQ(Chinese(glosses.Candidates("noodle", false)), std::vector<std::string>{"面条"});
    EXPECT_TRUE(glosses.Candidates("book", false).empty());
    EXPECT_TRUE(glosses.Candidates("unknown", false).empty());
}

TEST(ChineseGlossesTest, RareCharactersOnlyWhenNothingElseGlosses) {
    const auto entries = Entries("菆 菆 [zou1] /arrow/\n"
                                 "箭 箭 [jian4] /arrow/\n"
                                 "冃 冃 [mao4] /hat/\n");
    const ChineseGlosses glosses(entries);
    EXPECT_EQ(Chinese(glosses.Candidates("arrow", false)), std::vector<std::string>{"箭"});
    EXPECT_EQ(Chinese(glosses.Candidates("hat", false)), std::vector<std::string>{"冃"});
}

TEST(ChineseGlossesTest, PhrasesContainingTheHeadwordAreExamples) {
    const auto entries = Entries("預訂 预订 [yu4 ding4] /to place an order/to book ahead/\n"
                                 "書評 书评 [shu1 ping2] /book review/\n"
                                 "東京 东京 [Dong1 jing1] /Tokyo book fair/\n"
                                 "書 书 [shu1] /book/\n");
    const ChineseGlosses glosses(entries);
    const auto phrases = glosses.Phrases("book");
    ASSERT_EQ(phrases.size(), 2u); // the proper noun's sense is left out
    EXPECT_EQ(phrases[0].English, "book review");
    EXPECT_EQ(phrases[0].Chinese, "书评");
    EXPECT_EQ(phrases[1].English, "to book ahead");
    EXPECT_EQ(glosses.PhraseHeadwords(),
              (std::vector<std::string>{"book ahead", "book review", "place an order"}));
}

TEST(ChineseGlossesTest, NormalisesSenses) {
    bool verb = false;
    EXPECT_EQ(ChineseGlosses::NormaliseSense("to go (somewhere)", verb), "go");
    EXPECT_TRUE(verb);
    EXPECT_EQ(ChineseGlosses::NormaliseSense("an Apple.", verb), "apple");
    EXPECT_FALSE(verb);
    EXPECT_EQ(ChineseGlosses::NormaliseSense("the  (Tw)  Book ", verb), "book");
}

} // namespace
