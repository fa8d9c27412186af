// Lookups in a compound data file of 10,000 members: a fresh object (index
// built by the first lookup) and one object reused for many lookups.
#include "storage/TCDF.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

constexpr uint32_t kMembers = 10000;

// The container, written once per process in a temporary folder.
const std::string& ContainerPath() {
    static const std::string path = [] {
        std::string folder =
            (std::filesystem::temp_directory_path() / "quendic-bench-XXXXXX").string();
        if (::mkdtemp(folder.data()) == nullptr)
            std::abort();
        const std::string file = folder + "/members.dat";
        storage::TCDF cdf(file);
        cdf.SetCodeType(128);
        for (uint32_t i = 0; i < kMembers; ++i) {
            storage::Stream s(64 + i % 200, static_cast<char>(i));
            if (!cdf.AddStream(i, s))
                std::abort();
        }
        std::atexit([] {
            std::filesystem::remove_all(std::filesystem::path(ContainerPath()).parent_path());
        });
        return file;
    }();
    return path;
}

void BM_FirstLookup(benchmark::State& state) {
    const std::string& path = ContainerPath();
    uint32_t number = 0;
    for (auto _ : state) {
        storage::TCDF cdf(path);
        storage::Stream s;
        const uint32_t id = cdf.NameToId(storage::TCDF::NumberName(number));
        if (!cdf.FindMember(id) || !cdf.ReadStream(number, s))
            state.SkipWithError("member missing");
        benchmark::DoNotOptimize(s);
        number = (number + 7919) % kMembers;
    }
}
BENCHMARK(BM_FirstLookup)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

void BM_RepeatedLookup(benchmark::State& state) {
    storage::TCDF cdf(ContainerPath());
    std::mt19937 random(1);
    for (auto _ : state) {
        const uint32_t number = random() % kMembers;
        storage::Stream s;
        const uint32_t id = cdf.NameToId(storage::TCDF::NumberName(number));
        if (!cdf.FindMember(id) || !cdf.ReadStream(number, s))
            state.SkipWithError("member missing");
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_RepeatedLookup)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
