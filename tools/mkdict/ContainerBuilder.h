#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tools {

// Assembles a compound data file in memory: records of a 12-byte header (id,
// size, name seed 0, coding type 0 = stored unchanged, reserved 0) and the
// member bytes, in the order added. Ids come from storage::TCDF::NameToId,
// so the result reads back through storage::TCDF. The tool writes tens of
// thousands of members; appending them one by one through TCDF rescans the
// file for every append, which this avoids.
class ContainerBuilder {
public:
    void Add(std::string_view name, std::string_view data);
    void Add(uint32_t number, std::string_view data);
    const std::string& Bytes() const { return bytes_; }
    // Writes the bytes to `path`, replacing the file. False on a write error.
    bool Save(const std::string& path) const;

private:
    std::string bytes_;
};

} // namespace tools
