#pragma once

#include "core/TaggedText.h"
#include "study/VocSource.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace study {

// A base-info source for tests: words by lower-cased name; it records every
// lookup it is asked for.
class TestVocSource : public VocSource {
public:
    void AddWord(const std::string& name, const std::string& fields, std::string mp3 = {}) {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const int64_t id = static_cast<int64_t>(records_.size()) + 1;
        ids_[lower] = id;
        records_[id] = core::MakeTagField(name, "Name") + fields;
        sounds_[name] = std::move(mp3);
    }
    int64_t FindVoc(std::string_view word) override {
        lookups.emplace_back(word);
        std::string lower(word);
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        auto it = ids_.find(lower);
        return it == ids_.end() ? -1 : it->second;
    }
    bool ReadVocRecord(int64_t id, std::string& record) override {
        auto it = records_.find(id);
        if (it == records_.end())
            return false;
        record = it->second;
        return true;
    }
    bool GetVocMP3(std::string_view headword, std::string& mp3) override {
        auto it = sounds_.find(std::string(headword));
        if (it == sounds_.end() || it->second.empty())
            return false;
        mp3 = it->second;
        return true;
    }

    std::vector<std::string> lookups;

private:
    std::map<std::string, int64_t> ids_;
    std::map<int64_t, std::string> records_;
    std::map<std::string, std::string> sounds_;
};

} // namespace study
