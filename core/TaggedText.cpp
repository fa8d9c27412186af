#include "core/TaggedText.h"

#include "platform/Gbk.h"
#include "platform/Text.h"

namespace core {
namespace {

bool MatchesAt(std::string_view text, size_t pos, std::string_view needle, bool caseSensitive) {
    const std::string_view here = text.substr(pos, needle.size());
    return caseSensitive ? here == needle : platform::EqualIgnoringAsciiCase(here, needle);
}

} // namespace

size_t FindWholeChar(std::string_view text, std::string_view needle, bool caseSensitive,
                     size_t from) {
    if (from > text.size() || needle.size() > text.size() - from)
        return std::string_view::npos;
    // Fast paths: let find() locate candidates (the whole needle, or its
    // first byte when that is not a letter and so folds to itself), then walk
    // the character boundaries up to each one to see whether it starts a
    // character.
    if (!needle.empty() && (caseSensitive || !platform::IsAsciiLetter(needle[0]))) {
        size_t boundary = from;
        for (size_t start = from;;) {
            const size_t at =
                caseSensitive ? text.find(needle, start) : text.find(needle[0], start);
            if (at == std::string_view::npos || at > text.size() - needle.size())
                return std::string_view::npos;
            while (boundary < at)
                boundary += platform::GbkCharLength(text, boundary);
            if (boundary == at && (caseSensitive || MatchesAt(text, at, needle, false)))
                return at;
            start = at + 1;
        }
    }
    const size_t last = text.size() - needle.size();
    size_t i = from;
    while (i <= last) {
        if (MatchesAt(text, i, needle, caseSensitive))
            return i;
        i += platform::GbkCharLength(text, i);
    }
    return std::string_view::npos;
}

std::string TextBetween(std::string_view text, std::string_view start, std::string_view end,
                        bool caseSensitive) {
    std::string_view rest = text;
    if (!start.empty()) {
        size_t at = FindWholeChar(rest, start, caseSensitive);
        if (at == std::string_view::npos)
            return {};
        rest.remove_prefix(at + start.size());
    }
    if (end.empty())
        return std::string(rest);
    size_t at = FindWholeChar(rest, end, caseSensitive);
    if (at == std::string_view::npos)
        return {};
    return std::string(rest.substr(0, at));
}

std::string GetTagValue(std::string_view text, std::string_view tag, bool caseSensitive,
                        bool keepTags) {
    std::string open;
    open.reserve(tag.size() + 2);
    open.append("<").append(tag).append(">");
    std::string close;
    close.reserve(tag.size() + 3);
    close.append("</").append(tag).append(">");
    std::string value = TextBetween(text, open, close, caseSensitive);
    if (!keepTags)
        return value;
    return open + value + close;
}

std::string MakeTextField(std::string_view value, std::string_view tag) {
    return MakeTagField(FieldSafe(value), tag);
}

std::string MakeTagField(std::string_view value, std::string_view tag) {
    std::string field;
    field.reserve(value.size() + 2 * tag.size() + 5);
    field.append("<").append(tag).append(">").append(value).append("</").append(tag).append(">");
    return field;
}

std::string FieldSafe(std::string_view value) {
    std::string safe;
    safe.reserve(value.size());
    for (size_t i = 0; i < value.size();) {
        const size_t length = platform::GbkCharLength(value, i);
        const char c = value[i];
        if (length == 2 && platform::IsGbkTrailByte(static_cast<unsigned char>(value[i + 1]))) {
            safe.append(value.substr(i, 2));
            i += 2;
            continue;
        }
        if (c == '<')
            safe += "\xA3\xBC"; // ＜
        else if (c == '>')
            safe += "\xA3\xBE"; // ＞
        else if (c == '\r' || c == '\n')
            safe += ' ';
        else if (!platform::IsGbkLeadByte(static_cast<unsigned char>(c)))
            safe += c;
        ++i;
    }
    return safe;
}

} // namespace core
