#pragma once

#include "display/Picture.h"
#include "display/RenderEntry.h"
#include "display/TImageList.h"
#include "display/TTextStyleTable.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTimer;

namespace storage {
class TCDF;
}

namespace widgets {
class LbSpeedButton;
class WindowChrome;
} // namespace widgets

namespace display {

class TFrame_Voc;

// What the vocabulary window calls outside itself. The study windows live
// above this layer, so the program hands them in; an empty function does
// nothing.
struct VocWindowServices {
    // Opens the follow-along reader modally on a TXT / FN record.
    std::function<void(const std::string& record)> FollowAlong;
    // Shows the base-info window for a word (GBK).
    std::function<void(const std::string& word)> ShowBaseInfo;
    // Hides the base-info window (when the vocabulary window goes away).
    std::function<void()> HideBaseInfo;
    // Fetches a word's entry package into the window's package file, as the
    // main window opens entries (locally, else online); true when found.
    // Without it, synonyms and Back/Forward do nothing.
    std::function<bool(const std::string& word)> OpenWord;
};

// The vocabulary window: shows one entry package (a compound data file whose
// member 0 is the entry record). Modal, borderless, centred over its parent;
// three quarters of the screen at first, then the size and zoom it had when
// the last one closed ("nv.dat"). The package file stays open (VocFile) while
// the window lives.
//
// A click on a synonym opens that word's entry in the same window (through
// VocWindowServices::OpenWord, which writes the package file anew); Back and
// Forward (Alt+Left, Alt+Right and the two title-strip buttons) walk the
// entries opened in the window, each shown where it was scrolled to.
class TForm_Voc : public QDialog {
    Q_OBJECT
public:
    TForm_Voc(std::string packagePath, VocWindowServices services, QWidget* parent = nullptr);
    ~TForm_Voc() override;

    TFrame_Voc* Frame_Voc1 = nullptr;
    QTimer* Timer1 = nullptr; // 200 ms, one shot, started at show: renders

    // Renders member 0 of the package into RichText_Voc. A missing or empty
    // member leaves the view empty.
    void RenderEntry();
    // +1 / -1 points on every style within 6..72; the scroll position stays.
    void ZoomStyles(int delta);
    // Steps ZoomStyles has taken in all, from the remembered zoom on.
    int Zoom() const { return zoom_; }
    // Extracts member memberNo to "out.mp3" and opens the follow-along reader
    // on it with `text`. False when the member cannot be read.
    bool PlayEntryMP3(uint32_t memberNo, const std::string& text);

    // RichText_Voc's events.
    void RichText_VocJump(int jumpNo);
    void RichText_VocWordDblClick(const std::string& word);

    // Opens `word` in this window; the entry shown now goes on the Back list.
    // False (nothing changes) when it has no entry.
    bool OpenWord(const std::string& word);
    // The previous / next entry of the window; false when there is none.
    bool GoBack();
    bool GoForward();
    // The headword shown; the words Back and Forward lead to, nearest first.
    const std::string& CurrentWord() const { return current_.Word; }
    std::vector<std::string> BackWords() const;
    std::vector<std::string> ForwardWords() const;

    widgets::LbSpeedButton* LbSpeedButton_Back = nullptr;    // "◀", hint "后退 (Alt+←)"
    widgets::LbSpeedButton* LbSpeedButton_Forward = nullptr; // "▶", hint "前进 (Alt+→)"

    const ActionList& Actions() const { return actionList_; }
    const TTextStyleTable& Styles() const { return *styles_; }
    widgets::WindowChrome* Chrome() const { return chrome_; }

    // The member number of an MP3 value: 1 to 8 hexadecimal digits.
    static std::optional<uint32_t> ParseMemberNumber(const std::string& hex);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // An entry opened in the window and where it was scrolled to.
    struct Visit {
        std::string Word;
        int ScrollPos = 0;
    };
    // Fetches `word` into the package file and shows it at `scrollPos`.
    bool Show(const std::string& word, int scrollPos);
    // Back (from back_ to forward_) or Forward (the other way).
    bool Step(std::vector<Visit>& from, std::vector<Visit>& to);
    void UpdateNavigation();

    std::string packagePath_;
    VocWindowServices services_;
    std::unique_ptr<storage::TCDF> vocFile_;
    ActionList actionList_;
    std::shared_ptr<TTextStyleTable> styles_; // shared with the view
    ImageListPtr images_;
    PicturePtr background_;
    widgets::WindowChrome* chrome_ = nullptr;
    bool shown_ = false;
    int zoom_ = 0;
    Visit current_;
    std::vector<Visit> back_;    // nearest last
    std::vector<Visit> forward_; // nearest last
};

// Creates the vocabulary window on a package, shows it modally and frees it.
// Always true.
bool ShowVocWindow(const std::string& packagePath, const VocWindowServices& services = {},
                   QWidget* parent = nullptr);

} // namespace display
