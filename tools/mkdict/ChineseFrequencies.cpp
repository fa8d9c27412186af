#include "tools/mkdict/ChineseFrequencies.h"

#include "platform/Text.h"
#include "tools/mkdict/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tools {

void ChineseFrequencies::Parse(std::string_view text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const size_t blank = line.find(' ');
        if (blank == std::string_view::npos || blank == 0) {
            continue;
        }
        const size_t countEnd = line.find(' ', blank + 1);
        const std::string_view digits = line.substr(
            blank + 1, (countEnd == std::string_view::npos ? line.size() : countEnd) - blank - 1);
        uint32_t count = 0;
        if (std::from_chars(digits.data(), digits.data() + digits.size(), count).ec !=
            std::errc()) {
            continue;
        }
        Entry& slot = counts_[std::string(line.substr(0, blank))];
        total_ += count;
        if (count >= slot.Count) {
            slot.Count = count;
            slot.Tag = countEnd != std::string_view::npos && countEnd + 1 < line.size()
                           ? line[countEnd + 1]
                           : char(0);
        }
    }
}

bool ChineseFrequencies::Load(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return false;
    }
    Parse(text);
    return !counts_.empty();
}

void ChineseFrequencies::ParseCorpus(std::string_view text) {
    Corpus corpus;
    for (const std::string& whole : platform::SplitLines(text)) {
        std::string_view line = whole;
        if (const size_t quote = line.find('`'); quote != std::string_view::npos) {
            line.remove_prefix(quote + 1); // the first line of a template string
        }
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos || tab == 0) {
            continue;
        }
        const size_t countEnd = std::min(line.find('\t', tab + 1), line.find('`', tab + 1));
        const std::string_view digits = line.substr(
            tab + 1, (countEnd == std::string_view::npos ? line.size() : countEnd) - tab - 1);
        uint32_t count = 0;
        const auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), count);
        if (parsed.ec != std::errc() || parsed.ptr != digits.data() + digits.size() || count == 0) {
            continue;
        }
        uint32_t& slot = corpus.Counts[std::string(line.substr(0, tab))];
        corpus.Total += count;
        slot = std::max(slot, count);
    }
    if (!corpus.Counts.empty()) {
        corpora_.push_back(std::move(corpus));
    }
}

bool ChineseFrequencies::LoadCorpus(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return false;
    }
    const size_t before = corpora_.size();
    ParseCorpus(text);
    return corpora_.size() > before;
}

uint32_t ChineseFrequencies::Count(std::string_view word) const {
    const std::string key(word);
    const auto it = counts_.find(key);
    const uint32_t own = it == counts_.end() ? 0 : it->second.Count;
    if (corpora_.empty()) {
        return own;
    }
    // Each list's count in the segmenter's units (or per million without it).
    const double unit = total_ > 0 ? total_ : 1e6;
    std::vector<double> scaled;
    if (own > 0) {
        scaled.push_back(own);
    }
    for (const Corpus& corpus : corpora_) {
        if (const auto found = corpus.Counts.find(key); found != corpus.Counts.end()) {
            scaled.push_back(found->second * unit / corpus.Total);
        }
    }
    if (scaled.empty()) {
        return 0;
    }
    std::sort(scaled.begin(), scaled.end());
    const size_t middle = scaled.size() / 2;
    const double median = scaled.size() % 2 == 1 ? scaled[middle]
                                                 : std::sqrt(scaled[middle - 1] * scaled[middle]);
    return static_cast<uint32_t>(std::min(median, 4.0e9) + 0.5);
}

char ChineseFrequencies::Tag(std::string_view word) const {
    const auto it = counts_.find(std::string(word));
    return it == counts_.end() ? char(0) : it->second.Tag;
}

} // namespace tools
