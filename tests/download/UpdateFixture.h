#pragma once

#include "download/TSoftUpdate.h"
#include "net/TShakeHand.h"
#include "storage/StrCRC.h"
#include "tests/download/DownloadFixture.h"

#include <algorithm>
#include <sys/stat.h>

namespace download::test {

// The software update against the service's real handlers: update files
// offered from the service folder's "updates", the program folder of the
// test, and a folder outside it that nothing may touch.
class UpdateTest : public DownloadTest {
protected:
    UpdateTest() {
        std::string pattern = (fs::temp_directory_path() / "quendic-outside-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        outside_ = pattern + "/";
        WriteFile(outside_ + "x", "outside");
    }
    ~UpdateTest() override { fs::remove_all(outside_); }

    // Offers `bytes` as update file `fid`; `fields` are the rest of its line
    // in updates.lst ("LFn", "LFp", "User", "CID", "UM").
    void Offer(uint32_t fid, const std::string& bytes, const std::string& fields) {
        WriteFile(Data() + "/updates/" + platform::HexNumber(fid), bytes);
        std::ofstream(Data() + "/updates/updates.lst", std::ios::binary | std::ios::app)
            << core::MakeTagField(platform::HexNumber(fid), "FID") << fields << "\r\n";
    }

    // The update list record the service makes of such an offer.
    static std::string Record(uint32_t fid, const std::string& bytes, const std::string& fields) {
        return core::MakeTagField(platform::HexNumber(fid), "FID") + fields +
               core::MakeTagField(platform::HexNumber(storage::Crc32(bytes)), "FCrc") +
               core::MakeTagField(platform::HexNumber(static_cast<uint32_t>(bytes.size())), "FS");
    }

    // A file of the program folder, with its permission bits.
    void Install(const std::string& name, const std::string& bytes, mode_t mode = 0644) {
        WriteFile(folders_ / name, bytes);
        ::chmod((folders_ / name).c_str(), mode);
    }
    static mode_t Mode(const std::string& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_mode & 07777;
    }

    // What the outside folder holds, name and bytes.
    std::vector<std::string> OutsideFiles() const {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(outside_))
            files.push_back(entry.path().string() + "=" + ReadFile(entry.path().string()));
        std::sort(files.begin(), files.end());
        return files;
    }

    static std::string ClientId() { return platform::HexNumber(net::TShakeHand().GetClientId()); }

    std::string outside_;
    TSoftUpdate update_{log_.get()};
};

} // namespace download::test
