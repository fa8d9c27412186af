#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Byte-wise text primitives shared by every subsystem. Text is GBK: only the
// ASCII letters change case, every other byte (lead and trail bytes of
// double-byte characters included) is left as it is.

constexpr bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
constexpr char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);

inline bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return true;
}
inline bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

// The value of one hexadecimal digit (either case); -1 for any other byte.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A whole text of hexadecimal digits (either case, no sign, no prefix, no
// blanks) whose value fits 32 bits; nothing for anything else, the empty text
// included. Leading zeros do not count against the width.
std::optional<uint32_t> ParseHex32(std::string_view text);

// The text without the bytes up to and including the blank (every byte at or
// below 0x20) at either end.
std::string_view Trimmed(std::string_view text);

// The text with every occurrence of `from` (not empty) replaced by `to`, left
// to right; replaced text is not searched again. Linear in the text's length.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// A whole text of decimal digits (no sign, no blanks) whose value fits 32
// bits; nothing for anything else, the empty text included.
std::optional<uint32_t> ParseDecimal32(std::string_view text);

// `value` in upper-case hexadecimal with at least `minDigits` digits, zeros
// in front: HexNumber(0x8E71) is "00008E71", HexNumber(0x90, 2) is "90".
std::string HexNumber(uint32_t value, int minDigits = 8);

// Splits text into lines at CR LF, LF or a lone CR; a final line break does
// not start an empty line.
std::vector<std::string> SplitLines(std::string_view text);

// One line of a text: bytes Begin .. End - 1, the next line starting at Next.
struct LineSpan {
    size_t Begin = 0;
    size_t End = 0;
    size_t Next = 0;
};

// The line of `text` starting at `start` (< text.size()), split as
// SplitLines splits. Inline: whole members are split into lines as they are
// read.
inline LineSpan NextLine(std::string_view text, size_t start) {
    size_t stop = start;
    while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n')
        ++stop;
    if (stop == text.size())
        return {start, text.size(), text.size()};
    size_t next = stop + 1;
    if (text[stop] == '\r' && next < text.size() && text[next] == '\n')
        ++next;
    return {start, stop, next};
}

// Steps over up to `count` lines from the line start `start`, lowering
// `count` by the lines passed, and returns the start of the line it stopped
// at. Unless `textEnds`, a line is passed only when its whole break is seen
// (the text may be the first piece of a longer one). Many times faster than
// NextLine for lines that are only counted.
size_t SkipLines(std::string_view text, size_t start, uint64_t& count, bool textEnds);

// The lines joined with CR LF between them (none after the last).
std::string JoinCrLf(const std::vector<std::string>& lines);

} // namespace platform
