#include "tools/cli/Commands.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <sys/types.h>

namespace tools {

std::span<const Command> AllCommands() {
    static const std::array commands = {
        Command{"search", "list the headwords matching a query, as the list box does", RunSearch},
        Command{"show", "print the full entry of a headword as the vocabulary window lays it out",
                RunShow},
        Command{"download", "list, download and install vocabulary packages", RunDownload},
        Command{"update", "bring the program's files up to date from the service (--check: list)",
                RunUpdate},
        Command{"cdf", "inspect a compound data file (list, get)", RunCdf},
        Command{"help", "print the help document as the help window lays it out", RunHelp},
        Command{"packages", "list the service's vocabulary packages, installed or missing",
                RunPackages},
    };
    return commands;
}

int UsageError(std::string_view command, std::string_view problem, std::string_view usage) {
    std::fprintf(stderr, "quendic-cli %.*s: %.*s\n%.*s", static_cast<int>(command.size()),
                 command.data(), static_cast<int>(problem.size()), problem.data(),
                 static_cast<int>(usage.size()), usage.data());
    return kExitFailure;
}

std::optional<int64_t> ParseWholeNumber(std::string_view text, int64_t low, int64_t high) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || text.front() == '-' || error != std::errc() || stop != end || value < low ||
        value > high)
        return std::nullopt;
    return value;
}

std::string JoinArgs(const CommandArgs& args, size_t first) {
    std::string joined;
    for (size_t i = first; i < args.size(); ++i) {
        if (i > first)
            joined += ' ';
        joined += args[i];
    }
    return joined;
}

void ForEachInputLine(const std::function<void(const std::string& line)>& onLine) {
    char* buffer = nullptr;
    size_t capacity = 0;
    for (ssize_t length; (length = ::getline(&buffer, &capacity, stdin)) >= 0;) {
        std::string line(buffer, static_cast<size_t>(length));
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        onLine(line);
    }
    std::free(buffer);
}

} // namespace tools
