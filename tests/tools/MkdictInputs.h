#pragma once

// Tiny source files for the dictionary builder, written into a temporary
// folder: a few CC-CEDICT lines, a WordNet folder with correct byte offsets,
// CMU lexicon lines, an irregular verb list, hand-checked glosses, English
// word lists, spoken-English word counts, Chinese word frequencies and
// profanity lists.

#include "platform/Gbk.h"
#include "tools/mkdict/DictionaryBuilder.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace mkdict_test {

// Test texts are written in UTF-8; everything stored is GBK.
inline std::string Gbk(std::string_view utf8) {
    return platform::Utf8ToGbk(utf8);
}

// The unsigned 32-bit little-endian number at `pos` of `bytes`.
inline uint32_t Little32(const std::string& bytes, size_t pos) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[pos + i]);
    return value;
}

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Writes the inputs below `folder` and returns options pointing at them
// (output into folder/out, service folder folder/service, no recordings, no
// espeak-ng).
tools::BuildOptions WriteInputs(const std::string& folder);

// The WordNet folder alone (data files and index.sense), for reader tests.
void WriteWordNet(const std::string& folder);

} // namespace mkdict_test
