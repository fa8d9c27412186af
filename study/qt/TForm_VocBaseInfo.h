#pragma once

#include "display/TTextStyleTable.h"
#include "platform/MediaPlayer.h"
#include "study/VocBaseInfo.h"
#include "study/VocSource.h"

#include <QWidget>

#include <memory>
#include <string>

class QLabel;

namespace display {
class TRichTextView;
}
namespace widgets {
class LbSpeedButton;
class WindowChrome;
} // namespace widgets

namespace study {

// The word base-info window: a small borderless pop-up that stays on top and
// shows, for the English words of a text, headword, transcription, a
// loudspeaker for the pronunciation, meanings and inflected forms. The main
// window creates the single instance at start-up and deletes it at exit;
// closing (Esc, the close button) only hides it. Its options live in
// "nv.dat" of the program folder.
class TForm_VocBaseInfo : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 497;
    static constexpr int kClientHeight = 209;
    static constexpr int kTitleHeight = 28;

    // The words come from `source`; pronunciations play through `player`
    // (null: a Qt Multimedia player).
    TForm_VocBaseInfo(std::unique_ptr<VocSource> source,
                      std::unique_ptr<platform::MediaPlayer> player = nullptr,
                      QWidget* parent = nullptr);
    // Leaves the player without a medium and deletes "voc.mp3".
    ~TForm_VocBaseInfo() override;

    // Shows the words of a GBK text; false (window as it was) when the text
    // holds no known word. Places the window next to the mouse pointer when
    // the "窗口跟随" option is on.
    bool ShowVocBaseInfo(const std::string& text);

    const VocBaseInfo& Info() const { return info_; }
    display::TRichTextView* View() const { return RichText_Voc; }
    widgets::LbSpeedButton* ShowYBButton() const { return LbSpeedButton_ShowVocYB; }
    widgets::LbSpeedButton* ShowCXBHButton() const { return LbSpeedButton_ShowVocCXBH; }
    widgets::LbSpeedButton* FormFollowButton() const { return LbSpeedButton_FormFollow; }
    widgets::LbSpeedButton* CloseButton() const { return LbSpeedButton_Close; }
    QWidget* RightEndImage() const { return Image3; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormResize();
    void ShowVocList();
    void UpdateGlyphs();
    void ToggleOption(bool VocBaseOptions::*option, const char* key, bool rerender);
    void RichText_VocJump(int jumpNo);

    std::unique_ptr<VocSource> source_;
    std::unique_ptr<platform::MediaPlayer> player_;
    VocBaseInfo info_;
    std::shared_ptr<display::TTextStyleTable> StyleTable_Voc;
    display::ImageListPtr ImageList_Voc;

    widgets::WindowChrome* chrome_ = nullptr;
    display::TRichTextView* RichText_Voc = nullptr;
    widgets::LbSpeedButton* LbSpeedButton_ShowVocYB = nullptr;
    widgets::LbSpeedButton* LbSpeedButton_ShowVocCXBH = nullptr;
    widgets::LbSpeedButton* LbSpeedButton_FormFollow = nullptr;
    widgets::LbSpeedButton* LbSpeedButton_Close = nullptr;
    QWidget* Image3 = nullptr;
};

} // namespace study
