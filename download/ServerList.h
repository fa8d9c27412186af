#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace download {

// The user's network operator, GBK, from the text of an IP lookup: "电信",
// "网通" or "铁通" when the text holds that name (tried in this order), else
// "未知".
std::string UserNetwork(std::string_view lookupText);

// The download servers of a server-list reply in order of preference: first,
// in reply order, the lines whose "ISP" equals `network` (ASCII letter case
// ignored), then every other line; each as a record holding only its "Url"
// field. Lines without a "Url" are left out.
std::vector<std::string> OrderServers(const std::vector<std::string>& lines,
                                      std::string_view network);

struct ServerListReply {
    std::vector<std::string> Servers; // in order of preference
    // Empty on success; else the message to show (GBK): "网络错误！" when the
    // service gave no result, the service's own result text otherwise.
    std::string Message;
    bool Ok() const { return Message.empty(); }
};

// Asks the service for the download servers of file class `fileClass`
// (operation 24, selector 1), looks up the user's network from the address
// the service saw, and orders the servers by it. Blocking: one request to
// the service and, when an IP lookup is configured, one to the lookup page.
ServerListReply FetchServerList(uint32_t fileClass);

} // namespace download
