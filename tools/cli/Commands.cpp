#include "tools/cli/Commands.h"

#include <array>

namespace tools {

std::span<const Command> AllCommands() {
    static const std::array commands = {
        Command{"cdf", "inspect a compound data file (list, get)", RunCdf},
    };
    return commands;
}

} // namespace tools
