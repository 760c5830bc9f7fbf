#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>

#include "chart/heat_map_geometry.h"
#include "chart/walk_forward_geometry.h"
#include "core/file_io.h"
#include "dialog_driving.h"
#include "dialogs/optimize_dialog.h"
#include "dialogs/optimize_result_view.h"
#include "simulation/strategy_file.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"

namespace tav::desktop {
namespace {

ParameterSweep sweep(const char* name, std::vector<int> values) {
    return {name, {}, std::move(values)};
}

std::vector<ParameterPoint> grid(const std::vector<ParameterSweep>& sweeps) {
    std::vector<ParameterPoint> points;
    for (int64_t i = 0; i < gridSize(sweeps); ++i)
        points.push_back(gridPoint(sweeps, i));
    return points;
}

TEST(HeatMapGeometry, SliceThroughTheBestPoint) {
    const std::vector<ParameterSweep> sweeps = {sweep("x", {10, 20, 30}), sweep("y", {1, 2}),
                                                sweep("z", {5, 6})};
    std::vector<ParameterPoint> points = grid(sweeps);
    // An evolutionary search that skipped x = 20, y = 2, z = 6.
    std::erase(points, ParameterPoint{1, 1, 1});
    const auto best = static_cast<int>(
        std::find(points.begin(), points.end(), ParameterPoint{2, 0, 1}) - points.begin());
    const HeatMapSlice slice = heatMapSlice(sweeps, points, best, 0, 1);
    ASSERT_EQ(slice.columns(), 3);
    ASSERT_EQ(slice.rows(), 2);
    EXPECT_EQ(slice.bestColumn, 2);
    EXPECT_EQ(slice.bestRow, 0);
    EXPECT_EQ(slice.pointAt(2, 0), best);
    EXPECT_EQ(slice.pointAt(1, 1), -1);  // never run
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column) {
            const int p = slice.pointAt(column, row);
            if (p < 0) continue;
            const ParameterPoint& at = points[static_cast<std::size_t>(p)];
            EXPECT_EQ(at, (ParameterPoint{column, row, 1}));  // z held at best's value
        }
    // Without a y parameter: one row; the same sweep twice counts as none.
    for (int y : {-1, 0}) {
        const HeatMapSlice line = heatMapSlice(sweeps, points, best, 0, y);
        EXPECT_EQ(line.rows(), 1);
        EXPECT_EQ(line.pointAt(2, 0), best);
    }
    EXPECT_EQ(heatMapSlice(sweeps, points, -1, 0, 1).columns(), 0);
}

TEST(HeatMapGeometry, CellsLabelsLegendAndHits) {
    HeatMapTexts texts{14, 20, 20, 40, 50};
    const HeatMapLayout at = layoutHeatMap(4, 3, 500, 300, texts);
    ASSERT_TRUE(at.valid());
    // The grid, its labels and the legend stay inside the widget.
    EXPECT_GE(at.yLabelRight() - texts.yLabelWidth, 0);
    EXPECT_LE(at.xLabelTop() + texts.lineHeight, 300);
    EXPECT_LE(at.legend.x + at.legend.width + 6 + texts.legendTextWidth, 500);
    EXPECT_GT(at.legend.x, at.grid.x + at.grid.width);
    EXPECT_EQ(at.legend.height, at.grid.height);
    EXPECT_TRUE(at.showValues);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column) {
            const HeatMapBox box = at.cell(column, row);
            EXPECT_EQ(box.width, at.cellWidth);
            EXPECT_TRUE(at.grid.contains(box.x, box.y));
            EXPECT_TRUE(at.grid.contains(box.x + box.width - 1, box.y + box.height - 1));
            // Every corner of a cell hits that cell.
            for (auto [dx, dy] : {std::pair{0, 0}, std::pair{box.width - 1, box.height - 1}}) {
                const auto hit = at.cellAt(box.x + dx, box.y + dy);
                ASSERT_TRUE(hit);
                EXPECT_EQ(*hit, (std::pair{column, row}));
            }
        }
    // The first row is at the bottom.
    EXPECT_GT(at.cell(0, 0).y, at.cell(0, 2).y);
    EXPECT_FALSE(at.cellAt(at.grid.x - 1, at.grid.y));
    EXPECT_FALSE(at.cellAt(at.grid.x, at.grid.y + at.grid.height));
    EXPECT_FALSE(at.cellAt(at.legend.x + 1, at.legend.y + 1));

