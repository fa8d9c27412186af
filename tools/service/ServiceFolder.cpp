#include "tools/service/ServiceFolder.h"

#include "core/TaggedText.h"
#include "net/Protocol.h"
#include "platform/ByteOrder.h"
#include "platform/FileIO.h"
#include "platform/Gbk.h"
#include "platform/Text.h"
#include "storage/StrCRC.h"
#include "storage/TCode.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace standin {
namespace {

std::string Hex8(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

std::string Gbk(std::string_view utf8) {
    return platform::Utf8ToGbk(utf8);
}

ServiceFolder::ServiceFolder(std::string root) : root_(std::move(root)) {}

std::vector<std::string> ServiceFolder::Lines(std::string_view name) const {
    std::vector<std::string> lines;
    if (std::optional<std::string> bytes = platform::ReadWholeFile(root_ + "/" + std::string(name)))
        for (std::string& line : platform::SplitLines(*bytes))
            if (!line.empty())
                lines.push_back(std::move(line));
    return lines;
}

std::string ServiceFolder::FilePath(uint32_t fileClass, uint32_t fileNumber) const {
    std::string path;
    if (fileClass == net::kClassEntryData) {
        char name[16];
        std::snprintf(name, sizeof name, "%02X.dat", static_cast<unsigned>(fileNumber));
        path = root_ + "/11/" + name;
    } else if (fileClass == net::kClassUpdateFile) {
        for (const UpdateFile& update : ListedUpdates())
            if (update.Fid == fileNumber)
                return update.Path;
        return {};
    } else {
        return {};
    }
    return IsRegularFile(path) ? path : std::string();
}

std::vector<std::string> ServiceFolder::PackageLines() const {
    return Lines("packages.lst");
}

std::vector<std::string> ServiceFolder::NoticeLines() const {
    std::vector<std::string> notices;
    if (!IsRegularFile(root_ + "/notices.txt")) {
        notices.push_back(core::MakeTagField(Gbk("欢迎使用Quenlo英语词典！"), "TXT"));
        notices.push_back(
            core::MakeTagField(Gbk("词典数据许可 CC BY-SA 4.0"), "TXT") +
            core::MakeTagField("https://creativecommons.org/licenses/by-sa/4.0/", "Url"));
        return notices;
    }
    for (const std::string& line : Lines("notices.txt")) {
        const size_t tab = line.find('\t');
        std::string notice = core::MakeTagField(line.substr(0, tab), "TXT");
        if (tab != std::string::npos && tab + 1 < line.size())
            notice += core::MakeTagField(line.substr(tab + 1), "Url");
        notices.push_back(std::move(notice));
    }
    return notices;
}

std::string ServiceFolder::NetworkOf(std::string_view ip) const {
    std::string best;
    size_t bestLength = 0;
    for (const std::string& line : Lines("ips.txt")) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0)
            continue;
        const std::string_view prefix(line.data(), tab);
        if (ip.substr(0, prefix.size()) == prefix && prefix.size() > bestLength) {
            bestLength = prefix.size();
            best = line.substr(tab + 1);
        }
    }
    return bestLength > 0 ? best : Gbk("未知");
}

std::vector<UpdateFile> ServiceFolder::ListedUpdates() const {
    std::vector<UpdateFile> updates;
    for (std::string& line : Lines("updates/updates.lst")) {
        const std::optional<uint32_t> fid = platform::ParseHex32(core::GetTagValue(line, "FID"));
        if (!fid || *fid == net::kUpdateListNumber)
            continue;
        std::string path = root_ + "/updates/" + Hex8(*fid);
        if (IsRegularFile(path))
            updates.push_back({*fid, std::move(line), std::move(path)});
    }
    return updates;
}

std::vector<UpdateFile> ServiceFolder::Updates() const {
    std::vector<UpdateFile> updates;
    for (UpdateFile& update : ListedUpdates()) {
        std::error_code error;
        const auto size = std::filesystem::file_size(update.Path, error);
        if (error || size > UINT32_MAX)
            continue;
        const std::string line = std::move(update.Record);
        update.Record = core::MakeTagField(Hex8(update.Fid), "FID");
        for (const char* tag : {"LFn", "LFp"})
            update.Record += core::MakeTagField(core::GetTagValue(line, tag), tag);
        update.Record += core::MakeTagField(Hex8(storage::FileCrc32(update.Path)), "FCrc");
        update.Record += core::MakeTagField(Hex8(static_cast<uint32_t>(size)), "FS");
        for (const char* tag : {"User", "CID", "UM"}) {
            const std::string value = core::GetTagValue(line, tag);
            if (!value.empty())
                update.Record += core::MakeTagField(value, tag);
        }
        updates.push_back(std::move(update));
    }
    return updates;
}

std::optional<std::string> ServiceFolder::UpdateListBody() const {
    std::string body;
    for (const UpdateFile& update : Updates())
        body += update.Record + "\r\n";
    if (body.empty() || !storage::ZipStream(body))
        return std::nullopt;
    platform::AppendLe32(body, net::kUpdateListNumber);
    return body;
}

} // namespace standin
