#include "tools/MkdictInputs.h"
#include "tools/mkdict/CedictReader.h"
#include "tools/mkdict/CmuPhonetics.h"
#include "tools/mkdict/Inflections.h"
#include "tools/mkdict/SpokenFrequencies.h"
#include "tools/mkdict/TextUtil.h"
#include "tools/mkdict/WordLists.h"
#include "tools/mkdict/WordNetReader.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace {

using namespace tools;

TEST(CedictReaderTest, ReadsTheModuleFormAndSkipsCommentsAndMalformedLines) {
    CedictReader reader;
    reader.Parse("module.exports = `# CC-CEDICT\n"
                 "蘋果 苹果 [ping2 guo3] /apple/CL:個|个[ge4]/\r\n"
                 "no brackets here\n"
                 "巴黎 巴黎 [Ba1 li2] /Paris, capital of France/`;");
    ASSERT_EQ(reader.Entries().size(), 2u);
    const CedictEntry& apple = reader.Entries()[0];
    EXPECT_EQ(apple.Simplified, "苹果");
    EXPECT_EQ(apple.Pinyin, "ping2 guo3");
    EXPECT_EQ(apple.Senses, (std::vector<std::string>{"apple", "CL:個|个[ge4]"}));
    EXPECT_FALSE(apple.ProperNoun);
    EXPECT_TRUE(reader.Entries()[1].ProperNoun);
}

TEST(CedictReaderTest, RejectsLinesWithoutAllParts) {
    CedictEntry entry;
    EXPECT_FALSE(CedictReader::ParseLine("# comment", entry));
    EXPECT_FALSE(CedictReader::ParseLine("書 书 /book/", entry));
    EXPECT_FALSE(CedictReader::ParseLine("書 书 [shu1]", entry));
    EXPECT_FALSE(CedictReader::ParseLine("書 书 [shu1] //", entry));
    EXPECT_TRUE(CedictReader::ParseLine("書 书 [shu1] /book/", entry));
}

TEST(WordNetReaderTest, ParsesDataLinesWithDefinitionAndExamples) {
    WordNetReader::SynsetLine synset;
    ASSERT_TRUE(WordNetReader::ParseDataLine(
        "01835496 38 v 02 go 0 travel 1 001 @ 01831531 v 0000 01 + 02 00 | change location; "
        "\"how fast does your car go?\"; \"we travel by car\"  ",
        synset));
    EXPECT_EQ(synset.Words, (std::vector<std::string>{"go", "travel"}));
    EXPECT_EQ(synset.Definition, "change location");
    EXPECT_EQ(synset.Examples,
              (std::vector<std::string>{"how fast does your car go?", "we travel by car"}));
    EXPECT_FALSE(WordNetReader::ParseDataLine("01835496 38 v", synset));
    EXPECT_FALSE(WordNetReader::ParseDataLine("01835496 38 v zz go 0 | gloss", synset));
    EXPECT_EQ(WordNetWordToText("beautiful(a)"), "beautiful");
    EXPECT_EQ(WordNetWordToText("apple_juice"), "apple juice");
}

TEST(WordNetReaderTest, GathersSensesByTagCountWithSynonymsAndSpelling) {
    mkdict_test::TempFolder folder;
    mkdict_test::WriteWordNet(folder.Path());
    WordNetReader wordNet;
    ASSERT_TRUE(wordNet.Load(folder.Path()));
    const auto& lemmas = wordNet.Lemmas();
    ASSERT_TRUE(lemmas.contains("go"));
    const WordNetLemma& go = lemmas.at("go");
    EXPECT_EQ(go.TagCount, 20u);
    ASSERT_EQ(go.Senses.size(), 2u);
    EXPECT_EQ(go.Senses[0].Pos, 'v'); // tagged verb sense before the untagged noun
    EXPECT_EQ(go.Senses[0].Synonyms, (std::vector<std::string>{"travel", "move"}));
    EXPECT_EQ(go.Senses[1].Synonyms, (std::vector<std::string>{"go game"}));
    EXPECT_EQ(lemmas.at("paris").Display, "Paris");
    EXPECT_TRUE(lemmas.contains("apple juice"));
    EXPECT_GT(lemmas.at("apple").GlossCount, 0u); // "an apple a day"
    EXPECT_EQ(wordNet.ExceptionForms('v', "run"), (std::vector<std::string>{"running", "ran"}));
    EXPECT_FALSE(wordNet.Load(folder.Path() + "/missing"));
}

