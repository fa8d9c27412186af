#include "tools/mkdict/CedictReader.h"

#include "tools/mkdict/TextUtil.h"

namespace tools {

bool CedictReader::ParseLine(std::string_view line, CedictEntry& entry) {
    if (line.empty() || line[0] == '#') {
        return false;
    }
    const size_t firstBlank = line.find(' ');
    if (firstBlank == std::string_view::npos) {
        return false;
    }
    const size_t secondBlank = line.find(' ', firstBlank + 1);
    const size_t pinyinOpen = line.find('[', firstBlank);
    const size_t pinyinClose = line.find(']', firstBlank);
    const size_t sensesOpen = line.find('/', firstBlank);
    if (secondBlank == std::string_view::npos || pinyinOpen != secondBlank + 1 ||
        pinyinClose == std::string_view::npos || sensesOpen == std::string_view::npos ||
        sensesOpen < pinyinClose) {
        return false;
    }
    entry = {};
    entry.Traditional = std::string(line.substr(0, firstBlank));
    entry.Simplified = std::string(line.substr(firstBlank + 1, secondBlank - firstBlank - 1));
    entry.Pinyin = std::string(line.substr(pinyinOpen + 1, pinyinClose - pinyinOpen - 1));
    entry.ProperNoun = !entry.Pinyin.empty() && entry.Pinyin[0] >= 'A' && entry.Pinyin[0] <= 'Z';
    for (std::string& sense : Split(line.substr(sensesOpen), '/')) {
        std::string trimmed = Trim(sense);
        if (!trimmed.empty()) {
            entry.Senses.push_back(std::move(trimmed));
        }
    }
    return !entry.Simplified.empty() && !entry.Senses.empty();
}

void CedictReader::Parse(std::string_view text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        // The module form: "module.exports = `# CC-CEDICT" ... "last line`;".
        if (const size_t tick = line.find('`'); tick != std::string_view::npos) {
            line =
                StartsWith(line, "module.exports") ? line.substr(tick + 1) : line.substr(0, tick);
        }
        CedictEntry entry;
        if (ParseLine(line, entry)) {
            entries_.push_back(std::move(entry));
        }
    }
}

bool CedictReader::Load(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return false;
    }
    Parse(text);
    return true;
}

} // namespace tools
