// Base-info data: "vbi.dat" holding the word record of "apple" (part 0) and
// its recording (part 1), the words of a text (part 2) looked up in it and
// shown; the phonetic conversion on the record as well.
#include "FuzzSupport.h"

#include "display/PlainText.h"
#include "storage/TCDF.h"
#include "study/ConvertYB.h"
#include "study/VocBaseData.h"
#include "study/VocBaseInfo.h"

#include <cstdio>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = fuzzsupport::Parts(data, size, 3);
    const std::string path = fuzzsupport::Folder() + "vbi.dat";
    std::remove(path.c_str());
    {
        storage::TCDF file(path);
        storage::Stream record = parts[0];
        file.AddStream("apple", record);
        storage::Stream sound = parts[1];
        file.AddStream("apple.mp3", sound);
    }
    study::VocBaseData source(path);
    study::VocBaseInfo info;
    info.Options.ShowYB = info.Options.ShowCXBH = true;
    if (info.FindVocs(parts[2].empty() ? std::string("apples") : parts[2], source)) {
        display::RichTextDocument document;
        document.SetStyle(std::make_shared<const display::TTextStyleTable>(
            display::TTextStyleTable{}));
        info.ShowVocList(document, std::make_shared<display::TImageList>());
        display::RenderPlainText(document, 40);
    }
    study::ConvertYB(parts[0]);
    return 0;
}
