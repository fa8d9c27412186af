// Word index benchmarks on synthetic indexes of 100,000 and 1,000,000
// headwords (tests/core/SyntheticVoc.h) and, when $QUENDIC_BENCH_FULL names
// a program folder, on its voc.dat (the full build). Each index is loaded
// twice: as the window loads it (search aids on) and with the aids off, so
// one run shows what the aids change. Each search is measured as the query
// box runs it: dispatch plus building the list box items.
//
// Queries, chosen per index: English, the three letters most headwords start
// with and six letters of one of them; Chinese, the character with the
// longest posting run and the character after it in a gloss; a misspelling
// (two inner letters of a long word swapped) for the spelling suggestions.
#include "core/WordFinder.h"
#include "platform/ByteOrder.h"
#include "platform/Gbk.h"
#include "platform/Text.h"
#include "tests/core/SyntheticVoc.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

namespace {

struct BenchIndex {
    std::string Path;
    std::string English3;
    std::string English6;
    std::string Chinese2;
    std::string Misspelling;
    size_t Headwords = 0;
};

std::string Upper(std::string text) {
    for (char& c : text)
        c = platform::UpperAscii(c);
    return text;
}

// Picks the queries from the index's own members.
void ChooseQueries(BenchIndex& bench) {
    core::WordIndex index;
    if (!index.LoadWordIndex(bench.Path))
        std::abort();
    const std::vector<std::string> headwords = index.HeadwordList();
    const std::vector<std::string> glosses = index.GlossList();
    bench.Headwords = headwords.size();
    std::map<std::string, size_t> prefixes;
    for (const std::string& headword : headwords) {
        if (headword.size() >= 3 && platform::IsAsciiLetter(headword[0]) &&
            platform::IsAsciiLetter(headword[1]) && platform::IsAsciiLetter(headword[2]))
            ++prefixes[Upper(headword.substr(0, 3))];
    }
    size_t most = 0;
    for (const auto& [prefix, count] : prefixes) {
        if (count > most) {
            most = count;
            bench.English3 = platform::LowerAscii(prefix);
        }
    }
    for (const std::string& headword : headwords) {
        if (headword.size() >= 6 && headword.find(' ') > 6 &&
            Upper(headword.substr(0, 3)) == Upper(bench.English3)) {
            bench.English6 = headword.substr(0, 6);
            break;
        }
    }
    uint32_t longest = 0;
    std::string character;
    const std::string& table = index.CnCharTable();
    for (uint32_t k = 0; k + 1 < 32768 && 8 * (k + 1) <= table.size(); ++k) {
        const uint32_t count = platform::ReadLe32(table, 8 * k + 4);
        if (count > longest) {
            longest = count;
            character = {static_cast<char>((0x8000 + k) >> 8),
                         static_cast<char>((0x8000 + k) & 0xFF)};
        }
    }
    for (const std::string& gloss : glosses) {
        const size_t at = gloss.find(character);
        if (at != std::string::npos && at % 2 == 0 && at + 4 <= gloss.size() &&
            platform::IsGbkLeadByte(static_cast<unsigned char>(gloss[at + 2]))) {
            bench.Chinese2 = gloss.substr(at, 4);
            break;
        }
    }
    // A long word whose two inner letters swapped start no headword.
    for (const std::string& headword : headwords) {
        if (headword.size() < 7 ||
            headword.find_first_not_of("abcdefghijklmnopqrstuvwxyz") != std::string::npos)
            continue;
        std::string misspelt = headword;
        std::swap(misspelt[3], misspelt[4]);
        if (misspelt == headword || !index.Dispatch(misspelt).Ok() || !index.ResultList().empty())
            continue;
        bench.Misspelling = misspelt;
        break;
    }
}

// The indexes, made once: synthetic ones in a temporary folder.
const std::map<std::string, BenchIndex>& Indexes() {
    static const std::map<std::string, BenchIndex> indexes = [] {
        std::map<std::string, BenchIndex> made;
        static std::string folder = [] {
            char pattern[] = "/tmp/quendic-bench-XXXXXX";
            if (mkdtemp(pattern) == nullptr)
                std::abort();
            return std::string(pattern);
        }();
        std::atexit([] { std::filesystem::remove_all(folder); });
        for (const auto& [name, size] : {std::pair{"100k", 100000}, {"1M", 1000000}}) {
            BenchIndex bench;
            bench.Path = folder + "/" + name + ".dat";
            testing_voc::SyntheticGenerator generator;
            if (!testing_voc::WriteVoc(bench.Path,
                                       testing_voc::BuildVocMembers(generator.Entries(size))))
                std::abort();
            ChooseQueries(bench);
            made[name] = bench;
        }
        if (const char* full = std::getenv("QUENDIC_BENCH_FULL")) {
            BenchIndex bench;
            bench.Path = std::string(full) + "/voc.dat";
            ChooseQueries(bench);
            made["full"] = bench;
        }
        return made;
    }();
    return indexes;
}

// A loaded finder per index and aids setting, kept for the whole run.
core::WordFinder& Finder(const std::string& name, bool aids) {
    static std::map<std::pair<std::string, bool>, std::unique_ptr<core::WordFinder>> finders;
    auto& finder = finders[{name, aids}];
    if (!finder) {
        finder = std::make_unique<core::WordFinder>();
        if (!finder->Load(Indexes().at(name).Path))
            std::abort();
        finder->Index().SetSearchAids(aids);
    }
    return *finder;
}

void RunQuery(benchmark::State& state, core::WordIndex& index, const std::string& query) {
    size_t results = 0;
    for (auto _ : state) {
        if (index.Dispatch(query).Status != core::SearchStatus::Ran)
            state.SkipWithError("search did not run");
        std::vector<std::string> items = index.ListItems();
        results = items.size();
        benchmark::DoNotOptimize(items.data());
    }
    state.counters["results"] = static_cast<double>(results);
}

void RegisterAll() {
    for (const auto& [name, bench] : Indexes()) {
        const std::string index = name;
        benchmark::RegisterBenchmark(("Load/" + name).c_str(), [index](benchmark::State& state) {
            for (auto _ : state) {
                core::WordFinder finder;
                benchmark::DoNotOptimize(finder.Load(Indexes().at(index).Path));
            }
        })->Unit(benchmark::kMillisecond);
        for (bool aids : {true, false}) {
            const std::string suffix = "/" + name + (aids ? "" : "/no-aids");
            for (const auto& [label, query] : {std::pair{"English3", bench.English3},
                                               {"English6", bench.English6},
                                               {"Chinese2", bench.Chinese2}}) {
                const std::string text = query;
                benchmark::RegisterBenchmark((std::string(label) + suffix).c_str(),
                                             [index, aids, text](benchmark::State& state) {
                                                 RunQuery(state, Finder(index, aids).Index(), text);
                                             })
                    ->Unit(benchmark::kMicrosecond);
            }
        }
        const std::string misspelling = bench.Misspelling;
        benchmark::RegisterBenchmark(("Suggestions/" + name).c_str(), [index, misspelling](
                                                                          benchmark::State& state) {
            core::WordFinder& finder = Finder(index, true);
            finder.SuggestionRows(misspelling); // builds the index
            size_t rows = 0;
            for (auto _ : state)
                rows = finder.SuggestionRows(misspelling).size();
            state.counters["results"] = static_cast<double>(rows);
        })->Unit(benchmark::kMicrosecond);
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (const auto& [name, bench] : Indexes())
        std::printf("%s: %zu headwords; English \"%s\", \"%s\"; Chinese %zu bytes; misspelling "
                    "\"%s\"\n",
                    name.c_str(), bench.Headwords, bench.English3.c_str(), bench.English6.c_str(),
                    bench.Chinese2.size(), bench.Misspelling.c_str());
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