    // Narrow cells: no values inside them, and only every few x values labelled.
    const HeatMapLayout dense = layoutHeatMap(60, 40, 500, 300, texts);
    ASSERT_TRUE(dense.valid());
    EXPECT_FALSE(dense.showValues);
    EXPECT_GE(dense.xLabelStep * dense.cellWidth, texts.xLabelWidth);
    EXPECT_GE(dense.yLabelStep * dense.cellHeight, texts.lineHeight);
    // A few large cells are capped rather than stretched.
    EXPECT_LE(layoutHeatMap(1, 1, 2000, 2000, texts).cellWidth, kHeatMaxCell);
    EXPECT_FALSE(layoutHeatMap(3, 3, 40, 40, texts).valid());
}

TEST(HeatMapGeometry, ColoursRunDarkToLightWithReadableText) {
    auto luminance = [](const HeatColour& c) {
        return 0.2126 * c.red + 0.7152 * c.green + 0.0722 * c.blue;
    };
    double last = -1;
    for (int step = 0; step <= 20; ++step) {
        const double now = luminance(heatColour(step / 20.0));
        EXPECT_GT(now, last) << step;
        last = now;
    }
    EXPECT_FALSE(darkTextOn(heatColour(0)));
    EXPECT_TRUE(darkTextOn(heatColour(1)));
    EXPECT_EQ(heatPosition(5, 0, 10), 0.5);
    EXPECT_EQ(heatPosition(-3, 0, 10), 0.0);
    EXPECT_EQ(heatPosition(7, 7, 7), 0.5);
}

// A synthetic report: a 3 × 2 grid whose points close one trade a day
// worth more the larger x is, over 300 trading days.
OptimizeOutcome syntheticOutcome(const std::string& folder, const Strategy& strategy) {
    OptimizeOutcome outcome;
    outcome.folder = folder;
    outcome.strategyIndex = 0;
    outcome.strategyName = "戦略A";
    outcome.strategy = strategy;
    std::string error;
    outcome.sweeps.push_back(*parseSweep("1.buy.1.n=10..30/10", strategy, error));
    outcome.sweeps.push_back(*parseSweep("rsiPeriod=9,14", strategy, error));
    outcome.labels = {"戦術1 買い 1行目 n", "分析 ＲＳＩ期間"};
    outcome.options.objective = Objective::NetProfit;
    outcome.options.minTrades = 1;
    outcome.scopeText = "この銘柄（1301 極洋）";
    ResearchData& data = outcome.report.data;
    data.capital = 10'000'000;
    for (int d = 0; d < 300; ++d)
        data.dates.push_back(20230101 + (d / 28) * 100 + d % 28 + 1 + (d / 336) * 10000);
    for (const ParameterPoint& point : grid(outcome.sweeps)) {
        PointRun run;
        run.point = point;
        for (int d = 0; d < 300; ++d) {
            const int64_t net =
                (d % 3 == 0 ? -1 : 1) * (1000 + 2'000'000LL * point[0]) + (d % 7) * 10 * point[1];
            run.days.push_back(
                {net, std::max<int64_t>(net, 0), std::max<int64_t>(-net, 0), 1, net > 0 ? 1 : 0});
            run.netProfit += net;
        }
        data.points.push_back(std::move(run));
    }
    OptimizationReport& report = outcome.report;
    for (const PointRun& run : data.points)
        report.metrics.push_back(measure(run, 0, 300, data.capital));
    report.order = rankPoints(report.metrics, Objective::NetProfit, 1);
    report.best = report.order.front();
    report.bestQualifies = true;
    report.walkForward = walkForward(data, 4, 2, false, Objective::NetProfit, 1);
    return outcome;
}

