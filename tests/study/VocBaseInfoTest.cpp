#include "study/VocBaseInfo.h"
#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "platform/FakeMediaPlayer.h"
#include "platform/Gbk.h"
#include "storage/TCDF.h"
#include "study/ConvertYB.h"
#include "study/TestVocSource.h"
#include "study/VocBaseData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>

namespace study {
namespace {

namespace fs = std::filesystem;

// Test texts are written in UTF-8 and used as GBK, like stored text.
std::string G(std::string_view utf8) {
    return platform::Utf8ToGbk(utf8);
}

std::vector<std::string> Names(const VocBaseInfo& info) {
    std::vector<std::string> names;
    for (const auto& record : info.VocList())
        names.push_back(core::GetTagValue(record, "Name"));
    return names;
}

TEST(ConvertYBTest, AppliesTheSixteenPairs) {
    EXPECT_EQ(ConvertYB("'&#601;baut"), "5Ebaut");
    EXPECT_EQ(ConvertYB("&#230;&#240;&#331;&#593;&#596;&#601;&#602;&#603;&#604;&#643;&#650;"
                        "&#652;&#658;&#716;&#952;'"),
              "ATNBCELZ[FJQV7W5");
    EXPECT_EQ(ConvertYB("pen"), "pen");
    EXPECT_EQ(ConvertYB(""), "");
}

// Work linear in the text however many references it holds, and however
// many "&#" lack their ";".
TEST(ScaleTest, ManyReferencesConvertInLinearTime) {
    std::string text;
    for (int i = 0; i < 1200000; ++i)
        text += "&#601;";
    const std::string letters = ConvertYB(text);
    EXPECT_EQ(letters, std::string(1200000, 'E'));
    std::string unterminated;
    for (int i = 0; i < 1200000; ++i)
        unterminated += "&#6";
    EXPECT_EQ(ConvertYB(unterminated), unterminated);
}

TEST(ConvertYBTest, LeftoverReferencesBecomeTheirFontLetters) {
    // ɪ (U+026A) and ː (U+02D0) are outside the sixteen pairs.
    EXPECT_EQ(ConvertYB("s&#618;t"), "sIt");
    EXPECT_EQ(ConvertYB("si&#720;"), "si:");
    EXPECT_EQ(ConvertYB("s&#x26A;t"), "sIt");
    // No letter for the character, or not a reference at all: left as it was.
    EXPECT_EQ(ConvertYB("a&#8364;b"), "a&#8364;b");
    EXPECT_EQ(ConvertYB("a&#;b&#12x;&#601"), "a&#;b&#12x;&#601");
    EXPECT_EQ(ConvertYB("&#99999999999999;"), "&#99999999999999;");
}

TEST(PlaceNearPointerTest, KeepsInsideRightAndBottomEdges) {
    // Plenty of room: at the pointer's x, 15 below it.
    auto place = PlaceNearPointer(100, 100, 497, 237, 1280, 800);
    EXPECT_EQ(place.Left, 100);
    EXPECT_EQ(place.Top, 115);
    // Near the right edge: the right edge stays 30 pixels inside the screen.
    place = PlaceNearPointer(1000, 100, 497, 237, 1280, 800);
    EXPECT_EQ(place.Left + 497, 1280 - 30);
    // Exactly fitting is still at the pointer.
    EXPECT_EQ(PlaceNearPointer(783, 100, 497, 237, 1280, 800).Left, 783);
    // Near the bottom: above the pointer, 15 pixels away.
    place = PlaceNearPointer(100, 600, 497, 237, 1280, 800);
    EXPECT_EQ(place.Top + 237, 600 - 15);
    EXPECT_EQ(PlaceNearPointer(100, 513, 497, 237, 1280, 800).Top, 528);
}

class VocBaseInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_.AddWord("it", G("<YB>s&#618;t</YB><CN>pron. 它</CN>"));
        source_.AddWord("don", G("<YB>d&#593;n</YB><CN>n. 先生</CN>"));
        source_.AddWord("apple",
                        G("<YB>'&#230;pl</YB><MP3>1</MP3><CN>n. 苹果\r\nn. 苹果树\r\nn. 家伙</CN>"
                          "<CXBH>复数: apples</CXBH>"),
                        std::string(2000, 'm'));
        source_.AddWord("pear", G("<CN>n. 梨</CN><MP3>1</MP3>"), std::string(1024, 'm'));
        source_.AddWord("a b", "<CN>x</CN>");
        source_.AddWord("cat", G("<CN>n. 猫</CN>"));
    }
    TestVocSource source_;
    VocBaseInfo info_;
};

