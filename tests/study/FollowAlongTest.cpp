#include "study/FollowAlong.h"
#include "TestFolders.h"
#include "platform/FakeMediaPlayer.h"
#include "platform/Paths.h"
#include "study/FollowText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace study {
namespace {

namespace fs = std::filesystem;

TEST(FollowRecordTest, ReadsFieldsAndKeepsDefaultsForMalformedNumbers) {
    auto request = ParseFollowRecord(
        "<txt>Hello</txt><fn>/tmp/a.mp3</fn><Title>T</Title><Interval>000003E8</Interval>"
        "<Repeat>00000002</Repeat>");
    EXPECT_EQ(request.Text, "Hello");
    EXPECT_EQ(request.FileName, "/tmp/a.mp3");
    EXPECT_EQ(request.Title, "T");
    EXPECT_EQ(request.IntervalMs, 1000);
    EXPECT_EQ(request.RepeatCount, 2);

    for (const char* bad : {"3E8", "0000003E8", "0000G3E8", ""}) {
        const std::string record =
            std::string("<Interval>") + bad + "</Interval><Repeat>" + bad + "</Repeat>";
        auto defaults = ParseFollowRecord(record);
        EXPECT_EQ(defaults.IntervalMs, 2000) << bad;
        EXPECT_EQ(defaults.RepeatCount, 0) << bad;
    }
}

TEST(FollowRecordTest, MissingFileNameMeansTheScratchOutMp3) {
    testsupport::TestFolders folders(true);
    EXPECT_EQ(ParseFollowRecord("<TXT>x</TXT>").FileName, platform::ScratchFile("out.mp3"));
}

TEST(SplitTextTest, CharacterModeCountsEachCharacterFromItsEnd) {
    auto pieces = SplitText("abcdefghij", 5000);
    ASSERT_TRUE(pieces);
    EXPECT_FALSE(pieces->WordMode);
    ASSERT_EQ(pieces->Pieces.size(), 10u);
    for (size_t k = 0; k < 10; ++k)
        EXPECT_EQ(pieces->Pieces[k].PositionMs, static_cast<int64_t>((k + 1) * 500));

    // The k-th character turns spoken exactly when the position reaches k * 500.
    EXPECT_EQ(SplitAtPosition(*pieces, 499).Spoken, "");
    EXPECT_EQ(SplitAtPosition(*pieces, 500).Spoken, "a");
    EXPECT_EQ(SplitAtPosition(*pieces, 1499).Spoken, "ab");
    EXPECT_EQ(SplitAtPosition(*pieces, 1500).Spoken, "abc");
    EXPECT_EQ(SplitAtPosition(*pieces, 1500).Unspoken, "defghij");
    EXPECT_EQ(SplitAtPosition(*pieces, 5000).Unspoken, "");
}

TEST(SplitTextTest, DoubleByteCharacterIsOnePiece) {
    // "中a" in GBK: D6 D0 then 'a'; "\xD6\x61" would be one character too.
    auto pieces = SplitText("\xD6\xD0"
                            "a\xB0\x61",
                            300);
    ASSERT_TRUE(pieces);
    ASSERT_EQ(pieces->Pieces.size(), 3u);
    EXPECT_EQ(pieces->Pieces[0].Text, "\xD6\xD0");
    EXPECT_EQ(pieces->Pieces[1].Text, "a");
    EXPECT_EQ(pieces->Pieces[2].Text, "\xB0\x61");
    EXPECT_EQ(pieces->Pieces[2].PositionMs, 300);
}

TEST(SplitTextTest, WordModeForTextWithLineBreaks) {
    auto pieces = SplitText("one two\r\nthree  four", 1000);
    ASSERT_TRUE(pieces);
    EXPECT_TRUE(pieces->WordMode);
    ASSERT_EQ(pieces->Pieces.size(), 5u); // the double blank gives an empty piece
    EXPECT_EQ(pieces->Pieces[3].Text, "");
    EXPECT_EQ(pieces->Pieces[0].PositionMs, 0);
    EXPECT_EQ(pieces->Pieces[1].PositionMs, 200);
    EXPECT_EQ(pieces->Pieces[4].PositionMs, 800);

    // Shown as words separated by blanks; the first word is spoken at once.
    const ProgressText first = SplitAtPosition(*pieces, 1);
    EXPECT_EQ(first.Spoken, "one");
    EXPECT_EQ(first.Unspoken, " two three  four");
    EXPECT_EQ(SplitAtPosition(*pieces, 1000).Spoken, "one two three  four");
}

TEST(SplitTextTest, EmptyTextIsNotSplit) {
    EXPECT_FALSE(SplitText("", 1000));
    auto onlyBreak = SplitText("\r\n", 1000);
    ASSERT_TRUE(onlyBreak);
    EXPECT_EQ(SplitAtPosition(*onlyBreak, 500).Spoken + SplitAtPosition(*onlyBreak, 500).Unspoken,
              "");
}

TEST(ShowProgressTest, SpokenThenUnspokenOnOneLine) {
    display::RichTextDocument document;
    ShowProgress(document, {"ab", "cd"});
    ASSERT_EQ(document.ItemCount(), 2);
    EXPECT_EQ(document.Items()[0].Info.StyleNo, kStyleSpoken);
    EXPECT_FALSE(document.Items()[0].Info.SameAsPrev);
    EXPECT_EQ(document.Items()[1].Text, "cd");
    EXPECT_EQ(document.Items()[1].Info.StyleNo, kStyleUnspoken);
    EXPECT_TRUE(document.Items()[1].Info.SameAsPrev);

    ShowProgress(document, {"", "abcd"});
    ASSERT_EQ(document.ItemCount(), 1);
    EXPECT_EQ(document.Items()[0].Info.StyleNo, kStyleUnspoken);

    ShowProgress(document, {"abcd", ""});
    ASSERT_EQ(document.ItemCount(), 1);
    EXPECT_EQ(document.Items()[0].Info.StyleNo, kStyleSpoken);
}

// A follow-along run over the fake player; queued play actions wait in a
// counter until the test runs them, as the event loop would.
class FollowAlongRun : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("follow-along-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        mp3_ = (dir_ / "out.mp3").string();
        std::ofstream(mp3_) << "ID3";
    }
    void TearDown() override {
        follow_.reset();
        fs::remove_all(dir_);
    }

