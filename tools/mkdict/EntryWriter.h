#pragma once

#include "tools/mkdict/Headword.h"

#include <string>
#include <vector>

namespace tools {

// Entry records, word packages, location records and entry data files.
//
// A word package is a compound data file: member 0 the entry record, member 1
// the headword's MP3 (when recorded), member 2 the MP3 of the first example
// (when recorded). The packages of bucket b (top byte of WordHash) are
// concatenated, ordered by key, into "11\XX.dat" (XX = b as two upper-case
// hex digits); member b of "voc.dif" holds one 12-byte record (hash, offset,
// length; little-endian) per package of that bucket.
class EntryWriter {
public:
    // The entry record (GBK tagged text).
    static std::string EntryRecord(const Headword& word);

    // The package bytes of one headword.
    static std::string Package(const Headword& word);

    // Writes voc.dif and 11/XX.dat into `folder` (existing files replaced),
    // and, when `serviceFolder` is not empty, the same entry data files and
    // their catalogue "packages.lst" there. False on a write error.
    static bool Write(const std::vector<Headword>& words, const std::string& folder,
                      const std::string& serviceFolder);

    // One catalogue line: JMMC name, JMBH/FID package number, FC file class,
    // FS size and FCRC standard CRC-32, numbers as eight upper-case hex digits,
    // and LFn the stored path.
    static std::string CatalogueLine(unsigned bucket, const std::string& bytes);
};

// Removes '<' and '>' (they would end a tagged field early) and line breaks.
std::string SafeFieldText(std::string_view text);
// Upper-case hexadecimal, at least `digits` digits.
std::string Hex(uint32_t value, int digits);

} // namespace tools
