// Builds a tiny dictionary from the test inputs and checks every stored
// member with an independent reading of the formats, then through the
// program's own search and base-info reader.

#include "core/TaggedText.h"
#include "core/WordFinder.h"
#include "core/WordIndex.h"
#include "display/PhoneticFont.h"
#include "platform/Gbk.h"
#include "platform/Text.h"
#include "storage/StrCRC.h"
#include "storage/TCDF.h"
#include "study/VocBaseData.h"
#include "tools/MkdictInputs.h"
#include "tools/mkdict/AudioMaker.h"
#include "tools/mkdict/DictionaryBuilder.h"
#include "tools/mkdict/TextUtil.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using core::GetTagValue;

using mkdict_test::Gbk;
using mkdict_test::Little32;

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

class DictionaryIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        options_ = mkdict_test::WriteInputs(folder_.Path());
        std::ostringstream log;
        tools::DictionaryBuilder builder(options_);
        ASSERT_EQ(builder.Run(log), 0) << log.str();
        report_ = builder.Report();
        words_ = builder.Headwords();
        log_ = log.str();
        out_ = options_.OutFolder + "/";
    }

    mkdict_test::TempFolder folder_;
    tools::BuildOptions options_;
    tools::Coverage report_;
    std::vector<tools::Headword> words_;
    std::string log_;
    std::string out_;
};

TEST_F(DictionaryIntegrationTest, WordIndexInvariantsHold) {
    storage::TCDF index(out_ + "voc.dat");
    std::vector<std::string> headwords;
    std::vector<std::string> glosses;
    std::string letters;
    std::vector<std::string> pairs;
    std::string table;
    std::string postings;
    ASSERT_TRUE(index.ReadStrings(0u, headwords));
    ASSERT_TRUE(index.ReadStrings(1u, glosses));
    ASSERT_TRUE(index.ReadString(2u, letters));
    ASSERT_TRUE(index.ReadStrings(3u, pairs));
    ASSERT_TRUE(index.ReadString(4u, table));
    ASSERT_TRUE(index.ReadString(5u, postings));
    ASSERT_EQ(headwords.size(), glosses.size());
    EXPECT_EQ(headwords.size(), report_.Headwords);
    const std::set<std::string> names(headwords.begin(), headwords.end());
    for (const char* expected :
         {"apple", "book", "go", "run", "computer", "Paris", "noodle", "the", "apple juice"}) {
        EXPECT_TRUE(names.contains(expected)) << expected;
    }
    for (const std::string& gloss : glosses) {
        EXPECT_FALSE(gloss.empty());
    }

    // Letter buckets: exactly the headwords starting with the letter.
    for (int n = 0; n < 26; ++n) {
        const std::string number = std::to_string(n);
        const size_t start = std::stoul(GetTagValue(letters, "Index" + number));
        const size_t count = std::stoul(GetTagValue(letters, "Count" + number));
        ASSERT_LE(start + count, headwords.size());
        for (size_t i = 0; i < headwords.size(); ++i) {
            const bool inside = i >= start && i < start + count;
            EXPECT_EQ(inside, Upper(headwords[i][0]) == 'A' + n) << headwords[i];
        }
        // One-letter headwords first.
        bool pastSingles = false;
        for (size_t i = start; i < start + count; ++i) {
            if (headwords[i].size() > 1) {
                pastSingles = true;
            } else {
                EXPECT_FALSE(pastSingles) << headwords[i];
            }
        }
    }
    // Pair buckets: each pair once, exactly its headwords.
    std::set<std::string> seenPairs;
    size_t covered = 0;
    for (const std::string& record : pairs) {
        const std::string pair = GetTagValue(record, "EN");
        ASSERT_EQ(pair.size(), 2u);
        EXPECT_TRUE(seenPairs.insert(pair).second) << pair;
        const size_t start = std::stoul(GetTagValue(record, "Index"));
        const size_t count = std::stoul(GetTagValue(record, "Count"));
        ASSERT_LE(start + count, headwords.size());
        for (size_t i = 0; i < headwords.size(); ++i) {
            const bool matches = headwords[i].size() >= 2 && Upper(headwords[i][0]) == pair[0] &&
                                 Upper(headwords[i][1]) == pair[1];
            EXPECT_EQ(i >= start && i < start + count, matches) << headwords[i];
        }
        covered += count;
    }
    size_t letterWords = 0;
    for (const std::string& word : headwords) {
        letterWords += (Upper(word[0]) >= 'A' && Upper(word[0]) <= 'Z' && word.size() >= 2) ? 1 : 0;
    }
    EXPECT_EQ(covered, letterWords);

    // Postings: every run in range; a line is in a character's run exactly
    // when its gloss holds the character.
    ASSERT_EQ(table.size(), 32768u * 8);
    std::map<uint32_t, std::set<uint32_t>> expected;
    for (uint32_t line = 0; line < glosses.size(); ++line) {
        const std::string& gloss = glosses[line];
        for (size_t p = 0; p + 1 < gloss.size();) {
            if (static_cast<unsigned char>(gloss[p]) < 0x80) {
                ++p;
                continue;
            }
            const uint32_t code = static_cast<unsigned char>(gloss[p]) << 8 |
                                  static_cast<unsigned char>(gloss[p + 1]);
            if (gloss[p] < '\xA1' || gloss[p] > '\xA9') {
                expected[code].insert(line);
            }
            p += 2;
        }
    }
    for (uint32_t k = 0; k < 32768; ++k) {
        const uint32_t offset = Little32(table, 8 * k);
        const uint32_t count = Little32(table, 8 * k + 4);
        ASSERT_LE(uint64_t(offset) + 4ull * count, postings.size());
        std::set<uint32_t> lines;
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t line = Little32(postings, offset + 4 * i);
            ASSERT_LT(line, headwords.size());
            lines.insert(line);
        }
        EXPECT_EQ(lines.size(), count);
        EXPECT_EQ(lines, expected[0x8000 + k]);
    }
}

