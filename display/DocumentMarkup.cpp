#include "display/DocumentMarkup.h"

#include "core/TaggedText.h"
#include "display/RenderEntry.h"
#include "platform/Text.h"

#include <charconv>

namespace display {

namespace {

// GBK bytes of the markup's fixed texts.
constexpr char kKeyOpen[] = "\xA1\xBE";  // 【
constexpr char kKeyClose[] = "\xA1\xBF"; // 】
constexpr char kAddKey[] = "\xA1\xBE"
                           "Add="; // 【Add=
constexpr char kTextKey[] = "\xA1\xBE"
                            "TXT="; // 【TXT=
constexpr char kStyleKey[] = "\xA1\xBE"
                             "Style="; // 【Style=
constexpr std::uint32_t kSpacerRgb = 0xFFFFFF;

} // namespace

std::string MarkupValue(std::string_view line, std::string_view key) {
    return core::TextBetween(line, key, kKeyClose, false);
}

bool IsMarkupComment(std::string_view line) {
    const std::size_t open = core::FindWholeChar(line, kKeyOpen, true);
    return platform::Trimmed(line.substr(0, open)) == "//";
}

int MarkupStyleNo(std::string_view line) {
    const std::string value = MarkupValue(line, kStyleKey);
    int number = 0;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, number);
    // A value that is not a whole decimal number renders in the text style
    // instead of stopping the document half-built; negative numbers would
    // name non-text items.
    if (value.empty() || error != std::errc() || stop != end || number < 0) {
        return 0;
    }
    return number;
}

void ShowDocument(const std::vector<std::string>& lines, RichTextDocument& document,
                  const PicturePtr& background) {
    document.Clear();
    const auto space = [&](int height) { AddSpacer(document, height, kSpacerRgb, background); };
    for (const std::string& line : lines) {
        const std::string command = MarkupValue(line, kAddKey);
        if (command.empty() || IsMarkupComment(line)) {
            continue;
        }
        const std::string text = MarkupValue(line, kTextKey);
        const int styleNo = MarkupStyleNo(line);
        if (platform::EqualIgnoringAsciiCase(command, "AddFromNewLine")) {
            space(3);
            document.AddFromNewLine(text, styleNo);
        } else if (platform::EqualIgnoringAsciiCase(command, "AddCenterLine")) {
            space(3);
            document.AddCenterLine(text, styleNo);
        } else if (platform::EqualIgnoringAsciiCase(command, "Add")) {
            document.Add(text, styleNo);
        } else if (platform::EqualIgnoringAsciiCase(command, "AddBreak")) {
            space(3);
            document.AddBreak();
        } else if (platform::EqualIgnoringAsciiCase(command, "AddSpaceLine")) {
            space(6);
        }
    }
}

TTextStyleTable DocViewStyleTable() {
    const TColor windowText = TColor::System(TColor::Kind::WindowText);
    const TColor black = TColor::FromRgb(0x000000);
    const TColor navy = TColor::FromRgb(0x000080);
    const TColor maroon = TColor::FromRgb(0x800000);
    const TColor green = TColor::FromRgb(0x008000);
    TTextStyleTable table;
    table.TextStyles = {
        MakeTextStyle(kSongTi, 10, windowText, 0, TCharSet::GB2312),       // 0
        MakeTextStyle(kSongTi, 11, black, fsBold, TCharSet::GB2312),       // 1
        MakeTextStyle(kSongTi, 10, navy, fsBold, TCharSet::Ansi),          // 2
        MakeTextStyle("Arial", 10, maroon, fsItalic, TCharSet::Default),   // 3
        MakeTextStyle(kSongTi, 10, green, fsBold, TCharSet::GB2312),       // 4
        MakeTextStyle("Arial", 10, green, fsUnderline, TCharSet::Default), // 5
        MakeTextStyle("Arial", 4, windowText, 0, TCharSet::Default),       // 6
        MakeTextStyle(kSongTi, 9, navy, 0, TCharSet::GB2312),              // 7
    };
    return table;
}

} // namespace display