TEST_F(VocBaseInfoTest, TwoLetterWordIsLookedUpSingleLettersAreNot) {
    EXPECT_TRUE(info_.FindVocs(" it, x ", source_));
    EXPECT_EQ(Names(info_), std::vector<std::string>{"it"});
    source_.lookups.clear();
    EXPECT_FALSE(info_.FindVocs("x y", source_));
    EXPECT_EQ(source_.lookups, std::vector<std::string>{"x y"}); // only the whole text
    EXPECT_EQ(Names(info_), std::vector<std::string>{"it"});     // the shown list stays
    // "a b" itself is known.
    EXPECT_TRUE(info_.FindVocs("a b", source_));
    EXPECT_EQ(Names(info_), std::vector<std::string>{"a b"});
}

TEST_F(VocBaseInfoTest, ApostropheSplitsRuns) {
    EXPECT_TRUE(info_.FindVocs("don't", source_));
    EXPECT_EQ(source_.lookups, (std::vector<std::string>{"don't", "don"}));
    EXPECT_EQ(Names(info_), std::vector<std::string>{"don"});
}

TEST_F(VocBaseInfoTest, DuplicatesShownOnceInOrderOfFirstOccurrence) {
    EXPECT_TRUE(info_.FindVocs("cat apple. Cat it apple", source_));
    EXPECT_EQ(Names(info_), (std::vector<std::string>{"cat", "apple", "it"}));
}

TEST_F(VocBaseInfoTest, ChineseCharactersEndRunsAndTrailBytesAreNoLetters) {
    // "啊" is B0 A1; "癆" is F0 61 (trail byte 'a'), "砤" is ED 74... the
    // trail bytes 0x61 'a' and 0x74 't' must not join the runs.
    EXPECT_TRUE(info_.FindVocs("cat\xB0\xA1it\xF0"
                               "a\xED"
                               "t",
                               source_));
    EXPECT_EQ(Names(info_), (std::vector<std::string>{"cat", "it"}));
    EXPECT_EQ(source_.lookups.back(), "it");
}

TEST_F(VocBaseInfoTest, BlankOrUnknownTextKeepsThePreviousList) {
    ASSERT_TRUE(info_.FindVocs("cat", source_));
    EXPECT_FALSE(info_.FindVocs("  \t ", source_));
    EXPECT_EQ(Names(info_), std::vector<std::string>{"cat"});
    EXPECT_FALSE(info_.FindVocs("zz qq", source_));
    EXPECT_EQ(Names(info_), std::vector<std::string>{"cat"});
}

TEST_F(VocBaseInfoTest, ShowVocListBuildsTheItems) {
    ASSERT_TRUE(info_.FindVocs("apple it", source_));
    auto images = std::make_shared<display::TImageList>();
    images->Images.push_back(display::Picture::Filled(16, 16, 0));
    display::RichTextDocument document;
    info_.ShowVocList(document, images);

    std::vector<std::pair<int, std::string>> items;
    for (const auto& item : document.Items())
        items.emplace_back(item.Info.StyleNo, item.Text);
    const std::vector<std::pair<int, std::string>> expected{
        {display::rvsPicture, ""},      {kStyleName, "apple"},
        {kStylePhonetic, "  / 5Apl /"}, {kStyleMeaning, "  "},
        {display::rvsImageJump, ""},    {kStyleMeaning, G("  n. 苹果  n. 苹果树  n. 家伙")},
        {display::rvsPicture, ""},      {kStyleName, "it"},
        {kStylePhonetic, "  / sIt /"},  {kStyleMeaning, G("  pron. 它")},
    };
    EXPECT_EQ(items, expected);
    EXPECT_FALSE(document.Items()[1].Info.SameAsPrev);
    EXPECT_TRUE(document.Items()[4].Info.SameAsPrev);
    EXPECT_EQ(document.Items()[0].Graphic->Width, 1);
    EXPECT_EQ(document.Items()[0].Graphic->Height, 6);
    EXPECT_EQ(info_.MP3List(), std::vector<std::string>{"apple"});
}

TEST_F(VocBaseInfoTest, OptionsHideTranscriptionAndShowForms) {
    ASSERT_TRUE(info_.FindVocs("apple", source_));
    display::RichTextDocument document;
    auto texts = [&] {
        std::string all;
        for (const auto& item : document.Items())
            all += item.Text + "|";
        return all;
    };
    info_.ShowVocList(document, nullptr);
    EXPECT_EQ(texts().find(G("复数")), std::string::npos); // forms are off by default
    info_.Options.ShowYB = false;
    info_.Options.ShowCXBH = true;
    info_.ShowVocList(document, nullptr);
    EXPECT_EQ(texts(), G("|apple|  ||  n. 苹果  n. 苹果树  n. 家伙|  复数: apples|"));
    EXPECT_EQ(document.Items().back().Info.StyleNo, kStyleForms);
}