TEST_F(DictionaryIntegrationTest, EveryLocationRecordLeadsToItsPackage) {
    storage::TCDF index(out_ + "voc.dat");
    std::vector<std::string> headwords;
    ASSERT_TRUE(index.ReadStrings(0u, headwords));
    storage::TCDF dif(out_ + "voc.dif");
    size_t records = 0;
    for (uint32_t bucket = 0; bucket < 256; ++bucket) {
        std::string member;
        if (!dif.ReadString(bucket, member)) {
            continue;
        }
        ASSERT_EQ(member.size() % 12, 0u);
        char name[16];
        std::snprintf(name, sizeof name, "11/%02X.dat", bucket);
        std::string data;
        ASSERT_TRUE(tools::ReadWholeFile(out_ + name, data)) << name;
        std::string service;
        ASSERT_TRUE(tools::ReadWholeFile(options_.ServiceFolder + "/" + name, service));
        EXPECT_EQ(service, data);
        for (size_t pos = 0; pos < member.size(); pos += 12) {
            const uint32_t hash = Little32(member, pos);
            const uint32_t offset = Little32(member, pos + 4);
            const uint32_t length = Little32(member, pos + 8);
            EXPECT_EQ(hash >> 24, bucket);
            ASSERT_LE(uint64_t(offset) + length, data.size());
            const std::string packagePath = folder_.Path() + "/voc.tmp";
            ASSERT_TRUE(tools::WriteWholeFile(packagePath, data.substr(offset, length)));
            storage::TCDF package(packagePath);
            std::string record;
            ASSERT_TRUE(package.ReadString(0u, record));
            const std::string voc = GetTagValue(record, "Voc");
            const std::string headword = GetTagValue(voc, "Name");
            EXPECT_EQ(storage::WordHash(headword), hash);
            EXPECT_NE(std::find(headwords.begin(), headwords.end(), headword), headwords.end());
            EXPECT_FALSE(GetTagValue(voc, "CN").empty());
            const std::string mp3 = GetTagValue(voc, "MP3");
            if (!mp3.empty()) {
                std::string sound;
                EXPECT_TRUE(package.ReadString(std::stoul(mp3, nullptr, 16), sound));
            }
            ++records;
        }
    }
    EXPECT_EQ(records, headwords.size());

    std::string catalogue;
    ASSERT_TRUE(tools::ReadWholeFile(options_.ServiceFolder + "/packages.lst", catalogue));
    for (const std::string& line : platform::SplitLines(catalogue)) {
        std::string data;
        const std::string stored = GetTagValue(line, "LFn");
        ASSERT_TRUE(tools::ReadWholeFile(options_.ServiceFolder + "/11/" + stored.substr(3), data));
        EXPECT_EQ(std::stoul(GetTagValue(line, "FS"), nullptr, 16), data.size());
        EXPECT_EQ(std::stoul(GetTagValue(line, "FCRC"), nullptr, 16), storage::Crc32(data));
    }
}

