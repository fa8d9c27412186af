#pragma once

#include "platform/MediaPlayer.h"

#include <string>
#include <vector>

namespace platform {

// A scripted player for tests. It never touches a file: a medium "plays" for
// the duration given by SetMediaDuration and only advances when the test calls
// Advance. State changes are reported synchronously from the call that causes
// them, and every call is recorded in Calls() ("SetUrl:<path>", "Close",
// "Play", "Pause").
class FakeMediaPlayer : public MediaPlayer {
public:
    void SetUrl(const std::string& path) override;
    void Close() override;
    void Play() override;
    void Pause() override;
    double CurrentPositionSeconds() const override { return position_; }
    double DurationSeconds() const override { return url_.empty() ? 0.0 : duration_; }
    int PlayState() const override { return state_; }
    bool HasAudioOutput() const override { return audioOutput_; }
    // Whether the machine seems to have a sound output (default true).
    void SetAudioOutput(bool present) { audioOutput_ = present; }

    // Duration, in seconds, of every medium opened from now on (default 1 s).
    void SetMediaDuration(double seconds) { duration_ = seconds; }
    // Moves the position of a playing medium on by the given seconds; at the
    // end of the medium the state becomes kMediaEnded. Nothing while not
    // playing.
    void Advance(double seconds);
    // Places the position directly, whatever the state (clamped to the medium).
    void SetPosition(double seconds);

    const std::string& Url() const { return url_; }
    const std::vector<std::string>& Calls() const { return calls_; }
    // How many times playback started from the beginning of a medium.
    int PlaysFromStart() const { return playsFromStart_; }

private:
    void ChangeState(int state);

    std::string url_;
    double duration_ = 1.0;
    double position_ = 0.0;
    int state_ = kUndefined;
    int playsFromStart_ = 0;
    bool audioOutput_ = true;
    std::vector<std::string> calls_;
};

} // namespace platform
