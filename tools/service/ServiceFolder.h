#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// One update that the update list offers: its record (the update-list
// fields, GBK) and the file that class-9 requests for its number get.
struct UpdateFile {
    uint32_t Fid = 0;
    std::string Record;
    std::string Path;
};

// The data folder quendic-service serves (layout in docs/formats.md). Files
// are read at every request, so a folder rewritten while the service runs is
// served as it is now. Safe to use from several threads (it only reads).
class ServiceFolder {
public:
    explicit ServiceFolder(std::string root);

    const std::string& Root() const { return root_; }

    // The file a class and number name: class 11 the entry data file
    // "11/XX.dat" (XX the number in upper-case hex, at least two digits),
    // class 9 the update file of that number. Empty when there is no such
    // regular file.
    std::string FilePath(uint32_t fileClass, uint32_t fileNumber) const;

    // The non-empty lines of packages.lst.
    std::vector<std::string> PackageLines() const;

    // One "<TXT>text</TXT>" line, with "<Url>address</Url>" when given, per
    // line of notices.txt ("text" TAB "address"); a default pair when the
    // file is missing.
    std::vector<std::string> NoticeLines() const;

    // The network text of an address from ips.txt ("prefix" TAB "text"):
    // the line with the longest prefix of `ip`; "未知" when none matches.
    std::string NetworkOf(std::string_view ip) const;

    // The updates of updates.lst whose file is there, with "FCrc" and "FS"
    // taken from the file itself.
    std::vector<UpdateFile> Updates() const;

    // The update list as the program downloads it: ZipStream of the update
    // records (CR LF after each) followed by the 4-byte little-endian
    // trailer 102001. Nothing when there is no update.
    std::optional<std::string> UpdateListBody() const;

private:
    std::vector<std::string> Lines(std::string_view name) const;
    // The updates of updates.lst with a number and a file, Record holding
    // the line as listed (no file is read).
    std::vector<UpdateFile> ListedUpdates() const;

    std::string root_;
};

// UTF-8 text of this program's own messages, as GBK.
std::string Gbk(std::string_view utf8);

} // namespace standin
