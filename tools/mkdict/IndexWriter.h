#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// One line of the word index as the builder hands it over.
struct IndexLine {
    std::string Headword; // ASCII, no line breaks
    std::string Gloss;    // GBK, no line breaks ("<0D0A>" allowed)
    uint32_t Rank = 0;    // 0 = most frequent headword of the dictionary
};

// Writes the word index "voc.dat": members 0-5, the rank of every line
// (member 6) and the inflected forms table (member 7).
//
// Line order: the 26 letter buckets A..Z, then every headword that does not
// start with a letter (reachable by Chinese search only). Inside a letter
// bucket the one-letter headwords come first, then one contiguous group per
// second byte (letters ignoring case, and blank, hyphen, apostrophe, digits,
// ...), the groups ordered by their most frequent headword and each group
// ordered by rank. So a one- or two-letter query, capped at 1001 lines, shows
// the most useful words.
class IndexWriter {
public:
    // Orders the lines as described; `lines` is reordered in place.
    static void Order(std::vector<IndexLine>& lines);

    // Member contents for ordered lines.
    static std::string LetterBuckets(const std::vector<IndexLine>& lines);
    static std::string PairBuckets(const std::vector<IndexLine>& lines);
    // CnCharTable (32768 x 8 bytes) and CnPostings. Every double-byte GBK
    // character of a gloss is indexed except the punctuation and symbol rows
    // (lead bytes 0xA1-0xA9); each run lists lines by rank.
    static void ChinesePostings(const std::vector<IndexLine>& lines, std::string& table,
                                std::string& postings, size_t* distinctCharacters = nullptr);

    // Member 6: the Rank of every line, u32 little-endian, in line order.
    static std::string Ranks(const std::vector<IndexLine>& lines);

    // Orders the lines and writes voc.dat at `path` (an existing file is
    // replaced), with `formTable` as member 7 when not empty. False when the
    // file cannot be written.
    static bool Write(const std::string& path, std::vector<IndexLine>& lines,
                      size_t* distinctCharacters = nullptr, const std::string& formTable = {});
};

} // namespace tools