Strategy editorStrategy() {
    Strategy strategy;
    Tactic tactic;
    tactic.name = "押し目";
    tactic.buy.conditions[0] = Condition{0, 0, 0, 0, 4, 0, 20, 0, 0, 0};
    tactic.buy.count = 1;
    tactic.stop.conditions[0] = stopRule(kStopLoss, 0, 5);
    tactic.stop.count = 1;
    strategy.tactics.push_back(tactic);
    return strategy;
}

class OptimizeWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        writeStrategyNames(temp.str(), {"戦略A"});
        saveStrategy(temp.str(), 1, strategy);
    }
    OptimizeDialog* dialog(const OptimizeChoice& choice, int strategyIndex = 0) {
        made.push_back(std::make_unique<OptimizeDialog>(
            strategyIndex, "戦略A", sweepableParameters(strategy, {}), choice,
            QStringLiteral("1301 極洋"), true, std::vector<std::string>{"注目", "候補"}, prompter));
        return made.back().get();
    }
    int rowOf(const OptimizeDialog& d, const char* label) {
        for (int row = 0; row < d.parameters()->rowCount(); ++row)
            if (d.parameters()->item(row, OptimizeDialog::kName)->text() ==
                QString::fromUtf8(label))
                return row;
        return -1;
    }
    static void setRow(OptimizeDialog& d, int row, const char* from, const char* to,
                       const char* step) {
        QTableWidget* t = d.parameters();
        t->item(row, OptimizeDialog::kUse)->setCheckState(Qt::Checked);
        t->item(row, OptimizeDialog::kFrom)->setText(from);
        t->item(row, OptimizeDialog::kTo)->setText(to);
        t->item(row, OptimizeDialog::kStep)->setText(step);
    }

    test::TempFolder temp;
    test::RecordingPrompter prompter;
    Strategy strategy = editorStrategy();
    std::vector<std::unique_ptr<OptimizeDialog>> made;
};

