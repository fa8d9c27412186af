#pragma once

#include "storage/TCDF.h"
#include "study/VocSource.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace study {

// The base-info data file "vbi.dat" in the program folder, written by
// quendic-mkdict: a compound data file whose member named by a lower-cased
// headword (or inflected form) holds the word record and whose member named
// headword + ".mp3" holds the recording. Ids are 2^32 + the member id, so a
// found word is always positive. Opened per lookup; no state besides the
// container object's index.
class VocBaseData : public VocSource {
public:
    // `fileName` relative to the program folder, or absolute.
    explicit VocBaseData(std::string fileName = "vbi.dat");

    // Case-insensitive. When a word ending in "s"/"S" is unknown, the word
    // without it is tried ("books" -> "book"), then "-es" -> "" ("boxes"),
    // then "-ies" -> "y" ("studies"). -1 for an empty or unknown word.
    int64_t FindVoc(std::string_view word) override;
    // The word record for an id from FindVoc; false leaves `record` untouched.
    bool ReadVocRecord(int64_t id, std::string& record) override;
    // The recording of a headword; false when it has none.
    bool GetVocMP3(std::string_view headword, std::string& mp3) override;

private:
    int64_t FindExact(std::string_view word);
    storage::TCDF file_;
};

} // namespace study
