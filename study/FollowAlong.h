#pragma once

#include "platform/MediaPlayer.h"
#include "study/FollowText.h"

#include <cstdint>
#include <functional>
#include <string>

namespace study {

// The reading-along logic of the follow-along window, without widgets. It
// plays the request's recording 1 + RepeatCount times through the player,
// waits IntervalMs after each playing and then finishes with OK; the user can
// pause and resume, or cancel at any time.
//
// Driven by the owner: Start() when the window shows, Tick() from a 200 ms
// timer, KeyReleased() for keys, and PlayAction() whenever the play-action
// hook asked for it (later, from the event loop, never from inside the call
// that queued it). Player state changes arrive through the player's callback,
// which this object installs and removes again. The player must outlive it.
class FollowAlong {
public:
    enum class Mode { Idle, Start, Play, RePlay, Interval };
    enum class PauseCaption { Pause, Resume }; // "[空格键暂停]" / "[空格键继续]"

    struct Hooks {
        // Arrange for PlayAction() to run once after the current event.
        std::function<void()> QueuePlayAction;
        // The spoken / unspoken split to show now.
        std::function<void(const ProgressText&)> ShowProgress;
        // PauseCaption() or PauseEnabled() changed.
        std::function<void()> PauseLabelChanged;
        // Close the window: true only after the last pause (OK).
        std::function<void(bool ok)> Finish;
    };

    static constexpr int kTimerIntervalMs = 200;
    static constexpr int kKeyEscape = 27;
    static constexpr int kKeyEnter = 13;
    static constexpr int kKeySpace = 32;

    FollowAlong(platform::MediaPlayer& player, FollowRequest request, Hooks hooks);
    // Leaves the player without a medium.
    ~FollowAlong();
    FollowAlong(const FollowAlong&) = delete;
    FollowAlong& operator=(const FollowAlong&) = delete;

    void Start();
    void Tick();
    void PlayAction();
    void OnPlayStateChange(int playState);
    // Pauses while playing, resumes while paused, else nothing.
    void TogglePause();
    // Escape and Enter cancel, space toggles the pause.
    void KeyReleased(int key);
    void Cancel() { Close(false); }

    // Redraws for a playback position unless it is not above LastPos.
    void ShowProgress(int64_t positionMs);

    Mode CurrentMode() const { return mode_; }
    bool TimerRunning() const { return timerRunning_; }
    bool Finished() const { return finished_; }
    PauseCaption Caption() const { return caption_; }
    bool PauseEnabled() const { return pauseEnabled_; }
    int64_t DurationMs() const { return durationMs_; }
    int64_t RepeatDone() const { return repeatDone_; }
    const FollowRequest& Request() const { return request_; }
    const TextPieces& Pieces() const { return pieces_; }

private:
    void Close(bool ok);
    void SetCaption(PauseCaption caption, bool enabled);

    platform::MediaPlayer& player_;
    FollowRequest request_;
    Hooks hooks_;
    TextPieces pieces_;
    int64_t durationMs_ = 0;
    int64_t lastPosMs_ = 0;
    Mode mode_ = Mode::Idle;
    int64_t repeatDone_ = 0;
    int64_t elapsedMs_ = 0;
    bool timerRunning_ = false;
    bool finished_ = false;
    PauseCaption caption_ = PauseCaption::Pause;
    bool pauseEnabled_ = false;
};

} // namespace study
