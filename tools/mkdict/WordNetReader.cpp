#include "tools/mkdict/WordNetReader.h"

#include "tools/mkdict/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

namespace tools {
namespace {

char PosOfSynsetType(char type) {
    switch (type) {
    case '1':
        return 'n';
    case '2':
        return 'v';
    case '3':
    case '5':
        return 'a';
    case '4':
        return 'r';
    default:
        return 0;
    }
}

std::string_view LineAt(const std::string& file, uint64_t offset) {
    if (offset >= file.size()) {
        return {};
    }
    const size_t end = file.find('\n', offset);
    return std::string_view(file).substr(offset,
                                         (end == std::string::npos ? file.size() : end) - offset);
}

void LoadExceptions(const std::string& path, std::multimap<std::string, std::string>& toBase,
                    std::multimap<std::string, std::string>& fromBase) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        return;
    }
    for (const std::string& line : Split(text, '\n')) {
        const std::vector<std::string> words = Words(line);
        for (size_t i = 1; i < words.size(); ++i) {
            const std::string form = WordNetWordToText(words[0]);
            const std::string base = WordNetWordToText(words[i]);
            toBase.emplace(form, base);
            fromBase.emplace(base, form);
        }
    }
}

} // namespace

std::string WordNetWordToText(std::string_view word) {
    std::string out;
    for (char c : word) {
        if (c == '(') {
            break;
        }
        out += c == '_' ? ' ' : c;
    }
    return out;
}

bool WordNetReader::ParseDataLine(const std::string& line, SynsetLine& synset) {
    const size_t bar = line.find(" | ");
    const std::vector<std::string> fields = Words(line.substr(0, bar));
    if (fields.size() < 4 || bar == std::string::npos) {
        return false;
    }
    unsigned count = 0;
    const std::string& countText = fields[3];
    if (std::from_chars(countText.data(), countText.data() + countText.size(), count, 16).ec !=
        std::errc()) {
        return false;
    }
    synset = {};
    for (unsigned i = 0; i < count && 4 + 2 * i < fields.size(); ++i) {
        synset.Words.push_back(fields[4 + 2 * i]);
    }
    // "p_cnt (symbol offset pos source/target)*": source and target are two
    // hexadecimal digits each.
    size_t at = 4 + 2 * static_cast<size_t>(count);
    unsigned pointers = 0;
    if (at < fields.size() &&
        std::from_chars(fields[at].data(), fields[at].data() + fields[at].size(), pointers).ec ==
            std::errc()) {
        ++at;
        for (unsigned p = 0; p < pointers && at + 3 < fields.size(); ++p, at += 4) {
            Pointer pointer;
            pointer.Symbol = fields[at];
            const std::string& offset = fields[at + 1];
            const std::string& numbers = fields[at + 3];
            if (std::from_chars(offset.data(), offset.data() + offset.size(), pointer.Offset).ec !=
                    std::errc() ||
                fields[at + 2].size() != 1 || numbers.size() != 4 ||
                std::from_chars(numbers.data(), numbers.data() + 2, pointer.Source, 16).ec !=
                    std::errc() ||
                std::from_chars(numbers.data() + 2, numbers.data() + 4, pointer.Target, 16).ec !=
                    std::errc()) {
                break;
            }
            pointer.Pos = fields[at + 2][0];
            synset.Pointers.push_back(std::move(pointer));
        }
    }
    // Gloss: "definition; "example"; "example"".
    const std::string gloss = Trim(line.substr(bar + 3));
    const size_t quote = gloss.find('"');
    std::string definition = Trim(gloss.substr(0, quote));
    while (!definition.empty() && (definition.back() == ';' || definition.back() == ' ')) {
        definition.pop_back();
    }
    synset.Definition = definition;
    size_t pos = quote;
    while (pos != std::string::npos && pos < gloss.size()) {
        const size_t close = gloss.find('"', pos + 1);
        if (close == std::string::npos) {
            break;
        }
        std::string example = Trim(gloss.substr(pos + 1, close - pos - 1));
        if (!example.empty()) {
            synset.Examples.push_back(std::move(example));
        }
        pos = gloss.find('"', close + 1);
    }
    return true;
}

