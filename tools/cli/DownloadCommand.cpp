// quendic-cli download: lists the service's vocabulary packages, or downloads
// and installs them with the block downloader, one after the other, as the
// package window's automatic download does.
#include "tools/cli/Commands.h"
#include "tools/cli/TerminalDisplay.h"

#include "download/PackageList.h"
#include "download/ServerList.h"
#include "net/Protocol.h"
#include "net/TAppLog.h"
#include "platform/Gbk.h"
#include "platform/Text.h"

#include <csignal>
#include <cstdio>
#include <map>

namespace tools {
namespace {

constexpr const char* kDownloadUsage =
    "usage: quendic-cli download [--list] [ID...]\n"
    "Downloads vocabulary packages from the service's download servers and\n"
    "installs them (\"11\\XX.dat\" in the user folder): the packages named by their\n"
    "IDs (two hex digits), or without IDs every package not installed yet, one\n"
    "after the other. Progress goes to stderr: a line rewritten in place on a\n"
    "terminal, else one line per package. Blocks that arrived stay when a\n"
    "package fails, and the next run fetches only the rest.\n"
    "  --list   print the packages instead, as \"quendic-cli packages\" does\n"
    "exit status: 0 every package asked for is installed, 1 some failed, 2 bad\n"
    "usage or the service cannot be reached\n";

int BadUsage(const std::string& problem) {
    return UsageError("download", problem, kDownloadUsage);
}

std::string PackageId(uint32_t number) {
    return platform::HexNumber(number, 2);
}

} // namespace

int RunDownload(const CommandArgs& args) {
    bool list = false;
    std::vector<uint32_t> wanted;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(kDownloadUsage, stdout);
            return kExitSuccess;
        }
        if (arg == "--list") {
            list = true;
            continue;
        }
        const std::optional<uint32_t> id = platform::ParseHex32(arg);
        if (!id || arg.size() > 2)
            return BadUsage("\"" + arg + "\" is no package ID (two hex digits)");
        wanted.push_back(*id);
    }
    if (list && !wanted.empty())
        return BadUsage("--list takes no IDs");
    if (list)
        return RunPackages({});

    const std::optional<std::vector<download::Package>> packages = download::FetchPackages();
    if (!packages) {
        std::fputs("quendic-cli download: the service cannot be reached or offers no packages\n",
                   stderr);
        return kExitFailure;
    }
    std::vector<const download::Package*> chosen;
    std::map<uint32_t, const download::Package*> byNumber;
    for (const download::Package& package : *packages)
        byNumber.emplace(package.Number, &package);
    for (uint32_t id : wanted) {
        const auto found = byNumber.find(id);
        if (found == byNumber.end())
            return BadUsage("the service offers no package " + PackageId(id));
        chosen.push_back(found->second);
    }
    if (wanted.empty())
        for (const download::Package& package : *packages)
            if (!package.Installed)
                chosen.push_back(&package);
    TerminalDisplay display("download");
    if (chosen.empty()) {
        display.Line("every package is installed");
        return kExitSuccess;
    }

    const download::ServerListReply servers = download::FetchServerList(net::kClassEntryData);
    if (!servers.Ok()) {
        display.ShowMessage(servers.Message);
        return kExitFailure;
    }
    // A write beyond a file size limit fails the item; it must not end the
    // program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> records;
    std::vector<std::string> labels;
    for (size_t i = 0; i < chosen.size(); ++i) {
        records.push_back(chosen[i]->Record);
        labels.push_back("[" + std::to_string(i + 1) + "/" + std::to_string(chosen.size()) + "] " +
                         PackageId(chosen[i]->Number) + " " + platform::GbkToUtf8(chosen[i]->Name));
    }
    net::TAppLog log;
    const size_t failed = display.DownloadInTurn(records, labels, servers.Servers, log);
    if (failed > 0) {
        display.Line(std::to_string(failed) + " of " + std::to_string(chosen.size()) +
                     " packages failed; run again to fetch the rest");
        return kExitNotFound;
    }
    return kExitSuccess;
}

} // namespace tools
