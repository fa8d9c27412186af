#include "study/FollowAlong.h"

#include <cmath>
#include <filesystem>
#include <system_error>

namespace study {

FollowAlong::FollowAlong(platform::MediaPlayer& player, FollowRequest request, Hooks hooks)
    : player_(player), request_(std::move(request)), hooks_(std::move(hooks)) {
    player_.SetStateChangeCallback([this](int playState) { OnPlayStateChange(playState); });
}

FollowAlong::~FollowAlong() {
    player_.SetStateChangeCallback({});
    player_.SetUrl({});
    player_.Close();
}

void FollowAlong::Start() {
    SetCaption(PauseCaption::Pause, false);
    mode_ = Mode::Start;
    timerRunning_ = true;
}

void FollowAlong::Tick() {
    if (!timerRunning_ || finished_)
        return;
    if (mode_ == Mode::Start) {
        mode_ = Mode::Play;
        if (hooks_.QueuePlayAction)
            hooks_.QueuePlayAction();
    } else if (player_.PlayState() == platform::MediaPlayer::kPlaying) {
        ShowProgress(std::llround(player_.CurrentPositionSeconds() * 1000.0));
    } else if (mode_ == Mode::Interval) {
        elapsedMs_ += kTimerIntervalMs;
        if (elapsedMs_ >= request_.IntervalMs) {
            if (repeatDone_ < request_.RepeatCount) {
                mode_ = Mode::RePlay;
                if (hooks_.QueuePlayAction)
                    hooks_.QueuePlayAction();
                ++repeatDone_;
            } else {
                Close(true);
            }
        }
    }
}

void FollowAlong::PlayAction() {
    if (finished_)
        return;
    if (mode_ == Mode::Play) {
        mode_ = Mode::Idle;
        player_.Close();
        std::error_code error;
        if (std::filesystem::is_regular_file(request_.FileName, error)) {
            player_.SetUrl(request_.FileName);
            player_.Play();
        }
    } else if (mode_ == Mode::RePlay) {
        mode_ = Mode::Idle;
        player_.Play();
    }
}

void FollowAlong::OnPlayStateChange(int playState) {
    if (finished_)
        return;
    switch (playState) {
    case platform::MediaPlayer::kPlaying:
        if (durationMs_ == 0) {
            durationMs_ = std::llround(player_.DurationSeconds() * 1000.0);
            pieces_ = SplitText(request_.Text, durationMs_).value_or(TextPieces{});
            lastPosMs_ = 0;
        }
        SetCaption(caption_, true);
        break;
    case platform::MediaPlayer::kPaused:
        SetCaption(PauseCaption::Resume, pauseEnabled_);
        break;
    case platform::MediaPlayer::kMediaEnded:
        ShowProgress(durationMs_);
        mode_ = Mode::Interval;
        elapsedMs_ = 0;
        break;
    default:
        break;
    }
}

void FollowAlong::TogglePause() {
    if (finished_)
        return;
    const int state = player_.PlayState();
    if (state == platform::MediaPlayer::kPlaying) {
        player_.Pause();
    } else if (state == platform::MediaPlayer::kPaused) {
        player_.Play();
        SetCaption(PauseCaption::Pause, pauseEnabled_);
    }
}

void FollowAlong::KeyReleased(int key) {
    if (key == kKeyEscape || key == kKeyEnter)
        Cancel();
    else if (key == kKeySpace)
        TogglePause();
}

void FollowAlong::ShowProgress(int64_t positionMs) {
    if (positionMs <= lastPosMs_)
        return;
    if (hooks_.ShowProgress)
        hooks_.ShowProgress(SplitAtPosition(pieces_, positionMs));
}

void FollowAlong::Close(bool ok) {
    if (finished_)
        return;
    finished_ = true;
    timerRunning_ = false;
    if (hooks_.Finish)
        hooks_.Finish(ok);
}

void FollowAlong::SetCaption(PauseCaption caption, bool enabled) {
    if (caption == caption_ && enabled == pauseEnabled_)
        return;
    caption_ = caption;
    pauseEnabled_ = enabled;
    if (hooks_.PauseLabelChanged)
        hooks_.PauseLabelChanged();
}

} // namespace study
