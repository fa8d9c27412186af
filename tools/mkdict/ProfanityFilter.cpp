#include "tools/mkdict/ProfanityFilter.h"

#include "tools/mkdict/TextUtil.h"

#include <algorithm>
#include <unordered_map>

namespace tools {
namespace {

// Lower-case words of an English text: letters, digits and the joiners of
// "g-spot", "s&m"; everything else separates.
std::vector<std::string> Tokens(std::string_view text) {
    std::vector<std::string> tokens;
    std::string token;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ' ';
        const bool joiner = (c == '-' || c == '&') && !token.empty();
        if (IsAsciiLetter(c) || (c >= '0' && c <= '9') || joiner) {
            token += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        } else if (!token.empty()) {
            tokens.push_back(token);
            token.clear();
        }
    }
    return tokens;
}

size_t CodePointLength(unsigned char lead) {
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

} // namespace

std::vector<std::string> JsonStrings(std::string_view json) {
    std::vector<std::string> out;
    for (size_t pos = json.find('"'); pos != std::string_view::npos;
         pos = json.find('"', pos + 1)) {
        std::string value;
        size_t i = pos + 1;
        for (; i < json.size() && json[i] != '"'; ++i) {
            if (json[i] == '\\' && i + 1 < json.size()) {
                ++i;
            }
            value += json[i];
        }
        if (i >= json.size()) {
            break;
        }
        out.push_back(std::move(value));
        pos = i;
    }
    return out;
}

bool ProfanityFilter::ParseEnglish(std::string_view json) {
    const size_t before = english_.size() + phrases_.size();
    for (const std::string& item : JsonStrings(json)) {
        std::vector<std::string> words = Tokens(item);
        if (words.size() == 1) {
            english_.insert(words[0]);
        } else if (words.size() > 1) {
            phrases_.push_back(std::move(words));
        }
    }
    return english_.size() + phrases_.size() > before;
}

bool ProfanityFilter::ParseChinese(std::string_view json,
                                   const std::vector<CedictEntry>& entries) {
    std::unordered_map<std::string, std::string> simplified; // one character each
    for (const CedictEntry& entry : entries) {
        if (entry.Traditional != entry.Simplified && !entry.Traditional.empty() &&
            CodePointLength(entry.Traditional[0]) == entry.Traditional.size()) {
            simplified.emplace(entry.Traditional, entry.Simplified);
        }
    }
    std::vector<std::string> items = JsonStrings(json);
    if (!items.empty() && items.front() == "words") {
        items.erase(items.begin());
    }
    for (const std::string& item : items) {
        std::string word;
        for (size_t i = 0; i < item.size();) {
            const size_t length =
                std::min(CodePointLength(static_cast<unsigned char>(item[i])), item.size() - i);
            const std::string character = item.substr(i, length);
            const auto it = simplified.find(character);
            word += it == simplified.end() ? character : it->second;
            i += length;
        }
        if (!word.empty()) {
            chinese_.push_back(std::move(word));
        }
    }
    return !items.empty();
}

bool ProfanityFilter::EnglishHas(std::string_view text) const {
    const std::vector<std::string> tokens = Tokens(text);
    for (size_t i = 0; i < tokens.size(); ++i) {
        // Also written as one word ("hand job": "handjob").
        if (english_.contains(tokens[i]) ||
            (i + 1 < tokens.size() && tokens[i].size() >= 3 && tokens[i + 1].size() >= 3 &&
             english_.contains(tokens[i] + tokens[i + 1]))) {
            return true;
        }
        for (const std::vector<std::string>& phrase : phrases_) {
            if (i + phrase.size() <= tokens.size() &&
                std::equal(phrase.begin(), phrase.end(), tokens.begin() + i)) {
                return true;
            }
        }
    }
    return false;
}

bool ProfanityFilter::ChineseHas(std::string_view utf8) const {
    return std::any_of(chinese_.begin(), chinese_.end(), [&](const std::string& word) {
        return utf8.find(word) != std::string_view::npos;
    });
}

} // namespace tools
