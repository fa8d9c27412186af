// quendic-cli show: fetches a word's entry from the local sources (the cache
// "VocQuery.dat", then the installed entry data) and prints it as the
// vocabulary window lays it out, as text.
#include "tools/cli/Commands.h"

#include "core/EntryFetch.h"
#include "display/RenderEntry.h"
#include "platform/Gbk.h"
#include "storage/TCDF.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace tools {
namespace {

constexpr const char* kShowUsage =
    "usage: quendic-cli show [--width N] WORD...\n"
    "Prints the full entry of a headword: basic information (phonetics in IPA),\n"
    "example sentences and English definitions, laid out as the vocabulary\n"
    "window shows them and wrapped at N columns (default 80). The entry comes\n"
    "from the cache \"VocQuery.dat\" or the installed entry data of the program\n"
    "folder ($QUENDIC_HOME); several arguments are joined with single spaces.\n"
    "exit status: 0 entry printed, 1 the word has no entry, 2 bad usage or an\n"
    "unreadable entry package\n";

int BadUsage(const char* problem) {
    return UsageError("show", problem, kShowUsage);
}

// A private scratch package, so that a running program's "voc.tmp" is left
// alone; removed when the command ends.
class ScratchFile {
public:
    ScratchFile() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quendic-show-XXXXXX").string();
        int fd = ::mkstemp(pattern.data());
        if (fd >= 0) {
            ::close(fd);
            path_ = pattern;
        }
    }
    ~ScratchFile() {
        if (!path_.empty())
            std::remove(path_.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

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
    std::string gbkWord = platform::Utf8ToGbk(word);

    ScratchFile scratch;
    if (scratch.Path().empty()) {
        std::fputs("quendic-cli show: cannot create a temporary file\n", stderr);
        return kExitFailure;
    }
    core::EntryFetch fetch(scratch.Path());
    if (!fetch.ExtractLocalEntry(gbkWord)) {
        std::fprintf(stderr, "quendic-cli show: no entry for \"%s\"\n", word.c_str());
        return kExitNotFound;
    }
    storage::TCDF package(scratch.Path());
    std::string record;
    if (!package.ReadString(0u, record) || record.empty()) {
        std::fprintf(stderr, "quendic-cli show: the entry package of \"%s\" has no entry record\n",
                     word.c_str());
        return kExitFailure;
    }
    for (const std::string& line : display::RenderEntryText(record, width))
        std::printf("%s\n", line.c_str());
    return kExitSuccess;
}

} // namespace tools
