// quendic-cli search: runs the query box's search against the program
// folder's word index and prints the result list as the list box shows it.
#include "tools/cli/Commands.h"

#include "core/WordFinder.h"
#include "platform/Gbk.h"

#include <cstdio>

namespace tools {
namespace {

constexpr const char* kSearchUsage =
    "usage: quendic-cli search [--phrases|--all] TEXT...\n"
    "       quendic-cli search [--phrases|--all] -\n"
    "Searches the word index \"voc.dat\" of the program folder ($QUENDIC_HOME)\n"
    "as the query box does and prints one list item per line: the headword\n"
    "padded to 30 bytes, a space and the gloss. TEXT is English (a prefix of\n"
    "the headwords) or Chinese (searched in the glosses); several arguments\n"
    "are joined with single spaces. Words only by default; --phrases lists\n"
    "only headwords with a space, --all lists both.\n"
    "Two kinds of lines go beyond the list items, each marked at its start:\n"
    "  [form] went → go (go 的过去式)   the query is an inflected form of go;\n"
    "                                    listed first, one line per base word\n"
    "  [suggestion] ITEM                 a spelling close to a query that\n"
    "                                    matches nothing, as a list item\n"
    "With TEXT \"-\" every line of stdin is one query; the answers follow each\n"
    "other in turn, an empty line after each.\n"
    "exit status: 0 results (or forms) listed, 1 no results, 2 bad usage or an\n"
    "unreadable or damaged word index. For \"-\": 2 when a search failed, else 1\n"
    "when some query found nothing, else 0.\n";

int BadUsage(const char* problem) {
    return UsageError("search", problem, kSearchUsage);
}

std::string_view Marker(core::RowKind kind) {
    switch (kind) {
    case core::RowKind::Result:
        return {};
    case core::RowKind::Form:
        return "[form] ";
    case core::RowKind::Suggestion:
        return "[suggestion] ";
    case core::RowKind::FilterHint:
    case core::RowKind::Note:
    case core::RowKind::History:
    case core::RowKind::Command:
        break;
    }
    return {};
}

// Prints the answer to one query (UTF-8) and returns its exit status.
int Answer(core::WordFinder& finder, const std::string& query) {
    const core::SearchOutcome outcome = finder.Find(platform::Utf8ToGbk(query));
    if (outcome.Status == core::SearchStatus::Failed) {
        std::fprintf(stderr, "quendic-cli search: damaged word index: %s\n", outcome.Error.c_str());
        return kExitFailure;
    }
    if (outcome.Status != core::SearchStatus::Ran)
        return kExitNotFound;
    // The hints and notes speak to the window's user; scripts get the lines.
    std::string text;
    bool found = false;
    for (const core::ListRow& row : finder.Rows()) {
        if (row.Kind == core::RowKind::FilterHint || row.Kind == core::RowKind::Note)
            continue;
        found = found || row.Kind != core::RowKind::Suggestion;
        text.append(Marker(row.Kind)).append(row.Text).append("\n");
    }
    const std::string utf8 = platform::GbkToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    return found ? kExitSuccess : kExitNotFound;
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
    const bool batch = query == "-";

    // One query reads only the members and lines it needs; a batch reads the
    // index once and searches it as the window does.
    core::WordFinder finder;
    if (!finder.Load({}, batch ? core::WordIndex::Reading::Whole
                               : core::WordIndex::Reading::OnDemand)) {
        std::fprintf(stderr, "quendic-cli search: %s\n", finder.Index().LoadError().c_str());
        return kExitFailure;
    }
    finder.Index().SetFilter(words, phrases);
    if (!batch) {
        const int status = Answer(finder, query);
        return std::fflush(stdout) == 0 ? status : kExitFailure;
    }
    int worst = kExitSuccess;
    ForEachInputLine([&](const std::string& line) {
        const int status = Answer(finder, line);
        std::fputs("\n", stdout);
        if (status == kExitFailure || (status == kExitNotFound && worst == kExitSuccess))
            worst = status;
    });
    return std::fflush(stdout) == 0 ? worst : kExitFailure;
}

} // namespace tools
