#include "display/RenderEntry.h"

#include "core/TaggedText.h"
#include "display/PhoneticFont.h"
#include "display/PlainText.h"
#include "platform/Gbk.h"
#include "platform/Text.h"
#include "storage/TCDF.h"

#include <algorithm>

namespace display {

namespace {

// GBK bytes of the fixed texts.
constexpr char kBasicInfo[] = "\xBB\xF9\xB1\xBE\xD0\xC5\xCF\xA2";   // 基本信息
constexpr char kExamples[] = "\xB4\xCA\xBB\xE3\xC0\xFD\xBE\xE4";    // 词汇例句
constexpr char kDefinitions[] = "\xD3\xA2\xCE\xC4\xBD\xE2\xCA\xCD"; // 英文解释
constexpr char kSynonymLabel[] = "    \xCD\xAC\xD2\xE5\xB4\xCA: ";  // "    同义词: "
constexpr char kMarkOpen[] = "\xA1\xBA";                            // 『
constexpr char kMarkClose[] = "\xA1\xBB";                           // 』
constexpr char kLineBreakEscape[] = "<0D0A>";
constexpr std::uint32_t kSpacerRgb = 0xFFFFFF;

enum Style : int {
    Headword = 0,
    Phonetic = 1,
    Meaning = 2,
    Inflection = 3,
    Synonym = 5,
    ExampleText = 6,
    ExampleTranslation = 7,
    ExampleMarked = 8,
    PartOfSpeech = 9,
    Definition = 10,
    SynonymLabel = 11,
    SectionTitle = 12,
    ItemNumber = 13,
};

// Replaces every whole-character occurrence of `from` by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to,
                       bool caseSensitive) {
    std::string out;
    size_t at = 0;
    for (;;) {
        size_t found = core::FindWholeChar(text, from, caseSensitive, at);
        if (found == std::string_view::npos)
            break;
        out.append(text.substr(at, found - at)).append(to);
        at = found + from.size();
    }
    out.append(text.substr(at));
    return out;
}

// Splits at line breaks keeping empty pieces in place (a piece's position
// decides its style); only a final empty piece is dropped.
std::vector<std::string> SplitSegments(std::string_view text) {
    std::vector<std::string> segments;
    size_t at = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n')
            continue;
        segments.emplace_back(text.substr(at, i - at));
        at = i + 1;
    }
    if (at < text.size())
        segments.emplace_back(text.substr(at));
    return segments;
}

// The words of a synonym field "[1=word][2=word]...", in number order up to
// the first number that has no marker or an empty word: the word of number i
// lies between the first "[i=" and the next "]" (each on a character
// boundary), as TextBetween would find it. One pass over the field however
// many numbers it holds.
std::vector<std::string_view> SynonymWords(std::string_view field) {
    std::vector<size_t> closes;                     // "]" positions, ascending
    std::vector<std::pair<uint32_t, size_t>> marks; // number, start of its word
    for (size_t at = 0; at < field.size(); at += platform::GbkCharLength(field, at)) {
        if (field[at] == ']') {
            closes.push_back(at);
            continue;
        }
        if (field[at] != '[' || at + 1 >= field.size() || field[at + 1] < '1' ||
            field[at + 1] > '9')
            continue;
        uint32_t number = 0;
        size_t digit = at + 1;
        for (;
             digit < field.size() && digit - at <= 9 && field[digit] >= '0' && field[digit] <= '9';
             ++digit)
            number = number * 10 + static_cast<uint32_t>(field[digit] - '0');
        if (digit < field.size() && field[digit] == '=')
            marks.emplace_back(number, digit + 1);
    }
    // Numbers beyond the count of markers can never be reached.
    std::vector<size_t> firstStart(marks.size() + 1, std::string_view::npos);
    for (const auto& [number, start] : marks)
        if (number <= marks.size() && firstStart[number] == std::string_view::npos)
            firstStart[number] = start;
    std::vector<std::string_view> words;
    for (size_t number = 1; number < firstStart.size(); ++number) {
        const size_t start = firstStart[number];
        if (start == std::string_view::npos)
            break;
        const auto close = std::lower_bound(closes.begin(), closes.end(), start);
        if (close == closes.end() || *close == start)
            break;
        words.push_back(field.substr(start, *close - start));
    }
    return words;
}

class EntryRenderer {
public:
    EntryRenderer(RichTextDocument& document, ActionList& actions, const ImageListPtr& images,
                  const PicturePtr& background)
        : doc_(document), actions_(actions), images_(images), background_(background) {}

