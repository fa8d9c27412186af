#pragma once

#include <string>
#include <string_view>

namespace study {

// Turns a base-info transcription (IPA symbols as HTML numeric references,
// primary stress as "'") into letters of the phonetic display font.
//
// First the sixteen fixed pairs are applied, case-sensitively, in one pass
// over the text ("&#230;" -> "A", ..., "&#952;" -> "W", "'" -> "5"). Then
// every numeric reference still left ("&#NNN;" or
// "&#xHHH;") is replaced by the font letters of its character
// (display::IpaToPhoneticLetters), so the phonetic style shows it as that
// character: the result is font letters only, never IPA, since IPA symbols
// have no GBK form. A reference whose character has no font letter, or that
// is malformed, is left as it was.
std::string ConvertYB(std::string_view text);

} // namespace study