TEST(CmuPhoneticsTest, ConvertsSyllablesToIpaWithStressBeforeTheOnset) {
    std::string word;
    std::string ipa;
    int syllables = 0;
    ASSERT_TRUE(
        CmuPhonetics::ParseLine("(\"apple\" nil (((ae) 1) ((p ax l) 0)))", word, ipa, &syllables));
    EXPECT_EQ(word, "apple");
    EXPECT_EQ(ipa, "ˈæpəl");
    EXPECT_EQ(syllables, 2);
    ASSERT_TRUE(CmuPhonetics::ParseLine("(\"computer\" nil (((k ax m) 0) ((p y uw) 1) ((t er) 0)))",
                                        word, ipa));
    EXPECT_EQ(ipa, "kəmˈpjutɚ");
    ASSERT_TRUE(
        CmuPhonetics::ParseLine("(\"aardvark\" nil (((aa r d) 1) ((v aa r k) 1)))", word, ipa));
    EXPECT_EQ(ipa, "ˈɑɹdˌvɑɹk");
    ASSERT_TRUE(CmuPhonetics::ParseLine("(\"run\" nil (((r ah n) 1)))", word, ipa));
    EXPECT_EQ(ipa, "ɹʌn"); // one syllable: no mark; stressed ah is ʌ
    ASSERT_TRUE(CmuPhonetics::ParseLine("(\"bird\" nil (((b er d) 1)))", word, ipa));
    EXPECT_EQ(ipa, "bɝd");
    EXPECT_FALSE(CmuPhonetics::ParseLine("(\"odd\" nil (((qq) 1)))", word, ipa));
    EXPECT_FALSE(CmuPhonetics::ParseLine("MNCL", word, ipa));
    EXPECT_FALSE(CmuPhonetics::ParseLine("(\"cut\" nil (((k ah t)", word, ipa));
}

TEST(CmuPhoneticsTest, ReadingsByPartOfSpeechPhrasesAndHyphenatedWords) {
    CmuPhonetics cmu;
    cmu.Parse("(\"lead\" n (((l eh d) 1)))\n(\"lead\" v (((l iy d) 1)))\n"
              "(\"live\" j (((l ay v) 1)))\n(\"live\" v (((l ih v) 1)))\n"
              "(\"book\" nil (((b uh k) 1)))\n(\"in\" nil (((ih n) 0)))\n"
              "(\"t\" nil (((t iy) 1)))\n(\"shirt\" nil (((sh er t) 1)))\n"
              "(\"give\" nil (((g ih v) 1)))\n(\"up\" nil (((ah p) 1)))\n"
              "(\"apple\" nil (((ae) 1) ((p ax l) 0)))\n(\"the\" dt (((dh ax) 0)))\n"
              "(\"insert\" n (((ih n) 1) ((s er r t) 0)))\n");
    // The first line is the default reading; tagged lines serve their part.
    EXPECT_EQ(cmu.Ipa("Lead"), "lɛd");
    EXPECT_EQ(cmu.Ipa("lead", 'v'), "lid");
    EXPECT_EQ(cmu.Ipa("live", 'a'), "laɪv");
    EXPECT_EQ(cmu.Ipa("live", 'n'), "laɪv"); // no noun reading: the first
    EXPECT_EQ(cmu.TaggedParts("lead"), (std::vector<char>{'n', 'v'}));
    EXPECT_TRUE(cmu.TaggedParts("book").empty());
    // Hyphenated words are one stressed word; function words stay weak.
    EXPECT_EQ(cmu.Ipa("T-shirt"), "ˈtiˌʃɝt");
    EXPECT_EQ(cmu.Ipa("book-in"), "ˈbʊkɪn");
    // Phrases stress their content words; a verb's particle takes the primary.
    EXPECT_EQ(cmu.Ipa("give up", 'v'), "ˌɡɪv ˈʌp");
    EXPECT_EQ(cmu.Ipa("give up"), "ˈɡɪv ˈʌp");
    EXPECT_EQ(cmu.Ipa("the apple"), "ðə ˈæpəl");
    EXPECT_EQ(cmu.Ipa("book in", 'v'), "ˌbʊk ˈɪn");
    EXPECT_EQ(cmu.Ipa("read out"), ""); // a word is missing
    EXPECT_EQ(cmu.Ipa("insert"), "ˈɪnsɚt"); // no r after the r-coloured vowel
    // A weak "er" before a vowel: the r begins the next syllable.
    CmuPhonetics lexicon;
    lexicon.Parse("(\"around\" nil (((er) 0) ((aw n d) 1)))\n"
                  "(\"different\" nil (((d ih) 1) ((f er) 0) ((ax n t) 0)))\n"
                  "(\"furry\" nil (((f er) 1) ((iy) 0)))\n");
    EXPECT_EQ(lexicon.Ipa("around"), "əˈɹaʊnd");
    EXPECT_EQ(lexicon.Ipa("different"), "ˈdɪfəɹənt");
    EXPECT_EQ(lexicon.Ipa("furry"), "ˈfɝi");
    EXPECT_EQ(cmu.Syllables("book"), 1);
    EXPECT_EQ(cmu.Syllables("unknown"), 0);
}

