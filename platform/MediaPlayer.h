#pragma once

#include <functional>
#include <string>

namespace platform {

// The small media player the study windows use: one medium at a time, played
// from a local file. Play states are numbered as the windows expect them:
// kPaused 2, kPlaying 3 and kMediaEnded 8 carry behaviour; the others only
// say that nothing is playing.
//
// All calls and the state callback happen on the thread that owns the player
// (the GUI thread for the Qt implementation).
class MediaPlayer {
public:
    static constexpr int kUndefined = 0;
    static constexpr int kStopped = 1;
    static constexpr int kPaused = 2;
    static constexpr int kPlaying = 3;
    static constexpr int kMediaEnded = 8;
    static constexpr int kTransitioning = 9; // opening a medium
    static constexpr int kReady = 10;

    // Called with the new play state after every change of it.
    using StateCallback = std::function<void(int playState)>;

    virtual ~MediaPlayer() = default;

    // Selects the medium: a native path of a local file. An empty path leaves
    // the player without a medium. Does not start playback.
    virtual void SetUrl(const std::string& path) = 0;
    // Stops and releases the current medium.
    virtual void Close() = 0;
    // Starts or resumes playback; a medium that has ended starts again from
    // its beginning. Without a medium nothing happens.
    virtual void Play() = 0;
    virtual void Pause() = 0;

    virtual double CurrentPositionSeconds() const = 0;
    // Duration of the current medium; 0 while it is unknown.
    virtual double DurationSeconds() const = 0;
    virtual int PlayState() const = 0;
    // False when the machine has no sound output device, so playing would be
    // silent. Asked afresh at every call (a headset may come and go).
    virtual bool HasAudioOutput() const { return true; }

    // Replaces the state callback; an empty function removes it. The callback
    // must not destroy the player.
    void SetStateChangeCallback(StateCallback callback) { callback_ = std::move(callback); }

protected:
    void NotifyStateChange(int playState) {
        if (callback_)
            callback_(playState);
    }

private:
    StateCallback callback_;
};

} // namespace platform
