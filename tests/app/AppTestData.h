#pragma once

// A small installed dictionary in a program folder, for the window tests and
// the window benchmarks: the word index, the location records, the entry data
// files and entry packages (member 0 the entry record, other members sounds).

#include "core/TaggedText.h"
#include "core/VocFileBuilder.h"
#include "storage/StrCRC.h"
#include "storage/TCDF.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testing_app {

inline std::string Field(const std::string& value, const std::string& tag) {
    return core::MakeTagField(value, tag);
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Writes a package file: member 0 = record, then the sounds by member number.
inline bool WritePackage(const std::string& path, const std::string& record,
                         const std::map<uint32_t, std::string>& sounds = {}) {
    std::remove(path.c_str());
    storage::TCDF package(path);
    storage::Stream stream = record;
    if (!package.AddStream(0u, stream))
        return false;
    for (const auto& [number, bytes] : sounds) {
        storage::Stream sound = bytes;
        if (!package.AddStream(number, sound))
            return false;
    }
    return true;
}

// Collects entries and writes "voc.dif" and "11\XX.dat" files for them.
class InstalledEntries {
public:
    explicit InstalledEntries(std::string folder) : folder_(std::move(folder)) {}

    bool Add(const std::string& word, const std::string& record,
             const std::map<uint32_t, std::string>& sounds = {}) {
        std::string scratch = folder_ + "package.tmp";
        if (!WritePackage(scratch, record, sounds))
            return false;
        std::string bytes = ReadBytes(scratch);
        std::remove(scratch.c_str());
        uint32_t hash = storage::WordHash(word);
        std::string& data = data_[hash >> 24];
        std::string& locations = locations_[hash >> 24];
        testing_voc::PutLe32(locations, hash);
        testing_voc::PutLe32(locations, static_cast<uint32_t>(data.size()));
        testing_voc::PutLe32(locations, static_cast<uint32_t>(bytes.size()));
        data += bytes;
        return true;
    }

    bool Write() const {
        std::filesystem::create_directories(folder_ + "11");
        std::remove((folder_ + "voc.dif").c_str());
        storage::TCDF dif(folder_ + "voc.dif");
        dif.SetNameSeed(0);
        for (const auto& [bucket, records] : locations_) {
            storage::Stream stream = records;
            if (!dif.AddStream(bucket, stream))
                return false;
            char name[16];
            std::snprintf(name, sizeof name, "11/%02X.dat", bucket);
            std::ofstream(folder_ + name, std::ios::binary) << data_.at(bucket);
        }
        return true;
    }

private:
    std::string folder_;
    std::map<uint32_t, std::string> data_;
    std::map<uint32_t, std::string> locations_;
};

// GBK texts.
inline const std::string kApple = "\xC6\xBB\xB9\xFB";             // 苹果
inline const std::string kApplePie = "\xC6\xBB\xB9\xFB\xC5\xC9";  // 苹果派
inline const std::string kOpen = "\xA1\xBA", kClose = "\xA1\xBB"; // 『 』

// The entry record of "apple": phonetics, a sound (member 0x1F), one marked
// example with its sound (0x2A), definitions with synonyms.
inline std::string AppleRecord() {
    std::string voc = Field("apple", "Name") + Field("5Apl", "YB") + Field("1F", "MP3") +
                      Field(kApple + "<0D0A>n. " + kApple + "\xCA\xF7", "CN") +
                      Field("apples", "CXBH");
    std::string example =
        Field("1", "XH") + Field("He ate an " + kOpen + "apple" + kClose + ".", "En") +
        Field("2A", "MP3") + Field("\xCB\xFB\xB3\xD4\xC1\xCB\xD2\xBB\xB8\xF6" + kApple, "Cn");
    std::string ywjs = Field("n.", "CX") + Field("", "En") + "\r\n" + Field("n.", "CX") +
                       Field("fruit with red or green skin", "En") +
                       Field("[1=pome][2=fruit]", "TYC") + "\r\n";
    return Field(voc, "Voc") + Field(example, "Example") + Field(ywjs, "YWJS");
}

} // namespace testing_app
