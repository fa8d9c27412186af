#include "download/ProgressText.h"

#include "download/Texts.h"

#include <cmath>

namespace download {

std::string DurationText(int64_t seconds) {
    if (seconds <= 60)
        return std::to_string(seconds) + text::kSeconds;
    return std::to_string(seconds / 60) + text::kMinutes + std::to_string(seconds % 60) +
           text::kSeconds;
}

ItemProgress MakeItemProgress(uint64_t received, uint64_t size, int64_t elapsedMs) {
    ItemProgress progress;
    const int64_t seconds = elapsedMs / 1000;
    progress.Elapsed = DurationText(seconds);
    const double percent =
        size == 0 ? 100.0 : static_cast<double>(received) / static_cast<double>(size) * 100.0;
    progress.Percent = std::to_string(std::llround(percent));
    if (seconds > 0) {
        const uint64_t perSecond = received / static_cast<uint64_t>(seconds);
        progress.Speed = std::to_string(received / 1024 / static_cast<uint64_t>(seconds)) + "K/S";
        if (perSecond > 0) {
            const uint64_t left = size > received ? size - received : 0;
            progress.Remaining = DurationText(static_cast<int64_t>(left / perSecond));
        }
    }
    return progress;
}

std::string DownloadTimeLabel(int64_t seconds) {
    std::string label = "[ ";
    if (seconds >= 60)
        label += std::to_string(seconds / 60) + text::kMinutes;
    return label + std::to_string(seconds % 60) + text::kSeconds + " ]";
}

} // namespace download