TEST(CmuPhoneticsTest, PrimaryStressAmongSeveralFollowsTheReference) {
    // The lexicon marks both stressed syllables of "education" alike; the
    // reference (espeak-ng, normalised) puts the primary on the third.
    EXPECT_EQ(CmuPhonetics::MovePrimaryStress("ˈɛdʒəˌkeɪʃən", "ˌɛdʒuˈkeɪʃən"), "ˌɛdʒəˈkeɪʃən");
    EXPECT_EQ(CmuPhonetics::MovePrimaryStress("ˈjunəˌvɝsəti", "ˌjunɪˈvɝsɪti"), "ˌjunəˈvɝsəti");
    EXPECT_EQ(CmuPhonetics::MovePrimaryStress("ˈɑɹdˌvɑɹk", "ˈɑɹdvɑɹk"), "ˈɑɹdˌvɑɹk");
    // Syllable counts may differ: the nearest stressed syllable wins.
    EXPECT_EQ(CmuPhonetics::MovePrimaryStress("ˈæftɚˌnun", "ˌæftɚˈnuːn"), "ˌæftɚˈnun");
    EXPECT_EQ(CmuPhonetics::MovePrimaryStress("kəˈmjunəˌkeɪʃən", "kəmjˌuːnɪˈkeɪʃən"),
              "kəˌmjunəˈkeɪʃən");
    EXPECT_EQ(CmuPhonetics::MovePrimaryStress("ˈɛdʒəˌkeɪʃən", ""), "ˈɛdʒəˌkeɪʃən");
    EXPECT_EQ(CmuPhonetics::MovePrimaryStress("ˈɛdʒəˌkeɪʃən", "ˌɛdʒu"), "ˈɛdʒəˌkeɪʃən");

    CmuPhonetics cmu;
    cmu.Parse("(\"education\" nil (((eh) 1) ((jh ax) 0) ((k ey) 1) ((sh ax n) 0)))\n"
              "(\"apple\" nil (((ae) 1) ((p ax l) 0)))\n"
              "(\"run\" nil (((r ah n) 1)))\n");
    EXPECT_EQ(cmu.WordsWithSeveralStresses({"apple education", "run", "education-run", "x"}),
              (std::vector<std::string>{"education"}));
    cmu.TakePrimaryStressFrom("education", "ˌɛdʒuˈkeɪʃən");
    EXPECT_EQ(cmu.Ipa("education"), "ˌɛdʒəˈkeɪʃən");
    EXPECT_EQ(cmu.Ipa("apple education"), "ˈæpəl ˌɛdʒəˈkeɪʃən");
}