    void Open(const std::string& record) {
        FollowAlong::Hooks hooks;
        hooks.QueuePlayAction = [this] { ++queued_; };
        hooks.ShowProgress = [this](const ProgressText& p) {
            shown_ = p;
            ++redraws_;
        };
        hooks.Finish = [this](bool ok) { result_ = ok; };
        follow_.emplace(player_, ParseFollowRecord(record), hooks);
        follow_->Start();
    }
    std::string Record(const std::string& extra) const {
        return "<TXT>abcdefghij</TXT><Fn>" + mp3_ + "</Fn>" + extra;
    }
    // One timer tick, then whatever it queued.
    void Tick() {
        follow_->Tick();
        RunQueue();
    }
    void RunQueue() {
        while (queued_ > 0) {
            --queued_;
            follow_->PlayAction();
        }
    }
    // Plays the medium to its end, ticking every 200 ms while it plays; the
    // first tick of the pause has not come yet on return.
    void PlayToEnd() {
        for (int ticks = 0; ticks < 1000; ++ticks) {
            player_.Advance(0.2);
            if (player_.PlayState() != platform::MediaPlayer::kPlaying)
                return;
            Tick();
        }
    }

    fs::path dir_;
    std::string mp3_;
    platform::FakeMediaPlayer player_;
    std::optional<FollowAlong> follow_;
    int queued_ = 0;
    int redraws_ = 0;
    ProgressText shown_;
    std::optional<bool> result_;
};

TEST_F(FollowAlongRun, RepeatsWithPauseCountedInTicksThenOk) {
    player_.SetMediaDuration(1.0);
    Open(Record("<Repeat>00000002</Repeat><Interval>000003E8</Interval>"));
    Tick(); // Start -> Play -> queued PlayAction starts playing
    EXPECT_EQ(player_.PlayState(), platform::MediaPlayer::kPlaying);
    EXPECT_EQ(follow_->DurationMs(), 1000);

    for (int playing = 1; playing <= 3; ++playing) {
        EXPECT_EQ(player_.PlaysFromStart(), playing);
        PlayToEnd();
        ASSERT_EQ(follow_->CurrentMode(), FollowAlong::Mode::Interval);
        EXPECT_EQ(shown_.Unspoken, ""); // all spoken at the end
        // 1000 ms of pause are five ticks; after four nothing has happened.
        for (int i = 0; i < 4; ++i)
            Tick();
        EXPECT_EQ(player_.PlaysFromStart(), playing);
        EXPECT_FALSE(result_);
        Tick();
    }
    EXPECT_EQ(player_.PlaysFromStart(), 3);
    ASSERT_TRUE(result_);
    EXPECT_TRUE(*result_);
    EXPECT_FALSE(follow_->TimerRunning());
}

