#pragma once

#include "net/Protocol.h"
#include "net/TSHParam.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace net {

// The client of the service page "sh.asp": each operation is one GET of
// ServiceUrl("sh.asp") + "?p=" + a parameter block, and its result is picked
// from the tagged fields of the reply (GBK, one record per line). Blocking;
// an object is used by one thread at a time, and any number of objects may
// run at once on different threads. Nothing is kept between operations but
// LastUrl. Every block carries the software number 102001.
class TShakeHand {
public:
    // The built-in service base, where quendic-service listens by default.
    static constexpr std::string_view kDefaultServiceBase = "http://127.0.0.1:8102/qv/";
    // A reply above this size is a failure.
    static constexpr size_t kMaxReplyBytes = 1 << 20;
    // Connect plus transfer of one request, at most.
    static constexpr long kRequestSeconds = 15;

    // The service base: member 102000000 of sd.102 as stored when it is
    // there and not empty, else kDefaultServiceBase.
    static std::string ServiceBase();
    // ServiceBase() + page.
    static std::string ServiceUrl(std::string_view page);

    // The complete address of the last request built (MakeFileUrl included).
    const std::string& LastUrl() const { return lastUrl_; }

    // While `*cancelled` is true (read from the requesting thread, at least
    // once a second also while nothing arrives), a request stops and fails as
    // if the service could not be reached. The flag must outlive the client;
    // nullptr removes it. Lets another thread end a stalled request early.
    void SetCancelFlag(const std::atomic<bool>* cancelled) { cancelled_ = cancelled; }

    // Transport. "http://" is put in front of an address without "http://"
    // or "https://". The HTTP status is not examined: an error page is a reply like any
    // other. False for no connection, a time-out or a reply over
    // kMaxReplyBytes; the output is then left as it was.
    bool FetchStream(std::string_view url, std::string& stream);
    bool FetchText(std::string_view url, std::string& text);
    // The body split at CR LF, LF or CR, replacing `lines`.
    bool FetchLines(std::string_view url, std::vector<std::string>& lines);

    // Operation 1: true when the reply has a non-empty "Time".
    bool ReportInstall();

    // Operation 3: the whole reply ("Time", "IP"), or "" when the request
    // failed. A message over kMaxChatMessageBytes is refused here, without a
    // request: "" as well (see ChatMessageFits).
    std::string SendChatMessage(std::string_view userName, std::string_view message);
    static constexpr size_t kMaxChatMessageBytes = kMaxShortText;
    static bool ChatMessageFits(std::string_view message) {
        return message.size() <= kMaxChatMessageBytes;
    }

    // Operation 4: the messages after record `lastMessage` into `lines`
    // (replaced by the reply; left as it was when the request fails). True
    // when there is a line 0 with a non-empty "RID".
    bool PollChat(int32_t lastMessage, std::vector<std::string>& lines);

    // Operation 6: the address of a file, also kept as LastUrl. No request.
    std::string MakeFileUrl(uint32_t fileClass, uint32_t fileNumber);

    // Operation 17: one package per line into `lines` ("JMMC", "JMBH", "FS",
    // "FCRC"); "OK" when line 0 has a non-empty "JMBH", else "".
    std::string GetPackageList(std::vector<std::string>& lines);

    // Operation 22: every line joined by CR LF when line 0 has a non-empty
    // "Result" (the notices are the lines with "TXT", maybe "Url"), else "".
    std::string GetNotices(int32_t kind = 1);

    // Operation 23: the whole reply ("Result", "Pos", "Len") when it has a
    // non-empty "Result", else "".
    std::string LocateWordData(uint32_t fileClass, uint32_t fileNumber, uint32_t offset,
                               uint32_t length);

    // Operation 24: the reply's "Result" ("" when missing or the request
    // failed). When it is "OK" in any letter case, `lines` is replaced by the
    // reply's lines ("IP"; "ISP" and "Url" per server).
    std::string GetServerList(uint32_t fileClass, int32_t selector,
                              std::vector<std::string>& lines);

    uint32_t GetClientId() const { return param_.GetClientId(); }

private:
    std::string RequestUrl(uint32_t operation, const ParamValues& values);

    TSHParam param_;
    std::string lastUrl_;
    const std::atomic<bool>* cancelled_ = nullptr;
};

} // namespace net
