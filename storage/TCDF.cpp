#include "storage/TCDF.h"

#include "platform/ByteOrder.h"
#include "platform/FileHandle.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "storage/StrCRC.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace storage {
namespace {

constexpr uint64_t kHeaderSize = 12;
// Record offsets are 32-bit in the format; a record may not start beyond.
constexpr uint64_t kMaxRecordOffset = 0xFFFFFFFFu;

// The file opened and flocked for the handle's lifetime: shared for readers,
// exclusive for the appender, so no writer runs while it is open. Not open
// when either step fails.
platform::FileHandle LockedFile(const std::string& path, int flags, int lock) {
    platform::FileHandle file = platform::FileHandle::Open(path, flags, 0644);
    file.Lock(lock);
    return file;
}

CdfHeader ParseHeader(const char* p) {
    CdfHeader h;
    const std::string_view raw(p, kHeaderSize);
    h.Id = platform::ReadLe32(raw, 0);
    h.Size = platform::ReadLe32(raw, 4);
    h.NameSeed = static_cast<uint8_t>(p[8]);
    h.CodeType = static_cast<uint8_t>(p[9]);
    h.Reserved = platform::ReadLe16(raw, 10);
    return h;
}

void FormatHeader(const CdfHeader& h, char* p) {
    platform::PutLe32(p, h.Id);
    platform::PutLe32(p + 4, h.Size);
    p[8] = static_cast<char>(h.NameSeed);
    p[9] = static_cast<char>(h.CodeType);
    platform::PutLe16(p + 10, h.Reserved);
}

// Every complete header from offset 0 on, following the Size chain. The last
// entry may be a torn record: its header is whole but its data runs past the
// end of the file. Headers are read through a page-sized window, so small
// members cost no extra system call while large ones are seeked over.
std::vector<CdfRecord> ScanHeaders(const platform::FileHandle& file, uint64_t fileLength) {
    constexpr size_t kWindow = 4096;
    std::vector<CdfRecord> records;
    char window[kWindow];
    uint64_t windowStart = 0;
    size_t windowLength = 0;
    uint64_t offset = 0;
    while (offset + kHeaderSize <= fileLength) {
        if (offset < windowStart || offset + kHeaderSize > windowStart + windowLength) {
            windowStart = offset;
            windowLength = static_cast<size_t>(std::min<uint64_t>(kWindow, fileLength - offset));
            if (!file.ReadAt(windowStart, window, windowLength))
                break;
        }
        records.push_back({offset, ParseHeader(window + (offset - windowStart))});
        offset += kHeaderSize + records.back().Header.Size;
    }
    return records;
}

// End of the last record whose header and data both lie inside the file.
uint64_t CompleteEnd(const std::vector<CdfRecord>& records, uint64_t fileLength) {
    uint64_t end = 0;
    for (const CdfRecord& r : records) {
        const uint64_t recordEnd = r.Offset + kHeaderSize + r.Header.Size;
        if (recordEnd > fileLength)
            break;
        end = recordEnd;
    }
    return end;
}

// Largest tail an append examines before cutting it; a larger one is left
// alone (and the append refused).
constexpr uint64_t kMaxTornTail = 64u << 20;

// True when [tailStart, fileLength), which does not hold a whole record, is
// certainly what an interrupted append left behind: no position inside it
// starts a chain of whole records ending exactly at the end of the file. Such
// a chain is what follows a record whose size field was damaged, and cutting
// there would destroy intact records. Linear in the tail's length.
bool IsTornTail(const platform::FileHandle& file, uint64_t tailStart, uint64_t fileLength) {
    const uint64_t tailLength = fileLength - tailStart;
    if (tailLength < kHeaderSize)
        return true;
    if (tailLength > kMaxTornTail)
        return false;
    std::string tail(static_cast<size_t>(tailLength), '\0');
    if (!file.ReadAt(tailStart, tail.data(), tail.size()))
        return false;
    // endsChain[p]: the records from p on are whole and end at the file's end.
    std::vector<bool> endsChain(tail.size() + 1, false);
    endsChain[tail.size()] = true;
    for (size_t p = tail.size() - kHeaderSize; p >= 1; --p) {
        const uint64_t next = p + kHeaderSize + platform::ReadLe32(tail, p + 4);
        endsChain[p] = next <= tail.size() && endsChain[static_cast<size_t>(next)];
        if (endsChain[p])
            return false;
    }
    return true;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

const char* ReadStatusText(ReadStatus status) {
    switch (status) {
    case ReadStatus::Ok:
        return "was read";
    case ReadStatus::Absent:
        return "is absent";
    case ReadStatus::Unreadable:
        return "cannot be read";
    case ReadStatus::Damaged:
        return "is damaged";
    case ReadStatus::TooLarge:
        return "is too large";
    case ReadStatus::CannotWrite:
        return "cannot be written out";
    }
    return "is damaged";
}

TCDF::TCDF(std::string fileName) {
    if (!fileName.empty())
        SetFileName(fileName);
}

void TCDF::SetFileName(std::string_view fileName) {
    std::string path = fileName.empty() ? std::string() : platform::DataFile(fileName);
    // Compared exactly: on this platform names differing in case are
    // different files.
    if (path == fileName_)
        return;
    fileName_ = std::move(path);
    indexIds_.clear();
    indexOffsets_.clear();
    indexBuilt_ = false;
}

uint32_t TCDF::NameToId(std::string_view name) const {
    char text[11];
    std::snprintf(text, sizeof text, "%08X%02X", static_cast<unsigned>(WordHash(name)),
                  static_cast<unsigned>(header_.NameSeed));
    return StrCRC(std::string_view(text, 10));
}

std::string TCDF::NumberName(uint32_t number) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(number));
    return std::string(text, 8);
}

