// Dictionary building steps on synthetic data: ordering the word index and
// its Chinese posting runs, entry records, and gloss lookups.
#include "platform/Gbk.h"
#include "tools/mkdict/CedictReader.h"
#include "tools/mkdict/ChineseGlosses.h"
#include "tools/mkdict/EntryWriter.h"
#include "tools/mkdict/IndexWriter.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

std::vector<tools::IndexLine> SyntheticLines(size_t count) {
    std::mt19937 random(7);
    const std::string gloss = platform::Utf8ToGbk("苹果；苹果树；水果");
    std::vector<tools::IndexLine> lines;
    for (size_t i = 0; i < count; ++i) {
        std::string word;
        const size_t length = 2 + random() % 9;
        for (size_t k = 0; k < length; ++k) {
            word += static_cast<char>('a' + random() % 26);
        }
        std::string chinese = gloss;
        chinese[1] = static_cast<char>(0xA1 + random() % 90); // vary the characters
        lines.push_back({word, chinese, static_cast<uint32_t>(i)});
    }
    return lines;
}

void BM_OrderIndex(benchmark::State& state) {
    const auto lines = SyntheticLines(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        auto copy = lines;
        tools::IndexWriter::Order(copy);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OrderIndex)->Arg(5000)->Arg(100000);

void BM_ChinesePostings(benchmark::State& state) {
    const auto lines = SyntheticLines(static_cast<size_t>(state.range(0)));
    std::string table;
    std::string postings;
    for (auto _ : state) {
        tools::IndexWriter::ChinesePostings(lines, table, postings);
        benchmark::DoNotOptimize(postings.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ChinesePostings)->Arg(5000)->Arg(100000);

void BM_EntryRecord(benchmark::State& state) {
    tools::Headword word;
    word.Name = word.Key = "book";
    word.Ipa = "bʊk";
    word.Chinese = {{"n.", {"书", "书本"}}, {"v.", {"预订"}}};
    word.Examples = {{"to 『book』 ahead", "预订"}};
    word.Definitions = {{"n.", "a written work", {"volume"}}, {"v.", "reserve", {"hold"}}};
    for (auto _ : state) {
        benchmark::DoNotOptimize(tools::EntryWriter::EntryRecord(word));
    }
}
BENCHMARK(BM_EntryRecord);

void BM_GlossCandidates(benchmark::State& state) {
    tools::CedictReader reader;
    std::string text;
    for (int i = 0; i < 20000; ++i) {
        text += "蘋果 苹果 [ping2 guo3] /apple" + std::to_string(i % 2000) + "/fruit/\n";
    }
    reader.Parse(text);
    const tools::ChineseGlosses glosses(reader.Entries());
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(glosses.Candidates("apple" + std::to_string(i++ % 2000), false));
    }
}
BENCHMARK(BM_GlossCandidates);

} // namespace

BENCHMARK_MAIN();
