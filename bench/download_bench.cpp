// Download benchmarks on loopback against quendic-service's handlers (in this
// process, on a free port) serving a service folder, with curl from Debian as
// the anchor:
//   CliDownloadAll     quendic-cli download: every package, one after the other
//   CurlAll            one curl process fetching the same files one after another
//   CliDownloadOne     quendic-cli download of one package: a 4 MiB one made
//                      for this (10 blocks), the largest and the smallest of
//                      the folder (peak memory must not follow the size)
//   CurlOne            curl of the 4 MiB package as one request
//   ItemBig            the 4 MiB package through DLItem in this process
//   OnlineLookup       entry lookups from the network, then from the cache
// Peak memory of a child process is its maximum resident set as GNU time
// reports it: a child spawned from here directly would count this process's
// resident set too (posix_spawn shares its memory until the exec). The
// 4 MiB package is served by a second service of its own, so the folder's
// packages stay as they are.
//
// The data: $QUENDIC_BENCH_PROGRAM (a program folder with voc.dat and
// voc.dif) and $QUENDIC_BENCH_SERVICE (its service folder), by default the
// build's sample. For the full dictionary:
//   build/bin/quendic-mkdict --full --out F --service F-service
//   QUENDIC_BENCH_PROGRAM=F QUENDIC_BENCH_SERVICE=F-service build/bench/download_bench
#include "BenchService.h"
#include "core/EntryFetch.h"
#include "core/ServiceData.h"
#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "core/WordIndex.h"
#include "download/DLItem.h"
#include "download/EntryDownloader.h"
#include "download/PackageList.h"
#include "download/ServerList.h"
#include "download/TFileDL.h"
#include "net/BlockQuery.h"
#include "net/TShakeHand.h"
#include "platform/Environment.h"
#include "platform/FileHandle.h"
#include "platform/FileIO.h"
#include "platform/Http.h"
#include "platform/Text.h"
#include "storage/TCDF.h"
#include "tools/service/ServiceServer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string Setting(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

struct Package {
    uint32_t Number = 0;
    uint32_t Size = 0;
    std::string Record; // download list entry
};

constexpr uint32_t kBigSize = 4u << 20;

// A service folder with one package, 11/00.dat of kBigSize bytes.
std::string MakeBigServiceFolder(const std::string& folder) {
    fs::create_directories(folder + "11");
    std::string bytes(kBigSize, '\0');
    uint32_t state = 12345;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    std::ofstream(folder + "11/00.dat", std::ios::binary) << bytes;
    std::ofstream(folder + "packages.lst", std::ios::binary)
        << "<JMMC>big</JMMC><JMBH>00000000</JMBH><FC>0000000B</FC><FID>00000000</FID><FS>"
        << platform::HexNumber(kBigSize) << "</FS><FCRC>"
        << platform::HexNumber(core::FileCrc(folder + "11/00.dat")) << "</FCRC>\r\n";
    return folder;
}

// The service, a program folder without entry data, and the package list;
// made once for the whole run. Only one world is the environment's at a
// time: Use() makes it so.
class World {
public:
    // The folder's packages (the sample's, or $QUENDIC_BENCH_SERVICE).
    static World& Get() {
        static World world(Setting("QUENDIC_BENCH_SERVICE", QUENDIC_SAMPLE_SERVICE), "full");
        return world.Use();
    }
    // One package of 4 MiB.
    static World& Big() {
        static World world("", "big");
        return world.Use();
    }

    World& Use() {
        platform::Environment environment;
        environment.ProgramFolder = program_;
        environment.UserFolder = root_ + "user/";
        environment.RegistryFile = root_ + "registry";
        platform::SetEnvironment(environment);
        return *this;
    }

    const std::string& Root() const { return root_; }
    const std::string& Program() const { return program_; }
    const std::vector<Package>& Packages() const { return packages_; }
    const Package& Largest() const { return *largest_; }
    const Package& Smallest() const { return *smallest_; }
    uint64_t TotalBytes() const { return total_; }
    std::string BlockUrl() const { return service_->BaseUrl() + "dl.asp?"; }

    // A new, empty user folder; the environment names it.
    std::string FreshUserFolder() {
        const std::string user = root_ + "user/";
        fs::remove_all(user);
        fs::create_directories(user);
        platform::Environment environment = platform::CurrentEnvironment();
        environment.UserFolder = user;
        platform::SetEnvironment(environment);
        return user;
    }

