#include "tools/cli/Commands.h"

#include <array>

namespace tools {

std::span<const Command> AllCommands() {
    static const std::array commands = {
        Command{"search", "list the headwords matching a query, as the list box does", RunSearch},
        Command{"show", "print the full entry of a headword as the vocabulary window lays it out", RunShow},
        Command{"cdf", "inspect a compound data file (list, get)", RunCdf},
        Command{"help", "print the help document as the help window lays it out", RunHelp},
    };
    return commands;
}

} // namespace tools
