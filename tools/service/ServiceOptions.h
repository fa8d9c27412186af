#pragma once

#include <optional>
#include <string>
#include <vector>

namespace standin {

// A further download server for the server list (operation 24).
struct Mirror {
    std::string Isp; // network operator name, GBK
    std::string Url; // block-query base, used as given ("http://host/qv/dl.asp?")
};

// How quendic-service runs.
struct ServiceOptions {
    std::string DataFolder; // packages, updates, notices, IP table
    std::string Host = "127.0.0.1";
    int Port = 8102;      // 0 takes a free port
    std::string Database; // empty: DataFolder + "/service.db"
    std::vector<Mirror> Mirrors;
    bool AccessLog = true; // one line per request on stderr
};

// Reads "--data DIR [--host ADDR] [--port N] [--db FILE] [--mirror ISP=URL]...".
// Nothing, with `error` set, on bad usage. The ISP text of a mirror is UTF-8
// on the command line and GBK in the options.
std::optional<ServiceOptions> ParseServiceArgs(const std::vector<std::string>& args,
                                               std::string& error);

} // namespace standin
