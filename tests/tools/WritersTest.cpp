#include "core/TaggedText.h"
#include "display/PhoneticFont.h"
#include "platform/Gbk.h"
#include "platform/Text.h"
#include "storage/TCDF.h"
#include "tools/MkdictInputs.h"
#include "tools/mkdict/BaseInfoWriter.h"
#include "tools/mkdict/ContainerBuilder.h"
#include "tools/mkdict/EntryWriter.h"
#include "tools/mkdict/GifWriter.h"
#include "tools/mkdict/IndexWriter.h"
#include "tools/mkdict/TextUtil.h"

#include <gtest/gtest.h>

namespace {

using namespace tools;
using core::GetTagValue;

using mkdict_test::Gbk;
using mkdict_test::Little32;

TEST(IndexWriterTest, OrdersLettersThenPairGroupsByBestRankThenOtherHeadwords) {
    std::vector<IndexLine> lines = {
        {"about", "a", 5}, {"a", "a", 9},  {"Apple", "a", 1}, {"able", "a", 3},  {"ab", "a", 8},
        {"a-one", "a", 7}, {"3D", "a", 0}, {"zoo", "a", 2},   {"apply", "a", 4},
    };
    IndexWriter::Order(lines);
    std::vector<std::string> order;
    for (const IndexLine& line : lines) {
        order.push_back(line.Headword);
    }
    // AP holds rank 1, AB rank 3, A- rank 7: groups in that order.
    EXPECT_EQ(order, (std::vector<std::string>{"a", "Apple", "apply", "able", "about", "ab",
                                               "a-one", "zoo", "3D"}));
    const std::string letters = IndexWriter::LetterBuckets(lines);
    EXPECT_EQ(GetTagValue(letters, "Index0"), "0");
    EXPECT_EQ(GetTagValue(letters, "Count0"), "7");
    EXPECT_EQ(GetTagValue(letters, "Index1"), "7"); // empty B bucket where it would start
    EXPECT_EQ(GetTagValue(letters, "Count1"), "0");
    EXPECT_EQ(GetTagValue(letters, "Index25"), "7");
    EXPECT_EQ(GetTagValue(letters, "Count25"), "1");
    EXPECT_EQ(IndexWriter::PairBuckets(lines), "<EN>AP</EN><Index>1</Index><Count>2</Count>\r\n"
                                               "<EN>AB</EN><Index>3</Index><Count>3</Count>\r\n"
                                               "<EN>A-</EN><Index>6</Index><Count>1</Count>\r\n"
                                               "<EN>ZO</EN><Index>7</Index><Count>1</Count>\r\n");
}

TEST(IndexWriterTest, PostingsListEveryLineOfACharacterMostFrequentFirst) {
    std::vector<IndexLine> lines = {
        {"apple juice", Gbk("苹果汁"), 5},
        {"apple", Gbk("苹果；苹果树"), 1},
        {"the", Gbk("这；那"), 0},
    };
    std::string table;
    std::string postings;
    size_t distinct = 0;
    IndexWriter::ChinesePostings(lines, table, postings, &distinct);
    ASSERT_EQ(table.size(), 32768u * 8);
    EXPECT_EQ(distinct, 6u); // 苹 果 汁 树 这 那; the separator is not indexed
    auto run = [&](const char* character) {
        const std::string code = Gbk(character);
        const size_t k =
            (static_cast<unsigned char>(code[0]) << 8 | static_cast<unsigned char>(code[1])) -
            0x8000;
        const uint32_t offset = Little32(table, k * 8);
        const uint32_t count = Little32(table, k * 8 + 4);
        std::vector<uint32_t> lineNumbers;
        for (uint32_t i = 0; i < count; ++i) {
            lineNumbers.push_back(Little32(postings, offset + 4 * i));
        }
        return lineNumbers;
    };
    EXPECT_EQ(run("苹"), (std::vector<uint32_t>{1, 0})); // apple (rank 1) first, once
    EXPECT_EQ(run("汁"), (std::vector<uint32_t>{0}));
    EXPECT_TRUE(run("；").empty());
    EXPECT_TRUE(run("书").empty());
}

Headword SampleWord() {
    Headword word;
    word.Name = "book";
    word.Key = "book";
    word.Ipa = "bʊk";
    word.Chinese = {{"n.", {"书", "书本"}}, {"v.", {"预订"}}};
    word.Forms.Plural = "books";
    word.Examples = {{"to 『book』 ahead", "预订"}, {"I read a good 『book』", ""}};
    word.Definitions = {{"n.", "a written work", {"volume"}},
                        {"n.", "a record of bets", {}},
                        {"v.", "arrange in advance", {"reserve", "hold [back]"}}};
    word.WordMp3 = std::string(2000, 'w');
    word.ExampleMp3 = std::string(1500, 'e');
    return word;
}

TEST(EntryWriterTest, EntryRecordCarriesEveryFieldTheVocabularyWindowReads) {
    const std::string record = EntryWriter::EntryRecord(SampleWord());
    const std::string voc = GetTagValue(record, "Voc");
    EXPECT_EQ(GetTagValue(voc, "Name"), "book");
    EXPECT_EQ(display::PhoneticLettersToIpa(GetTagValue(voc, "YB")), "bʊk");
    EXPECT_EQ(GetTagValue(voc, "MP3"), "1");
    EXPECT_EQ(GetTagValue(voc, "CN"), Gbk("n. 书；书本<0D0A>v. 预订"));
    EXPECT_EQ(GetTagValue(voc, "CXBH"), Gbk("复数: books"));

    const auto examples = platform::SplitLines(GetTagValue(record, "Example"));
    ASSERT_EQ(examples.size(), 2u);
    EXPECT_EQ(GetTagValue(examples[0], "XH"), "1");
    EXPECT_EQ(GetTagValue(examples[0], "En"), Gbk("to 『book』 ahead"));
    EXPECT_EQ(GetTagValue(examples[0], "MP3"), "2");
    EXPECT_EQ(GetTagValue(examples[0], "Cn"), Gbk("预订"));
    EXPECT_EQ(GetTagValue(examples[1], "MP3"), "");

    // A heading line opens each part of speech; the definitions follow it.
    const auto definitions = platform::SplitLines(GetTagValue(record, "YWJS"));
    ASSERT_EQ(definitions.size(), 5u);
    EXPECT_EQ(GetTagValue(definitions[0], "CX"), "n.");
    EXPECT_EQ(GetTagValue(definitions[0], "En"), "");
    EXPECT_EQ(GetTagValue(definitions[1], "En"), "a written work");
    EXPECT_EQ(GetTagValue(definitions[1], "TYC"), "[1=volume]");
    EXPECT_EQ(GetTagValue(definitions[2], "CX"), "n.");
    EXPECT_EQ(GetTagValue(definitions[3], "CX"), "v.");
    EXPECT_EQ(GetTagValue(definitions[3], "En"), "");
    EXPECT_EQ(GetTagValue(definitions[4], "TYC"), "[1=reserve][2=hold back]");
}

TEST(EntryWriterTest, PackageHoldsTheRecordAndTheRecordings) {
    mkdict_test::TempFolder folder;
    const Headword word = SampleWord();
    const std::string path = folder.Path() + "/voc.tmp";
    ASSERT_TRUE(WriteWholeFile(path, EntryWriter::Package(word)));
    storage::TCDF package(path);
    std::string record;
    ASSERT_TRUE(package.ReadString(0u, record));
    EXPECT_EQ(record, EntryWriter::EntryRecord(word));
    std::string mp3;
    ASSERT_TRUE(package.ReadString(1u, mp3));
    EXPECT_EQ(mp3, word.WordMp3);
    ASSERT_TRUE(package.ReadString(2u, mp3));
    EXPECT_EQ(mp3, word.ExampleMp3);
}

TEST(EntryWriterTest, FieldTextCannotBreakTheRecord) {
    Headword word = SampleWord();
    word.Definitions = {{"n.", "a <b>bold</En> claim\r\nsecond line", {}}};
    const std::string record = EntryWriter::EntryRecord(word);
    const auto definitions = platform::SplitLines(GetTagValue(record, "YWJS"));
    ASSERT_EQ(definitions.size(), 2u);
    EXPECT_EQ(GetTagValue(definitions[1], "En"), "a bbold/En claim  second line");
    EXPECT_EQ(SafeFieldText("x<y>z\n"), "xyz ");
}

TEST(EntryWriterTest, CatalogueLineNamesThePackageWithSizeAndStandardCrc) {
    const std::string line = EntryWriter::CatalogueLine(0x90, "123456789");
    EXPECT_EQ(GetTagValue(line, "JMBH"), "00000090");
    EXPECT_EQ(GetTagValue(line, "FID"), "00000090");
    EXPECT_EQ(GetTagValue(line, "FC"), "0000000B");
    EXPECT_EQ(GetTagValue(line, "FS"), "00000009");
    EXPECT_EQ(GetTagValue(line, "FCRC"), "CBF43926"); // the CRC-32 check value
    EXPECT_EQ(GetTagValue(line, "LFn"), "11\\90.dat");
    EXPECT_EQ(GetTagValue(line, "JMMC"), Gbk("词汇数据包 90"));
}

TEST(BaseInfoWriterTest, WordRecordUsesNumericReferencesAndLineBreaks) {
    Headword word = SampleWord();
    word.Ipa = "ˈæpəl";
    const std::string record = BaseInfoWriter::WordRecord(word);
    EXPECT_EQ(GetTagValue(record, "Name"), "book");
    EXPECT_EQ(GetTagValue(record, "YB"), "'&#230;p&#601;l");
    EXPECT_EQ(GetTagValue(record, "MP3"), "1");
    EXPECT_EQ(GetTagValue(record, "CN"), Gbk("n. 书；书本\r\nv. 预订"));
    EXPECT_EQ(GetTagValue(record, "CXBH"), Gbk("复数: books"));
    word.WordMp3.clear();
    EXPECT_EQ(GetTagValue(BaseInfoWriter::WordRecord(word), "MP3"), "");
}

TEST(PhoneticFontTest, FontLettersAndIpaMapBothWays) {
    const std::string ipa = "ˈæŋɡɹɪ ðɑɔəɚɛɜʃʊʌʒˌθ ɒɝː";
    const std::string letters = display::IpaToPhoneticLetters(ipa);
    EXPECT_EQ(letters, "5ANgrI TBCELZ[FJQV7W O]:");
    EXPECT_EQ(display::PhoneticLettersToIpa(letters), ipa);
    EXPECT_EQ(display::IpaToPhoneticLetters("'Ap.l\xCC\xA9"
                                            "ɾ"),
              "5apl"); // dropped symbols
    EXPECT_EQ(display::IpaToHtmlReferences("ˈæpˌl"), "'&#230;p&#716;l");
    EXPECT_EQ(display::IpaToHtmlReferences("a\xC3"), "a"); // truncated sequence
    EXPECT_EQ(display::PhoneticLettersToIpa("bik"), "bik");
}

// A small GIF decoder, independent of the writer: header, colour table and
// the LZW image data.
std::vector<uint8_t> DecodeGif(const std::string& gif, int& width, int& height) {
    std::vector<uint8_t> pixels;
    if (gif.size() < 13 + 768 + 10 || gif.substr(0, 6) != "GIF89a") {
        return pixels;
    }
    width = static_cast<unsigned char>(gif[6]) | static_cast<unsigned char>(gif[7]) << 8;
    height = static_cast<unsigned char>(gif[8]) | static_cast<unsigned char>(gif[9]) << 8;
    size_t pos = 13 + 768;
    if (gif[pos] != ',') {
        return pixels;
    }
    pos += 10;
    const int minCode = gif[pos++];
    std::string data;
    while (pos < gif.size() && gif[pos] != 0) {
        const size_t length = static_cast<unsigned char>(gif[pos]);
        data.append(gif, pos + 1, length);
        pos += length + 1;
    }
    if (pos + 1 >= gif.size() || gif[pos + 1] != ';') {
        return {};
    }
    const int clear = 1 << minCode;
    std::vector<std::vector<uint8_t>> table;
    auto reset = [&] {
        table.clear();
        for (int i = 0; i < clear + 2; ++i) {
            table.push_back({static_cast<uint8_t>(i)});
        }
    };
    reset();
    int codeSize = minCode + 1;
    size_t bit = 0;
    std::vector<uint8_t> previous;
    while (bit + codeSize <= data.size() * 8) {
        int code = 0;
        for (int i = 0; i < codeSize; ++i, ++bit) {
            code |= ((static_cast<unsigned char>(data[bit / 8]) >> (bit % 8)) & 1) << i;
        }
        if (code == clear) {
            reset();
            codeSize = minCode + 1;
            previous.clear();
            continue;
        }
        if (code == clear + 1) {
            break;
        }
        std::vector<uint8_t> entry;
        if (code < static_cast<int>(table.size())) {
            entry = table[code];
        } else if (!previous.empty()) {
            entry = previous;
            entry.push_back(previous[0]);
        } else {
            return {};
        }
        pixels.insert(pixels.end(), entry.begin(), entry.end());
        if (!previous.empty()) {
            previous.push_back(entry[0]);
            table.push_back(previous);
            if (table.size() == (1u << codeSize) && codeSize < 12) {
                ++codeSize;
            }
        }
        previous = entry;
    }
    return pixels;
}

TEST(GifWriterTest, PictureDecodesToThePixelsDrawn) {
    GifWriter gif(40, 20);
    gif.SetPalette({0x000000, 0xFFFFFF});
    gif.DrawText(1, 1, "Q1", 2, 1);
    gif.SetPixel(39, 19, 1);
    gif.SetPixel(40, 0, 1); // outside: ignored
    int width = 0;
    int height = 0;
    const std::vector<uint8_t> pixels = DecodeGif(gif.Encode(), width, height);
    ASSERT_EQ(width, 40);
    ASSERT_EQ(height, 20);
    ASSERT_EQ(pixels.size(), 800u);
    EXPECT_EQ(pixels[39 + 19 * 40], 1);
    EXPECT_EQ(pixels[0], 0);
    EXPECT_EQ(pixels[1 + 2 * 1 + 1 * 40], 1); // top row of Q starts at its second column

    const std::string banner = MakeAdvertisementGif();
    const std::vector<uint8_t> bannerPixels = DecodeGif(banner, width, height);
    EXPECT_EQ(bannerPixels.size(), static_cast<size_t>(width * height));
    EXPECT_EQ(width, 300);
}

TEST(ContainerBuilderTest, MembersReadBackThroughTheContainer) {
    mkdict_test::TempFolder folder;
    ContainerBuilder builder;
    builder.Add("Word", "record");
    builder.Add(5u, std::string(70000, 'x'));
    builder.Add("empty", "");
    const std::string path = folder.Path() + "/c.dat";
    ASSERT_TRUE(builder.Save(path));
    storage::TCDF cdf(path);
    std::string text;
    ASSERT_TRUE(cdf.ReadString("word", text));
    EXPECT_EQ(text, "record");
    ASSERT_TRUE(cdf.ReadString(5u, text));
    EXPECT_EQ(text.size(), 70000u);
    EXPECT_TRUE(cdf.ReadString("empty", text));
    EXPECT_EQ(cdf.Records().size(), 3u);
}

} // namespace
