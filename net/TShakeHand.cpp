#include "net/TShakeHand.h"

#include "core/ServiceData.h"
#include "core/TaggedText.h"
#include "platform/Http.h"
#include "platform/Text.h"

namespace net {

std::string TShakeHand::ServiceBase() {
    std::string base;
    if (core::ReadServiceMember(core::kServiceBaseMember, base) && !base.empty())
        return base;
    return std::string(kDefaultServiceBase);
}

std::string TShakeHand::ServiceUrl(std::string_view page) {
    return ServiceBase() + std::string(page);
}

bool TShakeHand::FetchStream(std::string_view url, std::string& stream) {
    // HttpFetch puts "http://" in front of an address without a scheme (an
    // "https://" one is kept as it is).
    platform::HttpRequest request;
    request.connectTimeoutSeconds = kRequestSeconds;
    request.totalTimeoutSeconds = kRequestSeconds;
    if (cancelled_ != nullptr)
        request.cancelled = [flag = cancelled_] { return flag->load(); };
    std::string body;
    bool tooLarge = false;
    const platform::HttpReply reply =
        platform::HttpFetch(url, request, [&](std::string_view piece) {
            if (piece.size() > kMaxReplyBytes - body.size()) {
                tooLarge = true;
                return false;
            }
            body.append(piece);
            return true;
        });
    if (!reply.ok || tooLarge)
        return false;
    stream = std::move(body);
    return true;
}

bool TShakeHand::FetchText(std::string_view url, std::string& text) {
    return FetchStream(url, text);
}

bool TShakeHand::FetchLines(std::string_view url, std::vector<std::string>& lines) {
    std::string body;
    if (!FetchStream(url, body))
        return false;
    lines = platform::SplitLines(body);
    return true;
}

std::string TShakeHand::RequestUrl(uint32_t operation, const ParamValues& values) {
    lastUrl_ = ServiceUrl("sh.asp") + "?p=" + param_.BuildParams(operation, values);
    return lastUrl_;
}

bool TShakeHand::ReportInstall() {
    std::string reply;
    return FetchText(RequestUrl(kOpReportInstall, {}), reply) &&
           !core::GetTagValue(reply, "Time").empty();
}

std::string TShakeHand::SendChatMessage(std::string_view userName, std::string_view message) {
    if (!ChatMessageFits(message))
        return {};
    ParamValues v;
    v.UserName = std::string(userName);
    v.Message = std::string(message);
    std::string reply;
    if (!FetchText(RequestUrl(kOpSendChat, v), reply))
        return {};
    return reply;
}

bool TShakeHand::PollChat(int32_t lastMessage, std::vector<std::string>& lines) {
    ParamValues v;
    v.LastMessage = static_cast<uint32_t>(lastMessage);
    if (!FetchLines(RequestUrl(kOpPollChat, v), lines))
        return false;
    return !lines.empty() && !core::GetTagValue(lines[0], "RID").empty();
}

std::string TShakeHand::MakeFileUrl(uint32_t fileClass, uint32_t fileNumber) {
    ParamValues v;
    v.FileClass = fileClass;
    v.FileNumber = fileNumber;
    return RequestUrl(kOpFileAddress, v);
}

std::string TShakeHand::GetPackageList(std::vector<std::string>& lines) {
    if (!FetchLines(RequestUrl(kOpPackageList, {}), lines))
        return {};
    return !lines.empty() && !core::GetTagValue(lines[0], "JMBH").empty() ? "OK" : "";
}

std::string TShakeHand::GetNotices(int32_t kind) {
    ParamValues v;
    v.NoticeKind = static_cast<uint32_t>(kind);
    std::vector<std::string> lines;
    if (!FetchLines(RequestUrl(kOpNotices, v), lines) || lines.empty() ||
        core::GetTagValue(lines[0], "Result").empty())
        return {};
    return platform::JoinCrLf(lines);
}

std::string TShakeHand::LocateWordData(uint32_t fileClass, uint32_t fileNumber, uint32_t offset,
                                       uint32_t length) {
    ParamValues v;
    v.FileClass = fileClass;
    v.FileNumber = fileNumber;
    v.Offset = offset;
    v.Length = length;
    std::string reply;
    if (!FetchText(RequestUrl(kOpLocateWordData, v), reply) ||
        core::GetTagValue(reply, "Result").empty())
        return {};
    return reply;
}

std::string TShakeHand::GetServerList(uint32_t fileClass, int32_t selector,
                                      std::vector<std::string>& lines) {
    ParamValues v;
    v.FileClass = fileClass;
    v.Selector = static_cast<uint32_t>(selector);
    std::string reply;
    if (!FetchText(RequestUrl(kOpServerList, v), reply))
        return {};
    std::string result = core::GetTagValue(reply, "Result");
    if (platform::EqualIgnoringAsciiCase(result, "OK"))
        lines = platform::SplitLines(reply);
    return result;
}

} // namespace net