TEST_F(DictionaryIntegrationTest, EntriesCarryTheBuiltContent) {
    const std::string path = out_ + "voc.dif";
    storage::TCDF dif(path);
    auto entry = [&](std::string_view word) {
        const uint32_t hash = storage::WordHash(word);
        std::string member;
        EXPECT_TRUE(dif.ReadString(hash >> 24, member));
        std::string data;
        char name[16];
        std::snprintf(name, sizeof name, "11/%02X.dat", hash >> 24);
        tools::ReadWholeFile(out_ + name, data);
        for (size_t pos = 0; pos + 12 <= member.size(); pos += 12) {
            if (Little32(member, pos) == hash) {
                const std::string packagePath = folder_.Path() + "/entry.tmp";
                tools::WriteWholeFile(
                    packagePath, data.substr(Little32(member, pos + 4), Little32(member, pos + 8)));
                std::string record;
                storage::TCDF(packagePath).ReadString(0u, record);
                return record;
            }
        }
        return std::string();
    };
    const std::string go = entry("go");
    const std::string voc = GetTagValue(go, "Voc");
    EXPECT_EQ(display::PhoneticLettersToIpa(GetTagValue(voc, "YB")), "ɡoʊ");
    EXPECT_TRUE(GetTagValue(voc, "CN").starts_with(Gbk("v. 去")));
    EXPECT_EQ(GetTagValue(voc, "CXBH"),
              Gbk("过去式: went  过去分词: gone  现在分词: going  第三人称单数: goes"));
    EXPECT_NE(GetTagValue(go, "Example").find(Gbk("『go』")), std::string::npos);
    const auto definitions = platform::SplitLines(GetTagValue(go, "YWJS"));
    ASSERT_GE(definitions.size(), 2u);
    EXPECT_EQ(GetTagValue(definitions[0], "CX"), "v.");
    EXPECT_EQ(GetTagValue(definitions[0], "En"), "");
    EXPECT_EQ(GetTagValue(definitions[1], "TYC"), "[1=travel][2=move]");

    const std::string book = entry("book");
    const std::string examples = GetTagValue(book, "Example");
    EXPECT_NE(examples.find(Gbk("<En>to 『book』 ahead</En>")), std::string::npos);
    EXPECT_NE(examples.find(Gbk("<Cn>预订</Cn>")), std::string::npos);
    EXPECT_EQ(GetTagValue(GetTagValue(entry("Paris"), "Voc"), "CN"), Gbk("n. 巴黎"));
    EXPECT_EQ(GetTagValue(GetTagValue(entry("noodle"), "Voc"), "CN"), Gbk("n. 面条"));
    EXPECT_EQ(GetTagValue(GetTagValue(entry("noodle"), "Voc"), "YB"), ""); // no lexicon entry
    EXPECT_EQ(GetTagValue(GetTagValue(entry("computer"), "Voc"), "CN"),
              Gbk("n. 计算机；电脑<0D0A>adj. 电脑")); // hand-checked
}