TEST_F(VocBaseInfoTest, HotSpotPlaysOnlyRecordingsOverKilobyte) {
    const fs::path dir = fs::temp_directory_path() / ("vocbase-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string sound = (dir / "voc.mp3").string();
    platform::FakeMediaPlayer player;

    ASSERT_TRUE(info_.FindVocs("pear apple", source_));
    info_.ShowVocList(*std::make_unique<display::RichTextDocument>(), nullptr);
    ASSERT_EQ(info_.MP3List(), (std::vector<std::string>{"pear", "apple"}));
    EXPECT_FALSE(info_.PlayHotSpot(0, source_, player, sound)); // exactly 1024 bytes
    EXPECT_FALSE(fs::exists(sound));
    EXPECT_FALSE(info_.PlayHotSpot(2, source_, player, sound));
    EXPECT_FALSE(info_.PlayHotSpot(-1, source_, player, sound));
    EXPECT_TRUE(player.Calls().empty());

    ASSERT_TRUE(info_.PlayHotSpot(1, source_, player, sound));
    EXPECT_EQ(fs::file_size(sound), 2000u);
    EXPECT_EQ(player.Calls(), (std::vector<std::string>{"Close", "SetUrl:" + sound, "Play"}));
    EXPECT_EQ(player.PlayState(), platform::MediaPlayer::kPlaying);
    fs::remove_all(dir);
}

TEST(VocBaseOptionsTest, StoredAsHexAndReadBackWithDefaults) {
    const fs::path dir = fs::temp_directory_path() / ("vocopts-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string nv = (dir / "nv.dat").string();

    VocBaseOptions defaults = LoadVocBaseOptions(nv); // no file
    EXPECT_TRUE(defaults.ShowYB);
    EXPECT_FALSE(defaults.ShowCXBH);
    EXPECT_TRUE(defaults.FormFollow);

    ASSERT_TRUE(StoreVocBaseOption(kKeyShowYB, false, nv));
    ASSERT_TRUE(StoreVocBaseOption(kKeyShowCXBH, true, nv));
    std::string value;
    ASSERT_TRUE(core::ReadNameValue("VBISCXBH", value, nv));
    EXPECT_EQ(value, "00000001");
    ASSERT_TRUE(core::ReadNameValue("VBISYB", value, nv));
    EXPECT_EQ(value, "00000000");
    VocBaseOptions stored = LoadVocBaseOptions(nv);
    EXPECT_FALSE(stored.ShowYB);
    EXPECT_TRUE(stored.ShowCXBH);
    EXPECT_TRUE(stored.FormFollow); // missing key keeps the default

    // Any non-zero hexadecimal number is on; text that is no number is ignored.
    ASSERT_TRUE(core::WriteNameValue("VBISYB", "0000000A", nv));
    ASSERT_TRUE(core::WriteNameValue("VBIFF", "nonsense", nv));
    stored = LoadVocBaseOptions(nv);
    EXPECT_TRUE(stored.ShowYB);
    EXPECT_TRUE(stored.FormFollow);
    fs::remove_all(dir);
}

} // namespace
} // namespace study

namespace study {
namespace {

// The words of a real base-info file, as quendic-mkdict writes it.
TEST(VocBaseInfoDataTest, FindsAndPlaysWordsOfTheBaseInfoFile) {
    const fs::path dir = fs::temp_directory_path() / ("vocdata-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "vbi.dat").string();
    {
        storage::TCDF file(path);
        auto add = [&](const std::string& name, std::string bytes) {
            storage::Stream stream = std::move(bytes);
            ASSERT_TRUE(file.AddStream(name, stream));
        };
        add("book", G("<Name>book</Name><YB>b&#650;k</YB><MP3>1</MP3><CN>n. 书</CN>"));
        add("book.mp3", std::string(1500, 'b'));
        add("it", G("<Name>it</Name><CN>pron. 它</CN>"));
    }
    VocBaseData data(path);
    VocBaseInfo info;
    ASSERT_TRUE(info.FindVocs(G("Books：it, BOOK"), data));
    EXPECT_EQ(Names(info), (std::vector<std::string>{"book", "it"}));

    display::RichTextDocument document;
    info.ShowVocList(document, nullptr);
    EXPECT_EQ(document.Items()[2].Text, "  / bJk /");
    platform::FakeMediaPlayer player;
    EXPECT_TRUE(info.PlayHotSpot(0, data, player, (dir / "voc.mp3").string()));
    EXPECT_EQ(fs::file_size(dir / "voc.mp3"), 1500u);
    fs::remove_all(dir);
}

} // namespace
} // namespace study
