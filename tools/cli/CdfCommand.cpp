// quendic-cli cdf: lists the records of a compound data file and extracts
// members from it.
#include "tools/cli/Commands.h"

#include "platform/Gbk.h"
#include "storage/TCDF.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

namespace tools {
namespace {

constexpr const char* kCdfUsage =
    "usage: quendic-cli cdf list FILE\n"
    "       quendic-cli cdf get FILE NUMBER\n"
    "       quendic-cli cdf get FILE --name NAME [--seed SEED]\n"
    "FILE is a path relative to the current folder (not the program folder).\n"
    "list  prints one line per record in file order:\n"
    "        OFFSET ID SIZE SEED TYPE\n"
    "      offset, data size, name seed and coding type in decimal, the id as\n"
    "      eight upper-case hexadecimal digits, separated by single spaces.\n"
    "      A record cut short at the end of the file is noted on stderr.\n"
    "get   writes the decoded bytes of a member to stdout, unchanged. NUMBER is\n"
    "      the decimal member number; NAME is a member name and SEED (decimal,\n"
    "      0-255, default 0) the name seed its id was made with. Of several\n"
    "      records with one id the newest is taken.\n"
    "exit status: 0 success, 1 no such member, 2 bad usage, a missing or\n"
    "unreadable file, or a member that cannot be decoded\n";

int BadUsage(const char* problem) {
    return UsageError("cdf", problem, kCdfUsage);
}

// The container path as given on the command line, made absolute against
// the current folder so that TCDF does not look in the program folder.
std::optional<std::string> OpenablePath(const std::string& file) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(file, error);
    if (error || !std::filesystem::is_regular_file(path, error)) {
        std::fprintf(stderr, "quendic-cli cdf: cannot read \"%s\"\n", file.c_str());
        return std::nullopt;
    }
    if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
        std::fclose(probe);
        return path.string();
    }
    std::fprintf(stderr, "quendic-cli cdf: cannot read \"%s\"\n", file.c_str());
    return std::nullopt;
}

int List(const std::string& file) {
    const std::optional<std::string> path = OpenablePath(file);
    if (!path)
        return kExitFailure;
    std::error_code error;
    const uint64_t length = std::filesystem::file_size(*path, error);
    if (error)
        return kExitFailure;
    const storage::TCDF cdf(*path);
    const std::vector<storage::CdfRecord> records = cdf.Records();
    uint64_t end = 0;
    for (const storage::CdfRecord& r : records) {
        std::printf("%llu %08X %u %u %u\n", static_cast<unsigned long long>(r.Offset),
                    static_cast<unsigned>(r.Header.Id), static_cast<unsigned>(r.Header.Size),
                    static_cast<unsigned>(r.Header.NameSeed),
                    static_cast<unsigned>(r.Header.CodeType));
        end = r.Offset + 12 + r.Header.Size;
    }
    if (end > length) {
        std::fprintf(stderr,
                     "quendic-cli cdf: the last record is cut short: %llu of its %u data "
                     "bytes are present\n",
                     static_cast<unsigned long long>(length - records.back().Offset - 12),
                     static_cast<unsigned>(records.back().Header.Size));
    } else if (end < length) {
        std::fprintf(stderr,
                     "quendic-cli cdf: %llu bytes at offset %llu are an incomplete record "
                     "header\n",
                     static_cast<unsigned long long>(length - end),
                     static_cast<unsigned long long>(end));
    }
    return std::fflush(stdout) == 0 ? kExitSuccess : kExitFailure;
}

int Get(const std::string& file, const std::string& name, uint8_t seed) {
    const std::optional<std::string> path = OpenablePath(file);
    if (!path)
        return kExitFailure;
    storage::TCDF cdf(*path);
    cdf.SetNameSeed(seed);
    const uint32_t id = cdf.NameToId(name);
    if (!cdf.FindMember(id)) {
        std::fprintf(stderr, "quendic-cli cdf: no member %08X in \"%s\"\n",
                     static_cast<unsigned>(id), file.c_str());
        return kExitNotFound;
    }
    storage::Stream bytes;
    if (!cdf.ReadStreamById(id, bytes)) {
        std::fprintf(stderr, "quendic-cli cdf: member %08X of \"%s\" is damaged\n",
                     static_cast<unsigned>(id), file.c_str());
        return kExitFailure;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
        std::fflush(stdout) != 0)
        return kExitFailure;
    return kExitSuccess;
}

} // namespace

int RunCdf(const CommandArgs& args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kCdfUsage, stdout);
        return kExitSuccess;
    }
    if (args.empty())
        return BadUsage("missing sub-command");
    if (args[0] == "list") {
        if (args.size() != 2)
            return BadUsage("list takes one FILE");
        return List(args[1]);
    }
    if (args[0] != "get")
        return BadUsage("unknown sub-command");
    if (args.size() == 3) {
        const std::optional<int64_t> number = ParseWholeNumber(args[2], 0, 0xFFFFFFFF);
        if (!number)
            return BadUsage("NUMBER must be a decimal number below 2^32");
        return Get(args[1], storage::TCDF::NumberName(static_cast<uint32_t>(*number)), 0);
    }
    if ((args.size() == 4 || args.size() == 6) && args[2] == "--name") {
        std::optional<int64_t> seed = 0;
        if (args.size() == 6) {
            if (args[4] != "--seed")
                return BadUsage("unexpected argument");
            seed = ParseWholeNumber(args[5], 0, 255);
            if (!seed)
                return BadUsage("SEED must be a decimal number from 0 to 255");
        }
        // Member names are stored as GBK; the terminal speaks UTF-8.
        const std::string name = platform::Utf8ToGbk(args[3]);
        if (name.empty())
            return BadUsage("NAME must not be empty");
        return Get(args[1], name, static_cast<uint8_t>(*seed));
    }
    return BadUsage("get takes FILE and NUMBER, or FILE --name NAME [--seed SEED]");
}

} // namespace tools
