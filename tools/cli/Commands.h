#pragma once

#include <cstdint>
#include <functional>
#include <optional>
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

// Prints "quendic-cli <command>: <problem>" and the command's usage text on
// stderr; returns kExitFailure.
int UsageError(std::string_view command, std::string_view problem, std::string_view usage);

// A whole decimal number from `low` to `high`; nothing else (no sign, no
// blanks, no trailing text).
std::optional<int64_t> ParseWholeNumber(std::string_view text, int64_t low, int64_t high);

// args[first], args[first + 1], ... joined by single spaces.
std::string JoinArgs(const CommandArgs& args, size_t first);

// Calls onLine for every line of stdin, without its line break (LF or CR LF).
void ForEachInputLine(const std::function<void(const std::string& line)>& onLine);

// The registered sub-commands, in the order the usage text lists them.
std::span<const Command> AllCommands();

int RunCdf(const CommandArgs& args);
int RunSearch(const CommandArgs& args);
int RunShow(const CommandArgs& args);
int RunHelp(const CommandArgs& args);
int RunPackages(const CommandArgs& args);
int RunDownload(const CommandArgs& args);
int RunUpdate(const CommandArgs& args);

} // namespace tools
