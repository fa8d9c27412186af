#include "study/VocBaseData.h"
#include "storage/TCDF.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

class VocBaseDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/quendic-vbi-test-XXXXXX";
        folder_ = ::mkdtemp(name);
        path_ = folder_ + "/vbi.dat";
        storage::TCDF file(path_);
        Add(file, "book", "<Name>book</Name><YB>b&#650;k</YB><MP3>1</MP3><CN>n. x</CN>");
        Add(file, "book.mp3", std::string(2000, 'm'));
        Add(file, "box", "<Name>box</Name>");
        Add(file, "study", "<Name>study</Name>");
        Add(file, "went", "<Name>go</Name>");
        Add(file, "news", "<Name>news</Name>");
        Add(file, "empty", "");
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    static void Add(storage::TCDF& file, const std::string& name, std::string data) {
        ASSERT_TRUE(file.AddStream(name, data));
    }
    std::string Name(int64_t id) {
        std::string record;
        if (!data().ReadVocRecord(id, record)) {
            return "(none)";
        }
        const size_t start = record.find("<Name>") + 6;
        return record.substr(start, record.find("</Name>") - start);
    }
    study::VocBaseData& data() { return data_; }

    std::string folder_;
    std::string path_;
    study::VocBaseData data_{"/nonexistent"};
};

TEST_F(VocBaseDataTest, FindsWordsIgnoringCaseAndPluralEndings) {
    data_ = study::VocBaseData(path_);
    EXPECT_GT(data_.FindVoc("book"), 0);
    EXPECT_EQ(data_.FindVoc("BOOK"), data_.FindVoc("book"));
    EXPECT_EQ(Name(data_.FindVoc("Books")), "book");
    EXPECT_EQ(Name(data_.FindVoc("boxes")), "box");
    EXPECT_EQ(Name(data_.FindVoc("studies")), "study");
    EXPECT_EQ(Name(data_.FindVoc("WENT")), "go");
    EXPECT_EQ(Name(data_.FindVoc("news")), "news"); // known as it is: no stripping
    EXPECT_EQ(data_.FindVoc(""), -1);
    EXPECT_EQ(data_.FindVoc("s"), -1);
    EXPECT_EQ(data_.FindVoc("zebra"), -1);
    EXPECT_EQ(data_.FindVoc("zebras"), -1);
}

TEST_F(VocBaseDataTest, RecordsAndRecordings) {
    data_ = study::VocBaseData(path_);
    std::string record = "unchanged";
    EXPECT_FALSE(data_.ReadVocRecord(-1, record));
    EXPECT_FALSE(data_.ReadVocRecord(12345, record)); // not an id this reader gave out
    EXPECT_FALSE(data_.ReadVocRecord(data_.FindVoc("empty"), record));
    EXPECT_EQ(record, "unchanged");
    ASSERT_TRUE(data_.ReadVocRecord(data_.FindVoc("book"), record));
    EXPECT_NE(record.find("<YB>b&#650;k</YB>"), std::string::npos);
    std::string mp3;
    ASSERT_TRUE(data_.GetVocMP3("Book", mp3));
    EXPECT_EQ(mp3.size(), 2000u);
    mp3 = "unchanged";
    EXPECT_FALSE(data_.GetVocMP3("box", mp3));
    EXPECT_FALSE(data_.GetVocMP3("", mp3));
    EXPECT_EQ(mp3, "unchanged");
}

TEST_F(VocBaseDataTest, MissingOrDamagedFileFindsNothing) {
    EXPECT_EQ(data_.FindVoc("book"), -1);
    std::string mp3;
    EXPECT_FALSE(data_.GetVocMP3("book", mp3));
    // A file cut inside a record: the complete records before it still read.
    std::filesystem::resize_file(path_, std::filesystem::file_size(path_) - 3);
    study::VocBaseData cut(path_);
    EXPECT_GT(cut.FindVoc("book"), 0);
    EXPECT_TRUE(cut.GetVocMP3("book", mp3));
}

} // namespace
