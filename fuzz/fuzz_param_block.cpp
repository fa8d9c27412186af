// The parameter-block decoder on any bytes, as the service meets them in a
// request. The input is tried as a whole block, and as the fields of one with
// their check appended, so that changes reach past the check. A block that
// decodes is exactly what the encoder makes of its values.
#include "net/ParamBlock.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string checked = std::string(input) + net::BlockCheck(input);
    for (const std::string_view block : {input, std::string_view(checked)}) {
        const net::DecodedBlock decoded = net::DecodeParamBlock(block);
        if (decoded.Error != net::BlockError::None)
            continue;
        const std::string fields = net::EncodeFields(decoded.Values.Operation, decoded.Values);
        if (fields + net::BlockCheck(fields) != block)
            __builtin_trap(); // one block, one encoding
    }
    return 0;
}
