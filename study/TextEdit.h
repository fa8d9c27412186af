#pragma once

#include <string>
#include <string_view>

namespace study {

// Replaces every occurrence of `from` (not empty) in the text, left to right;
// replaced text is not searched again.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to);

} // namespace study
