#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace study {

// Where the base-info window gets its words from: ids of known words, their
// tagged records ("Name", "YB", "MP3", "CN", "CXBH") and their recordings.
class VocSource {
public:
    virtual ~VocSource() = default;
    // The id of a word (not negative), or -1 when it is empty or unknown.
    virtual int64_t FindVoc(std::string_view word) = 0;
    // False leaves the record untouched.
    virtual bool ReadVocRecord(int64_t id, std::string& record) = 0;
    // The MP3 bytes of a headword's pronunciation; false when it has none.
    virtual bool GetVocMP3(std::string_view headword, std::string& mp3) = 0;
};

} // namespace study
