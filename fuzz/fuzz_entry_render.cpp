// Entry rendering: the input as an entry record, rendered into a document,
// laid out, and rendered as terminal text.
#include "display/RenderEntry.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view record(reinterpret_cast<const char*>(data), size);
    static const auto styles =
        std::make_shared<const display::TTextStyleTable>(display::VocStyleTable());
    static const auto images = std::make_shared<display::TImageList>();
    display::RichTextDocument document;
    document.SetStyle(styles);
    display::ActionList actions;
    if (display::RenderEntry(record, document, actions, images))
        document.Format(300);
    display::RenderEntryText(record, 40);
    display::EntryHeadword(record);
    return 0;
}
