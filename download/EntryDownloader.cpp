#include "download/EntryDownloader.h"

#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "download/ServerList.h"
#include "download/Texts.h"
#include "net/BlockQuery.h"
#include "net/Protocol.h"
#include "net/TShakeHand.h"
#include "platform/Text.h"

#include <climits>
#include <cstdio>

namespace download {

bool EntryDownloader::DownloadEntry(core::EntryFetch& fetch, const std::string& word) {
    const std::optional<core::LocationRecord> location = fetch.FindWordLocation(word);
    if (!location)
        return false;
    if (serverList_.empty())
        FetchServerList();

    const uint32_t bucket = location->Hash >> 24;
    net::TShakeHand client;
    const std::string reply =
        client.LocateWordData(net::kClassEntryData, bucket, location->Offset, location->Length);
    const std::string result = core::GetTagValue(reply, "Result");
    if (result.empty()) {
        display_.ShowMessage(text::kNetworkErrorAscii);
        return false;
    }
    if (!platform::EqualIgnoringAsciiCase(result, "OK"))
        return false;
    const std::optional<uint32_t> pos = platform::ParseDecimal32(core::GetTagValue(reply, "Pos"));
    const std::optional<uint32_t> len = platform::ParseDecimal32(core::GetTagValue(reply, "Len"));
    // A place beyond what a block query can name, or a package larger than
    // any entry, is not fetched at all.
    if (!pos || !len || *pos > INT32_MAX || *len > core::EntryFetch::kPackageLimit)
        return false;

    net::BlockRequest block;
    block.ClientId = client.GetClientId();
    block.Software = static_cast<int32_t>(net::kSoftwareNumber);
    block.FileClass = static_cast<int32_t>(net::kClassEntryData);
    block.FileNumber = bucket;
    block.Pos = static_cast<int32_t>(*pos);
    block.Len = static_cast<int32_t>(*len);
    const std::string query = net::BlockQuery(block);
    const std::string temp = fetch.EntryTempFile();
    if (temp.empty())
        return false;
    // A package left from an earlier lookup must not pass for this one.
    std::remove(temp.c_str());
    for (const std::string& server : serverList_) {
        const std::string url = core::GetTagValue(server, "Url");
        if (url.empty())
            continue;
        // A failed download can leave a file of the right length (an error
        // page); it is no package, and the next server may have it.
        if (display_.RunFileDownload({EntryItem(url + query, *len, temp, word)}) &&
            core::FileSizeOf(temp) == static_cast<int64_t>(*len))
            return true;
    }
    return false;
}

void EntryDownloader::FetchServerList() {
    ServerListReply reply = download::FetchServerList(net::kClassEntryData);
    if (!reply.Ok()) {
        display_.ShowMessage(reply.Message);
        return;
    }
    serverList_ = std::move(reply.Servers);
}

core::EntryFetch::Downloader EntryDownloader::AsDownloader() {
    return [this](core::EntryFetch& fetch, const std::string& word) {
        return DownloadEntry(fetch, word);
    };
}

std::string EntryDownloader::EntryItem(const std::string& address, uint32_t length,
                                       const std::string& localFile, const std::string& word) {
    return core::MakeTagField("0", "ID") + core::MakeTagField(address, "WFn") +
           core::MakeTagField(platform::HexNumber(length), "WFS") +
           core::MakeTagField(localFile, "LFn") +
           core::MakeTagField(text::kEntryDownloadTitle, "Title") +
           core::MakeTagField(word, "SubTitle");
}

} // namespace download
