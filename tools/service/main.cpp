// quendic-service: the stand-in for the maker's web service and download
// servers. Prints one line once it accepts connections, and stops cleanly on
// SIGINT or SIGTERM. The commands "reply" and "chat" are the service desk's
// (tools/service/DeskCommands.h).
#include "tools/service/DeskCommands.h"
#include "tools/service/ServiceServer.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && standin::IsDeskCommand(args[0]))
        return standin::RunDeskCommand(args, stdout, stderr);
    std::string error;
    std::optional<standin::ServiceOptions> options = standin::ParseServiceArgs(args, error);
    if (!options) {
        std::fprintf(stderr,
                     "quendic-service: %s\n"
                     "usage: quendic-service --data DIR [--host ADDR] [--port N] [--db FILE]\n"
                     "                       [--mirror ISP=URL]...\n"
                     "       quendic-service reply (--db FILE | --data DIR) [--to CLIENT] "
                     "[--name NAME] TEXT...\n"
                     "       quendic-service chat (--db FILE | --data DIR) [--last N]\n",
                     error.c_str());
        return 2;
    }

    // Blocked before any thread starts, so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    standin::ServiceServer server(std::move(*options));
    if (!server.Start()) {
        std::fprintf(stderr, "quendic-service: %s\n", server.Error().c_str());
        return 1;
    }
    std::printf("quendic-service: listening on %s\n", server.BaseUrl().c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    return 0;
}