TEST_F(DictionaryIntegrationTest, LinesFollowTheCommonerChineseAndTheGlossItsFirstLine) {
    // WordNet's tagged texts use "file" more as a verb; 档案 is far more
    // common than the verb's 备案.
    const auto file = std::find_if(words_.begin(), words_.end(),
                                   [](const tools::Headword& w) { return w.Key == "file"; });
    ASSERT_NE(file, words_.end());
    ASSERT_EQ(file->Chinese.size(), 2u);
    EXPECT_EQ(file->Chinese[0].Label, "n.");
    EXPECT_EQ(file->Chinese[0].Words.front(), "档案");
    EXPECT_EQ(file->Chinese[1].Label, "v.");
    ASSERT_FALSE(file->Gloss.empty());
    EXPECT_EQ(file->Gloss.front(), "档案");
}

TEST_F(DictionaryIntegrationTest, WordsWithoutADirectGlossStillGetEntries) {
    std::map<std::string, const tools::Headword*> byKey;
    for (const tools::Headword& word : words_) {
        byKey[word.Key] = &word;
    }
    using Source = tools::Headword::GlossSource;
    // Borrowed through WordNet's pertainym: the adjective's gloss as an adverb.
    ASSERT_TRUE(byKey.contains("quietly"));
    EXPECT_EQ(byKey["quietly"]->Source, Source::Derived);
    EXPECT_EQ(byKey["quietly"]->Gloss.front(), "安静地");
    // Known to the word lists but not to CC-CEDICT: English, honestly.
    ASSERT_TRUE(byKey.contains("loo"));
    EXPECT_EQ(byKey["loo"]->Source, Source::Fallback);
    ASSERT_EQ(byKey["loo"]->Chinese.size(), 1u);
    EXPECT_EQ(byKey["loo"]->Chinese[0].Label, "n.");
    EXPECT_EQ(byKey["loo"]->Gloss.front(), "n. a toilet in Britain");
    // Not in WordNet, confirmed by the word lists; the part of speech comes
    // from the Chinese frequency list's tag.
    ASSERT_TRUE(byKey.contains("smartphone"));
    EXPECT_EQ(byKey["smartphone"]->Chinese.front().Label, "n.");
    EXPECT_EQ(byKey["smartphone"]->Chinese.front().Words.front(), "智能手机");
    // A form of a more frequent headword says so first.
    ASSERT_TRUE(byKey.contains("running"));
    EXPECT_EQ(byKey["running"]->Chinese.front().Words.front(), "run的现在分词");
    EXPECT_EQ(byKey["running"]->Gloss.front(), "run的现在分词");
    // One WordNet knows from tagged texts as a noun of its own keeps its
    // own line first.
    ASSERT_TRUE(byKey.contains("meeting"));
    ASSERT_EQ(byKey["meeting"]->Chinese.size(), 2u);
    EXPECT_EQ(byKey["meeting"]->Chinese[0].Words.front(), "会议");
    EXPECT_EQ(byKey["meeting"]->Chinese[1].Words.front(), "meet的现在分词");
    EXPECT_EQ(byKey["meeting"]->Gloss.front(), "会议");
    EXPECT_EQ(report_.GlossDerived, 1u);
    EXPECT_EQ(report_.GlossFallback, 1u);
    EXPECT_EQ(report_.GlossForm, 1u);
    EXPECT_EQ(report_.Chinese + report_.GlossFallback, report_.Headwords);
}

TEST_F(DictionaryIntegrationTest, ShortGlossListsEachWordOnce) {
    core::WordIndex index;
    ASSERT_TRUE(index.LoadWordIndex(out_ + "voc.dat"));
    ASSERT_TRUE(index.Dispatch("computer").Ok());
    ASSERT_FALSE(index.ResultList().empty());
    // "电脑" stands under two parts of speech but once in the list's gloss.
    EXPECT_EQ(core::GetTagValue(index.ResultList().front(), "Cn"), Gbk("计算机；电脑"));
}

TEST_F(DictionaryIntegrationTest, HandCheckedFunctionWordsRankFirst) {
    // "he" is an untagged WordNet noun (helium) but a pronoun: it ranks
    // with the function words WordNet lacks, in file order, before "go".
    // Other words follow their spoken counts, whatever WordNet's tags say
    // ("book" is tagged 13 times, "run" 8, "apple" 5).
    ASSERT_GE(words_.size(), 6u);
    EXPECT_EQ(words_[0].Name, "the");
    EXPECT_EQ(words_[1].Name, "he");
    EXPECT_EQ(words_[2].Name, "go");
    EXPECT_EQ(words_[3].Name, "book");
    EXPECT_EQ(words_[4].Name, "run");
    EXPECT_EQ(words_[5].Name, "apple");
}

