#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

// Exit status of every sub-command.
enum ExitCode : int {
    kExitSuccess = 0,
    kExitNotFound = 1,
    kExitFailure = 2, // bad usage, missing or unreadable data
};

// The arguments after the sub-command's name.
using CommandArgs = std::vector<std::string>;

struct Command {
    std::string_view name;
    std::string_view summary; // one line for the program's usage text
    int (*run)(const CommandArgs& args);
};

// The registered sub-commands, in the order the usage text lists them.
std::span<const Command> AllCommands();

int RunCdf(const CommandArgs& args);
int RunSearch(const CommandArgs& args);
int RunShow(const CommandArgs& args);
int RunHelp(const CommandArgs& args);

} // namespace tools