TEST(CmuPhoneticsTest, NormalisesEspeakSymbolsAndMovesStressMarks) {
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak("həlˈoʊ"), "həˈloʊ");
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak("ɡˈoʊɪŋ"), "ˈɡoʊɪŋ");
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak("wˈɜːld"), "wɝld");
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak("zaɪlˈɑːfənˌɪst"), "zaɪˈlɑfəˌnɪst");
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak("bˈɛɾɚ"), "ˈbɛtɚ");
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak(" ˈæpəl \n"), "ˈæpəl");
    // Affricates and onset clusters move with the mark.
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak("ˌɛmdʒˈiː"), "ˌɛmˈdʒi");
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak("əklˈɑːk"), "əˈklɑk");
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak("ˌʌndɚstˈænd"), "ˌʌndɚˈstænd");
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak("ɛkstɹˈɔːɹdɪnɚɹi"), "ɛkˈstɹɔɹdɪnɚi");
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak("ɪnfɚmˈeɪʃən"), "ɪnfɚˈmeɪʃən");
    // No linking ɹ after an r-coloured vowel; one syllable, no mark.
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak("dɪsˈɑːnɚɹəbəl"), "dɪˈsɑnɚəbəl");
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak("ɹˈiːd"), "ɹid");
    EXPECT_EQ(CmuPhonetics::NormaliseEspeak("ɹˈiːd ˈaʊt"), "ˈɹid ˈaʊt");
}

TEST(InflectionsTest, IrregularVerbsTellPastFromParticiple) {
    mkdict_test::TempFolder folder;
    mkdict_test::WriteWordNet(folder.Path());
    WordNetReader wordNet;
    ASSERT_TRUE(wordNet.Load(folder.Path()));
    Inflections inflections(&wordNet);
    ASSERT_TRUE(inflections.ParseIrregularVerbs(
        "{\"go\":[[\"went\",\"gone\"]],\"be\":[[\"was\",\"been\"],[\"were\",\"been\"]]}"));
    EXPECT_EQ(inflections.IrregularVerbCount(), 2u);
    const InflectedForms go = inflections.Forms("go", {'v'}, 1);
    EXPECT_EQ(Inflections::Describe(go),
              "过去式: went  过去分词: gone  现在分词: going  第三人称单数: goes");
    // Doubling comes from the exception list ("running run").
    const InflectedForms run = inflections.Forms("run", {'v'}, 1);
    EXPECT_EQ(run.PresentParticiple, "running");
    EXPECT_EQ(inflections.Forms("be", {'v'}, 1).ThirdPerson, "is");
    EXPECT_FALSE(inflections.ParseIrregularVerbs("[\"go\"]"));
    EXPECT_FALSE(inflections.ParseIrregularVerbs("{\"go\":[[\"went\""));
}

TEST(InflectionsTest, IrregularNounsAndComparisons) {
    mkdict_test::TempFolder folder;
    mkdict_test::WriteWordNet(folder.Path());
    tools::WriteWholeFile(folder.Path() + "/noun.exc", "data datum\nmen man\n");
    tools::WriteWholeFile(folder.Path() + "/adj.exc",
                          "better good well\nbest good well\nworse bad\nworst bad\n");
    WordNetReader wordNet;
    ASSERT_TRUE(wordNet.Load(folder.Path()));
    const Inflections inflections(&wordNet);
    const InflectedForms bad = inflections.Forms("bad", {'a'}, 1);
    EXPECT_EQ(bad.Comparative, "worse");
    EXPECT_EQ(bad.Superlative, "worst");
    EXPECT_EQ(inflections.Forms("good", {'a'}, 1).Superlative, "best");
    const InflectedForms far = inflections.Forms("far", {'a'}, 1);
    EXPECT_EQ(far.Comparative, "farther");
    EXPECT_EQ(far.Superlative, "farthest");
    EXPECT_EQ(inflections.Forms("much", {'a'}, 1).Comparative, "more");
    EXPECT_EQ(inflections.Forms("little", {'a'}, 2).Superlative, "least");
    EXPECT_EQ(inflections.Forms("man", {'n'}, 1).Plural, "men");
    EXPECT_EQ(inflections.Forms("woman", {'n'}, 2).Plural, "women");
    EXPECT_EQ(inflections.Forms("policeman", {'n'}, 3).Plural, "policemen");
    EXPECT_EQ(inflections.Forms("human", {'n'}, 2).Plural, "humans");
    EXPECT_EQ(inflections.Forms("sheep", {'n'}, 1).Plural, "sheep");
    EXPECT_TRUE(inflections.Forms("data", {'n'}, 2).Empty()); // itself a plural
    EXPECT_TRUE(inflections.Forms("men", {'n'}, 1).Empty());
}

