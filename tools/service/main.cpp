// quendic-service: the stand-in for the maker's web service and download
// servers. Prints one line once it accepts connections, and stops cleanly on
// SIGINT or SIGTERM.
#include "tools/service/ServiceServer.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    std::optional<standin::ServiceOptions> options = standin::ParseServiceArgs(args, error);
    if (!options) {
        std::fprintf(stderr,
                     "quendic-service: %s\n"
                     "usage: quendic-service --data DIR [--host ADDR] [--port N] [--db FILE]\n"
                     "                       [--mirror ISP=URL]...\n",
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
