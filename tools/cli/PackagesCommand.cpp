// quendic-cli packages: the service's package list through the program's own
// client, each package marked as installed or missing.
#include "tools/cli/Commands.h"

#include "core/TaggedText.h"
#include "net/TShakeHand.h"
#include "platform/Gbk.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tools {
namespace {

constexpr const char* kPackagesUsage =
    "usage: quendic-cli packages\n"
    "Asks the service (sd.102's address, else http://127.0.0.1:8102/qv/) for its\n"
    "package list and prints one line per package, fields separated by tabs: the\n"
    "package number (two hex digits), its title (UTF-8), its size in bytes, and\n"
    "\"installed\" or \"missing\" (whether 11/XX.dat is in the user or the program\n"
    "folder).\n"
    "exit status: 0 a list, 2 bad usage, no answer or no packages\n";

} // namespace

int RunPackages(const CommandArgs& args) {
    if (!args.empty()) {
        if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
            std::fputs(kPackagesUsage, stdout);
            return kExitSuccess;
        }
        return UsageError("packages", "unexpected argument", kPackagesUsage);
    }
    net::TShakeHand client;
    std::vector<std::string> lines;
    if (client.GetPackageList(lines) != "OK") {
        const std::string result =
            lines.empty() ? std::string() : core::GetTagValue(lines[0], "Result");
        if (result.empty())
            std::fprintf(stderr,
                         "quendic-cli packages: no package list from %s (the service cannot be "
                         "reached or sent none)\n",
                         net::TShakeHand::ServiceBase().c_str());
        else
            std::fprintf(stderr, "quendic-cli packages: the service answered: %s\n",
                         platform::GbkToUtf8(result).c_str());
        return kExitFailure;
    }
    for (const std::string& line : lines) {
        const std::optional<uint32_t> number =
            platform::ParseHex32(core::GetTagValue(line, "JMBH"));
        if (!number)
            continue;
        const std::optional<uint32_t> size = platform::ParseHex32(core::GetTagValue(line, "FS"));
        char name[24];
        std::snprintf(name, sizeof name, "11\\%02X.dat", static_cast<unsigned>(*number));
        std::error_code error;
        const bool installed = std::filesystem::exists(platform::DataFile(name), error);
        std::printf("%02X\t%s\t%s\t%s\n", static_cast<unsigned>(*number),
                    platform::GbkToUtf8(core::GetTagValue(line, "JMMC")).c_str(),
                    size ? std::to_string(*size).c_str() : "?",
                    installed ? "installed" : "missing");
    }
    return kExitSuccess;
}

} // namespace tools
