#include "tools/service/BlockQueryAnswer.h"

#include "net/BlockQuery.h"
#include "net/Protocol.h"
#include "platform/Text.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <system_error>

namespace standin {
namespace {

BlockQueryAnswer Error(int status, std::string_view utf8) {
    return {status, Gbk(utf8), {}, 0, 0};
}

// The single value of `key`; nothing when it is missing or repeated.
std::optional<std::string> Single(const std::multimap<std::string, std::string>& params,
                                  const std::string& key) {
    if (params.count(key) != 1)
        return std::nullopt;
    return params.find(key)->second;
}

// A decimal number exactly as std::to_string writes it (no "+", no leading
// zeros, no blanks) within [low, high].
std::optional<int64_t> Canonical(const std::optional<std::string>& text, int64_t low,
                                 int64_t high) {
    if (!text)
        return std::nullopt;
    int64_t value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc() || stop != end || value < low || value > high ||
        std::to_string(value) != *text)
        return std::nullopt;
    return value;
}

} // namespace

BlockQueryAnswer AnswerBlockQuery(const ServiceFolder& folder,
                                  const std::multimap<std::string, std::string>& params) {
    const auto cid = Canonical(Single(params, "cid"), 0, UINT32_MAX);
    const auto sid = Canonical(Single(params, "sid"), INT32_MIN, INT32_MAX);
    const auto fc = Canonical(Single(params, "fc"), INT32_MIN, INT32_MAX);
    const auto pos = Canonical(Single(params, "pos"), INT32_MIN, INT32_MAX);
    const auto len = Canonical(Single(params, "len"), INT32_MIN, INT32_MAX);
    const auto fidText = Single(params, "fid");
    const auto fid =
        fidText && fidText->size() <= 8 ? platform::ParseHex32(*fidText) : std::nullopt;
    const auto check = Single(params, "check");
    if (!cid || !sid || !fc || !pos || !len || !fid || !check || check->size() != 32)
        return Error(400, "参数错误");
    const std::string expected = net::BlockQueryCheck(
        static_cast<uint32_t>(*cid), static_cast<int32_t>(*pos), static_cast<int32_t>(*len));
    if (!platform::EqualIgnoringAsciiCase(*check, expected))
        return Error(403, "校验错误");
    if (*pos < 0 || *len < 0)
        return Error(400, "范围错误");
    if (*sid != net::kSoftwareNumber || *fc < 0)
        return Error(404, "没有这个文件");
    const std::string path = folder.FilePath(static_cast<uint32_t>(*fc), *fid);
    std::error_code error;
    const uint64_t size = path.empty() ? 0 : std::filesystem::file_size(path, error);
    if (path.empty() || error)
        return Error(404, "没有这个文件");
    if (static_cast<uint64_t>(*pos) + static_cast<uint64_t>(*len) > size)
        return Error(416, "范围超出文件");
    return {200, {}, path, static_cast<uint64_t>(*pos), static_cast<uint64_t>(*len)};
}

} // namespace standin
