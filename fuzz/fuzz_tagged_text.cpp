// Tagged text and the GBK helpers on any bytes: a text (part 0) searched for
// a tag and markers (parts 1 and 2), a text field made of it that must give
// back exactly its value, and the codecs and line and number helpers.
#include "FuzzSupport.h"

#include "core/TaggedText.h"
#include "display/PhoneticFont.h"
#include "platform/Gbk.h"
#include "platform/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = fuzzsupport::Parts(data, size, 3);
    const std::string& text = parts[0];
    core::GetTagValue(text, parts[1]);
    core::GetTagValue(text, parts[1], true, true);
    core::TextBetween(text, parts[1], parts[2]);
    core::TextBetween(text, parts[1], parts[2], true);
    core::FindWholeChar(text, parts[1], false);
    const std::string field = core::MakeTextField(text, "T");
    if (core::GetTagValue(field, "T") != core::FieldSafe(text))
        __builtin_trap(); // a text field gives back exactly its value

    const std::string utf8 = platform::GbkToUtf8(text);
    platform::Utf8ToGbk(text);
    platform::Utf8ToGbk(utf8);
    platform::GbkCharCount(text);
    platform::GbkPrefix(text, size / 2);
    platform::SplitLines(text);
    platform::ParseHex32(parts[1]);
    platform::ReplaceAll(text, parts[1], parts[2]);
    display::PhoneticLettersToIpa(text);
    display::IpaToPhoneticLetters(text);
    display::IpaToHtmlReferences(text);
    return 0;
}