TEST(InflectionsTest, RegularSpellingRules) {
    Inflections inflections;
    EXPECT_EQ(inflections.Forms("apple", {'n'}, 2).Plural, "apples");
    EXPECT_EQ(inflections.Forms("box", {'n'}, 1).Plural, "boxes");
    EXPECT_EQ(inflections.Forms("city", {'n'}, 2).Plural, "cities");
    EXPECT_EQ(inflections.Forms("day", {'n'}, 1).Plural, "days");
    const InflectedForms study = inflections.Forms("study", {'v'}, 2);
    EXPECT_EQ(study.Past, "studied");
    EXPECT_EQ(study.ThirdPerson, "studies");
    EXPECT_EQ(study.PresentParticiple, "studying");
    const InflectedForms make = inflections.Forms("bake", {'v'}, 1);
    EXPECT_EQ(make.Past, "baked");
    EXPECT_EQ(make.PresentParticiple, "baking");
    EXPECT_EQ(inflections.Forms("stop", {'v'}, 1).Past, "stopped");
    EXPECT_EQ(inflections.Forms("visit", {'v'}, 2).Past, "visited");
    EXPECT_EQ(inflections.Forms("die", {'v'}, 1).PresentParticiple, "dying");
    const InflectedForms big = inflections.Forms("big", {'a'}, 1);
    EXPECT_EQ(big.Comparative, "bigger");
    EXPECT_EQ(big.Superlative, "biggest");
    EXPECT_TRUE(inflections.Forms("beautiful", {'a'}, 3).Empty()); // no "more" forms
    EXPECT_TRUE(inflections.Forms("apple juice", {'n'}, 0).Empty());
    EXPECT_EQ(Inflections::Describe(inflections.Forms("apple", {'n'}, 2)), "复数: apples");
}

TEST(InflectionsTest, FormsMadeByRuleNeedAttestation) {
    mkdict_test::TempFolder folder;
    mkdict_test::WriteWordNet(folder.Path());
    WordNetReader wordNet;
    ASSERT_TRUE(wordNet.Load(folder.Path()));
    WordLists words;
    words.Add("apples\nhappier\nhappiest\nliver\nlivest\ntaller\ntallest\nbooked\n", 10);
    SpokenFrequencies spoken;
    ASSERT_TRUE(spoken.Parse(R"([{"word": "livest", "count": 3}, {"word": "tallest", "count": 40},)"
                             R"( {"word": "forgot", "count": 5045}, {"word": "forgotten", "count": 1771},)"
                             R"( {"word": "struck", "count": 826}, {"word": "stricken", "count": 75}])"));
    Inflections inflections(&wordNet);
    ASSERT_TRUE(inflections.ParseIrregularVerbs(
        R"({"bear":[["bore","born"],["bore","borne"]],"give":[["gave","given"]],)"
        R"("forget":[["forgot","forgotten"],["forgot","forgot"]],)"
        R"("strike":[["struck","stricken"],["struck","struck"]]})"));
    inflections.SetAttestation(&words, &spoken);

    EXPECT_EQ(inflections.Forms("apple", {'n'}, 2).Plural, "apples");
    EXPECT_TRUE(inflections.Forms("fun", {'n'}, 1).Empty()); // no "funs"
    EXPECT_EQ(inflections.Forms("happy", {'a'}, 2).Comparative, "happier");
    EXPECT_EQ(inflections.Forms("tall", {'a'}, 1).Superlative, "tallest");
    EXPECT_TRUE(inflections.Forms("whole", {'a'}, 1).Empty()); // no "wholer"
    // "liver" is listed as the organ and "livest" is hardly ever heard.
    EXPECT_TRUE(inflections.Forms("live", {'a'}, 1).Empty());
    EXPECT_EQ(inflections.Forms("book", {'v'}, 1).Past, "booked");
    EXPECT_TRUE(inflections.Forms("zorp", {'v'}, 1).Empty());
    // Listed irregular forms need no attestation; "born" is an adjective.
    const InflectedForms bear = inflections.Forms("bear", {'v'}, 1);
    EXPECT_EQ(bear.Past, "bore");
    EXPECT_EQ(bear.PastParticiple, "borne");
    // An adjective participle unlike the past is kept when it is often heard.
    EXPECT_EQ(inflections.Forms("forget", {'v'}, 1).PastParticiple, "forgotten");
    EXPECT_EQ(inflections.Forms("strike", {'v'}, 1).PastParticiple, "struck");
    // A verb phrase inflects its verb, and only as a verb.
    EXPECT_EQ(Inflections::Describe(inflections.Forms("give up", {'v'}, 1)),
              "过去式: gave up  过去分词: given up  现在分词: giving up  第三人称单数: gives up");
    EXPECT_TRUE(inflections.Forms("give up", {'n'}, 1).Empty());
}