TEST_F(DictionaryIntegrationTest, SearchFindsWordsInEnglishAndChinese) {
    core::WordIndex index;
    ASSERT_TRUE(index.LoadWordIndex(out_ + "voc.dat"));
    ASSERT_TRUE(index.Dispatch("apple").Ok());
    ASSERT_FALSE(index.ResultList().empty());
    EXPECT_EQ(GetTagValue(index.ResultList()[0], "En"), "apple");
    EXPECT_TRUE(GetTagValue(index.ResultList()[0], "Cn").starts_with(Gbk("苹果")));
    ASSERT_TRUE(index.Dispatch(Gbk("苹果")).Ok());
    ASSERT_FALSE(index.ResultList().empty());
    EXPECT_EQ(GetTagValue(index.ResultList()[0], "En"), "apple");
    index.SetFilter(false, true);
    ASSERT_TRUE(index.Dispatch("ap").Ok());
    ASSERT_EQ(index.ResultList().size(), 1u);
    EXPECT_EQ(GetTagValue(index.ResultList()[0], "En"), "apple juice");
    index.SetFilter(true, true);
    ASSERT_TRUE(index.Dispatch("p").Ok());
    ASSERT_EQ(index.ResultList().size(), 1u);
    EXPECT_EQ(GetTagValue(index.ResultList()[0], "En"), "Paris");
}

TEST_F(DictionaryIntegrationTest, RanksAndFormsLeadFromFormsAndRunsToHeadwords) {
    storage::TCDF index(out_ + "voc.dat");
    std::vector<std::string> headwords;
    std::string ranks;
    ASSERT_TRUE(index.ReadStrings(0u, headwords));
    ASSERT_TRUE(index.ReadString(6u, ranks));
    ASSERT_EQ(ranks.size(), 4 * headwords.size());
    for (size_t line = 0; line < headwords.size(); ++line) {
        const uint32_t rank = Little32(ranks, 4 * line);
        ASSERT_LT(rank, words_.size());
        EXPECT_EQ(words_[rank].Name, headwords[line]);
    }
    // The search reads the forms table: "went" and "ran" lead to their verbs.
    core::WordFinder finder;
    ASSERT_TRUE(finder.Load(out_ + "voc.dat"));
    for (const auto& [form, base] : {std::pair{"went", "go"}, {"ran", "run"}, {"running", "run"}}) {
        ASSERT_TRUE(finder.Find(form).Ok());
        ASSERT_FALSE(finder.Rows().empty()) << form;
        EXPECT_EQ(finder.Rows()[0].Kind, core::RowKind::Form) << form;
        EXPECT_EQ(finder.Rows()[0].Word, base) << form;
    }
}

TEST_F(DictionaryIntegrationTest, BaseInfoAndServiceDataAreReadable) {
    study::VocBaseData base(out_ + "vbi.dat");
    const int64_t go = base.FindVoc("Go");
    ASSERT_GT(go, 0);
    std::string record;
    ASSERT_TRUE(base.ReadVocRecord(go, record));
    EXPECT_EQ(GetTagValue(record, "Name"), "go");
    EXPECT_EQ(GetTagValue(record, "YB"), "&#609;o&#650;");
    // Inflected forms lead to the record of their headword.
    std::string formRecord;
    ASSERT_TRUE(base.ReadVocRecord(base.FindVoc("went"), formRecord));
    EXPECT_EQ(formRecord, record);
    ASSERT_TRUE(base.ReadVocRecord(base.FindVoc("Apples"), formRecord));
    EXPECT_EQ(GetTagValue(formRecord, "Name"), "apple");
    EXPECT_EQ(base.FindVoc("zebra"), -1);
    std::string mp3;
    EXPECT_FALSE(base.GetVocMP3("go", mp3)); // built without recordings

    storage::TCDF service(out_ + "sd.102");
    std::string picture;
    ASSERT_TRUE(service.ReadString(102000001u, picture));
    EXPECT_EQ(picture.substr(0, 6), "GIF89a");
    std::string ad;
    ASSERT_TRUE(service.ReadString(102000002u, ad));
    EXPECT_TRUE(GetTagValue(ad, "Url").starts_with("https://"));
    std::vector<std::string> help;
    ASSERT_TRUE(service.ReadStrings(102000100u, help));
    bool licence = false;
    for (const std::string& line : help) {
        licence = licence || line.find("CC BY-SA 4.0") != std::string::npos;
        if (line.find(Gbk("【Add=")) != std::string::npos) {
            EXPECT_NE(line.find(Gbk("】")), std::string::npos);
        }
    }
    EXPECT_TRUE(licence);
}

