// The program window, measured offscreen with the real widgets:
//   - keystroke to list shown: the key event in the query box, the search, the
//     model reset and the list's repaint, for "a" (1001 items) and the last
//     key of "apple";
//   - program start: main window created and shown with the index loaded;
//   - RenderEntry plus Format of the largest installed entry in the real view.
// The program folder is $QUENDIC_HOME, else the build's program folder
// (the sample data); without a word index there a synthetic one is made in a
// temporary folder.
#include "app/AppTestData.h"
#include "app/ResultListModel.h"
#include "app/TForm_Main.h"
#include "app/TFrame_Dic.h"
#include "core/Utilities.h"
#include "display/RenderEntry.h"
#include "display/qt/TFrame_Voc.h"
#include "display/qt/TRichTextView.h"
#include "platform/Environment.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

std::string g_folder;
QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform cannot apply window masks and says so at every show.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!message.contains(QStringLiteral("does not support setting window masks")))
        g_previousHandler(type, context, message);
}

// Entries "a", "aa0000" ... so that the A bucket has far more than 1001 words,
// plus "apple" with an installed entry.
void MakeSyntheticFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quendic-appbench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    g_folder = pattern + "/";
    std::vector<testing_voc::VocEntry> entries{{"apple", testing_app::kApple}};
    for (int i = 0; i < 3000; ++i) {
        char word[16];
        std::snprintf(word, sizeof word, "a%c%04d", 'a' + i % 26, i);
        entries.push_back({word, testing_app::kApple});
    }
    if (!testing_voc::WriteVoc(g_folder + "voc.dat", testing_voc::BuildVocMembers(entries)))
        std::abort();
    testing_app::InstalledEntries installed(g_folder);
    installed.Add("apple", testing_app::AppleRecord());
    installed.Write();
}

void ChooseFolder() {
    const char* home = std::getenv("QUENDIC_HOME");
    g_folder = home && *home ? std::string(home) : std::string(QUENDIC_BIN_DIR);
    if (g_folder.back() != '/')
        g_folder += '/';
    if (!std::filesystem::exists(g_folder + "voc.dat"))
        MakeSyntheticFolder();
    platform::Environment environment = platform::ReadEnvironment();
    environment.ProgramFolder = g_folder;
    environment.UserFolder = g_folder;
    platform::SetEnvironment(environment);
}

// One shown main window for the keystroke benchmarks.
app::TForm_Main& Window() {
    static app::TForm_Main* window = [] {
        auto* w = new app::TForm_Main;
        w->show();
        if (!QTest::qWaitForWindowExposed(w))
            std::fputs("main window not exposed\n", stderr);
        return w;
    }();
    return *window;
}

// What the event loop does after a key: the list's posted layout, then its
// paint, done at once.
void ShowList(app::TForm_Main& window) {
    QCoreApplication::processEvents();
    window.Frame_Dic1->ListBox1->viewport()->repaint();
}

void BM_KeystrokeA(benchmark::State& state) {
    app::TForm_Main& window = Window();
    QLineEdit* edit = window.Frame_Dic1->LabeledEdit_Input;
    size_t items = 0;
    for (auto _ : state) {
        state.PauseTiming();
        edit->setText(QStringLiteral("b"));
        ShowList(window);
        edit->clear();
        state.ResumeTiming();
        QTest::keyClick(edit, Qt::Key_A);
        ShowList(window);
        items = window.Frame_Dic1->ListModel->Items().size();
    }
    state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(BM_KeystrokeA)->Unit(benchmark::kMillisecond);

void BM_KeystrokeApple(benchmark::State& state) {
    app::TForm_Main& window = Window();
    QLineEdit* edit = window.Frame_Dic1->LabeledEdit_Input;
    size_t items = 0;
    for (auto _ : state) {
        state.PauseTiming();
        edit->setText(QStringLiteral("appl"));
        ShowList(window);
        state.ResumeTiming();
        QTest::keyClick(edit, Qt::Key_E);
        ShowList(window);
        items = window.Frame_Dic1->ListModel->Items().size();
    }
    state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(BM_KeystrokeApple)->Unit(benchmark::kMillisecond);

void BM_ProgramStart(benchmark::State& state) {
    for (auto _ : state) {
        app::TForm_Main window;
        window.show();
        if (!QTest::qWaitForWindowExposed(&window) || !window.IndexLoaded())
            state.SkipWithError("the window did not show with the index loaded");
    }
}
BENCHMARK(BM_ProgramStart)->Unit(benchmark::kMillisecond);

// The largest entry record of the installed data: the records of the 200
// largest packages are read (packages also carry recordings) and the longest
// one kept.
bool LargestEntryRecord(std::string& largestRecord) {
    storage::TCDF dif(g_folder + "voc.dif");
    std::vector<core::LocationRecord> locations;
    for (uint32_t bucket = 0; bucket < 256; ++bucket) {
        storage::Stream member;
        if (!dif.ReadStream(bucket, member))
            continue;
        for (size_t at = 0; at + 12 <= member.size(); at += 12)
            locations.push_back({testing_voc::GetLe32(member, at),
                                 testing_voc::GetLe32(member, at + 4),
                                 testing_voc::GetLe32(member, at + 8)});
    }
    std::sort(locations.begin(), locations.end(),
              [](const auto& a, const auto& b) { return a.Length > b.Length; });
    locations.resize(std::min<size_t>(locations.size(), 200));
    std::string package =
        (std::filesystem::temp_directory_path() / "quendic-appbench-entry.tmp").string();
    for (const core::LocationRecord& location : locations) {
        std::string record;
        storage::TCDF file(package);
        if (core::CopyFileRange(
                platform::InProgramFolder(core::EntryFetch::EntryDataName(location.Hash)), package,
                location.Offset, location.Length) &&
            file.ReadString(0u, record) && record.size() > largestRecord.size())
            largestRecord = record;
    }
    std::remove(package.c_str());
    return !largestRecord.empty();
}

void BM_RenderLargestEntry(benchmark::State& state) {
    std::string record;
    if (!LargestEntryRecord(record)) {
        state.SkipWithError("no installed entry");
        return;
    }
    display::TRichTextView view;
    view.resize(1024, 600);
    view.SetStyle(std::make_shared<display::TTextStyleTable>(display::VocStyleTable()));
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) {
        state.SkipWithError("view not exposed");
        return;
    }
    auto images = display::VocImageList();
    display::ActionList actions;
    for (auto _ : state) {
        view.Clear();
        display::RenderEntry(record, view.Document(), actions, images);
        view.Format();
    }
    state.counters["record_bytes"] = static_cast<double>(record.size());
    state.counters["items"] = view.Document().ItemCount();
}
BENCHMARK(BM_RenderLargestEntry)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ChooseFolder();
    g_previousHandler = qInstallMessageHandler(QuietHandler);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::printf("program folder: %s\n", g_folder.c_str());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
