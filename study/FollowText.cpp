#include "study/FollowText.h"

#include "core/TaggedText.h"
#include "platform/Gbk.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <cmath>

namespace study {
namespace {

// Exactly eight hexadecimal digits, else nothing.
std::optional<int64_t> ParseHex8(std::string_view text) {
    if (text.size() != 8)
        return std::nullopt;
    return platform::ParseHex32(text);
}

int64_t RoundedPosition(double step, size_t k) {
    return std::llround(step * static_cast<double>(k));
}

} // namespace

FollowRequest ParseFollowRecord(std::string_view record) {
    FollowRequest request;
    request.Text = core::GetTagValue(record, "TXT");
    request.FileName = core::GetTagValue(record, "Fn");
    if (request.FileName.empty())
        request.FileName = platform::ScratchFile("out.mp3");
    request.Title = core::GetTagValue(record, "Title");
    if (auto interval = ParseHex8(core::GetTagValue(record, "Interval")))
        request.IntervalMs = *interval;
    if (auto repeat = ParseHex8(core::GetTagValue(record, "Repeat")))
        request.RepeatCount = *repeat;
    return request;
}

std::optional<TextPieces> SplitText(std::string_view text, int64_t durationMs) {
    if (text.empty())
        return std::nullopt;
    TextPieces result;
    if (text.find("\r\n") != std::string_view::npos) {
        result.WordMode = true;
        std::string lines;
        lines.reserve(text.size() * 2);
        for (char c : text) {
            if (c == ' ')
                lines += "\r\n";
            else
                lines += c;
        }
        for (auto& line : platform::SplitLines(lines))
            result.Pieces.push_back({std::move(line), 0});
        if (result.Pieces.empty())
            return result;
        const double step =
            static_cast<double>(durationMs) / static_cast<double>(result.Pieces.size());
        for (size_t k = 0; k < result.Pieces.size(); ++k)
            result.Pieces[k].PositionMs = RoundedPosition(step, k);
    } else {
        for (size_t i = 0; i < text.size();) {
            const size_t length = platform::GbkCharLength(text, i);
            result.Pieces.push_back({std::string(text.substr(i, length)), 0});
            i += length;
        }
        const double step =
            static_cast<double>(durationMs) / static_cast<double>(result.Pieces.size());
        for (size_t k = 0; k < result.Pieces.size(); ++k)
            result.Pieces[k].PositionMs = RoundedPosition(step, k + 1);
    }
    return result;
}

ProgressText SplitAtPosition(const TextPieces& pieces, int64_t positionMs) {
    ProgressText progress;
    for (size_t k = 0; k < pieces.Pieces.size(); ++k) {
        const TextPiece& piece = pieces.Pieces[k];
        std::string& part = piece.PositionMs > positionMs ? progress.Unspoken : progress.Spoken;
        if (pieces.WordMode && k > 0)
            part += ' ';
        part += piece.Text;
    }
    return progress;
}

void ShowProgress(display::RichTextDocument& document, const ProgressText& progress) {
    document.Clear();
    if (!progress.Spoken.empty()) {
        document.AddFromNewLine(progress.Spoken, kStyleSpoken);
        if (!progress.Unspoken.empty())
            document.Add(progress.Unspoken, kStyleUnspoken);
    } else {
        document.AddFromNewLine(progress.Unspoken, kStyleUnspoken);
    }
}

} // namespace study
