#include "core/TaggedText.h"

namespace core {
namespace {

constexpr unsigned char UpperAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

bool MatchesAt(std::string_view text, size_t pos, std::string_view needle, bool caseSensitive) {
    if (caseSensitive)
        return text.compare(pos, needle.size(), needle) == 0;
    for (size_t k = 0; k < needle.size(); ++k) {
        if (UpperAscii(static_cast<unsigned char>(text[pos + k])) !=
            UpperAscii(static_cast<unsigned char>(needle[k])))
            return false;
    }
    return true;
}

} // namespace

size_t FindWholeChar(std::string_view text, std::string_view needle, bool caseSensitive,
                     size_t from) {
    if (from > text.size() || needle.size() > text.size() - from)
        return std::string_view::npos;
    const size_t last = text.size() - needle.size();
    size_t i = from;
    while (i <= last) {
        if (MatchesAt(text, i, needle, caseSensitive))
            return i;
        // A GBK lead byte followed by another byte is one character.
        if (static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size())
            i += 2;
        else
            i += 1;
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

std::string MakeTagField(std::string_view value, std::string_view tag) {
    std::string field;
    field.reserve(value.size() + 2 * tag.size() + 5);
    field.append("<").append(tag).append(">").append(value).append("</").append(tag).append(">");
    return field;
}

} // namespace core
