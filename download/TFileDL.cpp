#include "download/TFileDL.h"

#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "platform/FileHandle.h"
#include "platform/Http.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>

namespace download {

TFileDL::~TFileDL() {
    Terminate();
    Join();
}

std::string TFileDL::LocalPath(const std::string& item) {
    return platform::InUserFolder(core::GetTagValue(item, "LFN"));
}

std::string TFileDL::WithoutTilde(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path;
    std::string result = path.substr(0, dot);
    for (size_t i = dot; i < path.size(); ++i)
        if (path[i] != '~')
            result += path[i];
    return result;
}

void TFileDL::Start(const std::vector<std::string>& items) {
    if (thread_.joinable())
        return;
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string& record = items[i];
        Item item;
        item.Address = core::GetTagValue(record, "WFN");
        item.Local = LocalPath(record);
        // A size that is no hexadecimal number counts as not given.
        if (std::optional<uint32_t> size = platform::ParseHex32(core::GetTagValue(record, "WFS"))) {
            item.HasSize = true;
            item.Size = *size;
        }
        item.MayAskSize =
            !platform::EqualIgnoringAsciiCase(core::GetTagValue(record, "GetWFS"), "False");
        item.Title = core::GetTagValue(record, "Title");
        item.SubTitle = core::GetTagValue(record, "SubTitle");
        item.Number = static_cast<int64_t>(i) + 1;
        item.Count = static_cast<int64_t>(items.size());
        items_.push_back(std::move(item));
    }
    thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

void TFileDL::Terminate() {
    thread_.request_stop();
}

void TFileDL::Join() {
    if (thread_.joinable())
        thread_.join();
}

void TFileDL::Progress(uint8_t stage, const std::string& caption, int64_t position,
                       int64_t total) const {
    if (onProgress_)
        onProgress_(stage, caption, position, total);
}

void TFileDL::Run(const std::stop_token& stop) {
    bool succeeded = true;
    for (size_t i = 0; i < items_.size() && succeeded; ++i) {
        const Item& item = items_[i];
        succeeded = FirstWay(item, stop) || (!stop.stop_requested() && SecondWay(item, stop));
        if (succeeded) {
            const std::string renamed = WithoutTilde(item.Local);
            if (renamed != item.Local)
                std::rename(item.Local.c_str(), renamed.c_str());
        }
    }
    succeeded_ = succeeded;
    if (onFinish_)
        onFinish_(succeeded);
}

bool TFileDL::FirstWay(const Item& item, const std::stop_token& stop) {
    if (!item.HasSize && !item.MayAskSize)
        return false;
    int64_t size = item.HasSize ? item.Size : 0;
    Progress(0, item.Title, item.Number, item.Count);
    if (size == 0) {
        platform::HttpRequest request;
        request.agent = "InetURL:/1.0";
        request.cancelled = [&stop] { return stop.stop_requested(); };
        size = std::max<int64_t>(platform::HttpContentLength(item.Address, request), 0);
    }
    if (size == 0 || !core::ForceFileDir(item.Local))
        return false;
    int64_t received = 0;
    return Transfer(item, size, size, stop, received) && received == size;
}

bool TFileDL::SecondWay(const Item& item, const std::stop_token& stop) {
    const int64_t size = item.HasSize ? item.Size : 0;
    Progress(0, item.Title, item.Number, item.Count);
    int64_t received = 0;
    const bool known = size > 0;
    if (!Transfer(item, known ? size : kNominalSize, known ? size : kUnknownSizeLimit, stop,
                  received) ||
        (known && received != size))
        return false;
    Progress(1, item.SubTitle, 100, 100);
    return true;
}

bool TFileDL::Transfer(const Item& item, int64_t total, int64_t limit, const std::stop_token& stop,
                       int64_t& received) {
    platform::FileHandle file =
        platform::FileHandle::Open(item.Local, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!file.IsOpen())
        return false;
    bool failed = false;
    platform::HttpRequest request;
    request.cancelled = [&stop] { return stop.stop_requested(); };
    const platform::HttpReply reply =
        platform::HttpFetch(item.Address, request, [&](std::string_view piece) {
            if (stop.stop_requested())
                return false;
            if (file.Write(piece.data(), piece.size()) != piece.size()) {
                failed = true;
                return false;
            }
            received += static_cast<int64_t>(piece.size());
            Progress(1, item.SubTitle, received, total);
            if (received > limit) {
                failed = true;
                return false;
            }
            return true;
        });
    failed = !file.Close() || failed;
    // An error page is not the file, whatever its length.
    return !failed && reply.ok && reply.status < 400;
}

} // namespace download
