#include "tools/mkdict/FormTableWriter.h"

#include "platform/Gbk.h"
#include "tools/MkdictInputs.h"
#include "tools/mkdict/TextUtil.h"

#include <gtest/gtest.h>

namespace {

using namespace tools;

Headword Word(const char* key, InflectedForms forms = {}) {
    Headword word;
    word.Key = word.Name = key;
    word.Forms = std::move(forms);
    return word;
}

TEST(FormTableWriterTest, EveryKnownFormWithItsBasesAndKinds) {
    mkdict_test::TempFolder folder;
    const std::string wordNetFolder = folder.Path() + "/wordnet";
    mkdict_test::WriteWordNet(wordNetFolder);
    WriteWholeFile(wordNetFolder + "/noun.exc", "children child\nmice mouse\n");
    WriteWholeFile(wordNetFolder + "/verb.exc",
                   "went go\nfound find\nwas be\nare be\nlay lie\nabode abide\ngoing go\n");
    WriteWholeFile(wordNetFolder + "/adj.exc", "better good well\nbest good well\n");
    WriteWholeFile(wordNetFolder + "/adv.exc", "better well\n");
    WordNetReader wordNet;
    ASSERT_TRUE(wordNet.Load(wordNetFolder));
    Inflections inflections(&wordNet);
    ASSERT_TRUE(
        inflections.ParseIrregularVerbs(R"({"go":[["went","gone"]],"find":[["found","found"]]})"));

    InflectedForms find;
    find.Past = find.PastParticiple = "found";
    find.PresentParticiple = "finding";
    find.ThirdPerson = "finds";
    InflectedForms study;
    study.Plural = study.ThirdPerson = "studies";
    InflectedForms sheep;
    sheep.Plural = "sheep"; // a form that is its own headword is left out
    InflectedForms giveUp;
    giveUp.Past = "gave up";
    giveUp.PastParticiple = "given up";
    InflectedForms oddly;
    oddly.Plural = "New  Yorks"; // not a lower-case form
    // Rank order: "good" before "well", so "better" lists good first.
    const std::vector<Headword> words = {
        Word("good"),           Word("well"),  Word("go"),
        Word("find", find),     Word("found"), Word("study", study),
        Word("child"),          Word("mouse"), Word("be"),
        Word("sheep", sheep),   Word("abide"), Word("give up", giveUp),
        Word("new york", oddly)};
    FormTableWriter writer(words);
    writer.AddExceptions(wordNet, inflections);
    EXPECT_EQ(platform::GbkToUtf8(writer.Member()), "abode\tabide\t过去式\r\n"
                                                    "are\tbe\t现在式\r\n"
                                                    "best\tgood\t最高级\r\n"
                                                    "best\twell\t最高级\r\n"
                                                    "better\tgood\t比较级\r\n"
                                                    "better\twell\t比较级\r\n"
                                                    "children\tchild\t复数\r\n"
                                                    "finding\tfind\t现在分词\r\n"
                                                    "finds\tfind\t第三人称单数\r\n"
                                                    "found\tfind\t过去式、过去分词\r\n"
                                                    "gave up\tgive up\t过去式\r\n"
                                                    "given up\tgive up\t过去分词\r\n"
                                                    "going\tgo\t现在分词\r\n"
                                                    "mice\tmouse\t复数\r\n"
                                                    "studies\tstudy\t复数、第三人称单数\r\n"
                                                    "was\tbe\t过去式\r\n"
                                                    "went\tgo\t过去式\r\n");
    EXPECT_EQ(writer.FormCount(), 15u); // distinct forms
}

} // namespace