bool TCDF::AddStream(std::string_view name, Stream& stream) {
    if (name.empty())
        return false;
    header_.Id = NameToId(name);
    if (header_.CodeType == 128) {
        coder_.Key = header_.Id;
        coder_.Encode(20, stream);
    } else {
        coder_.Encode(header_.CodeType, stream);
    }
    if (stream.size() > 0xFFFFFFFFu || fileName_.empty())
        return false;
    header_.Size = static_cast<uint32_t>(stream.size());

    const platform::FileHandle file = LockedFile(fileName_, O_RDWR | O_CREAT, LOCK_EX);
    if (!file.IsOpen())
        return false;
    const std::optional<uint64_t> length = file.Length();
    if (!length)
        return false;
    // A record cut short by an interrupted append would swallow whatever is
    // written after it (the Size chain jumps past it), so the new record goes
    // where the last complete one ends and the torn tail is dropped. A tail
    // that may hold intact records (behind a damaged size field) is never
    // dropped: the append fails and the file stays as it is.
    const uint64_t end = CompleteEnd(ScanHeaders(file, *length), *length);
    if (end > kMaxRecordOffset)
        return false;
    if (end < *length && !IsTornTail(file, end, *length))
        return false;
    if (end < *length && ::ftruncate(file.Fd(), static_cast<off_t>(end)) != 0)
        return false;

    char raw[kHeaderSize];
    FormatHeader(header_, raw);
    if (!file.WriteAt(end, raw, kHeaderSize) ||
        !file.WriteAt(end + kHeaderSize, stream.data(), stream.size())) {
        // Leave no torn record behind.
        [[maybe_unused]] int ignored = ::ftruncate(file.Fd(), static_cast<off_t>(end));
        return false;
    }
    indexIds_.clear();
    indexOffsets_.clear();
    indexBuilt_ = false;
    return true;
}

bool TCDF::AddStream(uint32_t number, Stream& stream) {
    return AddStream(NumberName(number), stream);
}

bool TCDF::AddInteger(std::string_view name, uint32_t value) {
    Stream stream(4, '\0');
    platform::PutLe32(stream.data(), value);
    return AddStream(name, stream);
}

bool TCDF::AddInteger(uint32_t number, uint32_t value) {
    return AddInteger(NumberName(number), value);
}

