#pragma once

#include "display/Picture.h"
#include "display/RichTextDocument.h"
#include "display/TImageList.h"
#include "display/TTextStyleTable.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace display {

// One tagged-text action record per jump of a rendered entry, indexed by the
// jump number: a speaker holds MP3 (hex member number), Action "PlayMP3" and
// TXT (the text to read along); a synonym holds Action "ShowTYC" and TXT.
using ActionList = std::vector<std::string>;

// Images of the vocabulary window's image list.
inline constexpr int kSectionBulletImage = 0;
inline constexpr int kSpeakerImage = 1;

// The 14 text styles of the vocabulary window, numbered as RenderEntry uses
// them (0 headword, 1 phonetics, 2 meanings, 3 inflections, 4 unused jump
// style, 5 synonym link, 6/7/8 example text, translation and marked word,
// 9 part of speech, 10 definition, 11 synonym label, 12 section title,
// 13 item number). Sizes are points.
TTextStyleTable VocStyleTable();

// Adds delta points to every text style, unless that would take any style
// above 72 or below 6; then nothing changes and the result is false.
bool ZoomStyles(TTextStyleTable& table, int delta);

// A vertical gap of `height` pixels as a 1-pixel-wide picture on its own line:
// the leftmost column of `background` (tiled down when the bitmap is shorter)
// or, without a background, a column filled with rgb.
void AddSpacer(RichTextDocument& document, int height, std::uint32_t rgb,
               const PicturePtr& background = nullptr);

// Renders the entry record (member 0 of a word package, tagged text, GBK)
// into the document: basic information, example sentences and English
// definitions, with the section bullet and speaker images of `images`.
// `actions` is emptied first and then holds one record per jump, in jump
// order. An empty record leaves the document untouched and returns false.
// The caller formats the document.
bool RenderEntry(std::string_view entryRecord, RichTextDocument& document, ActionList& actions,
                 const ImageListPtr& images, const PicturePtr& background = nullptr);

// The "Name" of the entry's "Voc" record: the headword for a title.
std::string EntryHeadword(std::string_view entryRecord);

// The entry as terminal text, UTF-8, one string per line, laid out as
// RenderEntry lays it out and wrapped at widthChars columns; the phonetic
// transcription is shown in IPA. Empty when the record is empty.
std::vector<std::string> RenderEntryText(std::string_view entryRecord, int widthChars);

} // namespace display
