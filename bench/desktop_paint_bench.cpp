// A full repaint of the chart, the indicator pane and the price board with
// 1,000 visible bars, rendered offscreen. With "--png DIR" the three panes are
// also saved as images there.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <cstring>
#include <string>

#include "chart/chart_pane.h"
#include "chart/indicator_pane.h"
#include "chart/price_board.h"
#include "desktop/chart/sample_series.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/workspace.h"

namespace {

using namespace tav;
using namespace tav::desktop;

constexpr int kVisibleBars = 1000;

struct Panes {
    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
    ChartViewState state;
    ChartPane chart{workspace, state};
    IndicatorPane indicators{workspace, state};
    PriceBoard board{workspace, state};

    Panes() {
        workspace.series().bars = test::sampleBars(3000);
        workspace.recomputeIndicators();
        workspace.options().barPitch = 1;
        state.resetForSeries(workspace.series().count());
        // (width - 30) / pitch + 1 bars fit.
        const int width = 30 + (kVisibleBars - 1);
        chart.resize(width, 520);
        indicators.resize(width, 480);
        board.resize(130, 520);
    }
};

Panes* panes = nullptr;

void BM_FullRepaint(benchmark::State& state) {
    QImage chartImage(panes->chart.size(), QImage::Format_RGB32);
    QImage indicatorImage(panes->indicators.size(), QImage::Format_RGB32);
    QImage boardImage(panes->board.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        panes->chart.refresh();
        panes->indicators.refresh();
        panes->chart.render(&chartImage);
        panes->indicators.render(&indicatorImage);
        panes->board.render(&boardImage);
    }
    state.counters["visible"] = panes->chart.visibleCount();
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

// Each pane on its own: arg 0 chart, 1 indicator pane, 2 price board.
void BM_PaneRepaint(benchmark::State& state) {
    QWidget* panesByArg[] = {&panes->chart, &panes->indicators, &panes->board};
    QWidget* pane = panesByArg[state.range(0)];
    QImage image(pane->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        panes->chart.refresh();
        panes->indicators.refresh();
        pane->render(&image);
    }
}
BENCHMARK(BM_PaneRepaint)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::string pngFolder;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--png") == 0) pngFolder = argv[i + 1];
    Panes instance;
    panes = &instance;
    if (!pngFolder.empty()) {
        instance.chart.grab().save(QString::fromStdString(pngFolder + "/chart.png"));
        // One image per overlay family, zoomed in on the newest bars.
        instance.workspace.options().barPitch = 6;
        for (int overlay = 0; overlay < kOverlayCount; ++overlay) {
            instance.workspace.options().chartOverlay = static_cast<uint8_t>(overlay);
            instance.chart.refresh();
            instance.chart.grab().save(QString::fromStdString(pngFolder + "/chart-overlay" +
                                                              std::to_string(overlay) + ".png"));
        }
        instance.indicators.grab().save(QString::fromStdString(pngFolder + "/indicators.png"));
        instance.board.grab().save(QString::fromStdString(pngFolder + "/board.png"));
        instance.board.showLevelList();
        instance.board.grab().save(QString::fromStdString(pngFolder + "/board-levels.png"));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
