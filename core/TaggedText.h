#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace core {

// Tagged-text records: fields "<" + tag + ">" value "</" + tag + ">" written
// one after another, possibly with other text around them. Text is GBK; the
// searches step over whole characters, so a match never starts on the second
// byte of a double-byte character. None of these functions fails: a marker
// that cannot be found yields the empty string.

// The text between the first `start` marker and the first `end` marker after
// it. An empty `start` means the beginning of the text, an empty `end` the end
// of it; an `end` that is not found gives the empty string (an unterminated
// field reads as nothing). With `caseSensitive` false the markers are matched
// with ASCII letters folded; the returned value keeps its own letter case.
std::string TextBetween(std::string_view text, std::string_view start, std::string_view end,
                        bool caseSensitive = false);

// The value of the first field tagged `tag` (empty when missing). With
// `keepTags` the value comes back wrapped in its markers, also when missing.
std::string GetTagValue(std::string_view text, std::string_view tag, bool caseSensitive = false,
                        bool keepTags = false);

// "<" + tag + ">" + value + "</" + tag + ">". For values that are records
// themselves, or that the program made.
std::string MakeTagField(std::string_view value, std::string_view tag);

// `value` made safe to stand as the value of one field of a one-line record:
// "<" and ">" become the full-width "＜" and "＞", CR and LF blanks, so no
// value can end its field or its record early. Double-byte characters are
// kept as they are; a lead byte without a valid trail byte after it (a cut
// character) is dropped: it would pair with the "<" of the closing tag, or
// hide a line break.
std::string FieldSafe(std::string_view value);

// A field whose value is text from a file or the network (a headword, a
// gloss, an example): MakeTagField(FieldSafe(value), tag), so the value can
// never end its field early or add fields of its own ("<Fn>", "<Repeat>") to
// the record.
std::string MakeTextField(std::string_view value, std::string_view tag);

// Position of the first occurrence of `needle` in `text` that starts on a
// character boundary, at or after `from` (which must itself be a boundary);
// std::string_view::npos when there is none. An empty needle matches at `from`.
size_t FindWholeChar(std::string_view text, std::string_view needle, bool caseSensitive,
                     size_t from = 0);

} // namespace core
