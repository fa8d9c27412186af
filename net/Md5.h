#pragma once

#include <string>
#include <string_view>

namespace net {

// The MD5 digest (RFC 1321) of `bytes` as 32 hexadecimal digits, upper case
// (the check of a parameter block) or lower case (the check of a block query).
std::string Md5Hex(std::string_view bytes, bool upperCase);

} // namespace net