// What was typed opens again as typed; another strategy keeps the settings
// but not the rows.
TEST_F(OptimizeWindows, TheDialogOpensAgainAsItWasLeft) {
    OptimizeDialog* first = dialog({});
    const int n = rowOf(*first, "戦術1 買い 1行目 n");
    const int stop = rowOf(*first, "戦術1 ストップ 1行目 値");
    ASSERT_GE(n, 0);
    ASSERT_GE(stop, 0);
    setRow(*first, n, "10", "30", "5");
    setRow(*first, stop, "2", "8", "3");
    EXPECT_EQ(first->gridLabel()->text(), QStringLiteral("組み合わせ：15 通り"));
    first->objective()->setCurrentIndex(6);
    first->minTrades()->setText("25");
    first->scope()->setCurrentIndex(1);
    first->watchlist()->setCurrentIndex(1);
    first->search()->setCurrentIndex(1);
    first->budget()->setText("50");
    first->seed()->setText("7");
    first->monteCarlo()->setText("250");
    first->walkForward()->setChecked(true);
    first->inMonths()->setText("18");
    first->outMonths()->setText("3");
    first->windowKind()->setCurrentIndex(1);
    const OptimizeChoice kept = first->choice();

    OptimizeDialog* again = dialog(kept);
    QTableWidget* t = again->parameters();
    EXPECT_EQ(t->item(n, OptimizeDialog::kUse)->checkState(), Qt::Checked);
    EXPECT_EQ(t->item(n, OptimizeDialog::kFrom)->text(), "10");
    EXPECT_EQ(t->item(n, OptimizeDialog::kTo)->text(), "30");
    EXPECT_EQ(t->item(n, OptimizeDialog::kStep)->text(), "5");
    EXPECT_EQ(t->item(stop, OptimizeDialog::kStep)->text(), "3");
    EXPECT_EQ(again->objective()->currentIndex(), 6);
    EXPECT_EQ(again->minTrades()->text(), "25");
    EXPECT_EQ(again->scope()->currentIndex(), 1);
    EXPECT_EQ(again->watchlist()->currentIndex(), 1);
    EXPECT_TRUE(again->watchlist()->isEnabled());
    EXPECT_EQ(again->search()->currentIndex(), 1);
    EXPECT_EQ(again->budget()->text(), "50");
    EXPECT_EQ(again->seed()->text(), "7");
    EXPECT_EQ(again->monteCarlo()->text(), "250");
    EXPECT_TRUE(again->walkForward()->isChecked());
    EXPECT_EQ(again->inMonths()->text(), "18");
    EXPECT_EQ(again->outMonths()->text(), "3");
    EXPECT_EQ(again->windowKind()->currentIndex(), 1);
    again->accept();
    ASSERT_EQ(again->result(), QDialog::Accepted) << testing::PrintToString(prompter.messages());
    const OptimizeRequest& request = again->request();
    ASSERT_EQ(request.sweeps.size(), 2u);
    EXPECT_EQ(request.sweeps[0].values, (std::vector<int>{10, 15, 20, 25, 30}));
    EXPECT_EQ(request.options.objective, Objective::Sharpe);
    EXPECT_EQ(request.options.minTrades, 25);
    EXPECT_TRUE(request.options.evolve);
    EXPECT_EQ(request.options.evolution.budget, 50);
    EXPECT_EQ(request.options.evolution.seed, 7u);
    EXPECT_EQ(request.options.monteCarloRuns, 250);
    EXPECT_EQ(request.options.monteCarloSeed, 7u);
    ASSERT_TRUE(request.options.walkForward);
    EXPECT_EQ(request.options.walkForward->inMonths, 18);
    EXPECT_TRUE(request.options.walkForward->anchored);
    EXPECT_EQ(request.scope, OptimizeScope::Watchlist);
    EXPECT_EQ(request.watchlist, 2);

    OptimizeDialog* other = dialog(kept, 3);
    EXPECT_EQ(other->parameters()->item(n, OptimizeDialog::kUse)->checkState(), Qt::Unchecked);
    EXPECT_EQ(other->objective()->currentIndex(), 6);
}

// At its smallest the dialog still shows every label, box and choice whole.
TEST_F(OptimizeWindows, DialogTextsFitAtTheSmallestSize) {
    OptimizeDialog* d = dialog({});
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d));
    d->resize(d->minimumSizeHint());
    QCoreApplication::processEvents();
    test::shoot(*d, "optimize_dialog_smallest");
    for (const QLabel* label : d->findChildren<QLabel*>()) {
        if (!label->isVisible() || label->wordWrap()) continue;
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->text().toStdString();
    }
    for (const QCheckBox* box : d->findChildren<QCheckBox*>())
        EXPECT_LE(box->sizeHint().width(), box->width()) << box->text().toStdString();
    // A combo's hint is its widest choice with the arrow and frame.
    for (QComboBox* combo : d->findChildren<QComboBox*>()) {
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        EXPECT_LE(combo->sizeHint().width(), combo->width()) << combo->currentText().toStdString();
    }
}

