// quendic-cli show: fetches a word's entry as the main window does (the cache
// "VocQuery.dat", the installed entry data, then the download servers) and
// prints it as the vocabulary window lays it out, as text.
#include "tools/cli/Commands.h"

#include "core/EntryFetch.h"
#include "display/RenderEntry.h"
#include "platform/Gbk.h"
#include "storage/TCDF.h"
#include "tools/cli/TerminalDisplay.h"

#include <cstdio>

namespace tools {
namespace {

constexpr const char* kShowUsage =
    "usage: quendic-cli show [--width N] WORD...\n"
    "       quendic-cli show [--width N] -\n"
    "Prints the full entry of a headword: basic information (phonetics in IPA),\n"
    "example sentences and English definitions, laid out as the vocabulary\n"
    "window shows them and wrapped at N columns (default 80). The entry comes\n"
    "from the cache \"VocQuery.dat\" or the installed entry data of the program\n"
    "folder ($QUENDIC_HOME), else from the download servers of the service (with\n"
    "a progress line on stderr) and is then cached; several arguments are joined\n"
    "with single spaces.\n"
    "With WORD \"-\" every line of stdin is one word; the entries follow each\n"
    "other in turn, an empty line after each (a word without an entry prints\n"
    "nothing but that line, and a message on stderr).\n"
    "exit status: 0 entry printed, 1 no source has the word, 2 bad usage, damaged\n"
    "data or a user folder that cannot be written. For \"-\": 2 when that\n"
    "happened for some word, else 1 when some word had no entry, else 0.\n";

int BadUsage(const char* problem) {
    return UsageError("show", problem, kShowUsage);
}

// Prints the entry of one word (UTF-8), fetched from the service when no
// local source has it, and returns its exit status. The package stays in
// memory: no file is written.
int Show(core::EntryFetch& fetch, const std::string& word, int width) {
    const std::string gbkWord = platform::Utf8ToGbk(word);
    core::FetchResult result = fetch.ExtractLocalEntry(gbkWord);
    if (result.Status == core::FetchStatus::Absent) {
        TerminalDisplay display("show");
        download::EntryDownloader downloader(display);
        fetch.SetDownloader(downloader.AsDownloader());
        result = fetch.DownloadEntry(gbkWord);
        fetch.SetDownloader({});
    }
    switch (result.Status) {
    case core::FetchStatus::Found:
        break;
    case core::FetchStatus::Absent:
        std::fprintf(stderr, "quendic-cli show: no entry for \"%s\"\n", word.c_str());
        return kExitNotFound;
    default:
        std::fprintf(stderr, "quendic-cli show: %s: %s\n", result.Path.c_str(),
                     result.Reason.c_str());
        return kExitFailure;
    }
    std::string text;
    // The package was checked: its entry record was read and names the word.
    for (const std::string& line : display::RenderEntryText(fetch.EntryRecord(), width))
        text.append(line).append("\n");
    std::fwrite(text.data(), 1, text.size(), stdout);
    return kExitSuccess;
}

} // namespace

int RunShow(const CommandArgs& args) {
    int width = 80;
    size_t first = 0;
    for (; first < args.size(); ++first) {
        const std::string& option = args[first];
        if (option == "--help" || option == "-h") {
            std::fputs(kShowUsage, stdout);
            return kExitSuccess;
        }
        if (option == "--width") {
            if (++first >= args.size())
                return BadUsage("--width needs a number");
            const std::optional<int64_t> parsed = ParseWholeNumber(args[first], 20, 1000);
            if (!parsed)
                return BadUsage("--width takes a number from 20 to 1000");
            width = static_cast<int>(*parsed);
        } else if (option == "--") {
            ++first;
            break;
        } else {
            break;
        }
    }
    if (first >= args.size())
        return BadUsage("missing WORD");
    const std::string word = JoinArgs(args, first);

    core::EntryFetch fetch;
    fetch.KeepPackagesInMemory(true);
    if (word != "-")
        return Show(fetch, word, width);
    int worst = kExitSuccess;
    ForEachInputLine([&](const std::string& line) {
        const int status = Show(fetch, line, width);
        std::fputs("\n", stdout);
        if (status == kExitFailure || (status == kExitNotFound && worst == kExitSuccess))
            worst = status;
    });
    return std::fflush(stdout) == 0 ? worst : kExitFailure;
}

} // namespace tools
