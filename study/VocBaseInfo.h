#pragma once

#include "display/RichTextDocument.h"
#include "platform/MediaPlayer.h"
#include "study/VocSource.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace study {

// The options of the base-info window and their keys in "nv.dat".
struct VocBaseOptions {
    bool ShowYB = true;     // "VBISYB": show the phonetic transcription
    bool ShowCXBH = false;  // "VBISCXBH": show the inflected forms
    bool FormFollow = true; // "VBIFF": open next to the mouse pointer
};

inline constexpr const char* kKeyShowYB = "VBISYB";
inline constexpr const char* kKeyShowCXBH = "VBISCXBH";
inline constexpr const char* kKeyFormFollow = "VBIFF";

// Reads the three options from a name/value file (empty path: "nv.dat" in the
// program folder). A key that is missing or not a hexadecimal number keeps
// its default; any non-zero number means on.
VocBaseOptions LoadVocBaseOptions(const std::string& path = {});
// Stores one option as "00000001" or "00000000". False when it could not be
// written.
bool StoreVocBaseOption(const char* key, bool on, const std::string& path = {});

struct WindowPlace {
    int Left = 0;
    int Top = 0;
};

// Where the window opens for the mouse pointer at (x, y): at the pointer's x,
// or 30 pixels inside the right screen edge when it would not fit; 15 pixels
// below the pointer, or 15 pixels above it when fewer than 50 pixels would be
// left below the window.
WindowPlace PlaceNearPointer(int x, int y, int width, int height, int screenWidth,
                             int screenHeight);

// Style numbers of the base-info view.
inline constexpr int kStyleName = 0;
inline constexpr int kStyleMeaning = 1;
inline constexpr int kStylePhonetic = 2; // the phonetic display font
inline constexpr int kStyleForms = 3;

// The plain part of the base-info window: the words found in a text and their
// rendering. The window owns one and keeps it across showings.
class VocBaseInfo {
public:
    VocBaseOptions Options;

    // Fills VocList with the records of the words in the text: the whole
    // trimmed text when it is a known word, else every run of ASCII letters
    // longer than one character, each word once, in order of first
    // occurrence. GBK double-byte characters end a run. False, with VocList
    // untouched, when the text holds no known word.
    bool FindVocs(std::string_view text, VocSource& source);

    // Renders VocList into the document (cleared first) and refills MP3List;
    // voiceImages image 0 is the loudspeaker hot spot. The caller formats.
    void ShowVocList(display::RichTextDocument& document, const display::ImageListPtr& voiceImages);

    // Plays hot spot k: fetches its headword's recording, and when it holds
    // more than 1024 bytes closes the player's medium, writes the bytes to
    // soundFile (replacing it) and plays that file. False when nothing plays.
    bool PlayHotSpot(int k, VocSource& source, platform::MediaPlayer& player,
                     const std::string& soundFile);

    const std::vector<std::string>& VocList() const { return vocList_; }
    const std::vector<std::string>& MP3List() const { return mp3List_; }

    static constexpr std::size_t kMinPlayableBytes = 1025;

private:
    std::vector<std::string> vocList_;
    std::vector<std::string> mp3List_;
};

} // namespace study