// Bad ranges are refused before anything runs, with the reason.
TEST_F(OptimizeWindows, BadRangesAreRefusedBeforeTheRun) {
    const struct {
        const char *from, *to, *step;
        bool evolve;
        const char* message;
        const char* monteCarlo = "1000";
    } cases[] = {
        {"", "", "", false, "最適化するパラメータを1つ以上選んでください。"},
        {"30", "10", "1", false, "「戦術1 買い 1行目 n」は開始を終了以下にしてください。"},
        {"10", "30", "0", false, "「戦術1 買い 1行目 n」の刻みは 1 以上にしてください。"},
        {"-5", "30", "1", false,
         "「戦術1 買い 1行目 n」は 0 から 32767 の範囲で指定してください。"},
        {"1x", "30", "1", false,
         "「戦術1 買い 1行目 n」の開始・終了・刻みには整数を入力してください。"},
        {"0", "32767", "1", false, nullptr},  // with the stop row: 32768 × 32768 points
        {"0", "32767", "1", true, ""},
        {"10", "30", "5", false,
         "「モンテカルロ試行数」には 0 から 100000 までの整数を入力してください。", "100001"},
        {"10", "30", "5", false, "", "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        prompter.calls.clear();
        OptimizeDialog* d = dialog({});
        if (*c.from) {
            setRow(*d, rowOf(*d, "戦術1 買い 1行目 n"), c.from, c.to, c.step);
            if (!c.message || !*c.message)
                setRow(*d, rowOf(*d, "戦術1 ストップ 1行目 値"), "0", "32767", "1");
        }
        d->search()->setCurrentIndex(c.evolve ? 1 : 0);
        d->monteCarlo()->setText(c.monteCarlo);
        d->accept();
        if (c.message && !*c.message) {
            EXPECT_EQ(d->result(), QDialog::Accepted);
            EXPECT_EQ(d->request().options.monteCarloRuns, std::atoi(c.monteCarlo));
            continue;
        }
        EXPECT_EQ(d->result(), QDialog::Rejected);
        ASSERT_EQ(prompter.messages().size(), 1u);
        if (c.message)
            EXPECT_EQ(prompter.messages()[0], c.message);
        else
            EXPECT_NE(prompter.messages()[0].find("進化的探索を選んでください"), std::string::npos);
    }
}

// この値を使う writes a new strategy with the chosen values and leaves the
// original's file as it was; overwriting asks first.
TEST_F(OptimizeWindows, UsingTheValuesWritesACopy) {
    const auto original = *fileio::readFile(temp.str() + "/" + strategyFileName(1));
    OptimizeResultView view(syntheticOutcome(temp.str(), strategy), prompter);
    const OptimizationReport& report = view.outcome().report;
    // The best is the largest x; pick the row of x = 20, RSI 14 instead.
    int chosen = -1;
    for (std::size_t p = 0; p < report.data.points.size(); ++p)
        if (report.data.points[p].point == ParameterPoint{1, 1}) chosen = static_cast<int>(p);
    view.selectPoint(chosen);
    ASSERT_EQ(view.selectedPoint(), chosen);

    prompter.inputs.push_back("戦略A 最適化");
    int written = 0;
    view.onStrategiesWritten = [&] { ++written; };
    ASSERT_TRUE(view.useValues(chosen, false));
    EXPECT_EQ(written, 1);
    EXPECT_EQ(readStrategyNames(temp.str()), (std::vector<std::string>{"戦略A", "戦略A 最適化"}));
    const auto copy = loadStrategy(temp.str(), 2);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->strategy.tactics[0].buy.conditions[0].p3, 20);
    EXPECT_EQ(copy->strategy.tactics[0].stop.conditions[0].p1, 5);
    EXPECT_EQ(*fileio::readFile(temp.str() + "/" + strategyFileName(1)), original);
    ASSERT_FALSE(prompter.messages().empty());
    const std::string told = prompter.messages().back();
    EXPECT_NE(told.find("[戦略A 最適化]"), std::string::npos);
    EXPECT_NE(told.find("分析 ＲＳＩ期間 = 14"), std::string::npos);

    // Overwriting: "no" leaves the original, "yes" writes it.
    prompter.answers = {Answer::No};
    EXPECT_FALSE(view.useValues(chosen, true));
    EXPECT_EQ(*fileio::readFile(temp.str() + "/" + strategyFileName(1)), original);
    prompter.answers = {Answer::Yes};
    EXPECT_TRUE(view.useValues(chosen, true));
    EXPECT_EQ(loadStrategy(temp.str(), 1)->strategy.tactics[0].buy.conditions[0].p3, 20);
    EXPECT_EQ(readStrategyNames(temp.str()).size(), 2u);

    // A store this window may not write to is left alone.
    view.canWrite = [] { return false; };
    prompter.inputs.push_back("戦略A 2");
    EXPECT_FALSE(view.useValues(chosen, false));
    EXPECT_EQ(readStrategyNames(temp.str()).size(), 2u);
}

