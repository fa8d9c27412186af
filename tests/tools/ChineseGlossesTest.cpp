#include "tools/mkdict/ChineseGlosses.h"
#include "tools/mkdict/CedictReader.h"
#include "tools/mkdict/ProfanityFilter.h"

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

TEST(ChineseGlossesTest, CommonWordsWinAndMarkedSensesGoUnlessAlone) {
    const auto entries = Entries("樂 乐 [le4] /happy/cheerful/to laugh/\n"
                                 "悅色 悦色 [yue4 se4] /happy/contented/\n"
                                 "快樂 快乐 [kuai4 le4] /happy; joyful/\n"
                                 "騷瑞 骚瑞 [sao1 rui4] /(loanword) sorry/\n"
                                 "對不起 对不起 [dui4 bu5 qi3] /unworthy/to let down/sorry/\n"
                                 "弱爆 弱爆 [ruo4 bao4] /(slang) weak/pathetic/\n"
                                 "咖啡 咖啡 [ka1 fei1] /(loanword) coffee/\n"
                                 "照 照 [zhao4] /to shine/to take (a photo)/photo/\n"
                                 "照片 照片 [zhao4 pian4] /photo; photograph/\n"
                                 "害怕 害怕 [hai4 pa4] /to be afraid; to be scared/\n"
                                 "恐 恐 [kong3] /afraid/frightened/\n"
                                 "靈感 灵感 [ling2 gan3] /creative inspiration/\n"
                                 "發想 发想 [fa1 xiang3] /to come up with an idea/inspiration/\n"
                                 "學問 学问 [xue2 wen4] /learning; knowledge; scholarship/\n"
                                 "獎學金 奖学金 [jiang3 xue2 jin1] /student grant/scholarship/\n");
    ChineseFrequencies frequencies;
    frequencies.Parse("乐 3667 a\n快乐 2516 a\n悦色 0 a\n咖啡 1400 n\n照 5076 v\n照片 2305 n\n"
                      "害怕 3000 v\n恐 2000 v\n灵感 316 n\n学问 992 n\n奖学金 563 n\n");
    const auto modifier = [](std::string_view word) { return word == "creative"; };
    const ChineseGlosses glosses(entries, &frequencies, modifier);
    // A part of a ";" sense counts like a whole one; the common word wins
    // and the single character its compound contains ranks lower.
    EXPECT_EQ(Chinese(glosses.Candidates("happy", false)),
              (std::vector<std::string>{"快乐", "乐"})); // 悦色 is unknown
    // The rare transliteration goes; a common loanword is the word.
    EXPECT_EQ(Chinese(glosses.Candidates("coffee", false)), std::vector<std::string>{"咖啡"});
    EXPECT_EQ(Chinese(glosses.Candidates("sorry", false)), std::vector<std::string>{"对不起"});
    // A slang sense alone still glosses.
    EXPECT_EQ(Chinese(glosses.Candidates("pathetic", false)), std::vector<std::string>{"弱爆"});
    EXPECT_EQ(Chinese(glosses.Candidates("photo", false)).front(), "照片");
    const auto afraid = glosses.Candidates("afraid", false);
    ASSERT_FALSE(afraid.empty());
    EXPECT_EQ(afraid.front().Chinese, "害怕");
    EXPECT_EQ(afraid.front().Pos, 'a');
    EXPECT_EQ(Chinese(glosses.Candidates("inspiration", false)).front(), "灵感");
    EXPECT_EQ(Chinese(glosses.Candidates("scholarship", false)).front(), "学问");
    EXPECT_EQ(Chinese(glosses.Candidates("scholarship", false, 8, {"student", "financial"}))
                  .front(),
              "奖学金");
}

TEST(ChineseGlossesTest, ExamplesCarryCommonnessMarksAndOffence) {
    const auto entries = Entries("本經 本经 [ben3 jing1] /classic book/\n"
                                 "讀書 读书 [du2 shu1] /to read a book/\n"
                                 "書蟲 书虫 [shu1 chong2] /(slang) book lover/\n"
                                 "鳥 鸟 [diao3] /(vulgar) penis/\n");
    ChineseFrequencies frequencies;
    frequencies.Parse("读书 4000 v\n书虫 200 n\nbroken line\n");
    const ChineseGlosses glosses(entries, &frequencies);
    const auto phrases = glosses.Phrases("book");
    ASSERT_EQ(phrases.size(), 3u);
    EXPECT_EQ(phrases[0].Chinese, "读书");
    EXPECT_EQ(phrases[0].Count, 4000u);
    const auto lover = std::find_if(phrases.begin(), phrases.end(),
                                    [](const SensePhrase& p) { return p.Chinese == "书虫"; });
    ASSERT_NE(lover, phrases.end());
    EXPECT_TRUE(lover->Marked);
    EXPECT_TRUE(glosses.Offensive("鸟"));
    EXPECT_FALSE(glosses.Offensive("读书"));
    EXPECT_EQ(frequencies.Count("本经"), 0u);
}

