#include "tools/mkdict/WordLists.h"

#include "tools/mkdict/TextUtil.h"

#include <charconv>
#include <filesystem>

namespace tools {

void WordLists::Add(std::string_view text, int size) {
    for (const std::string& raw : Split(text, '\n')) {
        const std::string word = Trim(raw);
        if (word.empty()) {
            continue;
        }
        const auto level = static_cast<uint8_t>(size);
        const auto [it, added] = sizes_.emplace(word, level);
        if (!added && level < it->second) {
            it->second = level;
        }
    }
}

bool WordLists::Load(const std::string& folder, int maxSize) {
    std::error_code error;
    bool any = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const size_t dot = name.rfind('.');
        const std::string stem = name.substr(0, dot);
        if (dot == std::string::npos ||
            (stem != "english-words" && stem != "american-words" &&
             stem != "english-contractions" && stem != "american-contractions" &&
             stem != "english-abbreviations" && stem != "american-abbreviations")) {
            continue;
        }
        int size = 0;
        const char* begin = name.data() + dot + 1;
        const char* end = name.data() + name.size();
        if (std::from_chars(begin, end, size).ptr != end || size <= 0 || size > maxSize) {
            continue;
        }
        std::string text;
        if (ReadWholeFile(entry.path().string(), text)) {
            Add(text, size);
            any = true;
        }
    }
    return any;
}

int WordLists::Size(std::string_view word) const {
    const auto it = sizes_.find(std::string(word));
    return it == sizes_.end() ? 0 : it->second;
}

} // namespace tools
