#include "platform/FakeMediaPlayer.h"

#include <algorithm>

namespace platform {

void FakeMediaPlayer::SetUrl(const std::string& path) {
    calls_.push_back("SetUrl:" + path);
    url_ = path;
    position_ = 0.0;
    ChangeState(path.empty() ? kUndefined : kReady);
}

void FakeMediaPlayer::Close() {
    calls_.emplace_back("Close");
    url_.clear();
    position_ = 0.0;
    ChangeState(kUndefined);
}

void FakeMediaPlayer::Play() {
    calls_.emplace_back("Play");
    if (url_.empty() || state_ == kPlaying)
        return;
    if (state_ == kMediaEnded)
        position_ = 0.0;
    if (position_ == 0.0)
        ++playsFromStart_;
    ChangeState(kPlaying);
}

void FakeMediaPlayer::Pause() {
    calls_.emplace_back("Pause");
    if (state_ == kPlaying)
        ChangeState(kPaused);
}

void FakeMediaPlayer::Advance(double seconds) {
    if (state_ != kPlaying)
        return;
    position_ = std::min(duration_, position_ + seconds);
    if (position_ >= duration_)
        ChangeState(kMediaEnded);
}

void FakeMediaPlayer::SetPosition(double seconds) {
    position_ = std::clamp(seconds, 0.0, duration_);
}

void FakeMediaPlayer::ChangeState(int state) {
    if (state == state_)
        return;
    state_ = state;
    NotifyStateChange(state);
}

} // namespace platform
