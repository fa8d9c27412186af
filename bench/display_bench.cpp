#include "display/MonospaceMetrics.h"
#include "display/RichTextDocument.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#ifdef QUENDIC_BENCH_QT
#include "display/qt/QtFontMetrics.h"

#include <QGuiApplication>
#endif

namespace {

// A document shaped like an entry: headings, glosses in Chinese, example
// sentences that wrap, jump texts and images. 2,000 items.
display::RichTextDocument MakeDocument() {
    display::RichTextDocument doc;
    auto table = std::make_shared<display::TTextStyleTable>();
    for (int i = 0; i < 14; ++i)
        table->TextStyles.push_back(
            display::TTextStyle{i % 3 == 2 ? "\xCB\xCE\xCC\xE5" : "Arial", 9 + i % 4});
    doc.SetStyle(table);
    doc.LeftMargin = 15;
    doc.RightMargin = 10;
    auto icons = std::make_shared<display::TImageList>();
    icons->Images = {display::Picture::Filled(16, 16, 0), display::Picture::Filled(16, 16, 0xFF)};
    const std::string sentence =
        "The quick brown fox jumps over the lazy dog near the river bank. ";
    const std::string chinese = "\xC6\xBB\xB9\xFB\xA3\xAC\xD2\xBB\xD6\xD6\xCB\xAE\xB9\xFB\xA1\xA3";
    int items = 0;
    for (int i = 0; items < 2000; ++i) {
        doc.AddPictureItem(display::Picture::Filled(1, 6, 0xFFFFFF));
        doc.AddFromNewLine(std::to_string(i) + ". ", 13);
        doc.Add(sentence + sentence, 6);
        doc.AddImageJump(1, icons, false);
        doc.AddFromNewLine(chinese + chinese + chinese, 2);
        doc.Add("synonym", 5);
        doc.AddImageBullet(0, icons, true);
        doc.Add("heading", 12);
        items += 8;
    }
    return doc;
}

void BM_FormatMonospace(benchmark::State& state) {
    display::RichTextDocument doc = MakeDocument();
    doc.SetMetrics(std::make_shared<display::MonospaceMetrics>(7, 12, 3));
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.Format(600));
    state.counters["lines"] = static_cast<double>(doc.Lines().size());
}
BENCHMARK(BM_FormatMonospace)->Unit(benchmark::kMillisecond);

#ifdef QUENDIC_BENCH_QT
void BM_FormatQt(benchmark::State& state) {
    display::RichTextDocument doc = MakeDocument();
    doc.SetMetrics(std::make_shared<display::QtFontMetrics>());
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.Format(600));
    state.counters["lines"] = static_cast<double>(doc.Lines().size());
}
BENCHMARK(BM_FormatQt)->Unit(benchmark::kMillisecond);
#endif

} // namespace

int main(int argc, char** argv) {
#ifdef QUENDIC_BENCH_QT
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
