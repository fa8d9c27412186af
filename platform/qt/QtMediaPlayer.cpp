#include "platform/qt/QtMediaPlayer.h"

#include <QAudioOutput>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

namespace platform {

QtMediaPlayer::QtMediaPlayer(QObject* parent)
    : QObject(parent), player_(new QMediaPlayer(this)), output_(new QAudioOutput(this)) {
    player_->setAudioOutput(output_);
    connect(player_, &QMediaPlayer::playbackStateChanged, this, [this] { Update(); });
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, [this] { Update(); });
    connect(player_, &QMediaPlayer::errorOccurred, this, [this] { Update(); });
    connect(player_, &QMediaPlayer::durationChanged, this, &QtMediaPlayer::OnDurationChanged);
}

QtMediaPlayer::~QtMediaPlayer() {
    // No callbacks into an owner that is being torn down with us.
    SetStateChangeCallback({});
    player_->disconnect(this);
    player_->stop();
}

void QtMediaPlayer::SetUrl(const std::string& path) {
    player_->stop();
    player_->setSource(path.empty() ? QUrl()
                                    : QUrl::fromLocalFile(QString::fromLocal8Bit(path.c_str())));
    Update();
}

void QtMediaPlayer::Close() {
    player_->stop();
    player_->setSource(QUrl());
    Update();
}

void QtMediaPlayer::Play() {
    if (player_->source().isEmpty())
        return;
    if (player_->mediaStatus() == QMediaPlayer::EndOfMedia)
        player_->setPosition(0);
    player_->play();
}

void QtMediaPlayer::Pause() {
    if (player_->playbackState() == QMediaPlayer::PlayingState)
        player_->pause();
}

double QtMediaPlayer::CurrentPositionSeconds() const {
    return static_cast<double>(player_->position()) / 1000.0;
}

double QtMediaPlayer::DurationSeconds() const {
    return static_cast<double>(player_->duration()) / 1000.0;
}

int QtMediaPlayer::PlayState() const {
    const QMediaPlayer::MediaStatus status = player_->mediaStatus();
    switch (player_->playbackState()) {
    case QMediaPlayer::PlayingState:
        // Qt says "playing" as soon as it is asked to; it plays only once the
        // medium has loaded (a missing or broken file never gets there).
        if (status == QMediaPlayer::LoadingMedia)
            return kTransitioning;
        if (status == QMediaPlayer::InvalidMedia || status == QMediaPlayer::NoMedia)
            return kStopped;
        return kPlaying;
    case QMediaPlayer::PausedState:
        return kPaused;
    case QMediaPlayer::StoppedState:
        break;
    }
    switch (status) {
    case QMediaPlayer::NoMedia:
        return kUndefined;
    case QMediaPlayer::EndOfMedia:
        return kMediaEnded;
    case QMediaPlayer::LoadedMedia:
        return kReady;
    default:
        return kStopped;
    }
}

void QtMediaPlayer::Update() {
    const int state = PlayState();
    if (state == reported_)
        return;
    reported_ = state;
    NotifyStateChange(state);
}

void QtMediaPlayer::OnDurationChanged(qint64 durationMs) {
    // Qt may start playing before it knows the duration. Owners read the
    // duration when playing is reported, so report it again once it is known.
    if (durationMs > 0 && reported_ == kPlaying)
        NotifyStateChange(kPlaying);
}

bool QtMediaPlayer::HasAudioOutput() const {
    return !QMediaDevices::audioOutputs().isEmpty();
}

} // namespace platform