bool TCDF::AddFile(std::string_view name, const std::string& filePath) {
    if (name.empty())
        return false;
    Stream stream;
    {
        // Released before the append: the source may be this very container,
        // whose exclusive lock would otherwise wait for us forever.
        const platform::FileHandle file = LockedFile(filePath, O_RDONLY, LOCK_SH);
        if (!file.IsOpen())
            return false;
        const std::optional<uint64_t> length = file.Length();
        if (!length || *length > 0xFFFFFFFFu)
            return false;
        stream.resize(static_cast<size_t>(*length));
        if (!file.ReadAt(0, stream.data(), stream.size()))
            return false;
    }
    return AddStream(name, stream);
}

bool TCDF::AddFile(uint32_t number, const std::string& filePath) {
    return AddFile(NumberName(number), filePath);
}

bool TCDF::ReadStreamById(uint32_t id, Stream& stream) {
    try {
        lastStatus_ = ReadMember(id, stream);
    } catch (const std::bad_alloc&) {
        lastStatus_ = ReadStatus::TooLarge;
    }
    return lastStatus_ == ReadStatus::Ok;
}

template <typename Read> ReadStatus TCDF::WithMember(uint32_t id, Read read) {
    header_.Id = id;
    if (!FileExists(fileName_))
        return ReadStatus::Absent;
    // A second pass covers an index made stale by another writer (the file
    // replaced since it was built): the header found must carry the id.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0)
            BuildIndex();
        if (!FindMember(id))
            return ReadStatus::Absent;
        const platform::FileHandle file = LockedFile(fileName_, O_RDONLY, LOCK_SH);
        if (!file.IsOpen())
            return ReadStatus::Unreadable;
        const std::optional<uint64_t> length = file.Length();
        if (!length)
            return ReadStatus::Unreadable;
        // A header that is not there (the file is now shorter) or carries
        // another id means the index is stale.
        char raw[kHeaderSize];
        if (foundOffset_ + kHeaderSize > *length || !file.ReadAt(foundOffset_, raw, kHeaderSize))
            continue;
        const CdfHeader found = ParseHeader(raw);
        if (found.Id != id)
            continue;
        header_ = found;
        // Never allocate what the file cannot hold.
        if (found.Size > *length - foundOffset_ - kHeaderSize)
            return ReadStatus::Damaged;
        return read(file, foundOffset_ + kHeaderSize, found);
    }
    return ReadStatus::Absent;
}

namespace {

// Checks a record's decoded size against `limit`; `firstWord` is the data's
// first four bytes (the length word of type 2).
ReadStatus CheckSize(const CdfHeader& found, std::string_view firstWord, uint64_t limit) {
    if (found.CodeType == 2) {
        // The length word states the decoded size: checked against the
        // limit before anything is inflated.
        if (firstWord.size() < 4)
            return ReadStatus::Damaged;
        if (platform::ReadLe32(firstWord, 0) > limit)
            return ReadStatus::TooLarge;
    } else if (found.Size > limit) {
        return ReadStatus::TooLarge;
    }
    return ReadStatus::Ok;
}

// Decodes a record's stored bytes in place.
ReadStatus Decode(const CdfHeader& found, TCode& coder, Stream& data) {
    if (found.CodeType == 128) {
        coder.Key = found.Id;
        coder.Decode(20, data);
    } else if (found.CodeType == 2) {
        // Type-2 data that does not inflate (a zero length word included: no
        // append writes one) is damaged; its stored bytes are not the member.
        if (!UnzipStream(data))
            return ReadStatus::Damaged;
    } else {
        coder.Decode(found.CodeType, data);
    }
    return ReadStatus::Ok;
}

} // namespace

ReadStatus TCDF::ReadMember(uint32_t id, Stream& stream) {
    return WithMember(
        id, [&](const platform::FileHandle& file, uint64_t dataOffset, const CdfHeader& found) {
            if (found.Size == 0)
                return ReadStatus::Ok;
            // The length word of type 2 is checked before the data is read.
            char word[4];
            const bool hasWord =
                found.CodeType == 2 && found.Size >= 4 && file.ReadAt(dataOffset, word, 4);
            if (ReadStatus size =
                    CheckSize(found, std::string_view(word, hasWord ? 4 : 0), readLimit_);
                size != ReadStatus::Ok)
                return size;
            Stream data(found.Size, '\0');
            if (!file.ReadAt(dataOffset, data.data(), data.size()))
                return ReadStatus::Unreadable;
            if (ReadStatus decoded = Decode(found, coder_, data); decoded != ReadStatus::Ok)
                return decoded;
            stream.swap(data);
            return ReadStatus::Ok;
        });
}

