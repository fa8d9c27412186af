// quendic-cli help: prints the program folder's help document (sd.102) as
// the help window lays it out, as plain text.
#include "tools/cli/Commands.h"

#include "core/ServiceData.h"
#include "display/DocumentMarkup.h"
#include "display/PlainText.h"
#include "platform/Gbk.h"
#include "service/HelpText.h"

#include <cstdio>
#include <memory>
#include <optional>

namespace tools {
namespace {

constexpr int kDefaultWidth = 80; // characters
constexpr int kMaxWidth = 10000;  // characters

constexpr const char* kHelpUsage =
    "usage: quendic-cli help [--width N]\n"
    "Prints the help document of the program folder's sd.102, one line per\n"
    "laid-out line, wrapped at N columns (default 80; a Chinese character takes\n"
    "two), UTF-8. Rules are drawn with \"-\", vertical space prints nothing.\n"
    "exit status: 0 success, 1 no help document, 2 bad usage or a damaged one\n";

int BadUsage(const char* problem) {
    return UsageError("help", problem, kHelpUsage);
}

} // namespace

int RunHelp(const CommandArgs& args) {
    int width = kDefaultWidth;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::fputs(kHelpUsage, stdout);
            return kExitSuccess;
        }
        if (args[i] != "--width") {
            return BadUsage("unexpected argument");
        }
        if (i + 1 >= args.size()) {
            return BadUsage("--width needs a number");
        }
        const std::optional<int64_t> parsed = ParseWholeNumber(args[++i], 1, kMaxWidth);
        if (!parsed) {
            return BadUsage("--width must be a whole number from 1 to 10000");
        }
        width = static_cast<int>(*parsed);
    }

    std::vector<std::string> lines;
    storage::ReadStatus why = storage::ReadStatus::Ok;
    if (!service::ReadHelpText(lines, &why)) {
        const std::string file = core::ServiceDataFile(core::kHelpMember);
        if (why == storage::ReadStatus::Absent) {
            std::fprintf(stderr, "quendic-cli help: no help document in %s\n", file.c_str());
            return kExitNotFound;
        }
        std::fprintf(stderr, "quendic-cli help: the help document in %s %s\n", file.c_str(),
                     storage::ReadStatusText(why));
        return kExitFailure;
    }
    display::RichTextDocument document;
    document.SetStyle(
        std::make_shared<const display::TTextStyleTable>(display::DocViewStyleTable()));
    display::ShowDocument(lines, document);
    for (const std::string& line : display::RenderPlainText(document, width)) {
        const std::string text = platform::GbkToUtf8(line) + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return kExitSuccess;
}

} // namespace tools
