#pragma once

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

} // namespace platform
