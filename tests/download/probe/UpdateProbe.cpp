// A small program that stands in for quendic in the end-to-end update test.
// Built twice, as version 1 and version 2 (PROBE_VERSION). It holds its run
// lock, checks for updates, downloads them with the block downloader,
// applies them and hands what is left to fu, as the main window's update
// button does; each step is appended to "probe-runs.txt" in the user folder.
#include "download/DownloadInTurn.h"
#include "download/ServerList.h"
#include "download/TSoftUpdate.h"
#include "net/Protocol.h"
#include "net/TAppLog.h"
#include "platform/Environment.h"
#include "platform/Paths.h"
#include "platform/RunLock.h"

#include <chrono>
#include <fstream>
#include <string>

namespace {

void Note(const std::string& step) {
    std::ofstream(platform::UserFileForWriting("probe-runs.txt"), std::ios::app)
        << "v" << PROBE_VERSION << " " << step << "\n";
}

} // namespace

int main() {
    platform::InitEnvironment();
    const std::string file = platform::ProgramFile();
    const std::string name = file.substr(file.rfind('/') + 1);
    std::optional<platform::RunLock> lock =
        platform::RunLock::Shared(name, std::chrono::seconds(60));
    Note(lock ? "started" : "started without its lock");
    net::TAppLog log;
    download::TSoftUpdate update(&log);
    if (!update.CheckForUpdates()) {
        Note(update.ListReceived() ? "current" : "found no list");
        return 0;
    }
    const download::ServerListReply servers = download::FetchServerList(net::kClassUpdateFile);
    if (!servers.Ok() ||
        download::DownloadInTurn(update.DownloadList(), servers.Servers, &log) != 0) {
        Note("could not download");
        return 1;
    }
    if (!update.ApplyUpdates()) {
        Note("applied");
        return 0;
    }
    Note(download::TSoftUpdate::StartUpdater(name) ? "handed over" : "could not start fu");
    return 0;
}
