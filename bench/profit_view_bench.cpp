// A repaint of the "損益" view over a 5,000-bar back-test, rendered offscreen.
// With "--png FILE" the view is saved as an image instead.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <cstring>
#include <string>

#include "chart/chart_view_state.h"
#include "desktop/chart/sample_series.h"
#include "dialogs/profit_view.h"
#include "simulation/simulation_engine.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/workspace.h"

namespace {

using namespace tav;
using namespace tav::desktop;

struct View {
    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
    ChartViewState state;
    Strategy strategy;
    std::unique_ptr<ProfitView> view;

    View() {
        workspace.series().bars = test::sampleBars(5000);
        workspace.options().barPitch = 1;
        state.resetForSeries(workspace.series().count());
        // Long on a rising bar, out on a falling one, with a 5 % stop.
        Tactic tactic;
        tactic.buy.conditions[0] = Condition{3, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        tactic.buy.count = 1;
        tactic.sell.conditions[0] = Condition{3, 0, 0, 1, 0, 0, 0, 0, 0, 0};
        tactic.sell.conditions[1] = Condition{3, 0, 1, 1, 0, 0, 0, 0, 0, 0};
        tactic.sell.logic = kLogicAnd;
        tactic.sell.count = 2;
        tactic.stop.conditions[0] = stopRule(kStopLoss, 0, 5);
        tactic.stop.count = 1;
        tactic.name = "戦術1";
        strategy.tactics.push_back(tactic);
        SimulationSettings settings;
        settings.commissionKind = kCommissionRate;
        const ConditionInputs inputs{workspace.series().bars, 1, 13, 10, 25, {}};
        StrategyDisplay& display = workspace.strategyDisplay;
        const SimulationInputs run{strategy, settings, 100, inputs, &display.journal};
        const int count = workspace.series().count();
        display.results.result =
            runSimulation(workspace.series().bars, run, RunWindow{3, count, false},
                          RunKind::Display)
                .result;
        display.results.available = true;
        display.tacticNames = {"戦術1"};
        view = std::make_unique<ProfitView>(workspace, state);
        view->resize(1280, 600);
        view->show();
        view->refresh();
    }
};

View* fixture = nullptr;

// Arg 0: the plot alone (the curve of the visible bars and the marks);
// 1: the whole window with the trade list.
void BM_ProfitViewRepaint(benchmark::State& state) {
    QWidget* widget = state.range(0) == 0 ? static_cast<QWidget*>(&fixture->view->plot())
                                          : fixture->view.get();
    QImage image(widget->size(), QImage::Format_RGB32);
    for (auto _ : state) widget->render(&image);
    state.counters["trips"] = static_cast<double>(fixture->view->insight().trips.size());
    state.counters["visible"] = fixture->view->plot().axis().visibleCount();
}
BENCHMARK(BM_ProfitViewRepaint)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::string png;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--png") == 0) png = argv[i + 1];
    View instance;
    fixture = &instance;
    if (!png.empty()) {
        // Zoomed in on the newest bars, one trade selected.
        instance.workspace.options().barPitch = 4;
        instance.view->showTrip(static_cast<int>(instance.view->insight().trips.size()) - 3);
        instance.view->grab().save(QString::fromStdString(png));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
