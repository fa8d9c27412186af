#include "tools/service/ServicePage.h"

#include "core/TaggedText.h"
#include "net/ParamBlock.h"
#include "platform/Gbk.h"
#include "platform/Text.h"

#include <ctime>
#include <filesystem>
#include <system_error>

namespace standin {
namespace {

PageReply Refusal(std::string_view utf8Reason, int status = 200) {
    return {status, core::MakeTagField(Gbk(utf8Reason), "Result"), {}};
}

std::string Ok() {
    return core::MakeTagField("OK", "Result");
}

} // namespace

std::string ServiceTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

ServicePage::ServicePage(const ServiceFolder& folder, ServiceDatabase& database,
                         std::vector<Mirror> mirrors)
    : folder_(folder), database_(database), mirrors_(std::move(mirrors)) {}

PageReply ServicePage::Handle(std::string_view block, const Requester& requester) const {
    const net::DecodedBlock decoded = net::DecodeParamBlock(block);
    if (decoded.Error == net::BlockError::Malformed)
        return Refusal("参数格式错误");
    if (decoded.Error == net::BlockError::BadCheck)
        return Refusal("参数校验错误");
    const net::ParamValues& v = decoded.Values;
    if (!net::IsKnownOperation(v.Operation))
        return Refusal("未知的操作");
    if (v.Product != net::kProductNumber || v.Software != net::kSoftwareNumber)
        return Refusal("产品编号错误");

    switch (v.Operation) {
    case net::kOpReportInstall: {
        const std::string time = ServiceTime();
        if (!database_.AddInstall(v.ClientId, v.IID, v.PID, v.ProgramCrc, requester.Address, time))
            return Refusal("服务器数据库错误");
        return {200, Ok() + core::MakeTagField(time, "Time"), {}};
    }
    case net::kOpSendChat: {
        if (v.Message.empty())
            return Refusal("消息为空");
        const std::string time = ServiceTime();
        if (!database_.AddChat(v.ClientId, v.UserName, v.Message, requester.Address, time))
            return Refusal("服务器数据库错误");
        return {200,
                Ok() + core::MakeTagField(time, "Time") +
                    core::MakeTagField(requester.Address, "IP"),
                {}};
    }
    case net::kOpPollChat: {
        const auto after = static_cast<int32_t>(v.LastMessage);
        std::vector<std::string> lines;
        for (const ChatRecord& record :
             database_.ChatAfter(v.ClientId, after < 0 ? 0 : after, kPollLimit))
            lines.push_back(core::MakeTagField(std::to_string(record.Rid), "RID") +
                            core::MakeTagField(core::FieldSafe(record.Name), "Name") +
                            core::MakeTagField(record.Time, "Time") +
                            core::MakeTagField(core::FieldSafe(record.Message), "Msg"));
        return {200, platform::JoinCrLf(lines), {}};
    }
    case net::kOpFileAddress: {
        if (v.FileClass == net::kClassUpdateFile && v.FileNumber == net::kUpdateListNumber) {
            if (std::optional<std::string> body = folder_.UpdateListBody())
                return {200, std::move(*body), {}};
            return Refusal("没有可用的更新", 404);
        }
        const std::string path = folder_.FilePath(v.FileClass, v.FileNumber);
        if (path.empty())
            return Refusal("没有这个文件", 404);
        return {200, {}, path};
    }
    case net::kOpPackageList: {
        const std::vector<std::string> packages = folder_.PackageLines();
        if (packages.empty())
            return Refusal("没有可下载的数据包");
        return {200, platform::JoinCrLf(packages), {}};
    }
    case net::kOpNotices: {
        std::vector<std::string> lines = folder_.NoticeLines();
        lines.insert(lines.begin(), Ok());
        return {200, platform::JoinCrLf(lines), {}};
    }
    case net::kOpLocateWordData: {
        if (v.FileClass != net::kClassEntryData)
            return Refusal("没有这个数据文件");
        const std::string path = folder_.FilePath(v.FileClass, v.FileNumber);
        std::error_code error;
        const uint64_t size = path.empty() ? 0 : std::filesystem::file_size(path, error);
        if (path.empty() || error)
            return Refusal("没有这个数据文件");
        if (v.Length == 0 || uint64_t{v.Offset} + v.Length > size)
            return Refusal("数据不在文件中");
        return {200,
                Ok() + core::MakeTagField(std::to_string(v.Offset), "Pos") +
                    core::MakeTagField(std::to_string(v.Length), "Len"),
                {}};
    }
    case net::kOpServerList: {
        std::vector<std::string> lines = {Ok() + core::MakeTagField(requester.Address, "IP")};
        lines.push_back(core::MakeTagField(Gbk("本机"), "ISP") +
                        core::MakeTagField(requester.BlockUrl, "Url"));
        for (const Mirror& mirror : mirrors_)
            lines.push_back(core::MakeTagField(mirror.Isp, "ISP") +
                            core::MakeTagField(mirror.Url, "Url"));
        return {200, platform::JoinCrLf(lines), {}};
    }
    default:
        return Refusal("未知的操作");
    }
}

} // namespace standin
