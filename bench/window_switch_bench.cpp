// Switching the main window to another security with a 5,000-bar daily file:
// the file read, every indicator recomputed and the whole window repainted
// offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include "core/text.h"
#include "data/price_store.h"
#include "desktop/chart/sample_series.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "window/main_window.h"
#include "workspace/workspace.h"

namespace {

using namespace tav;
using namespace tav::desktop;

constexpr int kBars = 5000;

void BM_SwitchSecurity(benchmark::State& state) {
    test::TempFolder temp;
    test::TestPlatform tools;
    test::writeFile(
        temp / "Stock.lst",
        text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n6758,ソニー,東証1部,100,-\n"));
    test::writeFile(temp / "url.lst", "");
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
    workspace.initProgramFolder();
    test::writeFile(temp / "Data/7203.txt", formatSeries(test::sampleBars(kBars, 2000)));
    test::writeFile(temp / "Data/6758.txt", formatSeries(test::sampleBars(kBars, 9000)));

    MainWindow window(workspace);
    window.start(workspace.loadSettings(7203));
    window.resize(1280, 800);
    window.show();
    QImage image(window.size(), QImage::Format_RGB32);
    const StockCode codes[] = {6758, 7203};
    int turn = 0;
    for (auto _ : state) {
        window.showSecurity(codes[turn++ % 2]);
        window.repaintTick();
        window.render(&image);
    }
    state.counters["bars"] = workspace.series().count();
}
BENCHMARK(BM_SwitchSecurity)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