ReadStatus TCDF::ReadFromImage(std::string_view image, uint32_t number, Stream& stream,
                               uint64_t limit) {
    // The newest record with the id wins, as in a file.
    const uint32_t id = TCDF().NameToId(NumberName(number));
    std::optional<uint64_t> foundOffset;
    CdfHeader found;
    for (uint64_t offset = 0; offset + kHeaderSize <= image.size();) {
        const CdfHeader header = ParseHeader(image.data() + offset);
        if (header.Id == id) {
            foundOffset = offset;
            found = header;
        }
        offset += kHeaderSize + header.Size;
    }
    if (!foundOffset)
        return ReadStatus::Absent;
    const uint64_t dataOffset = *foundOffset + kHeaderSize;
    if (found.Size > image.size() - dataOffset)
        return ReadStatus::Damaged;
    if (found.Size == 0)
        return ReadStatus::Ok;
    const std::string_view data = image.substr(static_cast<size_t>(dataOffset), found.Size);
    if (ReadStatus size = CheckSize(found, data.substr(0, 4), limit); size != ReadStatus::Ok)
        return size;
    Stream decoded(data);
    TCode coder;
    if (ReadStatus status = Decode(found, coder, decoded); status != ReadStatus::Ok)
        return status;
    stream.swap(decoded);
    return ReadStatus::Ok;
}

bool TCDF::ReadMemberHeader(uint32_t number, CdfHeader& header) {
    lastStatus_ = WithMember(NameToId(NumberName(number)),
                             [&](const platform::FileHandle&, uint64_t, const CdfHeader& found) {
                                 header = found;
                                 return ReadStatus::Ok;
                             });
    return lastStatus_ == ReadStatus::Ok;
}

bool TCDF::ReadStreamPart(uint32_t number, uint64_t offset, size_t length, Stream& part,
                          uint64_t& memberSize) {
    const uint32_t id = NameToId(NumberName(number));
    bool whole = false;
    try {
        lastStatus_ = WithMember(id, [&](const platform::FileHandle& file, uint64_t dataOffset,
                                         const CdfHeader& found) {
            if (!TCode::StoresUnchanged(found.CodeType)) {
                whole = true; // decoded below, outside the lock
                return ReadStatus::Ok;
            }
            memberSize = found.Size;
            // Into the caller's buffer: pieces read one after another reuse it.
            part.resize(offset < found.Size
                            ? static_cast<size_t>(std::min<uint64_t>(length, found.Size - offset))
                            : 0);
            if (!file.ReadAt(dataOffset + offset, part.data(), part.size())) {
                part.clear();
                return ReadStatus::Unreadable;
            }
            return ReadStatus::Ok;
        });
    } catch (const std::bad_alloc&) {
        lastStatus_ = ReadStatus::TooLarge;
    }
    if (lastStatus_ != ReadStatus::Ok || !whole)
        return lastStatus_ == ReadStatus::Ok;
    Stream data;
    if (!ReadStreamById(id, data))
        return false;
    memberSize = data.size();
    part = offset < data.size() ? data.substr(static_cast<size_t>(offset), length) : Stream();
    return true;
}

bool TCDF::ReadStream(std::string_view name, Stream& stream) {
    return ReadStreamById(NameToId(name), stream);
}

bool TCDF::ReadStream(uint32_t number, Stream& stream) {
    return ReadStream(NumberName(number), stream);
}

bool TCDF::ReadString(std::string_view name, std::string& text) {
    Stream stream;
    if (!ReadStream(name, stream))
        return false;
    text = std::move(stream);
    return true;
}

bool TCDF::ReadString(uint32_t number, std::string& text) {
    return ReadString(NumberName(number), text);
}

bool TCDF::ReadStrings(std::string_view name, std::vector<std::string>& lines) {
    Stream stream;
    if (!ReadStream(name, stream))
        return false;
    lines = platform::SplitLines(stream);
    return true;
}

