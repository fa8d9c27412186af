#include "tools/service/ServiceOptions.h"

#include "platform/Gbk.h"

#include <charconv>

namespace standin {

std::optional<ServiceOptions> ParseServiceArgs(const std::vector<std::string>& args,
                                               std::string& error) {
    ServiceOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (i + 1 >= args.size()) {
            error = "missing value after " + arg;
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (arg == "--data") {
            options.DataFolder = value;
        } else if (arg == "--host") {
            options.Host = value;
        } else if (arg == "--db") {
            options.Database = value;
        } else if (arg == "--port") {
            int port = -1;
            const auto [end, problem] =
                std::from_chars(value.data(), value.data() + value.size(), port);
            if (problem != std::errc() || end != value.data() + value.size() || port < 0 ||
                port > 65535) {
                error = "not a port number: " + value;
                return std::nullopt;
            }
            options.Port = port;
        } else if (arg == "--mirror") {
            const size_t equals = value.find('=');
            if (equals == std::string::npos || equals == 0 || equals + 1 == value.size()) {
                error = "a mirror is ISP=URL: " + value;
                return std::nullopt;
            }
            options.Mirrors.push_back(
                {platform::Utf8ToGbk(value.substr(0, equals)), value.substr(equals + 1)});
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (options.DataFolder.empty()) {
        error = "--data DIR is required";
        return std::nullopt;
    }
    while (options.DataFolder.size() > 1 && options.DataFolder.back() == '/')
        options.DataFolder.pop_back();
    if (options.Database.empty())
        options.Database = options.DataFolder + "/service.db";
    return options;
}

} // namespace standin
