#pragma once

#include "tools/mkdict/Headword.h"

#include <string>
#include <vector>

namespace tools {

// The base-info data file "vbi.dat", a compound data file read by
// study::VocBaseData. Members are named by text (seed 0, stored unchanged):
//   lower-cased headword          -> word record (GBK tagged text: Name, YB as
//                                    HTML numeric references, MP3 "1" when
//                                    recorded, CN lines joined by CR LF, CXBH)
//   lower-cased headword + ".mp3" -> the MP3 bytes
//   lower-cased inflected form    -> the record of its headword, when no
//                                    headword has that spelling ("went" -> go)
class BaseInfoWriter {
public:
    static std::string WordRecord(const Headword& word);
    // `words` in rank order: a form shared by two headwords goes to the more
    // frequent one. False on a write error.
    static bool Write(const std::vector<Headword>& words, const std::string& path);
};

} // namespace tools
