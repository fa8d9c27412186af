// The compound data file and its stream codings: any bytes as a container,
// every record it holds read back, one member appended (the torn-tail check
// runs over whatever is there) and read again; the codings on the raw bytes.
#include "FuzzSupport.h"

#include "storage/TCDF.h"
#include "storage/TCode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzzsupport::Folder() + "container.dat";
    fuzzsupport::WriteFile(path, bytes);
    storage::TCDF cdf(path);
    cdf.SetReadLimit(1u << 20);
    for (const storage::CdfRecord& record : cdf.Records()) {
        storage::Stream member;
        cdf.ReadStreamById(record.Header.Id, member);
    }
    std::vector<std::string> lines;
    cdf.ReadStrings(0u, lines);
    storage::Stream appended = "appended";
    if (cdf.AddStream(7u, appended)) {
        std::string text;
        if (!cdf.ReadString(7u, text) || text != "appended")
            __builtin_trap(); // a member just appended must read back
    }
    storage::TCode coder;
    coder.Key = size;
    for (const uint8_t type : {1, 2, 20, 28, 128}) {
        storage::Stream stream = bytes;
        coder.Decode(type, stream);
    }
    return 0;
}
