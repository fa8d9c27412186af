// Software update benchmarks against quendic-service's handlers (in this
// process, on a free loopback port), each next to its anchor:
//   StartToUpdateButton  main window made and shown until its "更新" button is
//                        visible, with one pending update (Timer1's 100 ms
//                        before the check included)
//   WindowShown          anchor: the same window made and shown until exposed
//   CheckForUpdates      an update list of 1,000 records, each for an
//                        out-of-date file of the program folder: fetch,
//                        decide, download list
//   FetchList            anchor: the same list only fetched
//   FuApply              fu (a child process) replacing 10 files of 10 MiB
//                        that fu.dat lists
//   CpApply              anchor: cp (a child process) copying the same copies
//                        over the same files
// The service computes the CRC of every update file at each request of the
// list, so CheckForUpdates and FetchList both carry that cost.
#include "BenchService.h"
#include "app/TForm_Main.h"
#include "core/ServiceData.h"
#include "core/TaggedText.h"
#include "download/InstallItem.h"
#include "download/PendingReplacements.h"
#include "download/TSoftUpdate.h"
#include "net/Protocol.h"
#include "net/TShakeHand.h"
#include "platform/Environment.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "storage/TCDF.h"
#include "tools/service/ServiceServer.h"
#include "widgets/LbSpeedButton.h"

#include <QApplication>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform cannot apply window masks and says so at every show.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!message.contains(QStringLiteral("does not support setting window masks")))
        g_previousHandler(type, context, message);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A program folder (also the user folder) and a service offering `updates`
// updates, each of a 100-byte file "fNNNN.dat" that the program folder holds
// in an older version. Use() makes it the current environment.
class World {
public:
    explicit World(int updates) {
        std::string pattern = (fs::temp_directory_path() / "quendic-updatebench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        root_ = pattern + "/";
        program_ = root_ + "program/";
        const std::string service = root_ + "service/";
        fs::create_directories(program_);
        fs::create_directories(service + "updates");
        std::ofstream list(service + "updates/updates.lst", std::ios::binary);
        for (int i = 0; i < updates; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "f%04d.dat", i);
            WriteFile(program_ + name, std::string(100, 'o'));
            const uint32_t fid = static_cast<uint32_t>(i) + 1;
            WriteFile(service + "updates/" + platform::HexNumber(fid),
                      std::string(100, 'n') + name);
            list << core::MakeTagField(platform::HexNumber(fid), "FID")
                 << core::MakeTagField(name, "LFn") << "<UM>Hint</UM>\r\n";
        }
        list.close();
        Use();
        service_ = bench::StartService(service, root_ + "service.db");
    }
    ~World() {
        service_->Stop();
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    World& Use() {
        platform::Environment environment;
        environment.ProgramFolder = program_;
        environment.UserFolder = program_;
        environment.RegistryFile = root_ + "registry";
        platform::SetEnvironment(environment);
        return *this;
    }
    // The same folders for a child process, as shell assignments.
    std::string Shell() const {
        return "QUENDIC_HOME='" + program_ + "' QUENDIC_USER_HOME='" + program_ +
               "' QUENDIC_REGISTRY='" + root_ + "registry' ";
    }
    const std::string& Program() const { return program_; }

private:
    std::string root_;
    std::string program_;
    std::unique_ptr<standin::ServiceServer> service_;
};

World& OneUpdate() {
    static World world(1);
    return world.Use();
}

World& ThousandUpdates() {
    static World world(1000);
    return world.Use();
}

void BM_StartToUpdateButton(benchmark::State& state) {
    OneUpdate();
    for (auto _ : state) {
        app::TForm_Main window;
        window.SetStartArgument({});
        window.show();
        if (!QTest::qWaitFor([&] { return window.LbSpeedButton_SoftUpdate->isVisible(); }, 20000))
            state.SkipWithError("the update button did not appear");
    }
}
BENCHMARK(BM_StartToUpdateButton)->Unit(benchmark::kMillisecond);

void BM_WindowShown(benchmark::State& state) {
    OneUpdate();
    for (auto _ : state) {
        app::TForm_Main window;
        window.SetStartArgument({});
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            state.SkipWithError("the window was not exposed");
    }
}
BENCHMARK(BM_WindowShown)->Unit(benchmark::kMillisecond);

void BM_CheckForUpdates(benchmark::State& state) {
    ThousandUpdates();
    download::TSoftUpdate update;
    for (auto _ : state)
        if (!update.CheckForUpdates())
            state.SkipWithError("no update found");
    state.counters["pending"] = static_cast<double>(update.PendingList().size());
}
BENCHMARK(BM_CheckForUpdates)->Unit(benchmark::kMillisecond);

void BM_FetchList(benchmark::State& state) {
    ThousandUpdates();
    net::TShakeHand client;
    const std::string url = client.MakeFileUrl(net::kClassUpdateFile, net::kUpdateListNumber);
    size_t bytes = 0;
    for (auto _ : state) {
        std::string body;
        if (!client.FetchStream(url, body))
            state.SkipWithError("the list was not fetched");
        bytes = body.size();
    }
    state.counters["list_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_FetchList)->Unit(benchmark::kMillisecond);

constexpr int kBigFiles = 10;
constexpr size_t kBigSize = 10u << 20;

// Ten downloaded copies of 10 MiB in "fu.d" and ten files they replace.
std::vector<download::Replacement> BigReplacements() {
    static std::vector<download::Replacement> items = [] {
        std::vector<download::Replacement> made;
        const std::string program = OneUpdate().Program();
        std::string bytes(kBigSize, '\0');
        uint32_t state = 12345;
        for (char& c : bytes) {
            state = state * 1103515245u + 12345u;
            c = static_cast<char>(state >> 24);
        }
        for (int i = 0; i < kBigFiles; ++i) {
            const std::string copy = platform::InUserFolder(
                std::string(download::kUpdateCopyFolder) + platform::HexNumber(0x100 + i) + ".fu");
            WriteFile(copy, bytes);
            made.push_back({copy, program + "big" + std::to_string(i) + ".dat"});
        }
        return made;
    }();
    for (const download::Replacement& item : items)
        WriteFile(item.OldFile, "old");
    return items;
}

void BM_FuApply(benchmark::State& state) {
    const std::string command = OneUpdate().Shell() + "'" FU_PATH "' '\xA1\xBEprog\xA1\xBF' '' " +
                                "--no-restart >/dev/null 2>&1";
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<download::Replacement> items = BigReplacements();
        if (!download::PendingReplacements::Write(download::TSoftUpdate::PendingFile(), items))
            state.SkipWithError("fu.dat cannot be written");
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("fu failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBigFiles * kBigSize);
}
BENCHMARK(BM_FuApply)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CpApply(benchmark::State& state) {
    std::string command;
    for (const download::Replacement& item : BigReplacements())
        command += (command.empty() ? "" : " && ") + std::string("cp '") + item.NewFile + "' '" +
                   item.OldFile + "'";
    command = "sh -c \"" + command + "\"";
    for (auto _ : state) {
        state.PauseTiming();
        BigReplacements();
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBigFiles * kBigSize);
}
BENCHMARK(BM_CpApply)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    g_previousHandler = qInstallMessageHandler(QuietHandler);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
