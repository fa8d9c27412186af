#pragma once

#include <string>
#include <string_view>

namespace display {

// The phonetic display font is a single-byte font whose letters show IPA
// symbols. Entry records store transcriptions in its letters; the screen shows
// them through PhoneticLettersToIpa. The table is the one place that knows the
// letter for each symbol:
//
//   letter  IPA          letter  IPA          letter  IPA
//   A       æ  U+00E6    J       ʊ  U+028A    [       ɜ  U+025C
//   B       ɑ  U+0251    L       ɚ  U+025A    ]       ɝ  U+025D
//   C       ɔ  U+0254    N       ŋ  U+014B    5       ˈ  U+02C8 (primary stress)
//   E       ə  U+0259    O       ɒ  U+0252    7       ˌ  U+02CC (secondary stress)
//   F       ʃ  U+0283    Q       ʌ  U+028C    :       ː  U+02D0 (length)
//   I       ɪ  U+026A    T       ð  U+00F0    g       ɡ  U+0261
//                        V       ʒ  U+0292    r       ɹ  U+0279
//                        W       θ  U+03B8
//                        Z       ɛ  U+025B
//
// Every other byte stands for itself (the plain letters b d e f h i j k l m n o
// p s t u v w x z, blanks and hyphens of phrases).

// Font letters to IPA, UTF-8.
std::string PhoneticLettersToIpa(std::string_view letters);

// IPA (UTF-8) to font letters. The ASCII apostrophe counts as primary stress.
// Upper-case ASCII letters are lower-cased (they would read as symbols);
// syllable dots, combining marks and symbols without a letter are dropped, so
// the result is always plain ASCII.
std::string IpaToPhoneticLetters(std::string_view ipaUtf8);

// IPA (UTF-8) as the base-info records store it: primary stress as "'", every
// other non-ASCII character as a decimal reference "&#NNN;", ASCII unchanged.
// Invalid UTF-8 bytes are dropped.
std::string IpaToHtmlReferences(std::string_view ipaUtf8);

} // namespace display
