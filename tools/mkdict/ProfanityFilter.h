#pragma once

#include "tools/mkdict/CedictReader.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tools {

// Screens example texts against profanity lists: an English list (a JSON
// array of lower-case words and phrases) matched as whole words, ignoring
// case, and a Chinese list (a JSON object {"words": [...]}, traditional or
// simplified characters) matched as substrings in simplified characters.
class ProfanityFilter {
public:
    // False for text that holds no list.
    bool ParseEnglish(std::string_view json);
    // `entries` turn traditional characters into simplified ones.
    bool ParseChinese(std::string_view json, const std::vector<CedictEntry>& entries);
    void AddChinese(std::string word) { chinese_.push_back(std::move(word)); }
    // Takes a listed word off again: a broad list names words whose main
    // sense is harmless in an example ("God", "hell", "pawn").
    void Allow(const std::string& word) { english_.erase(word); }

    bool EnglishHas(std::string_view text) const;
    bool ChineseHas(std::string_view utf8) const;

private:
    std::unordered_set<std::string> english_; // single words
    std::vector<std::vector<std::string>> phrases_;
    std::vector<std::string> chinese_;
};

// The JSON strings of a text, in order (escapes resolved). Used for flat
// word lists.
std::vector<std::string> JsonStrings(std::string_view json);

} // namespace tools
