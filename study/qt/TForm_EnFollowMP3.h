#pragma once

#include "display/TTextStyleTable.h"
#include "platform/MediaPlayer.h"
#include "study/FollowAlong.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <string>

class QLabel;
class QTimer;

namespace display {
class TRichTextView;
}
namespace widgets {
class WindowChrome;
}

namespace study {

// The follow-along reader: a modal strip across the bottom of the screen that
// plays a recording and shows its text, the spoken part in style 0 and the
// rest in style 1, then repeats it after a pause. The dialog is accepted only
// when it closes by itself after the last playing; Esc, Enter and
// "[回车键结束]" reject it.
class TForm_EnFollowMP3 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHeight = 120;
    static constexpr int kBottomGap = 35;

    // `record`: see ShowEnFollowMP3. The player must outlive the dialog.
    TForm_EnFollowMP3(const std::string& record, platform::MediaPlayer& player,
                      QWidget* parent = nullptr);
    ~TForm_EnFollowMP3() override;

    const FollowAlong& Follow() const { return *follow_; }
    display::TRichTextView* View() const { return RichText1; }
    QLabel* PauseLabel() const { return Label_Pause; }
    QLabel* ExitLabel() const { return Label_Exit; }
    QLabel* TitleLabel() const { return Label_Title; }
    QTimer* Timer() const { return Timer1; }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void UpdatePauseLabel();
    void ShowProgress(const ProgressText& progress);
    void Finish(bool ok);

    std::shared_ptr<display::TTextStyleTable> StyleTable1;
    widgets::WindowChrome* chrome_ = nullptr;
    display::TRichTextView* RichText1 = nullptr;
    QLabel* Label_Title = nullptr;
    QLabel* Label_Pause = nullptr;
    QLabel* Label_Exit = nullptr;
    QTimer* Timer1 = nullptr;
    std::optional<FollowAlong> follow_;
};

// Plays a recording in the follow-along reader, modally. The record is a
// tagged text: "TXT" the text (GBK, CR LF between lines), "Fn" the MP3 file's
// full path (default "out.mp3" in the program folder), "Title", "Interval"
// (pause in ms) and "Repeat" (extra playings), both as exactly 8 hexadecimal
// digits. True only when the reader closed by itself after the last playing.
// `player` null: a Qt Multimedia player made for this reading. Without a sound
// output a message box with kNoSoundOutput is shown instead.
inline constexpr const char* kNoSoundOutput = "没有可用的声音输出设备，无法朗读。";
bool ShowEnFollowMP3(const std::string& record, platform::MediaPlayer* player = nullptr,
                     QWidget* parent = nullptr);

} // namespace study