TEST(WordListsTest, KeepsTheSmallestSizeOfEachWordAndOnlyEnglishLists) {
    mkdict_test::TempFolder folder;
    WriteWholeFile(folder.Path() + "/english-words.10", "the\nPeter\n");
    WriteWholeFile(folder.Path() + "/american-words.50", "color\nthe\n");
    WriteWholeFile(folder.Path() + "/english-contractions.35", "don't\n");
    WriteWholeFile(folder.Path() + "/english-words.80", "zymurgy\n");
    WriteWholeFile(folder.Path() + "/british-words.10", "colour\n");
    WriteWholeFile(folder.Path() + "/english-words.x", "junk\n");
    WordLists words;
    ASSERT_TRUE(words.Load(folder.Path(), 60));
    EXPECT_EQ(words.Size("the"), 10);
    EXPECT_EQ(words.Size("color"), 50);
    EXPECT_TRUE(words.Has("don't", 35));
    EXPECT_FALSE(words.Has("color", 40));
    EXPECT_TRUE(words.Has("Peter", 10));
    EXPECT_FALSE(words.Has("peter", 95)); // case matters
    for (const char* absent : {"zymurgy", "colour", "junk"}) {
        EXPECT_EQ(words.Size(absent), 0) << absent;
    }
    EXPECT_FALSE(WordLists().Load(folder.Path() + "/none", 60));
}

TEST(SpokenFrequenciesTest, AddsSpellingsAndRemembersCapitals) {
    SpokenFrequencies spoken;
    ASSERT_TRUE(spoken.Parse(R"([
      {"word": "you", "count": 2134713},
      {"word": "I", "count": 2038529},
      {"word": "Paris", "count": 900},
      {"word": "paris", "count": 100},
      {"word": "say \"hi\"", "count": 3}
    ])"));
    EXPECT_EQ(spoken.Count("You"), 2134713u);
    EXPECT_EQ(spoken.Count("paris"), 1000u);
    EXPECT_TRUE(spoken.Capitalised("paris"));
    EXPECT_FALSE(spoken.Capitalised("I"));
    EXPECT_EQ(spoken.Count("say \"hi\""), 3u);
    EXPECT_EQ(spoken.Count("nobody"), 0u);
    EXPECT_FALSE(SpokenFrequencies().Parse(R"({"word": "you"})"));
    EXPECT_FALSE(SpokenFrequencies().Parse(R"([{"word": "you", "count": }])"));
    EXPECT_FALSE(SpokenFrequencies().Parse(R"([{"word": "you", "count": 3)"));
}

} // namespace
