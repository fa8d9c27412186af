#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tools {

// One CC-CEDICT line: "TRAD SIMP [pin1 yin1] /sense/sense/". Text is UTF-8.
struct CedictEntry {
    std::string Traditional;
    std::string Simplified;
    std::string Pinyin;
    std::vector<std::string> Senses;
    // The pinyin starts with a capital: a name of a person, place or brand.
    bool ProperNoun = false;
};

// Reads CC-CEDICT text, either the plain dictionary file or the JavaScript
// module that wraps it in a template string. Comment lines and malformed lines
// are skipped.
class CedictReader {
public:
    void Parse(std::string_view text);
    bool Load(const std::string& path);

    const std::vector<CedictEntry>& Entries() const { return entries_; }

    // Parses one line; false for comments and lines without the parts.
    static bool ParseLine(std::string_view line, CedictEntry& entry);

private:
    std::vector<CedictEntry> entries_;
};

} // namespace tools
