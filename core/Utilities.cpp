#include "core/Utilities.h"

#include "core/TaggedText.h"
#include "platform/Environment.h"
#include "platform/FileHandle.h"
#include "platform/FileIO.h"
#include "platform/FileLock.h"
#include "platform/Http.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "storage/StrCRC.h"
#include "storage/TCode.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace core {

namespace {

constexpr size_t kChunk = 16384;

// Line breaks cannot stand inside a one-setting-per-line record.
std::string EscapeBreaks(std::string_view text) {
    std::string escaped = platform::ReplaceAll(text, "\r\n", "<0D0A>");
    escaped = platform::ReplaceAll(escaped, "\n", "<0D0A>");
    return platform::ReplaceAll(escaped, "\r", "<0D0A>");
}

std::string UnescapeBreaks(std::string_view text) {
    std::string plain;
    for (size_t i = 0; i < text.size();) {
        if (i + 6 <= text.size() && platform::EqualIgnoringAsciiCase(text.substr(i, 6), "<0D0A>")) {
            plain += "\r\n";
            i += 6;
        } else {
            plain += text[i++];
        }
    }
    return plain;
}

std::string_view NameValueName(std::string_view filePath) {
    return filePath.empty() ? std::string_view("nv.dat") : filePath;
}

// The lines of a file, unzipped when asked; empty when missing or not in
// the zipped form.
std::vector<std::string> LoadLines(const std::string& path, bool unzip) {
    std::optional<std::string> bytes = platform::ReadWholeFile(path);
    if (!bytes)
        return {};
    if (unzip && !storage::UnzipStream(*bytes))
        return {};
    return platform::SplitLines(*bytes);
}

bool SaveLines(const std::string& path, const std::vector<std::string>& lines, bool zip) {
    std::string bytes = JoinLines(lines);
    if (zip && !storage::ZipStream(bytes))
        return false;
    return platform::WriteFileAtomically(path, bytes);
}

// Renames a damaged file to the first free name of path + ".damaged",
// ".damaged.1", ...; an earlier damaged copy is never replaced.
bool KeepAside(const std::string& path) {
    constexpr int kMaxCopies = 1000;
    for (int n = 0; n < kMaxCopies; ++n) {
        std::string aside = path + ".damaged";
        if (n > 0)
            aside += "." + std::to_string(n);
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0)
            return true;
        if (errno == EEXIST)
            continue;
        // File systems without RENAME_NOREPLACE: the writers' lock is held,
        // so a name seen free stays free until the rename.
        if (errno != EINVAL && errno != ENOSYS)
            return false;
        struct stat info {};
        if (lstat(aside.c_str(), &info) == 0)
            continue;
        return errno == ENOENT && rename(path.c_str(), aside.c_str()) == 0;
    }
    return false;
}

std::string UrlEscape(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string escaped;
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
            c == '.' || c == '-' || c == '_' || c == ':') {
            escaped += c;
        } else {
            escaped += '%';
            escaped += hex[u >> 4];
            escaped += hex[u & 15];
        }
    }
    return escaped;
}

} // namespace

uint32_t FileCrc(const std::string& path) {
    return storage::FileCrc32(path);
}

bool ListContains(std::string_view text, const std::vector<std::string>& list) {
    for (const std::string& line : list)
        if (platform::EqualIgnoringAsciiCase(line, text))
            return true;
    return false;
}

int64_t FileSizeOf(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0)
        return -1;
    if (S_ISDIR(info.st_mode))
        return 0;
    return static_cast<int64_t>(static_cast<uint64_t>(info.st_size) & 0xFFFFFFFFu);
}

