#pragma once

#include "display/RichTextDocument.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace study {

// What the follow-along reader is asked to do, read from its input record.
struct FollowRequest {
    std::string Text;          // GBK; may hold CR LF line breaks
    std::string FileName;      // native path of the recording
    std::string Title;         // GBK
    int64_t IntervalMs = 2000; // pause after each playing
    int64_t RepeatCount = 0;   // extra playings after the first
};

// Reads the tagged record: "TXT", "Fn" (full path; missing or empty means
// the scratch file "out.mp3" of this process), "Title", "Interval" and "Repeat" (both
// exactly 8 hexadecimal digits; any other value keeps the default). Tags are
// matched ignoring case.
FollowRequest ParseFollowRecord(std::string_view record);

// One piece of the text and the playback position, in milliseconds, from
// which it counts as spoken.
struct TextPiece {
    std::string Text;
    int64_t PositionMs = 0;
};

struct TextPieces {
    bool WordMode = false; // pieces are words (joined by blanks), else characters
    std::vector<TextPiece> Pieces;
};

// Cuts the text for a recording of durationMs. A text holding CR LF is cut
// into words: blanks become line breaks and every line is a piece (empty ones
// too); piece k, counting from 0, counts from round(k * step). Any other text
// is cut into characters (a GBK double-byte character is one); character k,
// counting from 1, counts from round(k * step). step = duration / pieces.
// Nothing for an empty text.
std::optional<TextPieces> SplitText(std::string_view text, int64_t durationMs);

// The text split at a playback position: pieces whose position is above it
// are still to come, the others are spoken. In word mode every piece but the
// first is preceded by one blank (the blank goes with the piece it precedes).
struct ProgressText {
    std::string Spoken;
    std::string Unspoken;
};
ProgressText SplitAtPosition(const TextPieces& pieces, int64_t positionMs);

// Style numbers of the follow-along view.
inline constexpr int kStyleSpoken = 0;
inline constexpr int kStyleUnspoken = 1;

// Fills the document (cleared first) with one line: the spoken text in
// kStyleSpoken followed by the rest in kStyleUnspoken. The caller formats.
void ShowProgress(display::RichTextDocument& document, const ProgressText& progress);

} // namespace study