TEST_F(OptimizeWindows, ResultTextsFitAndSentencesSayWhy) {
    OptimizeOutcome outcome = syntheticOutcome(temp.str(), strategy);
    // The Monte Carlo sentence: none when not asked, why when not computed.
    const struct {
        int asked;
        std::optional<TradeMonteCarlo> computed;
        const char* sentence;
    } monteCarlos[] = {
        {0, std::nullopt, ""},
        {1000, std::nullopt,
         "モンテカルロ：最低取引数を満たす組み合わせがないため計算していません。"},
        {1000, TradeMonteCarlo{},
         "モンテカルロ：最良の組み合わせに取引がないため計算していません。"},
        {1000,
         TradeMonteCarlo{1000, {1'363'548, 1'846'466, 2'719'105}, {-250, 9'000'000, 12'345'678}},
         "モンテカルロ（取引を無作為に引き直して 1,000 回）：最大ドローダウンは 5%〜95% で "
         "1,363,548〜2,719,105円（中央値 1,846,466円）、最終資産は 5%〜95% で "
         "-250〜12,345,678円（中央値 9,000,000円）です。"},
    };
    for (const auto& c : monteCarlos) {
        outcome.options.monteCarloRuns = c.asked;
        outcome.report.monteCarlo = c.computed;
        EXPECT_EQ(monteCarloSentence(outcome), c.sentence);
    }
    OptimizeResultView view(outcome, prompter);
    view.resize(1000, 700);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    test::shoot(view, "optimize_result");
    // Six combinations are too few for either measure, and it says so.
    EXPECT_NE(view.overfitting()->text().indexOf(QStringLiteral("6 通りと少ない")), -1);
    EXPECT_NE(view.deflated()->text().indexOf(QStringLiteral("少ないため")), -1);
    EXPECT_TRUE(view.monteCarlo()->isVisible());

    for (const QTableWidget* table : {view.table(), view.windows()}) {
        ASSERT_NE(table, nullptr);
        const QFontMetrics cells(table->font());
        const QFontMetrics headers(table->horizontalHeader()->font());
        for (int c = 0; c < table->columnCount(); ++c) {
            SCOPED_TRACE(table->horizontalHeaderItem(c)->text().toStdString());
            const int width = table->horizontalHeader()->sectionSize(c);
            EXPECT_LE(headers.horizontalAdvance(table->horizontalHeaderItem(c)->text()), width - 8);
            for (int r = 0; r < table->rowCount(); ++r)
                EXPECT_LE(cells.horizontalAdvance(table->item(r, c)->text()), width - 6);
        }
    }
    // Sorting by net profit puts the worst first; the rank still names the point.
    const int netColumn = OptimizeResultView::kFirstValueColumn + 2;
    view.table()->sortItems(netColumn, Qt::AscendingOrder);
    const int first = view.table()->item(0, 0)->data(Qt::UserRole).toInt();
    EXPECT_EQ(first, view.outcome().report.order.back());

    // Heat-map values fit their cells whenever they are drawn.
    view.tabs()->setCurrentIndex(1);
    HeatMapView* map = view.heatMap();
    for (QSize size : {QSize(1000, 700), QSize(640, 460)}) {
        view.resize(size);
        QCoreApplication::processEvents();
        // Every sentence of the header shows all its lines.
        for (const QLabel* label : {view.overfitting(), view.deflated(), view.monteCarlo()})
            EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                << label->text().toStdString();
        const HeatMapLayout at = map->layout();
        ASSERT_TRUE(at.valid());
        EXPECT_TRUE(at.showValues);
        const QFontMetrics metrics(map->font());
        for (int row = 0; row < at.rows; ++row)
            for (int column = 0; column < at.columns; ++column)
                EXPECT_LE(metrics.horizontalAdvance(map->cellText(column, row)),
                          at.cellWidth - 2 * kHeatCellPadding);
        EXPECT_EQ(map->slice().bestColumn, 2);
    }
    test::shoot(view, "optimize_heat_map");
}