    void Render(std::string_view record) {
        std::string voc = core::GetTagValue(record, "Voc");
        std::string name = core::GetTagValue(voc, "Name");
        std::string phonetic = core::GetTagValue(voc, "YB");
        std::string sound = core::GetTagValue(voc, "MP3");
        std::string meanings =
            ReplaceAll(core::GetTagValue(voc, "CN"), kLineBreakEscape, "\n", false);

        doc_.Clear();
        Spacer(10);
        Section(kBasicInfo);
        doc_.AddFromNewLine(name, Headword);
        if (!phonetic.empty())
            doc_.Add("    / " + phonetic + " /    ", Phonetic);
        if (!sound.empty())
            Speaker(sound, name);
        Spacer(6);
        for (const std::string& line : platform::SplitLines(meanings)) {
            doc_.AddFromNewLine(line, Meaning);
            Spacer(2);
        }
        Spacer(6);
        doc_.AddFromNewLine(core::GetTagValue(voc, "CXBH"), Inflection);

        RenderExamples(platform::SplitLines(core::GetTagValue(record, "Example")));
        RenderDefinitions(platform::SplitLines(core::GetTagValue(record, "YWJS")));
    }

private:
    void Spacer(int height) { AddSpacer(doc_, height, kSpacerRgb, background_); }

    void Section(const char* title) {
        doc_.AddImageBullet(kSectionBulletImage, images_, true);
        doc_.Add(title, SectionTitle);
        Spacer(6);
    }

    void Speaker(const std::string& member, const std::string& text) {
        actions_.push_back(core::MakeTextField(member, "MP3") +
                           core::MakeTagField("PlayMP3", "Action") +
                           core::MakeTextField(text, "TXT"));
        doc_.AddImageJump(kSpeakerImage, images_, false);
    }

    void RenderExamples(const std::vector<std::string>& lines) {
        if (lines.empty())
            return;
        Spacer(20);
        Section(kExamples);
        for (const std::string& line : lines) {
            doc_.AddFromNewLine(core::GetTagValue(line, "XH") + ". ", ItemNumber);
            std::string marked = core::GetTagValue(line, "En");
            marked = ReplaceAll(ReplaceAll(marked, kMarkOpen, "\n", true), kMarkClose, "\n", true);
            std::string sentence;
            std::vector<std::string> segments = SplitSegments(marked);
            for (size_t k = 0; k < segments.size(); ++k) {
                sentence += segments[k];
                if (!segments[k].empty())
                    doc_.Add(segments[k], k % 2 == 0 ? ExampleText : ExampleMarked);
            }
            std::string sound = core::GetTagValue(line, "MP3");
            if (!sound.empty()) {
                doc_.Add(" ", ExampleText); // keeps the icon off the last word
                Speaker(sound, sentence);
            }
            const std::string translation = core::GetTagValue(line, "Cn");
            if (!platform::Trimmed(translation).empty()) {
                Spacer(2);
                doc_.AddFromNewLine("  " + translation, ExampleTranslation);
            }
            Spacer(4);
        }
    }

    void RenderDefinitions(const std::vector<std::string>& lines) {
        if (lines.empty())
            return;
        Spacer(20);
        Section(kDefinitions);
        std::string lastPartOfSpeech;
        int counter = 0;
        for (const std::string& line : lines) {
            std::string partOfSpeech = core::GetTagValue(line, "CX");
            if (partOfSpeech != lastPartOfSpeech) {
                // A change of part of speech opens a heading; that line is
                // the heading and shows nothing else.
                lastPartOfSpeech = partOfSpeech;
                Spacer(6);
                doc_.AddFromNewLine(partOfSpeech, PartOfSpeech);
                Spacer(6);
                counter = 0;
                continue;
            }
            ++counter;
            doc_.AddFromNewLine(std::to_string(counter) + ". ", ItemNumber);
            doc_.Add(core::GetTagValue(line, "En"), Definition);
            RenderSynonyms(core::GetTagValue(line, "TYC"));
            Spacer(4);
        }
    }

    // Synonyms are numbered from 1 as "[i=word]"; the first missing number
    // ends the list.
    void RenderSynonyms(const std::string& synonyms) {
        bool first = true;
        for (const std::string_view word : SynonymWords(synonyms)) {
            if (first) {
                first = false;
                Spacer(2);
                doc_.AddFromNewLine(kSynonymLabel, SynonymLabel);
            } else {
                doc_.Add(", ", Definition);
            }
            doc_.Add(word, Synonym);
            actions_.push_back(core::MakeTagField("ShowTYC", "Action") +
                               core::MakeTextField(word, "TXT"));
        }
    }

    RichTextDocument& doc_;
    ActionList& actions_;
    const ImageListPtr& images_;
    const PicturePtr& background_;
};

} // namespace

