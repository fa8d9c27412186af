#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// The words opened in the main window, newest first, at most kLimit of them,
// kept in a list file of the user folder: GBK, one word a line, CR LF. Every
// change goes through core::UpdateListFile, so it is one locked, atomic write
// and two running programs keep each other's words. A file that someone
// damaged still gives what is usable in it: lines that are no word (empty,
// longer than kLongest bytes, holding control characters) are skipped, and
// a word listed again further down is dropped. A plain class; the window
// owns it and uses it on its thread.
class WordHistory {
public:
    static constexpr size_t kLimit = 1000;
    static constexpr size_t kLongest = 255;
    static constexpr const char* kFileName = "history.lst";

    // `path`: the file, absolute or relative to the user folder.
    explicit WordHistory(std::string path = kFileName) : path_(std::move(path)) {}

    // Reads the file (a missing file is an empty history).
    void Load();
    // Puts `word` first, dropping an earlier place of it (ASCII case
    // ignored), and writes the file. False when the file cannot be written;
    // the history in memory has the word first anyway. A word that is no
    // word by the rules above is not kept.
    bool Add(std::string_view word);
    // Empties the history and the file. False when the file cannot be written.
    bool Clear();

    const std::vector<std::string>& Words() const { return words_; }
    // The file's full path.
    std::string Path() const;

private:
    std::string path_; // as given
    std::vector<std::string> words_;
};

} // namespace core
