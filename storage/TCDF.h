#pragma once

#include "storage/TCode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace storage {

// 12-byte record header, little-endian on disk.
struct CdfHeader {
    uint32_t Id = 0;
    uint32_t Size = 0;
    uint8_t NameSeed = 0;
    uint8_t CodeType = 0;
    uint16_t Reserved = 0;
};

// Why the last read of a member failed (or that it did not).
enum class ReadStatus {
    Ok,
    Absent,      // no such file, or no member with that id
    Unreadable,  // the file exists but cannot be opened or read
    Damaged,     // the record runs past the file, or its data does not decode
    TooLarge,    // the decoded member would exceed the read limit
    CannotWrite, // ReadToFile: the output file cannot be written
};

// How a failed read reads in a message: "is damaged", "is too large", ...
// (English, to follow the name of what was read).
const char* ReadStatusText(ReadStatus status);

// The largest decoded member a TCDF reads unless told otherwise.
inline constexpr uint64_t kDefaultReadLimit = 64u << 20;

// One record as found on disk by a scan.
struct CdfRecord {
    uint64_t Offset = 0;
    CdfHeader Header;
};

// Compound data file: an append-only file of records (12-byte header + coded
// data), members found by a 32-bit id derived from a name. Members are named
// by text or by number (the number as eight upper-case hex digits). Not
// thread-safe; each user creates its own object. Files are opened per
// operation and closed before it returns.
class TCDF {
public:
    explicit TCDF(std::string fileName = {});

    // An absolute path is kept; any other names a data file, found through
    // platform::DataFile (the user folder's copy, else the program folder's),
    // with "\" separators translated. Changing file empties the index.
    void SetFileName(std::string_view fileName);
    const std::string& FileName() const { return fileName_; }

    void SetNameSeed(uint8_t seed) { header_.NameSeed = seed; }
    void SetCodeType(uint8_t type) { header_.CodeType = type; }
    // The current header: set by appends and overwritten by every read.
    const CdfHeader& Header() const { return header_; }

    uint32_t NameToId(std::string_view name) const;
    static std::string NumberName(uint32_t number); // 5 -> "00000005"

    // Appending. The stream is coded in place and holds the stored bytes
    // afterwards. False for an empty name, when the file cannot be written,
    // and when it ends in bytes that may hold intact records behind a
    // damaged size field (the file is then left as it is).
    bool AddStream(std::string_view name, Stream& stream);
    bool AddStream(uint32_t number, Stream& stream);
    bool AddInteger(std::string_view name, uint32_t value);
    bool AddInteger(uint32_t number, uint32_t value);
    bool AddFile(std::string_view name, const std::string& filePath);
    bool AddFile(uint32_t number, const std::string& filePath);

    // The largest decoded member a read accepts, in bytes; a member beyond it
    // fails with ReadStatus::TooLarge before its data is decoded. Readers set
    // the size they can really use (an entry record, a help document).
    void SetReadLimit(uint64_t bytes) { readLimit_ = bytes; }
    // The outcome of the last read (Ok after a success).
    ReadStatus LastReadStatus() const { return lastStatus_; }

    // Reading by id, by name and by number. False leaves the output untouched
    // and LastReadStatus() says why; no read throws, an allocation that fails
    // included.
    // A zero-length member succeeds and leaves the output as it was (an empty
    // list for ReadStrings, an empty file for ReadToFile); any other member
    // replaces the stream's contents with its decoded bytes. Of several
    // records with one id the newest (last appended) is read. The file paths
    // of AddFile and ReadToFile are native paths used as given.
    bool ReadStreamById(uint32_t id, Stream& stream);
    bool ReadStream(std::string_view name, Stream& stream);
    bool ReadStream(uint32_t number, Stream& stream);
    bool ReadString(std::string_view name, std::string& text);
    bool ReadString(uint32_t number, std::string& text);
    bool ReadStrings(std::string_view name, std::vector<std::string>& lines);
    bool ReadStrings(uint32_t number, std::vector<std::string>& lines);
    bool ReadInteger(std::string_view name, uint32_t& value);
    bool ReadInteger(uint32_t number, uint32_t& value);
    bool ReadToFile(std::string_view name, const std::string& filePath);
    bool ReadToFile(uint32_t number, const std::string& filePath);
    // Reads member `number` (name seed 0) of a compound data file held in
    // memory, as ReadStream reads it from a file: the newest record wins, a
    // record running past the image is Damaged, a decoded size beyond
    // `limit` TooLarge. For packages fetched into memory.
    static ReadStatus ReadFromImage(std::string_view image, uint32_t number, Stream& stream,
                                    uint64_t limit = kDefaultReadLimit);

    // The header of a member's newest record, its data checked to lie in the
    // file; false when there is none.
    bool ReadMemberHeader(uint32_t number, CdfHeader& header);
    // Bytes offset .. offset + length - 1 of a member's decoded bytes (fewer
    // where the member ends first) and the decoded size. A member stored
    // unchanged is read in part, any other is decoded whole first. False as
    // for ReadStream; `part` is then empty or untouched. `part` keeps its
    // capacity, so a caller reading piece after piece reuses one buffer.
    bool ReadStreamPart(uint32_t number, uint64_t offset, size_t length, Stream& part,
                        uint64_t& memberSize);

    // Index: built by one pass over the headers on first lookup, emptied by
    // every append and change of file. FindMember remembers the offset of the
    // newest record with the id.
    void BuildIndex();
    bool FindMember(uint32_t id);

    // Every complete record header in file order (for inspection tools).
    std::vector<CdfRecord> Records() const;

private:
    // Finds the newest record with `id` under a shared lock and returns
    // read(file, dataOffset, header) with its data checked to lie in the
    // file, or why there is no such record.
    template <typename Read> ReadStatus WithMember(uint32_t id, Read read);
    ReadStatus ReadMember(uint32_t id, Stream& stream);

    std::string fileName_;
    TCode coder_;
    CdfHeader header_;
    std::vector<uint32_t> indexIds_;     // sorted by id, then offset
    std::vector<uint64_t> indexOffsets_; // parallel to indexIds_
    bool indexBuilt_ = false;
    uint64_t foundOffset_ = 0;
    uint64_t readLimit_ = kDefaultReadLimit;
    ReadStatus lastStatus_ = ReadStatus::Ok;
};

// Search of a sorted list: byte-wise order, equality ignoring ASCII case;
// bisects while the range is wider than 10 lines, then scans. -1 when absent.
int FindSorted(std::string_view text, const std::vector<std::string>& list, int low, int high);

} // namespace storage