bool ForceFileDir(const std::string& filePath) {
    auto slash = filePath.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return true;
    std::filesystem::path folder = filePath.substr(0, slash);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

std::string AddBackslash(std::string_view path) {
    std::string result(path);
    if (!result.empty() && result.back() != '\\')
        result += '\\';
    return result;
}

bool AppendFile(const std::string& target, const std::string& source, uint64_t count) {
    platform::FileHandle in = platform::FileHandle::Open(source, O_RDONLY);
    if (!in.IsOpen())
        return false;
    platform::FileHandle out =
        platform::FileHandle::Open(target, O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (!out.IsOpen())
        return false;
    // "The whole source" is its size now, so appending a file to itself ends.
    struct stat info {};
    if (count == 0 && fstat(in.Fd(), &info) == 0 && S_ISREG(info.st_mode))
        count = static_cast<uint64_t>(info.st_size);
    if (count == 0)
        return true;
    char buffer[kChunk];
    uint64_t left = count;
    while (left > 0) {
        size_t want = left > sizeof buffer ? sizeof buffer : static_cast<size_t>(left);
        ssize_t n = in.Read(buffer, want);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (out.Write(buffer, static_cast<size_t>(n)) != static_cast<size_t>(n))
            return false;
        left -= static_cast<uint64_t>(n);
    }
    return true;
}

bool CopyFileRange(const std::string& source, const std::string& target, uint64_t offset,
                   uint64_t length) {
    platform::FileHandle in = platform::FileHandle::Open(source, O_RDONLY);
    if (!in.IsOpen())
        return false;
    platform::FileHandle out =
        platform::FileHandle::Open(target, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!out.IsOpen())
        return false;
    if (lseek(in.Fd(), static_cast<off_t>(offset), SEEK_SET) < 0)
        return false;
    char buffer[kChunk];
    uint64_t left = length;
    ssize_t lastRead = 0;
    size_t lastWritten = 0;
    while (length == 0 || left > 0) {
        size_t want =
            length == 0 || left > sizeof buffer ? sizeof buffer : static_cast<size_t>(left);
        lastRead = in.Read(buffer, want);
        if (lastRead <= 0)
            break;
        lastWritten = out.Write(buffer, static_cast<size_t>(lastRead));
        if (lastWritten != static_cast<size_t>(lastRead))
            break;
        left -= static_cast<uint64_t>(lastRead);
    }
    struct stat info {};
    if (fstat(in.Fd(), &info) == 0) {
        timespec times[2] = {info.st_atim, info.st_mtim};
        futimens(out.Fd(), times);
    }
    if (lastRead < 0)
        return false;
    // A read that ended the copy (0 bytes) was matched by no write.
    return lastRead == 0 || lastWritten == static_cast<size_t>(lastRead);
}

std::string HexXor(std::string_view text, uint8_t key) {
    static const char hex[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(text.size() * 2);
    for (char c : text) {
        unsigned char x = static_cast<unsigned char>(static_cast<unsigned char>(c) ^ key);
        result += hex[x >> 4];
        result += hex[x & 15];
    }
    return result;
}

bool ReadNameValue(std::string_view name, std::string& value, std::string_view filePath) {
    for (const std::string& line : LoadLines(platform::DataFile(NameValueName(filePath)), true)) {
        if (platform::EqualIgnoringAsciiCase(UnescapeBreaks(GetTagValue(line, "Name")), name)) {
            value = UnescapeBreaks(GetTagValue(line, "Value"));
            return true;
        }
    }
    return false;
}

bool WriteNameValue(std::string_view name, std::string_view value, std::string_view filePath) {
    const std::string target = platform::UserFileForWriting(NameValueName(filePath));
    const std::string record =
        MakeTagField(EscapeBreaks(name), "Name") + MakeTagField(EscapeBreaks(value), "Value");
    return UpdateListFile(target, true, [&](std::vector<std::string>& lines) {
        // The user's copy starts from the program folder's when it has none.
        std::error_code error;
        const std::string source = platform::DataFile(NameValueName(filePath));
        if (source != target && !std::filesystem::exists(target, error))
            lines = LoadLines(source, true);
        for (std::string& line : lines) {
            if (platform::EqualIgnoringAsciiCase(UnescapeBreaks(GetTagValue(line, "Name")), name)) {
                line = record;
                return true;
            }
        }
        lines.push_back(record);
        return true;
    });
}

std::vector<std::string> LoadListFile(const std::string& path, bool unzip) {
    return LoadLines(path, unzip);
}

bool UpdateListFile(const std::string& path, bool zip,
                    const std::function<bool(std::vector<std::string>& lines)>& change) {
    const platform::FileLock lock(path);
    if (!lock.Held())
        return false;
    platform::RemoveStrayTemporaries(path);
    std::vector<std::string> lines;
    std::optional<std::string> bytes = platform::ReadWholeFile(path);
    if (!bytes && errno != ENOENT)
        return false;
    if (bytes && !bytes->empty()) {
        if (zip && !storage::UnzipStream(*bytes)) {
            if (!KeepAside(path))
                return false;
        } else {
            lines = platform::SplitLines(*bytes);
        }
    }
    if (!change(lines))
        return false;
    return SaveLines(path, lines, zip);
}

bool AppendListFile(std::string_view line, const std::string& path, bool zip) {
    return UpdateListFile(path, zip, [line](std::vector<std::string>& lines) {
        lines.emplace_back(line);
        return true;
    });
}

bool AppendListFile(const std::vector<std::string>& added, const std::string& path, bool zip) {
    return UpdateListFile(path, zip, [&added](std::vector<std::string>& lines) {
        lines.insert(lines.end(), added.begin(), added.end());
        return true;
    });
}

std::string IpLookupAddress() {
    return platform::CurrentEnvironment().IpLookupAddress;
}

std::string LookupIpNetwork(std::string_view ip) {
    std::string base = IpLookupAddress();
    if (base.empty())
        return {};
    // The result parts stand at the top of the page: a page that goes on
    // without end is read no further than kLookupPageLimit, and a lookup
    // that trickles gives up after kLookupSeconds.
    platform::HttpRequest request;
    request.connectTimeoutSeconds = kLookupSeconds;
    request.totalTimeoutSeconds = kLookupSeconds;
    std::string page;
    const platform::HttpReply reply = platform::HttpFetch(
        base + "/ips.asp?ip=" + UrlEscape(ip), request, [&page](std::string_view piece) {
            page.append(piece.substr(0, kLookupPageLimit - page.size()));
            return page.size() < kLookupPageLimit;
        });
    if (!reply.ok && !(reply.stopped && page.size() == kLookupPageLimit))
        return {};
    return IpNetworkFromPage(page);
}

std::string IpNetworkFromPage(std::string_view page) {
    // The markers are GBK, as the page is: "您查询的IP:", "如果您发现查询结果",
    // "本站主数据：", "查询结果2：", "查询结果3：".
    const std::string queried = "\xC4\xFA\xB2\xE9\xD1\xAF\xB5\xC4"
                                "IP:";
    const std::string ifYouFind =
        "\xC8\xE7\xB9\xFB\xC4\xFA\xB7\xA2\xCF\xD6\xB2\xE9\xD1\xAF\xBD\xE1\xB9\xFB";
    const std::string mainData = "\xB1\xBE\xD5\xBE\xD6\xF7\xCA\xFD\xBE\xDD\xA3\xBA";
    const std::string result2 = "\xB2\xE9\xD1\xAF\xBD\xE1\xB9\xFB"
                                "2\xA3\xBA";
    const std::string result3 = "\xB2\xE9\xD1\xAF\xBD\xE1\xB9\xFB"
                                "3\xA3\xBA";
    std::string text = TextBetween(page, queried, ifYouFind);
    return TextBetween(text, mainData, "</li><li>") + TextBetween(text, result2, "</li><li>") +
           TextBetween(text, result3, "</li></ul>");
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace core
