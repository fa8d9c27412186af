#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The one codec between stored GBK text and Unicode (UTF-8). Used at the
// widget and terminal boundaries only.

// GBK bytes to UTF-8. An invalid or truncated byte sequence becomes U+FFFD.
std::string GbkToUtf8(std::string_view gbk);

// UTF-8 to GBK. A character that GBK cannot hold (and invalid UTF-8) is
// dropped, never sent on as garbage.
std::string Utf8ToGbk(std::string_view utf8);

// Character boundaries in GBK text: a byte 0x81-0xFE followed by another byte
// starts a double-byte character; every other byte (ASCII, 0x80, 0xFF, and a
// lead byte at the very end) is a character of its own. Trail bytes may look
// like lead bytes or ASCII, so boundaries are only known by walking from the
// start of the text.
constexpr bool IsGbkLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}
// A byte that can end a double-byte character in valid GBK text. None of the
// ASCII punctuation and control bytes below 0x40 (CR, LF, "<", ">") is one.
constexpr bool IsGbkTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// The length in bytes (1 or 2) of the character starting at pos < text.size().
// Inline: searches and layout step through every character with it.
inline std::size_t GbkCharLength(std::string_view text, std::size_t pos) {
    return pos + 1 < text.size() && IsGbkLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
}

// The start of the character that contains byte pos (pos <= text.size();
// text.size() gives text.size()).
std::size_t GbkCharStart(std::string_view text, std::size_t pos);

// The number of characters of text.
std::size_t GbkCharCount(std::string_view text);

// The longest prefix of text of at most maxBytes bytes that ends on a
// character boundary.
std::string_view GbkPrefix(std::string_view text, std::size_t maxBytes);

} // namespace platform
