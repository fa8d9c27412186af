#pragma once

#include <cstddef>
#include <string_view>

namespace display {

// Character boundaries in GBK text: a byte at 0x80 or above starts a
// double-byte character (when a second byte follows); every other byte is a
// character of its own. A lead byte at the very end counts as one character.

// The length in bytes (1 or 2) of the character starting at pos < text.size().
std::size_t GbkCharLength(std::string_view text, std::size_t pos);

// The start of the character that contains byte pos (pos <= text.size();
// text.size() gives text.size()).
std::size_t GbkCharStart(std::string_view text, std::size_t pos);

// The number of characters of text.
std::size_t GbkCharCount(std::string_view text);

} // namespace display
