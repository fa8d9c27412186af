#include "download/PackageList.h"

#include "core/TaggedText.h"
#include "download/InstallItem.h"
#include "net/Protocol.h"
#include "net/TShakeHand.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <sys/stat.h>

namespace download {

namespace {

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

} // namespace

std::optional<std::vector<Package>> FetchPackages() {
    net::TShakeHand client;
    std::vector<std::string> lines;
    if (!platform::EqualIgnoringAsciiCase(client.GetPackageList(lines), "OK"))
        return std::nullopt;
    const std::string cid = platform::HexNumber(client.GetClientId());
    std::vector<Package> packages;
    for (const std::string& line : lines) {
        const std::optional<uint32_t> number =
            platform::ParseHex32(core::GetTagValue(line, "JMBH"));
        if (!number)
            continue;
        Package package;
        package.Number = *number;
        package.Name = core::GetTagValue(line, "JMMC");
        const std::string size = core::GetTagValue(line, "FS");
        package.Installed =
            FileExists(platform::DataFile(InstalledName(net::kClassEntryData, *number)));
        package.Record = core::MakeTagField(cid, "CID") +
                         core::MakeTagField(platform::HexNumber(net::kSoftwareNumber), "SID") +
                         core::MakeTagField(platform::HexNumber(net::kClassEntryData), "FC") +
                         core::MakeTagField(platform::HexNumber(*number), "FID") +
                         core::MakeTagField(package.Name, "Title") +
                         core::MakeTagField(size, "FS") +
                         core::MakeTagField(core::GetTagValue(line, "FCRC"), "FCRC");
        packages.push_back(std::move(package));
    }
    return packages;
}

bool BuildPackageList(std::vector<std::string>& list) {
    std::optional<std::vector<Package>> packages = FetchPackages();
    if (!packages)
        return false;
    for (Package& package : *packages)
        if (!package.Installed)
            list.push_back(std::move(package.Record));
    return true;
}

int ChooseItem(const std::vector<int>& rowStates, int selectedRow, bool autoDownload) {
    if (autoDownload) {
        for (size_t row = 0; row < rowStates.size(); ++row)
            if (rowStates[row] == kRowWaiting)
                return static_cast<int>(row);
        return -1;
    }
    if (selectedRow < 0 || static_cast<size_t>(selectedRow) >= rowStates.size() ||
        rowStates[static_cast<size_t>(selectedRow)] == kRowDone)
        return -1;
    return selectedRow;
}

} // namespace download
