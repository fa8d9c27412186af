#include "download/ServerList.h"

#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "download/Texts.h"
#include "net/TShakeHand.h"
#include "platform/Text.h"

namespace download {

std::string UserNetwork(std::string_view lookupText) {
    for (const char* network : {text::kTelecom, text::kNetcom, text::kRailcom})
        if (core::FindWholeChar(lookupText, network, true, 0) != std::string_view::npos)
            return network;
    return text::kUnknown;
}

std::vector<std::string> OrderServers(const std::vector<std::string>& lines,
                                      std::string_view network) {
    std::vector<std::string> own;
    std::vector<std::string> others;
    for (const std::string& line : lines) {
        const std::string url = core::GetTagValue(line, "Url");
        if (url.empty())
            continue;
        const bool isOwn =
            platform::EqualIgnoringAsciiCase(core::GetTagValue(line, "ISP"), network);
        (isOwn ? own : others).push_back(core::MakeTagField(url, "Url"));
    }
    own.insert(own.end(), others.begin(), others.end());
    return own;
}

ServerListReply FetchServerList(uint32_t fileClass) {
    ServerListReply reply;
    net::TShakeHand client;
    std::vector<std::string> lines;
    const std::string result = client.GetServerList(fileClass, 1, lines);
    if (result.empty()) {
        reply.Message = text::kNetworkError;
        return reply;
    }
    if (!platform::EqualIgnoringAsciiCase(result, "OK")) {
        reply.Message = result;
        return reply;
    }
    const std::string ip = core::GetTagValue(core::JoinLines(lines), "IP");
    reply.Servers = OrderServers(lines, UserNetwork(core::LookupIpNetwork(ip)));
    return reply;
}

} // namespace download