    // Runs a program to its end; its peak resident set in KiB.
    long Run(const std::vector<std::string>& args) {
        const std::string home = "QUENDIC_HOME=" + program_;
        const std::string user = "QUENDIC_USER_HOME=" + root_ + "user/";
        const std::string registry = "QUENDIC_REGISTRY=" + root_ + "registry";
        std::vector<std::string> variables = {home, user, registry, "PATH=/usr/bin:/bin"};
        std::vector<char*> env;
        for (std::string& v : variables)
            env.push_back(v.data());
        env.push_back(nullptr);
        const std::string peakFile = root_ + "child.peak";
        std::vector<std::string> copy = {"/usr/bin/time", "-f", "%M", "-o", peakFile};
        copy.insert(copy.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, (root_ + "child.err").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0)
            std::abort();
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s failed:\n", args[0].c_str());
            std::system(("cat '" + root_ + "child.err' >&2").c_str());
            std::abort();
        }
        return std::atol(platform::ReadWholeFile(peakFile).value_or("0").c_str());
    }

    // Whole-file block query of a package.
    std::string FileUrl(const Package& package) const {
        const net::BlockRequest block{
            5, 102001, 11, package.Number, 0, static_cast<int32_t>(package.Size)};
        return BlockUrl() + net::BlockQuery(block);
    }

