// quendic-cli search: runs the query box's search against the program
// folder's word index and prints the result list as the list box shows it.
#include "tools/cli/Commands.h"

#include "core/WordIndex.h"
#include "platform/Gbk.h"

#include <cstdio>

namespace tools {
namespace {

constexpr const char* kSearchUsage =
    "usage: quendic-cli search [--phrases|--all] TEXT...\n"
    "Searches the word index \"voc.dat\" of the program folder ($QUENDIC_HOME)\n"
    "as the query box does and prints one list item per line: the headword\n"
    "padded to 30 bytes, a space and the gloss. TEXT is English (a prefix of\n"
    "the headwords) or Chinese (searched in the glosses); several arguments\n"
    "are joined with single spaces. Words only by default; --phrases lists\n"
    "only headwords with a space, --all lists both.\n"
    "exit status: 0 results listed, 1 no results, 2 bad usage or an unreadable\n"
    "or damaged word index\n";

int BadUsage(const char* problem) {
    return UsageError("search", problem, kSearchUsage);
}

} // namespace

int RunSearch(const CommandArgs& args) {
    bool words = true;
    bool phrases = false;
    size_t first = 0;
    for (; first < args.size(); ++first) {
        const std::string& option = args[first];
        if (option == "--help" || option == "-h") {
            std::fputs(kSearchUsage, stdout);
            return kExitSuccess;
        }
        if (option == "--phrases") {
            words = false;
            phrases = true;
        } else if (option == "--all") {
            words = true;
            phrases = true;
        } else if (option == "--") {
            ++first;
            break;
        } else {
            break;
        }
    }
    if (first >= args.size())
        return BadUsage("missing TEXT");
    const std::string query = JoinArgs(args, first);

    core::WordIndex index;
    if (!index.LoadWordIndex()) {
        std::fprintf(stderr, "quendic-cli search: %s\n", index.LoadError().c_str());
        return kExitFailure;
    }
    index.SetFilter(words, phrases);
    const core::SearchOutcome outcome = index.Dispatch(platform::Utf8ToGbk(query));
    if (outcome.Status == core::SearchStatus::Failed) {
        std::fprintf(stderr, "quendic-cli search: damaged word index: %s\n", outcome.Error.c_str());
        return kExitFailure;
    }
    if (outcome.Status != core::SearchStatus::Ran || index.ResultList().empty())
        return kExitNotFound;
    for (const std::string& item : index.ListItems()) {
        const std::string text = platform::GbkToUtf8(item) + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? kExitSuccess : kExitFailure;
}

} // namespace tools