TTextStyleTable VocStyleTable() {
    using K = TColor::Kind;
    const TColor blue = TColor::FromRgb(0x0000FF), navy = TColor::FromRgb(0x000080),
                 black = TColor::FromRgb(0x000000), green = TColor::FromRgb(0x008000),
                 grey = TColor::FromRgb(0x808080), teal = TColor::FromRgb(0x008080),
                 windowText = TColor::System(K::WindowText);
    TTextStyleTable table;
    table.TextStyles = {
        MakeTextStyle("Arial", 12, blue, fsBold),                             // 0
        MakeTextStyle(kPhoneticFontName, 12, navy, fsBold, TCharSet::Symbol), // 1
        MakeTextStyle(kSongTi, 11, black, 0, TCharSet::GB2312),               // 2
        MakeTextStyle(kSongTi, 10, green, 0, TCharSet::GB2312),               // 3
        MakeTextStyle("Arial", 11, green, fsBold),                            // 4
        MakeTextStyle("Arial", 11, green, fsUnderline),                       // 5
        MakeTextStyle(kSongTi, 11, windowText, 0, TCharSet::GB2312),          // 6
        MakeTextStyle(kSongTi, 11, windowText, 0, TCharSet::GB2312),          // 7
        MakeTextStyle("Arial", 11, blue, 0, TCharSet::Ansi),                  // 8
        MakeTextStyle(kSongTi, 11, black, fsBold, TCharSet::GB2312),          // 9
        MakeTextStyle("Arial", 11, black, 0),                                 // 10
        MakeTextStyle("Arial", 11, grey, 0),                                  // 11
        MakeTextStyle(kSongTi, 12, teal, fsBold, TCharSet::GB2312),           // 12
        MakeTextStyle("Arial", 10, windowText, 0),                            // 13
    };
    table.JumpCursor = 101;
    table.Color = TColor::System(K::Window);
    table.HoverColor = TColor::NoColor();
    table.SelColor = TColor::System(K::Highlight);
    table.SelTextColor = TColor::System(K::HighlightText);
    return table;
}

bool ZoomStyles(TTextStyleTable& table, int delta) {
    constexpr int kMinSize = 6, kMaxSize = 72;
    bool fits =
        std::all_of(table.TextStyles.begin(), table.TextStyles.end(), [delta](const TTextStyle& s) {
            return s.Size + delta <= kMaxSize && s.Size + delta >= kMinSize;
        });
    if (!fits)
        return false;
    for (TTextStyle& style : table.TextStyles)
        style.Size += delta;
    return true;
}

void AddSpacer(RichTextDocument& document, int height, std::uint32_t rgb,
               const PicturePtr& background) {
    if (height <= 0)
        return;
    if (background && background->Width > 0 && background->Height > 0 &&
        background->Pixels.size() == static_cast<size_t>(background->Width) * background->Height) {
        std::vector<std::uint32_t> column(static_cast<size_t>(height));
        for (int y = 0; y < height; ++y)
            column[static_cast<size_t>(y)] =
                background->Pixels[static_cast<size_t>(y % background->Height) * background->Width];
        document.AddPictureItem(Picture::FromPixels(1, height, std::move(column)));
        return;
    }
    document.AddPictureItem(Picture::Filled(1, height, rgb));
}

bool RenderEntry(std::string_view entryRecord, RichTextDocument& document, ActionList& actions,
                 const ImageListPtr& images, const PicturePtr& background) {
    actions.clear();
    if (entryRecord.empty())
        return false;
    EntryRenderer(document, actions, images, background).Render(entryRecord);
    return true;
}

std::string EntryHeadword(std::string_view entryRecord) {
    return core::GetTagValue(core::GetTagValue(entryRecord, "Voc"), "Name");
}

std::vector<std::string> RenderEntryText(std::string_view entryRecord, int widthChars) {
    RichTextDocument document;
    document.SetStyle(std::make_shared<const TTextStyleTable>(VocStyleTable()));
    ActionList actions;
    // Images without pictures: they keep their 16 x 16 place in the layout.
    auto images = std::make_shared<const TImageList>();
    if (!RenderEntry(entryRecord, document, actions, images))
        return {};
    // The phonetic letters are ASCII and map one to one onto IPA symbols, so
    // they keep their columns; they are found on the laid-out line by their
    // "/ ... /" frame, which only the transcription has.
    std::string phonetic = core::GetTagValue(core::GetTagValue(entryRecord, "Voc"), "YB");
    std::string framed = "/ " + phonetic + " /";
    bool phoneticDone = phonetic.empty();
    std::vector<std::string> lines;
    for (const std::string& line : RenderPlainText(std::move(document), widthChars)) {
        // The only pictures of an entry are its spacers; the taller ones
        // become blank lines.
        if (line.find_first_not_of(' ') != std::string::npos &&
            line.substr(line.find_first_not_of(' ')) == "[picture]") {
            lines.emplace_back();
            continue;
        }
        size_t at = phoneticDone ? std::string::npos : line.find(framed);
        if (at == std::string::npos) {
            lines.push_back(platform::GbkToUtf8(line));
            continue;
        }
        phoneticDone = true;
        lines.push_back(platform::GbkToUtf8(line.substr(0, at + 2)) +
                        PhoneticLettersToIpa(phonetic) +
                        platform::GbkToUtf8(line.substr(at + 2 + phonetic.size())));
    }
    return lines;
}

} // namespace display