TEST(WalkForwardGeometry, StitchedEquityAndWindowHits) {
    WalkForward walk;
    walk.windows = {WalkForwardWindow{0, 40, 40, 60, 0, {}, {}},
                    WalkForwardWindow{20, 60, 60, 80, 1, {}, {}}};
    walk.stitched.days.resize(100);
    walk.stitched.days[45].net = 100;
    walk.stitched.days[70].net = -30;
    walk.stitched.days[90].net = 999;  // after the last window: not counted
    walk.stitchedFirst = 40;
    walk.stitchedLast = 80;
    const std::vector<int64_t> equity = stitchedEquity(walk, 100);
    EXPECT_EQ(equity[44], 0);
    EXPECT_EQ(equity[45], 100);
    EXPECT_EQ(equity[99], 70);
    const WalkForwardPlot plot = layoutWalkForward(100, 2, equity, 520, 300, 60, 14);
    ASSERT_TRUE(plot.valid());
    EXPECT_EQ(plot.dayX(0), plot.left);
    EXPECT_EQ(plot.dayX(100), plot.right);
    EXPECT_EQ(plot.equityY(plot.high), plot.equityTop);
    EXPECT_EQ(plot.equityY(plot.low), plot.equityBottom);
    EXPECT_GT(plot.equityTop, plot.laneTop(1) + plot.laneHeight());
    const int lane0 = plot.laneTop(0) + 1, lane1 = plot.laneTop(1) + 1;
    const struct {
        int day, y, window;
    } hits[] = {
        {10, lane0, 0},
        {50, lane0, 0},
        {70, lane0, -1},  // window 0: days 0 ... 59
        {10, lane1, -1},
        {30, lane1, 1},
        {70, lane1, 1},  // window 1: days 20 ... 79
        {90, lane1, -1},
        {50, plot.equityTop + 5, -1},
        {10, plot.lanesTop - 1, -1},
    };
    for (const auto& hit : hits)
        EXPECT_EQ(plot.windowAt(walk.windows, plot.dayX(hit.day), hit.y), hit.window)
            << hit.day << " " << hit.y;
    // Many windows: thin lanes in a third of the height, the equity below;
    // two lanes share a pixel row, which hits the one painted on top.
    const WalkForwardPlot crowded = layoutWalkForward(100, 200, equity, 520, 300, 60, 14);
    ASSERT_TRUE(crowded.valid());
    EXPECT_EQ(crowded.lanesHeight, 100);
    EXPECT_EQ(crowded.laneHeight(), 1);
    EXPECT_GT(crowded.equityTop, crowded.laneTop(199));
    std::vector<WalkForwardWindow> many(200, WalkForwardWindow{0, 50, 50, 100, 0, {}, {}});
    for (auto [lane, hit] :
         {std::pair{0, 1}, std::pair{1, 1}, std::pair{2, 3}, std::pair{199, 199}})
        EXPECT_EQ(crowded.windowAt(many, crowded.dayX(60), crowded.laneTop(lane)), hit) << lane;
    EXPECT_EQ(layoutWalkForward(100, 4, equity, 520, 600, 60, 14).laneHeight(), 14);
}

}  // namespace
}  // namespace tav::desktop