bool TCDF::ReadStrings(uint32_t number, std::vector<std::string>& lines) {
    return ReadStrings(NumberName(number), lines);
}

bool TCDF::ReadInteger(std::string_view name, uint32_t& value) {
    Stream stream;
    if (!ReadStream(name, stream))
        return false;
    // A short member replaces only the low-order bytes it has.
    for (size_t i = 0; i < stream.size() && i < 4; ++i) {
        const uint32_t shift = static_cast<uint32_t>(8 * i);
        value = (value & ~(0xFFu << shift)) |
                static_cast<uint32_t>(static_cast<unsigned char>(stream[i])) << shift;
    }
    return true;
}

bool TCDF::ReadInteger(uint32_t number, uint32_t& value) {
    return ReadInteger(NumberName(number), value);
}

bool TCDF::ReadToFile(std::string_view name, const std::string& filePath) {
    Stream stream;
    if (!ReadStream(name, stream))
        return false;
    platform::FileHandle file =
        platform::FileHandle::Open(filePath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool written = file.IsOpen() && file.WriteAll(stream);
    written = file.Close() && written;
    if (!written)
        lastStatus_ = ReadStatus::CannotWrite;
    return written;
}

bool TCDF::ReadToFile(uint32_t number, const std::string& filePath) {
    return ReadToFile(NumberName(number), filePath);
}

void TCDF::BuildIndex() {
    indexIds_.clear();
    indexOffsets_.clear();
    indexBuilt_ = true;
    std::vector<std::pair<uint32_t, uint64_t>> entries;
    for (const CdfRecord& r : Records())
        entries.emplace_back(r.Header.Id, r.Offset);
    std::sort(entries.begin(), entries.end());
    indexIds_.reserve(entries.size());
    indexOffsets_.reserve(entries.size());
    for (const auto& [id, offset] : entries) {
        indexIds_.push_back(id);
        indexOffsets_.push_back(offset);
    }
}

bool TCDF::FindMember(uint32_t id) {
    if (!indexBuilt_ || indexIds_.empty())
        BuildIndex();
    // Of several records with this id the newest (last appended, highest
    // offset) wins: a re-appended member supersedes the old one.
    const auto it = std::upper_bound(indexIds_.begin(), indexIds_.end(), id);
    if (it == indexIds_.begin() || *(it - 1) != id)
        return false;
    foundOffset_ = indexOffsets_[static_cast<size_t>(it - indexIds_.begin()) - 1];
    return true;
}

std::vector<CdfRecord> TCDF::Records() const {
    if (!FileExists(fileName_))
        return {};
    const platform::FileHandle file = LockedFile(fileName_, O_RDONLY, LOCK_SH);
    if (!file.IsOpen())
        return {};
    const std::optional<uint64_t> length = file.Length();
    if (!length)
        return {};
    return ScanHeaders(file, *length);
}

int FindSorted(std::string_view text, const std::vector<std::string>& list, int low, int high) {
    if (list.empty())
        return -1;
    low = std::max(low, 0);
    high = std::min(high, static_cast<int>(list.size()) - 1);
    for (;;) {
        if (high < low)
            return -1;
        const int d = high - low;
        if (d <= 9) {
            for (int i = low; i <= high; ++i)
                if (platform::EqualIgnoringAsciiCase(text, list[static_cast<size_t>(i)]))
                    return i;
            return -1;
        }
        const std::string_view lowLine = list[static_cast<size_t>(low)];
        const std::string_view highLine = list[static_cast<size_t>(high)];
        if (text < lowLine || text > highLine)
            return -1;
        if (platform::EqualIgnoringAsciiCase(text, lowLine))
            return low;
        if (platform::EqualIgnoringAsciiCase(text, highLine))
            return high;
        const int mid = low + d / 2;
        const std::string_view midLine = list[static_cast<size_t>(mid)];
        if (text < midLine) {
            low = low + 1;
            high = mid - 1;
        } else if (text > midLine) {
            low = mid + 1;
            high = high - 1;
        } else {
            return mid;
        }
    }
}

} // namespace storage
