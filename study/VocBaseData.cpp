#include "study/VocBaseData.h"

#include "platform/Text.h"

#include <utility>

namespace study {
namespace {

constexpr int64_t kIdBase = int64_t{1} << 32;
// Largest word record and recording read (the full dictionary's are below
// 1 KiB and 100 KiB).
constexpr uint64_t kRecordLimit = 64u << 10;
constexpr uint64_t kRecordingLimit = 4u << 20;

bool EndsWith(const std::string& text, std::string_view suffix) {
    return text.size() > suffix.size() &&
           std::string_view(text).substr(text.size() - suffix.size()) == suffix;
}

} // namespace

VocBaseData::VocBaseData(std::string fileName) : file_(std::move(fileName)) {}

int64_t VocBaseData::FindExact(std::string_view word) {
    if (word.empty()) {
        return -1;
    }
    const uint32_t id = file_.NameToId(word);
    return file_.FindMember(id) ? kIdBase + id : -1;
}

int64_t VocBaseData::FindVoc(std::string_view word) {
    const std::string lower = platform::LowerAscii(word);
    if (const int64_t id = FindExact(lower); id >= 0 || !EndsWith(lower, "s")) {
        return id;
    }
    if (const int64_t id = FindExact(std::string_view(lower).substr(0, lower.size() - 1));
        id >= 0) {
        return id;
    }
    if (EndsWith(lower, "es")) {
        if (const int64_t id = FindExact(std::string_view(lower).substr(0, lower.size() - 2));
            id >= 0) {
            return id;
        }
    }
    if (EndsWith(lower, "ies")) {
        return FindExact(lower.substr(0, lower.size() - 3) + "y");
    }
    return -1;
}

bool VocBaseData::ReadVocRecord(int64_t id, std::string& record) {
    if (id < kIdBase || id >= 2 * kIdBase) {
        return false;
    }
    storage::Stream stream;
    file_.SetReadLimit(kRecordLimit);
    if (!file_.ReadStreamById(static_cast<uint32_t>(id - kIdBase), stream) || stream.empty()) {
        return false;
    }
    record = std::move(stream);
    return true;
}

bool VocBaseData::GetVocMP3(std::string_view headword, std::string& mp3) {
    if (headword.empty()) {
        return false;
    }
    storage::Stream stream;
    file_.SetReadLimit(kRecordingLimit);
    if (!file_.ReadStream(platform::LowerAscii(headword) + ".mp3", stream) || stream.empty()) {
        return false;
    }
    mp3 = std::move(stream);
    return true;
}

} // namespace study