TEST(ChineseFrequenciesTest, CorporaOutvoteTheSegmentersInflatedCharacters) {
    ChineseFrequencies frequencies;
    frequencies.Parse("浜 7066 n\n小溪 182 n\n的 200000 uj\n");
    // Subtitle counts inside a JavaScript template string, CRLF lines;
    // malformed lines are skipped.
    frequencies.ParseCorpus("// a comment\r\nlet data = `的\t1000000\t6000\r\n浜\t10\t5\r\n"
                            "小溪\t113\t73\r\n想出\t400\t100\r\nbad line\r\n坏\tx\r\n`;\r\n");
    frequencies.ParseCorpus("的\t1000000\n浜\t40\n小溪\t45\n");
    EXPECT_GT(frequencies.Count("小溪"), frequencies.Count("浜")); // the median of three
    EXPECT_GT(frequencies.Count("想出"), 0u); // the segmenter lacks it, a corpus has it
    EXPECT_EQ(frequencies.Count("坏"), 0u);
    EXPECT_EQ(frequencies.Tag("浜"), 'n');
    ChineseFrequencies alone;
    alone.Parse("浜 7066 n\n");
    EXPECT_EQ(alone.Count("浜"), 7066u); // a single list counts as it is
}

TEST(ChineseGlossesTest, ReadingsShareACountAndEachPartOfSpeechKeepsItsBest) {
    const auto entries = Entries("買賣 买卖 [mai3 mai4] /to buy and sell/\n"
                                 "買賣 买卖 [mai3 mai5] /purchase and sale; transaction/shop; store/\n"
                                 "商店 商店 [shang1 dian4] /store; shop/\n"
                                 "書 书 [shu1] /book/letter/\n"
                                 "訂 订 [ding4] /to order/to book (tickets etc)/\n");
    ChineseFrequencies frequencies;
    frequencies.Parse("买卖 2400 n\n商店 1600 n\n书 40000 n\n订 900 v\n");
    const ChineseGlosses glosses(entries, &frequencies);
    EXPECT_EQ(Chinese(glosses.Candidates("store", false)).front(), "商店");
    const auto book = Chinese(glosses.Candidates("book", false));
    EXPECT_EQ(book, (std::vector<std::string>{"书", "订"}));
}

TEST(ChineseGlossesTest, CharactersWhoseCountOverstatesTheSenseGiveWay) {
    const auto entries = Entries("吃 吃 [chi1] /to eat; to consume/to absorb/\n"
                                 "消費 消费 [xiao1 fei4] /to consume; to spend/\n"
                                 "重 重 [chong2] /to repeat/again/\n"
                                 "重 重 [zhong4] /heavy/serious/\n"
                                 "重複 重复 [chong2 fu4] /to repeat; to duplicate/\n"
                                 "牛 牛 [niu2] /ox/cow/bull/\n"
                                 "牛隻 牛只 [niu2 zhi1] /cow/cattle/\n"
                                 "照 照 [zhao4] /to shine/photo/\n"
                                 "照片 照片 [zhao4 pian4] /photo; photograph/\n"
                                 "螺 螺 [luo2] /spiral shell/snail/\n"
                                 "蝸牛 蜗牛 [wo1 niu2] /snail/\n");
    ChineseFrequencies frequencies;
    frequencies.Parse("吃 60000 v\n消费 9000 v\n重 60000 a\n重复 5000 v\n牛 20000 n\n"
                      "牛只 10 n\n照 5076 v\n照片 2305 n\n螺 700 n\n蜗牛 130 n\n");
    const ChineseGlosses glosses(entries, &frequencies);
    // A later part of the character's sense ("to eat; to consume").
    EXPECT_EQ(Chinese(glosses.Candidates("consume", false)).front(), "消费");
    // The count is that of another reading, tagged an adjective.
    EXPECT_EQ(Chinese(glosses.Candidates("repeat", false)).front(), "重复");
    // A secondary sense gives way to a word containing the character, but
    // not to a rare one.
    EXPECT_EQ(Chinese(glosses.Candidates("photo", false)).front(), "照片");
    EXPECT_EQ(Chinese(glosses.Candidates("cow", false)).front(), "牛");
    // A word written with second-level characters that the list knows.
    EXPECT_EQ(Chinese(glosses.Candidates("snail", false)).front(), "蜗牛");
}

