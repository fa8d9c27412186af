#include "service/ChatDocument.h"

#include "core/TaggedText.h"
#include "display/RenderEntry.h"

namespace service {

namespace {
constexpr std::uint32_t kSpacerRgb = 0xFFFFFF;
} // namespace

display::TTextStyleTable ConversationStyleTable() {
    using display::MakeTextStyle;
    using display::TCharSet;
    display::TTextStyleTable table;
    table.TextStyles = {
        MakeTextStyle(display::kSongTi, 10, display::TColor::FromRgb(0x000000), 0,
                      TCharSet::GB2312), // 0 message
        MakeTextStyle(display::kSongTi, 9, display::TColor::FromRgb(0x008000), 0,
                      TCharSet::GB2312), // 1 header
    };
    return table;
}

display::TTextStyleTable NoticeStyleTable() {
    using display::MakeTextStyle;
    using display::TCharSet;
    const display::TColor black = display::TColor::FromRgb(0x000000);
    const display::TColor maroon = display::TColor::FromRgb(0x800000);
    const display::TColor blue = display::TColor::FromRgb(0x0000FF);
    display::TTextStyleTable table;
    table.TextStyles = {
        MakeTextStyle(display::kSongTi, 10, black, 0, TCharSet::GB2312),                   // 0
        MakeTextStyle(display::kSongTi, 10, maroon, display::fsBold, TCharSet::GB2312),    // 1
        MakeTextStyle(display::kSongTi, 10, black, 0, TCharSet::GB2312),                   // 2
        MakeTextStyle(display::kSongTi, 10, black, 0, TCharSet::GB2312),                   // 3
        MakeTextStyle(display::kSongTi, 10, blue, display::fsUnderline, TCharSet::GB2312), // 4
        MakeTextStyle(display::kSongTi, 10, blue, display::fsUnderline, TCharSet::GB2312), // 5
    };
    return table;
}

void ShowMessages(const std::vector<std::string>& records, display::RichTextDocument& document,
                  const display::PicturePtr& background) {
    document.Clear();
    for (const std::string& record : records) {
        const std::string message = core::GetTagValue(record, "Msg");
        if (message.empty())
            continue;
        document.AddFromNewLine("[" + core::GetTagValue(record, "Name") + "] [" +
                                    core::GetTagValue(record, "Time") + "]",
                                1);
        display::AddSpacer(document, 6, kSpacerRgb, background);
        document.AddFromNewLine(message, 0);
        display::AddSpacer(document, 10, kSpacerRgb, background);
    }
}

void ShowNotices(const std::vector<Notice>& notices, display::RichTextDocument& document,
                 const display::ImageListPtr& bullets, const display::PicturePtr& background) {
    document.Clear();
    for (const Notice& notice : notices) {
        display::AddSpacer(document, 6, kSpacerRgb, background);
        if (notice.Url.empty()) {
            document.AddCenterLine(notice.Text, 1);
        } else {
            document.AddImageBullet(0, bullets, true);
            document.Add(notice.Text, 4);
        }
    }
}

} // namespace service
