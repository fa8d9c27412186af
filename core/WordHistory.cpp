#include "core/WordHistory.h"

#include "core/Utilities.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <algorithm>

namespace core {
namespace {

bool Usable(std::string_view word) {
    return !word.empty() && word.size() <= WordHistory::kLongest &&
           std::none_of(word.begin(), word.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// The usable words of `lines`, each once (the first place counts), at most
// kLimit.
std::vector<std::string> Cleaned(const std::vector<std::string>& lines) {
    std::vector<std::string> words;
    for (const std::string& line : lines) {
        if (words.size() == WordHistory::kLimit)
            break;
        if (!Usable(line))
            continue;
        const bool seen = std::any_of(words.begin(), words.end(), [&](const std::string& word) {
            return platform::EqualIgnoringAsciiCase(word, line);
        });
        if (!seen)
            words.push_back(line);
    }
    return words;
}

} // namespace

std::string WordHistory::Path() const {
    return platform::InUserFolder(path_);
}

void WordHistory::Load() {
    words_ = Cleaned(LoadListFile(Path(), false));
}

bool WordHistory::Add(std::string_view word) {
    if (!Usable(word))
        return false;
    auto putFirst = [word](std::vector<std::string>& lines) {
        lines.insert(lines.begin(), std::string(word));
        lines = Cleaned(lines);
    };
    putFirst(words_);
    // The file may hold words another running program added: those are kept.
    std::vector<std::string> written;
    const bool saved = UpdateListFile(platform::UserFileForWriting(path_), false,
                                      [&](std::vector<std::string>& lines) {
                                          putFirst(lines);
                                          written = lines;
                                          return true;
                                      });
    if (saved)
        words_ = std::move(written);
    return saved;
}

bool WordHistory::Clear() {
    words_.clear();
    return UpdateListFile(platform::UserFileForWriting(path_), false,
                          [](std::vector<std::string>& lines) {
                              lines.clear();
                              return true;
                          });
}

} // namespace core
