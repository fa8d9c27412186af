// The word index "voc.dat": its six members from the input (parts 0-5),
// loaded and searched with the query of part 6 under every filter. The
// character table (part 4) is given sparsely, as entries of code, offset and
// count (three little-endian u32 each), so that inputs stay small; the table
// written holds them at their places and zeros elsewhere.
#include "FuzzSupport.h"

#include "core/WordIndex.h"
#include "platform/ByteOrder.h"
#include "storage/TCDF.h"

#include <cstdio>

namespace {

std::string CharacterTable(const std::string& entries) {
    std::string table(32768 * 8, '\0');
    for (size_t at = 0; at + 12 <= entries.size(); at += 12) {
        const uint32_t code = platform::ReadLe32(entries, at);
        if (code < 0x8000 || code > 0xFFFF)
            continue;
        table.replace((code - 0x8000) * 8, 8, entries, at + 4, 8);
    }
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = fuzzsupport::Parts(data, size, 7);
    const std::string path = fuzzsupport::Folder() + "voc.dat";
    std::remove(path.c_str());
    {
        storage::TCDF voc(path);
        voc.SetNameSeed(0);
        for (uint32_t member = 0; member < 6; ++member) {
            storage::Stream stream = member == 4 ? CharacterTable(parts[4]) : parts[member];
            voc.AddStream(member, stream);
        }
    }
    core::WordIndex index;
    index.LoadWordIndex();
    for (const auto& [words, phrases] : {std::pair{true, false}, {false, true}, {true, true}}) {
        index.SetFilter(words, phrases);
        if (index.Dispatch(parts[6]).Ok())
            index.ListItems();
    }
    index.FindPairBucket(parts[6]);
    return 0;
}