TEST(ChineseGlossesTest, SpecialFieldSensesAreNarrowedAndProfaneSensesOffensive) {
    const auto entries = Entries("火鍋 火锅 [huo3 guo1] /hotpot/(basketball) a blocked shot; a block/\n"
                                 "蝙蝠 蝙蝠 [bian1 fu2] /(zoology) bat/\n"
                                 "水 水 [shui3] /water/to swim (used mostly in 會水|会水[hui4 shui3])/\n"
                                 "阻擋 阻挡 [zu3 dang3] /to stop; to block/\n"
                                 "手活 手活 [shou3 huo2] /manipulation (e.g. ball handling)/hand job/\n"
                                 "障礙 障碍 [zhang4 ai4] /barrier; obstruction; block/\n");
    ProfanityFilter filter;
    ASSERT_TRUE(filter.ParseEnglish(R"(["handjob"])"));
    const ChineseGlosses glosses(entries, nullptr, {},
                                 [&](std::string_view s) { return filter.EnglishHas(s); });
    const auto block = glosses.Candidates("block", false);
    const auto hotpot = std::find_if(block.begin(), block.end(),
                                     [](const ChineseCandidate& c) { return c.Chinese == "火锅"; });
    ASSERT_NE(hotpot, block.end());
    EXPECT_TRUE(hotpot->Narrowed);
    EXPECT_FALSE(block.front().Narrowed);
    // A field named before the first sense is the word's own.
    const auto bat = glosses.Candidates("bat", false);
    ASSERT_EQ(bat.size(), 1u);
    EXPECT_FALSE(bat[0].Narrowed);
    // A bound use.
    const auto swim = glosses.Candidates("swim", false);
    ASSERT_EQ(swim.size(), 1u);
    EXPECT_TRUE(swim[0].Narrowed);
    const auto manipulation = glosses.Candidates("manipulation", false);
    ASSERT_EQ(manipulation.size(), 1u);
    EXPECT_TRUE(manipulation.front().Narrowed);
    EXPECT_TRUE(glosses.Offensive("手活"));
    EXPECT_FALSE(glosses.Offensive("障碍"));
}

TEST(ProfanityFilterTest, WholeEnglishWordsAndSimplifiedChineseSubstrings) {
    ProfanityFilter filter;
    ASSERT_TRUE(filter.ParseEnglish(R"(["fuck", "s&m", "blue waffle"])"));
    ASSERT_TRUE(filter.ParseChinese(R"({"words": ["他媽的", "婊"]})",
                                    Entries("媽 妈 [ma1] /mother/\n")));
    EXPECT_TRUE(filter.EnglishHas("Fuck buddy"));
    EXPECT_TRUE(filter.EnglishHas("into S&M"));
    EXPECT_TRUE(filter.EnglishHas("a blue  waffle"));
    EXPECT_FALSE(filter.EnglishHas("a blue sky"));
    EXPECT_FALSE(filter.EnglishHas("Scunthorpe fuckless")); // whole words only
    ASSERT_TRUE(filter.ParseEnglish(R"(["handjob"])"));
    EXPECT_TRUE(filter.EnglishHas("a hand job")); // also written as one word
    EXPECT_FALSE(filter.EnglishHas("hand a job"));
    EXPECT_TRUE(filter.ChineseHas("真他妈的"));
    EXPECT_TRUE(filter.ChineseHas("婊子"));
    EXPECT_FALSE(filter.ChineseHas("妈妈"));
    EXPECT_FALSE(ProfanityFilter().ParseEnglish("[]"));
    // A second list in a module; a word can be allowed again.
    ASSERT_TRUE(filter.ParseEnglish("module.exports = [\"god\", \"goddamn\"];"));
    EXPECT_TRUE(filter.EnglishHas("Thank God"));
    filter.Allow("god");
    EXPECT_FALSE(filter.EnglishHas("Thank God"));
    EXPECT_TRUE(filter.EnglishHas("You are goddamn right!"));
}

} // namespace
