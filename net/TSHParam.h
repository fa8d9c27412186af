#pragma once

#include "net/ParamBlock.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace net {

// Builds the parameter block of a request to the service page: the fields of
// an operation (ParamBlock.h) followed by the check. Holds no state: the
// installation values (client number, IID, PID, program CRC) are read afresh
// for every block. Any thread may use its own builder; the registry store
// serialises what they share.
class TSHParam {
public:
    // Field encodings (EncodeIntField, EncodeTextField). An integer is 32
    // bits; a negative one goes out in two's complement (-1 = "FFFFFFFF").
    static std::string AddIntField(uint8_t tag, int64_t value);
    static std::string AddTextField(uint8_t tag, std::string_view text);

    // `block` followed by its check.
    static std::string AppendCheck(std::string block);

    // The complete block of `operation` (an operation without a layout of
    // its own gets that of 17): the installation values and the protocol
    // constants are filled in here; the operation's own values (chat text and
    // name, last message number, file class and number, offset and length,
    // selector, notice kind) come from `values`. Never fails: a value that
    // cannot be read goes out as 0.
    std::string BuildParams(uint32_t operation, const ParamValues& values = {}) const;

    // The installation's client number: registry value "00000001" (a 32-bit
    // number) under "Software\Marvane" of the current user, made by
    // NewClientId when it is missing or no number. 0 when it can neither be
    // read nor stored.
    uint32_t GetClientId() const;

    // A fresh client number: StrCRC of a random number 0-999 as 8 upper-case
    // hex digits followed by the local time "yyyy-mm-dd hh:nn:ss". Stores
    // nothing.
    static uint32_t NewClientId();

    // Registry values "IID" and "PID" under "Software\Marvane\102": a number,
    // or a text read as a decimal number; 0 when missing or not a number.
    static uint32_t ReadIID();
    static uint32_t ReadPID();

    // CRC-32 of the running program's file; 0 when it cannot be read. The
    // running file cannot change, so it is computed once per process.
    static uint32_t ProgramCrc();
};

} // namespace net
