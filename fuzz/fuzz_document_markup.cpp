// Document markup (the help document): the input's lines shown in a document
// and rendered as plain text.
#include "display/DocumentMarkup.h"
#include "display/PlainText.h"
#include "platform/Text.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    static const auto styles =
        std::make_shared<const display::TTextStyleTable>(display::DocViewStyleTable());
    display::RichTextDocument document;
    document.SetStyle(styles);
    display::ShowDocument(platform::SplitLines(text), document);
    display::RenderPlainText(document, 40);
    return 0;
}
