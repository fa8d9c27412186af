#include "platform/Environment.h"
#include "tools/cli/Commands.h"

#include <cstdio>
#include <new>
#include <string>

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs("usage: quendic-cli COMMAND [ARGUMENTS]\n"
               "       quendic-cli COMMAND --help\n"
               "commands:\n",
               out);
    for (const tools::Command& command : tools::AllCommands())
        std::fprintf(out, "  %-10.*s %.*s\n", static_cast<int>(command.name.size()),
                     command.name.data(), static_cast<int>(command.summary.size()),
                     command.summary.data());
    std::fputs("exit status: 0 success, 1 nothing found, 2 bad usage or unreadable data\n", out);
}

} // namespace

int main(int argc, char** argv) {
    platform::InitEnvironment();
    if (argc < 2) {
        PrintUsage(stderr);
        return tools::kExitFailure;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h") {
        PrintUsage(stdout);
        return tools::kExitSuccess;
    }
    for (const tools::Command& command : tools::AllCommands()) {
        if (command.name != name)
            continue;
        try {
            return command.run(tools::CommandArgs(argv + 2, argv + argc));
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "quendic-cli %s: out of memory\n", name.c_str());
            return tools::kExitFailure;
        }
    }
    std::fprintf(stderr, "quendic-cli: unknown command \"%s\"\n", name.c_str());
    PrintUsage(stderr);
    return tools::kExitFailure;
}
