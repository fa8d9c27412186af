#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// Shared free functions: file checksums, list and file helpers, the name/value
// settings file and the IP lookup. They hold no state, never throw and report
// failure through their result. Paths are native paths (see platform/Paths.h)
// unless a function says otherwise.

// Standard CRC-32 (register started at all ones, result complemented) of the
// file's bytes; 0 when the file cannot be opened, and 0 for an empty file.
uint32_t FileCrc(const std::string& path);

// True when some line of `list` equals `text` ignoring ASCII letter case.
bool ListContains(std::string_view text, const std::vector<std::string>& list);

// Size in bytes (the low 32 bits, 0..4294967295) of the file at `path`; 0 for a
// folder; -1 when nothing is there.
int64_t FileSizeOf(const std::string& path);

// Makes sure the folder part of `filePath` exists, creating every missing
// level; true when it exists afterwards (a bare file name needs no folder).
bool ForceFileDir(const std::string& filePath);

// The stored-path form: appends "\" when `path` is not empty and does not end
// with one already.
std::string AddBackslash(std::string_view path);

// Appends the first `count` bytes of `source` (all of it for count 0, at most
// what is there) to the end of `target`, which is created when missing. False
// when the source does not exist or the target cannot be written.
bool AppendFile(const std::string& target, const std::string& source, uint64_t count);

// Copies `length` bytes of `source` from `offset` (to its end for length 0)
// into a new file `target` (created or overwritten), which then gets the
// source's modification and access times. A source shorter than offset +
// length still succeeds with the bytes that were there. False when the source
// cannot be opened, the target cannot be created or a write falls short.
bool CopyFileRange(const std::string& source, const std::string& target, uint64_t offset,
                   uint64_t length);

// For every byte of `text` two upper-case hexadecimal digits of byte ^ key.
std::string HexXor(std::string_view text, uint8_t key);

// The name/value settings file: the ZipStream form of lines
// MakeTagField(name, "Name") + MakeTagField(value, "Value"), CR LF after each.
// `filePath` empty means "nv.dat"; a relative path (a bare name or a stored
// path such as "fu\nv.dat") is read as a data file (platform::DataFile: the
// user folder's copy, else the program folder's) and written in the user
// folder; an absolute one is used as it is. Names match ignoring ASCII case. A
// line break inside a value is stored as "<0D0A>" and read back as CR LF.

// False when the file is missing or unreadable or holds no such name.
bool ReadNameValue(std::string_view name, std::string& value, std::string_view filePath = {});

// Replaces the first line with that name, or appends one. The file is written
// to a temporary file in the same folder that is then renamed over it, so an
// interrupted write leaves the old file whole. An existing file that does not
// unzip counts as empty. False when the file cannot be written.
bool WriteNameValue(std::string_view name, std::string_view value, std::string_view filePath = {});

// The lines of a text file (CR LF, LF or CR breaks), after UnzipStream when
// `unzip` is set. Empty when the file is missing, or does not unzip.
std::vector<std::string> LoadListFile(const std::string& path, bool unzip);

// Changes a list file as one step: under the file's writers' lock
// (platform::FileLock on `path`) it loads the lines as LoadListFile does, lets
// `change` alter them and, when `change` returns true, writes them back (in the
// ZipStream form when `zip` is set) through a temporary file that is renamed
// over the old one. Readers never see a half-written file, and two writers
// (threads or processes) never lose each other's lines.
//
// A file that is there but does not unzip is never overwritten: it is renamed
// aside to `path` + ".damaged" (".damaged.1", ".damaged.2", ... when that name
// is taken) and the list starts empty. An empty file counts as an empty list.
// False when the file cannot be read (other than missing), kept aside or
// written, or `change` returned false; the file is then as it was.
bool UpdateListFile(const std::string& path, bool zip,
                    const std::function<bool(std::vector<std::string>& lines)>& change);

// UpdateListFile appending `line`, or all of `lines` in one write.
bool AppendListFile(std::string_view line, const std::string& path, bool zip);
bool AppendListFile(const std::vector<std::string>& lines, const std::string& path, bool zip);

// The base address of the IP lookup service, taken from $QUENDIC_IPS_URL at
// start (platform::Environment; for example "http://127.0.0.1:8080"); empty
// when unset, and then no lookup is made at all.
std::string IpLookupAddress();

// The network operator and place of `ip`: the page IpLookupAddress() +
// "/ips.asp?ip=" + ip, narrowed to its three result parts, joined. Empty when
// no lookup address is configured or the page cannot be fetched. Only the
// first kLookupPageLimit bytes of the page are read, and the lookup takes at
// most about kLookupSeconds.
inline constexpr size_t kLookupPageLimit = 256 * 1024;
inline constexpr long kLookupSeconds = 15;
std::string LookupIpNetwork(std::string_view ip);

// The three result parts of a lookup page, joined: after "本站主数据：", after
// "查询结果2：" (each up to "</li><li>") and after "查询结果3：" (up to
// "</li></ul>"), all inside the part between "您查询的IP:" and
// "如果您发现查询结果". The page and the result are GBK.
std::string IpNetworkFromPage(std::string_view page);

// The lines joined, each followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

} // namespace core
