#pragma once

#include "platform/ByteOrder.h"
#include "platform/Text.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

// Small text helpers for the source readers. All of them work on bytes and
// treat only ASCII letters as letters; source text is UTF-8.

inline std::string AsciiLower(std::string_view text) { return platform::LowerAscii(text); }
inline std::string AsciiUpper(std::string_view text) { return platform::UpperAscii(text); }
std::string Trim(std::string_view text);
std::vector<std::string> Split(std::string_view text, char separator);
// Splits at runs of blanks; no empty pieces.
std::vector<std::string> Words(std::string_view text);
std::string Join(const std::vector<std::string>& pieces, std::string_view separator);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);
using platform::IsAsciiLetter;
// Removes every "( ... )" group (not nested) and collapses the blanks left.
std::string StripParentheses(std::string_view text);
// Reads a whole file; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& bytes);
bool WriteWholeFile(const std::string& path, std::string_view bytes);
bool FileExists(const std::string& path);
// Appends the 32-bit value little-endian.
inline void AppendLittle32(std::string& out, uint32_t value) { platform::AppendLe32(out, value); }
// Characters (code points) of UTF-8 text.
size_t Utf8Length(std::string_view text);
// UTF-8 text GBK can hold completely (checked by a round trip).
bool FitsGbk(std::string_view utf8);

} // namespace tools
