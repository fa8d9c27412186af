// Word index benchmarks on a synthetic dictionary of 200,000 headwords:
// English-like words (initial and inner letter frequencies of English, about
// 15% two-word phrases) and glosses of 1-6 characters drawn, skewed towards
// the frequent ones, from 3000 GBK characters. Each search is measured as
// the query box runs it: dispatch plus building the list box items.
#include "core/WordIndex.h"
#include "platform/Environment.h"
#include "tests/core/VocFileBuilder.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

constexpr size_t kHeadwords = 200000;

// Relative frequencies of a-z as the first letter of English words, and
// inside words.
constexpr double kInitial[26] = {11.7, 4.4, 5.2, 3.2, 2.8, 4.0, 1.6,  4.2, 7.3, 0.5, 0.9, 2.4, 3.8,
                                 2.3,  7.6, 4.3, 0.2, 2.8, 6.7, 16.0, 1.2, 0.8, 5.5, 0.1, 0.8, 0.1};
constexpr double kInner[26] = {8.2, 1.5, 2.8, 4.3, 12.7, 2.2, 2.0, 6.1, 7.0, 0.2, 0.8, 4.0, 2.4,
                               6.7, 7.5, 1.9, 0.1, 6.0,  6.3, 9.1, 2.8, 1.0, 2.4, 0.2, 2.0, 0.1};

class Generator {
public:
    Generator()
        : initial_(std::begin(kInitial), std::end(kInitial)),
          inner_(std::begin(kInner), std::end(kInner)) {}

    std::string Word() {
        std::uniform_int_distribution<int> length(2, 11);
        const int n = length(random_);
        std::string word(1, static_cast<char>('a' + initial_(random_)));
        while (static_cast<int>(word.size()) < n)
            word += static_cast<char>('a' + inner_(random_));
        return word;
    }

    std::string Headword() {
        std::string headword = Word();
        if (std::uniform_real_distribution<double>(0, 1)(random_) < 0.15)
            headword += " " + Word();
        return headword;
    }

    // One of 3000 GB2312 characters (rows B0-DF), index skewed so that a few
    // are very common as in real glosses.
    std::string Character() {
        const double u = std::uniform_real_distribution<double>(0, 1)(random_);
        const int index = static_cast<int>(3000 * u * u);
        std::string c(2, '\0');
        c[0] = static_cast<char>(0xB0 + index / 94);
        c[1] = static_cast<char>(0xA1 + index % 94);
        return c;
    }

    std::string Gloss() {
        const int n = std::uniform_int_distribution<int>(1, 6)(random_);
        std::string gloss;
        for (int i = 0; i < n; ++i) {
            gloss += Character();
            if (i + 1 < n && std::uniform_int_distribution<int>(0, 9)(random_) == 0)
                gloss += "<0D0A>";
        }
        return gloss;
    }

private:
    std::mt19937 random_{20240501};
    std::discrete_distribution<int> initial_;
    std::discrete_distribution<int> inner_;
};

// The synthetic voc.dat, written once into a temporary program folder.
struct SyntheticIndex {
    std::string folder;
    std::string path;
    std::string commonWordPrefix; // six letters of a headword in the largest bucket
    std::string commonCharacter;  // the character with the longest posting run
    std::string commonPair;       // that character and the one after it in some gloss
    uint32_t commonRun = 0;       // postings of commonCharacter

    SyntheticIndex() {
        char pattern[] = "/tmp/quendic-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            std::abort();
        folder = pattern;
        path = folder + "/voc.dat";
        platform::Environment environment = platform::ReadEnvironment();
        environment.ProgramFolder = folder;
        environment.UserFolder = folder;
        platform::SetEnvironment(environment);
        Generator generator;
        std::vector<testing_voc::VocEntry> entries;
        entries.reserve(kHeadwords);
        for (size_t i = 0; i < kHeadwords; ++i)
            entries.push_back({generator.Headword(), generator.Gloss()});
        const testing_voc::VocMembers members = testing_voc::BuildVocMembers(std::move(entries));
        if (!testing_voc::WriteVoc(path, members))
            std::abort();

        for (const std::string& headword : members.Headwords) {
            if (headword[0] == 't' && headword.size() >= 6 && headword.find(' ') > 6) {
                commonWordPrefix = headword.substr(0, 6);
                break;
            }
        }
        uint32_t longest = 0;
        for (uint32_t k = 0; k < 32768; ++k) {
            const uint32_t count = testing_voc::GetLe32(members.CnCharTable, k * 8 + 4);
            if (count > longest) {
                longest = count;
                commonRun = count;
                commonCharacter = {static_cast<char>((0x8000 + k) >> 8),
                                   static_cast<char>((0x8000 + k) & 0xFF)};
            }
        }
        for (const std::string& gloss : members.Glosses) {
            if (gloss.size() >= 4 && gloss.compare(0, 2, commonCharacter) == 0 &&
                static_cast<unsigned char>(gloss[2]) >= 0x81) {
                commonPair = gloss.substr(0, 4);
                break;
            }
        }
    }
    ~SyntheticIndex() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

const SyntheticIndex& Index() {
    static const SyntheticIndex index;
    return index;
}

core::WordIndex& LoadedIndex() {
    static core::WordIndex index = [] {
        core::WordIndex loaded;
        if (!loaded.LoadWordIndex(Index().path))
            std::abort();
        return loaded;
    }();
    return index;
}

void BM_LoadWordIndex(benchmark::State& state) {
    const std::string& path = Index().path;
    for (auto _ : state) {
        core::WordIndex index;
        benchmark::DoNotOptimize(index.LoadWordIndex(path));
    }
}
BENCHMARK(BM_LoadWordIndex)->Unit(benchmark::kMillisecond);

void RunQuery(benchmark::State& state, const std::string& query) {
    core::WordIndex& index = LoadedIndex();
    size_t results = 0;
    for (auto _ : state) {
        const core::SearchOutcome outcome = index.Dispatch(query);
        if (outcome.Status != core::SearchStatus::Ran)
            state.SkipWithError("search did not run");
        std::vector<std::string> items = index.ListItems();
        results = items.size();
        benchmark::DoNotOptimize(items.data());
    }
    state.counters["results"] = static_cast<double>(results);
}

void BM_SearchEnglish(benchmark::State& state) {
    const std::string& prefix = Index().commonWordPrefix;
    RunQuery(state, prefix.substr(0, static_cast<size_t>(state.range(0))));
}
BENCHMARK(BM_SearchEnglish)->Arg(1)->Arg(2)->Arg(3)->Arg(6)->Unit(benchmark::kMicrosecond);

void BM_SearchChinese(benchmark::State& state) {
    RunQuery(state, state.range(0) == 1 ? Index().commonCharacter : Index().commonPair);
    state.counters["postings"] = Index().commonRun;
}
BENCHMARK(BM_SearchChinese)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
