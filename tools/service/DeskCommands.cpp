#include "tools/service/DeskCommands.h"

#include "platform/Gbk.h"
#include "platform/Text.h"
#include "tools/service/ServiceDatabase.h"
#include "tools/service/ServicePage.h"

#include <charconv>
#include <optional>

namespace standin {

namespace {

constexpr int kDefaultListed = 20;

struct DeskOptions {
    std::string Command;
    std::string Database;
    std::optional<uint32_t> To;
    std::string Name = "客服"; // UTF-8
    int Last = kDefaultListed;
    std::string Text; // UTF-8
};

std::optional<DeskOptions> Parse(const std::vector<std::string>& args, std::string& error) {
    DeskOptions options;
    options.Command = args.empty() ? std::string() : args[0];
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            words.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "missing value after " + arg;
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (arg == "--db") {
            options.Database = value;
        } else if (arg == "--data") {
            options.Database = value + "/service.db";
        } else if (arg == "--to" && options.Command == "reply") {
            options.To = platform::ParseHex32(value);
            if (!options.To) {
                error = "a client is eight hexadecimal digits: " + value;
                return std::nullopt;
            }
        } else if (arg == "--name" && options.Command == "reply") {
            options.Name = value;
        } else if (arg == "--last" && options.Command == "chat") {
            const auto [end, problem] =
                std::from_chars(value.data(), value.data() + value.size(), options.Last);
            if (problem != std::errc() || end != value.data() + value.size() || options.Last < 1) {
                error = "not a count: " + value;
                return std::nullopt;
            }
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (options.Database.empty()) {
        error = "--db FILE or --data DIR is required";
        return std::nullopt;
    }
    for (const std::string& word : words)
        options.Text += (options.Text.empty() ? "" : " ") + word;
    if (options.Command == "reply" && platform::Trimmed(options.Text).empty()) {
        error = "nothing to say";
        return std::nullopt;
    }
    if (options.Command == "chat" && !words.empty()) {
        error = "unexpected " + words.front();
        return std::nullopt;
    }
    if (options.Command == "reply" && platform::Trimmed(options.Name).empty()) {
        error = "the desk needs a name";
        return std::nullopt;
    }
    return options;
}

std::string ClientText(uint32_t client) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", client);
    return text;
}

int Reply(ServiceDatabase& database, const DeskOptions& options, std::FILE* out, std::FILE* err) {
    const std::optional<uint32_t> client = options.To ? options.To : database.LatestUserClient();
    if (!client) {
        std::fprintf(err, "quendic-service: nobody has written yet; nothing to answer\n");
        return 1;
    }
    const std::string time = ServiceTime();
    const std::optional<int64_t> rid =
        database.AddChat(*client, platform::Utf8ToGbk(options.Name),
                         platform::Utf8ToGbk(options.Text), "desk", time, true);
    if (!rid) {
        std::fprintf(err, "quendic-service: the answer could not be stored\n");
        return 1;
    }
    std::fprintf(out, "%lld %s %s\n", static_cast<long long>(*rid), ClientText(*client).c_str(),
                 time.c_str());
    return 0;
}

int List(ServiceDatabase& database, const DeskOptions& options, std::FILE* out) {
    for (const ChatRecord& record : database.RecentChat(options.Last))
        std::fprintf(out, "%lld %s %s %s%s: %s\n", static_cast<long long>(record.Rid),
                     ClientText(record.Client).c_str(), record.Time.c_str(), record.Desk ? "*" : "",
                     platform::GbkToUtf8(record.Name).c_str(),
                     platform::GbkToUtf8(record.Message).c_str());
    return 0;
}

} // namespace

bool IsDeskCommand(const std::string& command) {
    return command == "reply" || command == "chat";
}

int RunDeskCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::string error;
    if (args.empty() || !IsDeskCommand(args[0])) {
        error = "unknown command";
    }
    std::optional<DeskOptions> options;
    if (error.empty())
        options = Parse(args, error);
    if (!options) {
        std::fprintf(err,
                     "quendic-service: %s\n"
                     "usage: quendic-service reply (--db FILE | --data DIR) [--to CLIENT] "
                     "[--name NAME] TEXT...\n"
                     "       quendic-service chat (--db FILE | --data DIR) [--last N]\n",
                     error.c_str());
        return 2;
    }
    ServiceDatabase database(options->Database);
    if (!database.IsOpen()) {
        std::fprintf(err, "quendic-service: %s: %s\n", options->Database.c_str(),
                     database.Error().c_str());
        return 1;
    }
    return options->Command == "reply" ? Reply(database, *options, out, err)
                                       : List(database, *options, out);
}

} // namespace standin