TEST_F(DictionaryIntegrationTest, SameInputsGiveIdenticalBytesAndReportCoverage) {
    const std::vector<std::string> files = {"voc.dat", "voc.dif", "vbi.dat", "sd.102"};
    std::map<std::string, std::string> first;
    for (const std::string& file : files) {
        ASSERT_TRUE(tools::ReadWholeFile(out_ + file, first[file]));
    }
    std::ostringstream log;
    ASSERT_EQ(tools::DictionaryBuilder(options_).Run(log), 0);
    for (const std::string& file : files) {
        std::string again;
        ASSERT_TRUE(tools::ReadWholeFile(out_ + file, again));
        EXPECT_EQ(again, first[file]) << file;
    }
    EXPECT_NE(log_.find("coverage report"), std::string::npos);
    EXPECT_EQ(report_.GlossChecked, 3u);
    // Transcribed: exactly the headwords whose words are all in the test
    // lexicon (espeak-ng is off).
    const std::set<std::string> lexicon = {"apple",    "book",  "go",    "run",
                                           "computer", "paris", "juice", "the"};
    size_t transcribable = 0;
    for (const tools::Headword& word : words_) {
        const auto parts = tools::Words(word.Key);
        const bool known = std::all_of(parts.begin(), parts.end(),
                                       [&](const std::string& w) { return lexicon.contains(w); });
        transcribable += known ? 1 : 0;
        EXPECT_EQ(word.Ipa.empty(), !known) << word.Key;
    }
    EXPECT_EQ(report_.Ipa, transcribable);
    EXPECT_GT(report_.Bilingual, 0u);
    EXPECT_GT(report_.English, 0u);
    EXPECT_GT(report_.ChineseCharacters, 5u);
}

TEST(DictionaryBuilderTest, MissingInputNamesItsPackage) {
    mkdict_test::TempFolder folder;
    tools::BuildOptions options = mkdict_test::WriteInputs(folder.Path());
    options.CmuDict = folder.Path() + "/nothing-here";
    std::ostringstream log;
    EXPECT_EQ(tools::DictionaryBuilder(options).Run(log), 2);
    EXPECT_NE(log.str().find("festlex-cmu"), std::string::npos);
    EXPECT_NE(log.str().find("scripts/setup.sh"), std::string::npos);
    options = mkdict_test::WriteInputs(folder.Path());
    options.Cedict.clear();
    EXPECT_NE(tools::DictionaryBuilder(options).MissingInput().find("hanzi"), std::string::npos);
}

TEST(DictionaryBuilderTest, InflectedFormsForCheckedPartsOfSpeechAndNotForNames) {
    mkdict_test::TempFolder folder;
    tools::BuildOptions options = mkdict_test::WriteInputs(folder.Path());
    // WordNet has "book" as a noun and a tagged verb; the hand-checked gloss
    // lists the noun only, "run" only the verb.
    tools::WriteWholeFile(options.Overrides, "book\tn. 书；书本\nrun\tv. 跑\n");
    std::ostringstream log;
    tools::DictionaryBuilder builder(options);
    ASSERT_EQ(builder.Run(log), 0) << log.str();
    std::map<std::string, tools::InflectedForms> forms;
    for (const tools::Headword& word : builder.Headwords()) {
        forms[word.Key] = word.Forms;
    }
    EXPECT_EQ(forms["book"].Plural, "books");
    EXPECT_EQ(forms["book"].Past, "");
    EXPECT_EQ(forms["run"].Plural, "");
    EXPECT_EQ(forms["run"].Past, "ran");
    EXPECT_EQ(forms["go"].Past, "went"); // not hand-checked: WordNet's parts
    EXPECT_TRUE(forms["paris"].Empty()) << forms["paris"].Plural;
}