bool WordNetReader::Load(const std::string& folder) {
    std::string index;
    if (!ReadWholeFile(folder + "/index.sense", index)) {
        return false;
    }
    std::string data[4];
    const char* names[4] = {"data.noun", "data.verb", "data.adj", "data.adv"};
    for (int i = 0; i < 4; ++i) {
        if (!ReadWholeFile(folder + "/" + names[i], data[i])) {
            return false;
        }
    }
    auto dataFor = [&](char pos) -> const std::string& {
        return data[pos == 'n' ? 0 : pos == 'v' ? 1 : pos == 'a' ? 2 : 3];
    };

    for (const std::string& line : Split(index, '\n')) {
        // "lemma%ss_type:lex_filenum:lex_id:head:head_id offset sense_number tag_cnt"
        const std::vector<std::string> fields = Words(line);
        if (fields.size() < 4) {
            continue;
        }
        const size_t percent = fields[0].find('%');
        if (percent == std::string::npos || percent + 1 >= fields[0].size()) {
            continue;
        }
        const char pos = PosOfSynsetType(fields[0][percent + 1]);
        uint64_t offset = 0;
        int senseNumber = 0;
        uint32_t tagCount = 0;
        if (pos == 0 ||
            std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), offset).ec !=
                std::errc() ||
            std::from_chars(fields[2].data(), fields[2].data() + fields[2].size(), senseNumber)
                    .ec != std::errc() ||
            std::from_chars(fields[3].data(), fields[3].data() + fields[3].size(), tagCount).ec !=
                std::errc()) {
            continue;
        }
        SynsetLine synset;
        if (!ParseDataLine(std::string(LineAt(dataFor(pos), offset)), synset)) {
            continue;
        }
        const std::string key = WordNetWordToText(fields[0].substr(0, percent));
        WordNetLemma& lemma = lemmas_[key];
        lemma.Key = key;
        lemma.TagCount += tagCount;
        WordNetSense sense;
        sense.Pos = pos;
        sense.TagCount = tagCount;
        sense.SenseNumber = senseNumber;
        // "lemma%1:18:..." : the two digits after the type are the file.
        if (percent + 5 < fields[0].size() && fields[0][percent + 2] == ':') {
            std::from_chars(fields[0].data() + percent + 3, fields[0].data() + percent + 5,
                            sense.LexFile);
        }
        sense.Definition = synset.Definition;
        sense.Examples = synset.Examples;
        std::string display;
        unsigned number = 0; // of the lemma in the synset, from 1
        for (size_t w = 0; w < synset.Words.size(); ++w) {
            const std::string text = WordNetWordToText(synset.Words[w]);
            if (AsciiLower(text) == key) {
                if (display.empty()) {
                    display = text;
                    number = static_cast<unsigned>(w + 1);
                }
            } else if (std::find(sense.Synonyms.begin(), sense.Synonyms.end(), text) ==
                       sense.Synonyms.end()) {
                sense.Synonyms.push_back(text);
            }
        }
        sense.Examples.erase(std::remove_if(sense.Examples.begin(), sense.Examples.end(),
                                            [](const std::string& e) { return e.size() > 200; }),
                             sense.Examples.end());
        sense.Spelling = display.empty() ? key : display;
        for (const Pointer& pointer : synset.Pointers) {
            if ((pointer.Symbol != "+" && pointer.Symbol != "\\") || pointer.Source != number ||
                pointer.Target == 0) {
                continue;
            }
            const char targetPos = pointer.Pos == 's' ? 'a' : pointer.Pos;
            if (targetPos != 'n' && targetPos != 'v' && targetPos != 'a' && targetPos != 'r') {
                continue;
            }
            SynsetLine target;
            if (ParseDataLine(std::string(LineAt(dataFor(targetPos), pointer.Offset)), target) &&
                pointer.Target <= target.Words.size()) {
                sense.Related.emplace_back(
                    targetPos, AsciiLower(WordNetWordToText(target.Words[pointer.Target - 1])));
            }
        }
        lemma.Senses.push_back(std::move(sense));
    }
    for (auto& [key, lemma] : lemmas_) {
        std::stable_sort(lemma.Senses.begin(), lemma.Senses.end(),
                         [](const WordNetSense& a, const WordNetSense& b) {
                             if (a.TagCount != b.TagCount) {
                                 return a.TagCount > b.TagCount;
                             }
                             if (a.Pos != b.Pos) {
                                 return a.Pos < b.Pos;
                             }
                             return a.SenseNumber < b.SenseNumber;
                         });
        // The spelling of the most frequent sense (capitalised names stay so).
        lemma.Display = lemma.Senses.front().Spelling;
    }
    // Second frequency signal: how often a word occurs in WordNet's own
    // definitions and examples (tag counts are sparse below the commonest
    // few thousand words).
    std::unordered_map<std::string, uint64_t> occurrences;
    for (const std::string& file : data) {
        size_t start = 0;
        while (start < file.size()) {
            size_t end = file.find('\n', start);
            if (end == std::string::npos) {
                end = file.size();
            }
            const size_t bar = file.find(" | ", start);
            if (file[start] != ' ' && bar != std::string::npos && bar < end) {
                std::string token;
                for (size_t i = bar + 3; i <= end; ++i) {
                    const char c = i < end ? file[i] : ' ';
                    if (IsAsciiLetter(c) || (c == '-' && !token.empty())) {
                        token += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
                    } else if (!token.empty()) {
                        ++occurrences[token];
                        token.clear();
                    }
                }
            }
            start = end + 1;
        }
    }
    for (auto& [key, lemma] : lemmas_) {
        if (const auto it = occurrences.find(key); it != occurrences.end()) {
            lemma.GlossCount = it->second;
        }
    }
    LoadExceptions(folder + "/noun.exc", nounExc_, nounBase_);
    LoadExceptions(folder + "/verb.exc", verbExc_, verbBase_);
    LoadExceptions(folder + "/adj.exc", adjExc_, adjBase_);
    LoadExceptions(folder + "/adv.exc", advExc_, advBase_);
    return true;
}

const std::multimap<std::string, std::string>& WordNetReader::Exceptions(char pos) const {
    return pos == 'n' ? nounExc_ : pos == 'v' ? verbExc_ : pos == 'r' ? advExc_ : adjExc_;
}

std::vector<std::string> WordNetReader::ExceptionForms(char pos, const std::string& base) const {
    const auto& map = pos == 'n'   ? nounBase_
                      : pos == 'v' ? verbBase_
                      : pos == 'r' ? advBase_
                                   : adjBase_;
    std::vector<std::string> forms;
    for (auto [it, end] = map.equal_range(base); it != end; ++it) {
        forms.push_back(it->second);
    }
    return forms;
}

} // namespace tools
