#include "platform/Gbk.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

// An iconv descriptor opened on first use and kept for the thread's life:
// opening one costs more than converting a line of text.
class Descriptor {
public:
    Descriptor(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Descriptor() {
        if (Valid())
            iconv_close(cd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return cd_; }

private:
    iconv_t cd_;
};

// Converts with iconv; on an unconvertible or invalid sequence calls
// `onBad(out)` and skips `skip(in)` bytes of input. ASCII is the same in
// both encodings and is copied as it is.
template <typename OnBad, typename Skip>
std::string Convert(const Descriptor& descriptor, std::string_view input, OnBad onBad, Skip skip) {
    if (std::all_of(input.begin(), input.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(input);
    if (!descriptor.Valid())
        return {};
    iconv_t cd = descriptor.Get();
    iconv(cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
    std::string out;
    out.reserve(input.size() * 2);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (rc != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (truncated at the end): skip the offending input.
        onBad(out);
        size_t n = skip(std::string_view(in, inLeft));
        in += n;
        inLeft -= n;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

// Length of the UTF-8 sequence that starts `rest` (1 for an invalid lead byte).
size_t Utf8SequenceLength(std::string_view rest) {
    unsigned char c = static_cast<unsigned char>(rest.front());
    size_t n = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    size_t i = 1;
    while (i < n && i < rest.size() && (static_cast<unsigned char>(rest[i]) & 0xC0) == 0x80)
        ++i;
    return i;
}

} // namespace

std::string GbkToUtf8(std::string_view gbk) {
    thread_local const Descriptor descriptor("UTF-8", "GBK");
    return Convert(
        descriptor, gbk, [](std::string& out) { out += "\xEF\xBF\xBD"; },
        [](std::string_view rest) {
            // An unknown two-byte code is one character; a lead byte that is
            // not followed by a possible trail byte is dropped alone, so the
            // text after it (often ASCII) survives.
            unsigned char c = static_cast<unsigned char>(rest.front());
            unsigned char t = rest.size() >= 2 ? static_cast<unsigned char>(rest[1]) : 0;
            bool pair = IsGbkLeadByte(c) && t >= 0x40 && t <= 0xFE && t != 0x7F;
            return pair ? size_t{2} : size_t{1};
        });
}

std::string Utf8ToGbk(std::string_view utf8) {
    thread_local const Descriptor descriptor("GBK", "UTF-8");
    return Convert(
        descriptor, utf8, [](std::string&) {}, Utf8SequenceLength);
}

std::size_t GbkCharStart(std::string_view text, std::size_t pos) {
    if (pos >= text.size())
        return text.size();
    std::size_t start = 0;
    while (true) {
        const std::size_t next = start + GbkCharLength(text, start);
        if (next > pos)
            return start;
        start = next;
    }
}

std::size_t GbkCharCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += GbkCharLength(text, pos))
        ++count;
    return count;
}

std::string_view GbkPrefix(std::string_view text, std::size_t maxBytes) {
    if (maxBytes >= text.size())
        return text;
    return text.substr(0, GbkCharStart(text, maxBytes));
}

} // namespace platform