private:
    // `serviceFolder` empty: the 4 MiB package's own folder.
    World(std::string serviceFolder, const std::string& name) {
        std::string pattern =
            (fs::temp_directory_path() / ("quendic-download-bench-" + name + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        root_ = pattern + "/";
        program_ = root_ + "program/";
        fs::create_directories(program_);
        const std::string source = Setting("QUENDIC_BENCH_PROGRAM", QUENDIC_SAMPLE_PROGRAM);
        for (const char* file : {"voc.dat", "voc.dif"})
            fs::copy_file(source + "/" + file, program_ + file);
        if (serviceFolder.empty())
            serviceFolder = MakeBigServiceFolder(root_ + "service/");
        Use();

        service_ = bench::StartService(serviceFolder, root_ + "service.db");

        const std::optional<std::vector<download::Package>> packages = download::FetchPackages();
        if (!packages || packages->empty())
            std::abort();
        for (const download::Package& p : *packages) {
            Package package;
            package.Number = p.Number;
            package.Size = platform::ParseHex32(core::GetTagValue(p.Record, "FS")).value_or(0);
            package.Record = p.Record;
            total_ += package.Size;
            packages_.push_back(package);
        }
        largest_ = &*std::max_element(packages_.begin(), packages_.end(),
                                      [](auto& a, auto& b) { return a.Size < b.Size; });
        smallest_ = &*std::min_element(packages_.begin(), packages_.end(),
                                       [](auto& a, auto& b) { return a.Size < b.Size; });
    }
    ~World() {
        service_->Stop();
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    std::string root_;
    std::string program_;
    std::unique_ptr<standin::ServiceServer> service_;
    std::vector<Package> packages_;
    const Package* largest_ = nullptr;
    const Package* smallest_ = nullptr;
    uint64_t total_ = 0;
};

void Report(benchmark::State& state, uint64_t bytes, double seconds, long peakKiB = 0) {
    state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
    state.counters["MB/s"] = bytes / 1e6 / seconds;
    state.counters["MB"] = bytes / 1e6;
    if (peakKiB)
        state.counters["peak_RSS_KiB"] = static_cast<double>(peakKiB);
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_CliDownloadAll(benchmark::State& state) {
    World& world = World::Get();
    long peak = 0;
    double seconds = 0;
    for (auto _ : state) {
        world.FreshUserFolder();
        const auto start = std::chrono::steady_clock::now();
        peak = world.Run({QUENDIC_CLI_PATH, "download"});
        const double elapsed = Since(start);
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    Report(state, world.TotalBytes(), seconds / state.iterations(), peak);
    state.counters["packages"] = static_cast<double>(world.Packages().size());
}
BENCHMARK(BM_CliDownloadAll)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CurlAll(benchmark::State& state) {
    World& world = World::Get();
    const std::string config = world.Root() + "curl.config";
    {
        std::ofstream out(config);
        for (const Package& package : world.Packages())
            out << "url = \"" << world.FileUrl(package) << "\"\noutput = \"" << world.Root()
                << "curl/" << platform::HexNumber(package.Number, 2) << ".dat\"\n";
    }
    long peak = 0;
    double seconds = 0;
    for (auto _ : state) {
        fs::remove_all(world.Root() + "curl");
        fs::create_directories(world.Root() + "curl");
        const auto start = std::chrono::steady_clock::now();
        peak = world.Run({"curl", "--silent", "--fail", "--config", config});
        const double elapsed = Since(start);
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    Report(state, world.TotalBytes(), seconds / state.iterations(), peak);
}
BENCHMARK(BM_CurlAll)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Arg 0: the 4 MiB package, 1: the folder's largest, 2: its smallest.
void BM_CliDownloadOne(benchmark::State& state) {
    World& world = state.range(0) == 0 ? World::Big() : World::Get();
    const Package& package = state.range(0) == 2 ? world.Smallest() : world.Largest();
    long peak = 0;
    double seconds = 0;
    for (auto _ : state) {
        world.FreshUserFolder();
        const auto start = std::chrono::steady_clock::now();
        peak = world.Run({QUENDIC_CLI_PATH, "download", platform::HexNumber(package.Number, 2)});
        const double elapsed = Since(start);
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    Report(state, package.Size, seconds / state.iterations(), peak);
}
BENCHMARK(BM_CliDownloadOne)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

void BM_CurlOne(benchmark::State& state) {
    World& world = World::Big();
    const Package& package = world.Largest();
    long peak = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        peak = world.Run({"curl", "--silent", "--fail", "--output", world.Root() + "one.dat",
                          world.FileUrl(package)});
        const double elapsed = Since(start);
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    Report(state, package.Size, seconds / state.iterations(), peak);
}
BENCHMARK(BM_CurlOne)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The 4 MiB package in this process: the block downloader without the
// program's start.
void BM_ItemBig(benchmark::State& state) {
    World& world = World::Big();
    const Package& package = world.Largest();
    const download::DownloadListEntry entry = *download::DownloadListEntry::Parse(package.Record);
    const std::vector<std::string> servers = {core::MakeTagField(world.BlockUrl(), "Url")};
    double seconds = 0;
    size_t blocks = 0;
    for (auto _ : state) {
        world.FreshUserFolder();
        download::DLItem item(entry);
        blocks = item.BlockCount();
        std::promise<bool> done;
        const auto start = std::chrono::steady_clock::now();
        item.Start(servers, nullptr,
                   [&done](const download::InstallResult& r) { done.set_value(r.Ok); });
        if (!done.get_future().get())
            state.SkipWithError("the item failed");
        item.Wait();
        const double elapsed = Since(start);
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    Report(state, package.Size, seconds / state.iterations());
    state.counters["blocks"] = static_cast<double>(blocks);
}
BENCHMARK(BM_ItemBig)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The 4 MiB package as one request through libcurl in this process, written
// to a file: the single transfer DLItem's blocks compete with.
void BM_FetchBig(benchmark::State& state) {
    World& world = World::Big();
    const Package& package = world.Largest();
    const std::string url = world.FileUrl(package);
    const std::string path = world.Root() + "fetched.dat";
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        platform::FileHandle file = platform::FileHandle::Open(path, O_WRONLY | O_CREAT | O_TRUNC);
        const platform::HttpReply reply = platform::HttpFetch(
            url, {}, [&file](std::string_view piece) { return file.WriteAll(piece); });
        file.Close();
        if (!reply.ok || reply.received != package.Size)
            state.SkipWithError("the fetch failed");
        const double elapsed = Since(start);
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    Report(state, package.Size, seconds / state.iterations());
}
BENCHMARK(BM_FetchBig)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Shows nothing; runs each single-file download to its end.
class QuietDisplay : public download::EntryDownloader::Display {
public:
    void ShowMessage(const std::string&) override {}
    bool RunFileDownload(const std::vector<std::string>& items) override {
        download::TFileDL worker;
        worker.Start(items);
        worker.Join();
        return worker.Succeeded();
    }
};

// 100 headwords spread over the index (words whose entry is not installed).
std::vector<std::string> LookupWords() {
    core::WordIndex index;
    if (!index.LoadWordIndex())
        std::abort();
    std::vector<std::string> words;
    for (char a = 'a'; a <= 'z' && words.size() < 100; ++a) {
        for (char b : std::string("aeiou")) {
            if (words.size() >= 100)
                break;
            (void)index.Dispatch(std::string{a, b});
            const auto& results = index.ResultList();
            if (!results.empty())
                words.push_back(core::GetTagValue(results[results.size() / 2], "En"));
        }
    }
    return words;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// From "Enter" to the package on disk: a word from the network (the first
// lookup of the run also fetches the server list), then the same word again
// from the cache.
void BM_OnlineLookup(benchmark::State& state) {
    World& world = World::Get();
    std::vector<double> online;
    std::vector<double> cached;
    size_t failed = 0;
    for (auto _ : state) {
        world.FreshUserFolder();
        QuietDisplay display;
        download::EntryDownloader downloader(display);
        core::EntryFetch fetch;
        fetch.SetDownloader(downloader.AsDownloader());
        online.clear();
        cached.clear();
        for (const std::string& word : LookupWords()) {
            auto start = std::chrono::steady_clock::now();
            const bool found = static_cast<bool>(fetch.OpenEntry(word, {}));
            online.push_back(Since(start));
            start = std::chrono::steady_clock::now();
            const bool again = static_cast<bool>(fetch.OpenEntry(word, {}));
            cached.push_back(Since(start));
            failed += !found || !again;
        }
    }
    state.counters["words"] = static_cast<double>(online.size());
    state.counters["failed"] = static_cast<double>(failed);
    state.counters["online_median_ms"] = Median(online) * 1e3;
    state.counters["cached_median_ms"] = Median(cached) * 1e3;
}
BENCHMARK(BM_OnlineLookup)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
