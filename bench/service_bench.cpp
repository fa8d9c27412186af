// The chat history "sol.dat" with 10,000 records (record ids, a name, the
// service's time and a message of 12-60 GBK bytes, Chinese and ASCII mixed),
// as a long-used window finds it: opening it, storing one sent message,
// storing a poll of 20 records, and laying the whole history out in the
// conversation view's document (the history button).
#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "display/RichTextDocument.h"
#include "service/ChatDocument.h"
#include "service/ChatSession.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

constexpr int kRecords = 10000;

std::string Record(int rid, std::mt19937& random) {
    static const char* const kWords[] = {
        "\xC4\xE3\xBA\xC3", "hello", "\xB4\xCA\xB5\xE4", "download", "\xCE\xCA\xCC\xE2", "?"};
    std::uniform_int_distribution<int> words(3, 15);
    std::uniform_int_distribution<int> word(0, 5);
    std::string message;
    for (int n = words(random); n > 0 && message.size() < 60; --n)
        message += kWords[word(random)];
    return core::MakeTagField(std::to_string(rid), "RID") +
           core::MakeTagField(rid % 2 ? "\xD0\xA1\xC3\xF7" : "\xBF\xCD\xB7\xFE", "Name") +
           core::MakeTagField("2026-01-01 10:00:00", "Time") + core::MakeTagField(message, "Msg");
}

// A folder with a history of kRecords records; removed at the end.
class History {
public:
    History() {
        char pattern[] = "/tmp/quendic-bench-chat-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            std::abort();
        folder_ = pattern;
        std::mt19937 random(7);
        std::vector<std::string> records;
        for (int rid = 1; rid <= kRecords; ++rid)
            records.push_back(Record(rid, random));
        records_ = records;
        Reset();
    }
    ~History() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    // Writes the history of kRecords records afresh (each benchmark starts
    // with it; those that store records make it grow).
    void Reset() {
        std::filesystem::remove(Path());
        if (!core::AppendListFile(records_, Path(), true))
            std::abort();
    }
    std::string Path() const { return folder_ + "/sol.dat"; }

private:
    std::string folder_;
    std::vector<std::string> records_;
};

History& SharedHistory() {
    static History history;
    return history;
}

void BM_ChatHistoryOpen(benchmark::State& state) {
    History& history = SharedHistory();
    history.Reset();
    for (auto _ : state) {
        service::ChatSession session(history.Path());
        session.LoadHistory();
        benchmark::DoNotOptimize(session.LastRID());
    }
}
BENCHMARK(BM_ChatHistoryOpen)->Unit(benchmark::kMillisecond);

void BM_ChatHistoryStoreSent(benchmark::State& state) {
    History& history = SharedHistory();
    history.Reset();
    service::ChatSession session(history.Path());
    for (auto _ : state)
        session.AddSent("\xD0\xA1\xC3\xF7", "hello", "<Time>2026-01-01 10:00:00</Time>");
}
BENCHMARK(BM_ChatHistoryStoreSent)->Unit(benchmark::kMillisecond);

void BM_ChatHistoryStorePoll(benchmark::State& state) {
    History& history = SharedHistory();
    history.Reset();
    std::mt19937 random(11);
    int rid = kRecords;
    for (auto _ : state) {
        state.PauseTiming();
        service::ChatSession session(history.Path());
        std::vector<std::string> polled;
        for (int i = 0; i < 20; ++i)
            polled.push_back(Record(++rid, random));
        state.ResumeTiming();
        benchmark::DoNotOptimize(session.AddPolled(polled));
    }
}
BENCHMARK(BM_ChatHistoryStorePoll)->Unit(benchmark::kMillisecond);

void BM_ChatHistoryLayout(benchmark::State& state) {
    SharedHistory().Reset();
    service::ChatSession session(SharedHistory().Path());
    session.LoadHistory();
    display::RichTextDocument document;
    document.SetStyle(
        std::make_shared<const display::TTextStyleTable>(service::ConversationStyleTable()));
    for (auto _ : state) {
        service::ShowMessages(session.History(), document, nullptr);
        benchmark::DoNotOptimize(document.Format(600));
    }
}
BENCHMARK(BM_ChatHistoryLayout)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
