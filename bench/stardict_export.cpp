// Writes a StarDict dictionary (.ifo, .idx, plain .dict) made from a Quendic
// program folder: every headword of voc.dat with its entry as `quendic-cli
// show` prints it. The console StarDict reader then looks up the same words
// in the same data, for bench/sdcv/compare.sh.
//
// usage: stardict_export OUTDIR/NAME      (program folder: $QUENDIC_HOME)
#include "core/EntryFetch.h"
#include "core/WordIndex.h"
#include "display/RenderEntry.h"
#include "platform/Gbk.h"
#include "platform/Text.h"
#include "storage/TCDF.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The order StarDict's index is bisected in: ASCII case folded, then bytes.
bool StarDictLess(const std::string& a, const std::string& b) {
    const std::string x = platform::LowerAscii(a);
    const std::string y = platform::LowerAscii(b);
    return x != y ? x < y : a < b;
}

void PutBigEndian32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: stardict_export OUTDIR/NAME   (program folder: $QUENDIC_HOME)\n",
                   stderr);
        return 2;
    }
    const std::string base = argv[1];
    core::WordIndex index;
    if (!index.LoadWordIndex()) {
        std::fputs("stardict_export: cannot read voc.dat\n", stderr);
        return 2;
    }
    struct Entry {
        std::string Word; // UTF-8
        std::string Text; // UTF-8
    };
    std::vector<Entry> entries;
    core::EntryFetch fetch;
    fetch.KeepPackagesInMemory(true);
    for (const std::string& headword : index.HeadwordList()) {
        if (!fetch.ExtractLocalEntry(headword))
            continue;
        std::string record;
        if (storage::TCDF::ReadFromImage(fetch.Package(), 0u, record) != storage::ReadStatus::Ok)
            continue;
        std::string text;
        for (const std::string& line : display::RenderEntryText(record, 80))
            text += line + "\n";
        entries.push_back({platform::GbkToUtf8(headword), text});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return StarDictLess(a.Word, b.Word); });
    std::string dict;
    std::string idx;
    for (const Entry& entry : entries) {
        idx += entry.Word;
        idx += '\0';
        PutBigEndian32(idx, static_cast<uint32_t>(dict.size()));
        PutBigEndian32(idx, static_cast<uint32_t>(entry.Text.size()));
        dict += entry.Text;
    }
    const std::string ifo =
        "StarDict's dict ifo file\nversion=2.4.2\nwordcount=" + std::to_string(entries.size()) +
        "\nidxfilesize=" + std::to_string(idx.size()) + "\nbookname=Quendic\nsametypesequence=m\n";
    std::ofstream(base + ".ifo", std::ios::binary) << ifo;
    std::ofstream(base + ".idx", std::ios::binary) << idx;
    std::ofstream(base + ".dict", std::ios::binary) << dict;
    std::printf("%zu entries\n", entries.size());
    return 0;
}