TEST_F(FollowAlongRun, CharactersTurnSpokenAtTheirPositions) {
    player_.SetMediaDuration(5.0);
    Open(Record(""));
    Tick();
    EXPECT_EQ(redraws_, 0);
    player_.SetPosition(0.5);
    Tick();
    EXPECT_EQ(shown_.Spoken, "a");
    player_.SetPosition(2.4);
    Tick();
    EXPECT_EQ(shown_.Spoken, "abcd");
    EXPECT_EQ(shown_.Unspoken, "efghij");
}

TEST_F(FollowAlongRun, TwoLineTextShowsWordsFirstOneSpokenAtFirstRedraw) {
    player_.SetMediaDuration(2.0);
    Open("<TXT>Good morning\r\nto you</TXT><Fn>" + mp3_ + "</Fn>");
    Tick();
    player_.Advance(0.2);
    Tick();
    EXPECT_EQ(redraws_, 1);
    EXPECT_EQ(shown_.Spoken, "Good");
    EXPECT_EQ(shown_.Unspoken, " morning to you");
}

TEST_F(FollowAlongRun, SpacePausesAndResumesWithLabels) {
    Open(Record(""));
    EXPECT_FALSE(follow_->PauseEnabled());
    Tick();
    EXPECT_TRUE(follow_->PauseEnabled());
    EXPECT_EQ(follow_->Caption(), FollowAlong::PauseCaption::Pause);
    follow_->KeyReleased(FollowAlong::kKeySpace);
    EXPECT_EQ(player_.PlayState(), platform::MediaPlayer::kPaused);
    EXPECT_EQ(follow_->Caption(), FollowAlong::PauseCaption::Resume);
    follow_->KeyReleased(FollowAlong::kKeySpace);
    EXPECT_EQ(player_.PlayState(), platform::MediaPlayer::kPlaying);
    EXPECT_EQ(follow_->Caption(), FollowAlong::PauseCaption::Pause);
    EXPECT_FALSE(result_);
}

TEST_F(FollowAlongRun, EnterDuringPauseCancels) {
    Open(Record("<Repeat>00000001</Repeat>"));
    Tick();
    PlayToEnd();
    ASSERT_EQ(follow_->CurrentMode(), FollowAlong::Mode::Interval);
    follow_->KeyReleased(FollowAlong::kKeyEnter);
    ASSERT_TRUE(result_);
    EXPECT_FALSE(*result_);
    // Nothing happens after the window closed.
    for (int i = 0; i < 20; ++i)
        Tick();
    EXPECT_EQ(player_.PlaysFromStart(), 1);
}

TEST_F(FollowAlongRun, MissingFilePlaysNothingAndWaitsForTheUser) {
    Open("<TXT>abc</TXT><Fn>" + (dir_ / "none.mp3").string() + "</Fn>");
    for (int i = 0; i < 100; ++i)
        Tick();
    EXPECT_EQ(player_.PlaysFromStart(), 0);
    EXPECT_EQ(follow_->CurrentMode(), FollowAlong::Mode::Idle);
    EXPECT_FALSE(result_);
    follow_->KeyReleased(FollowAlong::kKeyEscape);
    ASSERT_TRUE(result_);
    EXPECT_FALSE(*result_);
}

TEST_F(FollowAlongRun, MalformedIntervalAndRepeatKeepDefaults) {
    Open(Record("<Repeat>2</Repeat><Interval>3E8</Interval>"));
    Tick();
    PlayToEnd();
    for (int i = 0; i < 9; ++i) // default pause 2000 ms = 10 ticks
        Tick();
    EXPECT_FALSE(result_);
    Tick();
    ASSERT_TRUE(result_);
    EXPECT_TRUE(*result_);
    EXPECT_EQ(player_.PlaysFromStart(), 1);
}

TEST_F(FollowAlongRun, DestructionLeavesPlayerWithoutMedium) {
    Open(Record(""));
    Tick();
    follow_.reset();
    EXPECT_EQ(player_.Url(), "");
    EXPECT_EQ(player_.Calls().back(), "Close");
    player_.Play(); // no callback into the destroyed object
    SUCCEED();
}

} // namespace
} // namespace study
