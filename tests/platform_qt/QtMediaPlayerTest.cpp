#include "platform/qt/QtMediaPlayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <vector>

namespace platform {
namespace {

// Writes half a second of 8 kHz 16-bit mono silence as a WAV file.
void WriteSilence(const std::string& path) {
    const uint32_t bytes = 8000;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out << "RIFF";
    u32(36 + bytes);
    out << "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(16000);
    u16(2);
    u16(16);
    out << "data";
    u32(bytes);
    out << std::string(bytes, '\0');
}

class QtMediaPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        wav_ = dir_.filePath(QStringLiteral("s.wav")).toStdString();
        WriteSilence(wav_);
        player_.SetStateChangeCallback([this](int state) { states_.push_back(state); });
    }
    // Runs the event loop until the state is reported or 10 s have passed.
    bool WaitFor(int state) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            if (std::find(states_.begin(), states_.end(), state) != states_.end())
                return true;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return false;
    }

    QTemporaryDir dir_;
    std::string wav_;
    QtMediaPlayer player_;
    std::vector<int> states_;
};

TEST_F(QtMediaPlayerTest, PlaysToTheEndAndAgain) {
    player_.SetUrl(wav_);
    player_.Play();
    ASSERT_TRUE(WaitFor(MediaPlayer::kPlaying));
    ASSERT_TRUE(WaitFor(MediaPlayer::kMediaEnded));
    EXPECT_NEAR(player_.DurationSeconds(), 0.5, 0.05);
    EXPECT_EQ(player_.PlayState(), MediaPlayer::kMediaEnded);

    // A medium that ended plays again from its beginning.
    states_.clear();
    player_.Play();
    ASSERT_TRUE(WaitFor(MediaPlayer::kPlaying));
    ASSERT_TRUE(WaitFor(MediaPlayer::kMediaEnded));

    player_.Close();
    EXPECT_EQ(player_.PlayState(), MediaPlayer::kUndefined);
}

TEST_F(QtMediaPlayerTest, PauseIsReported) {
    player_.SetUrl(wav_);
    player_.Play();
    ASSERT_TRUE(WaitFor(MediaPlayer::kPlaying));
    player_.Pause();
    ASSERT_TRUE(WaitFor(MediaPlayer::kPaused));
    EXPECT_EQ(player_.PlayState(), MediaPlayer::kPaused);
}

TEST_F(QtMediaPlayerTest, NothingPlaysWithoutAMedium) {
    player_.Play();
    player_.SetUrl(dir_.filePath(QStringLiteral("missing.mp3")).toStdString());
    player_.Play();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(std::count(states_.begin(), states_.end(), MediaPlayer::kPlaying), 0);
    EXPECT_EQ(std::count(states_.begin(), states_.end(), MediaPlayer::kMediaEnded), 0);
}

} // namespace
} // namespace platform

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