TEST(DictionaryBuilderTest, OverridesAndHeadwordMarks) {
    const auto overrides = tools::DictionaryBuilder::ParseOverrides(
        "# comment\nGo\tv. 去；走 | n. 围棋\nbad line\nx\t\n");
    ASSERT_EQ(overrides.size(), 1u);
    const auto& go = overrides.at("go");
    EXPECT_EQ(go.Name, "Go");
    ASSERT_EQ(go.Lines.size(), 2u);
    EXPECT_EQ(go.Lines[0].Label, "v.");
    EXPECT_EQ(go.Lines[0].Words, (std::vector<std::string>{"去", "走"}));
    EXPECT_EQ(go.Lines[1].Words, (std::vector<std::string>{"围棋"}));
    using tools::DictionaryBuilder;
    EXPECT_EQ(DictionaryBuilder::MarkHeadword("He went home", {"go", "went"}), "He 『went』 home");
    EXPECT_EQ(DictionaryBuilder::MarkHeadword("Going, gone", {"go"}), "");
    EXPECT_EQ(DictionaryBuilder::MarkHeadword("to Book ahead", {"book"}), "to 『Book』 ahead");
    EXPECT_EQ(DictionaryBuilder::AsSentence("spent many happy days on the beach"),
              "Spent many happy days on the beach.");
    EXPECT_EQ(DictionaryBuilder::AsSentence("the passage reads as follows:"),
              "The passage reads as follows.");
    EXPECT_EQ(DictionaryBuilder::AsSentence("a happy smile"), "a happy smile");
    EXPECT_EQ(DictionaryBuilder::AsSentence("hold on a moment!", 1000), "Hold on a moment!");
    EXPECT_EQ(DictionaryBuilder::AsSentence("to read a book", 1000), "to read a book");
    EXPECT_EQ(DictionaryBuilder::AsSentence("Is it done?"), "Is it done?");
}

// Recordings of a fresh process, made in a child so that this process's
// speech library state does not matter. Must run before anything in this
// process starts the speech library (the library runs a thread of its own).
std::string RecordInChild(const std::vector<std::string>& texts, const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::string joined;
        for (const std::string& mp3 : tools::AudioMaker(2).Make(texts)) {
            joined += std::to_string(mp3.size()) + ":" + mp3;
        }
        ::_exit(tools::WriteWholeFile(path, joined) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    std::string bytes;
    tools::ReadWholeFile(path, bytes);
    return bytes;
}

TEST(AudioMakerTest, RecordingsArePlayableMp3AndReproducible) {
    mkdict_test::TempFolder folder;
    const std::vector<std::string> texts = {"apple", "", "to book ahead"};
    const std::string first = RecordInChild(texts, folder.Path() + "/1");
    const std::string second = RecordInChild(texts, folder.Path() + "/2");
    if (!tools::AudioMaker::Available()) {
        GTEST_SKIP() << "espeak-ng voice data not installed";
    }
    EXPECT_FALSE(first.empty());
    EXPECT_TRUE(first == second); // same texts, same order: same bytes
    const auto mp3 = tools::AudioMaker(2).Make(texts);
    ASSERT_EQ(mp3.size(), 3u);
    EXPECT_TRUE(mp3[1].empty());
    for (size_t i : {0u, 2u}) {
        ASSERT_GT(mp3[i].size(), 1024u); // the base-info window plays only more
        // An MP3 frame header: 11 sync bits.
        EXPECT_EQ(static_cast<unsigned char>(mp3[i][0]), 0xFF);
        EXPECT_EQ(static_cast<unsigned char>(mp3[i][1]) & 0xE0, 0xE0);
    }
    EXPECT_TRUE(tools::AudioMaker::EncodeMp3({}, 22050).empty());
}

} // namespace
