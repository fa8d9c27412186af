#pragma once

#include "platform/MediaPlayer.h"

#include <QObject>

class QAudioOutput;
class QMediaPlayer;

namespace platform {

// The media player over Qt Multimedia: a QMediaPlayer with its own
// QAudioOutput on the default output device. Lives on the GUI thread; the
// state callback runs from Qt's signals there.
//
// Qt's states map onto the play-state numbers as: playing 3 (once the medium
// has loaded; 9 while it is still opening, 1 when it cannot be played),
// paused 2, stopped at the end of the medium 8, stopped with a loaded medium
// 10 (ready), any other stop 1, no medium 0.
class QtMediaPlayer : public QObject, public MediaPlayer {
    Q_OBJECT
public:
    explicit QtMediaPlayer(QObject* parent = nullptr);
    ~QtMediaPlayer() override;

    void SetUrl(const std::string& path) override;
    void Close() override;
    void Play() override;
    void Pause() override;
    double CurrentPositionSeconds() const override;
    double DurationSeconds() const override;
    int PlayState() const override;
    bool HasAudioOutput() const override;

private:
    void Update();
    void OnDurationChanged(qint64 durationMs);

    QMediaPlayer* player_;
    QAudioOutput* output_;
    int reported_ = kUndefined;
};

} // namespace platform
