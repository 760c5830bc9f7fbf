#include "dialogs/profit_view.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTableWidget>

#include "chart/chart_pane.h"
#include "desktop/chart/pane_fixture.h"
#include "panes/note_pane.h"
#include "simulation/simulation_engine.h"

namespace tav::desktop {
namespace {

TEST(ProfitGeometry, ScaleMarksAndHits) {
    // Bars 3 ... 7 of a ten-bar axis, all visible.
    const std::vector<EquityPoint> equity = {
        {3, 1000, 0}, {4, 900, -100}, {5, 1200, 0}, {6, 1100, -100}, {7, 800, -400}};
    const BarAxis axis{130, 10, 10};
    const ProfitScale scale = computeProfitScale(equity, axis, 200);
    EXPECT_EQ(scale.equityMax, 1200);
    EXPECT_EQ(scale.equityMin, 800);
    EXPECT_EQ(scale.drawdownMin, -400);
    EXPECT_EQ(scale.equityY(1200), scale.equityTop);
    EXPECT_EQ(scale.equityY(800), scale.equityBottom);
    EXPECT_EQ(scale.drawdownY(0), scale.drawdownTop);
    EXPECT_EQ(scale.drawdownY(-400), scale.drawdownBottom);
    EXPECT_LT(scale.equityBottom, scale.drawdownTop);
    EXPECT_EQ(pointOf(equity, 2), nullptr);
    EXPECT_EQ(pointOf(equity, 6)->equity, 1100);
    EXPECT_EQ(pointOf(equity, 8), nullptr);

    // Scrolled so that only bars 6 and 7 show: the scale follows them.
    const ProfitScale scrolled = computeProfitScale(equity, BarAxis{40, 10, 8}, 200);
    EXPECT_EQ(scrolled.equityMax, 1100);
    EXPECT_EQ(scrolled.equityMin, 800);

    const std::vector<RoundTrip> trips = {
        {0, 1, 3, 5, 100, 120, 1, 20, 0, ExitReason::Signal},
        {0, 2, 6, 7, 120, 100, 1, 0, 0, ExitReason::Open},
    };
    std::vector<TripMarker> markers;
    tripMarkers(trips, equity, axis, scale, markers);
    ASSERT_EQ(markers.size(), 3u);  // an open trade has no exit mark
    EXPECT_EQ(markers[1].x, axis.x(5));
    EXPECT_EQ(markers[1].y, scale.equityY(1200));
    EXPECT_EQ(tripAt(markers, axis.x(6) + 3, scale.equityY(1100) - 2), 1);
    EXPECT_EQ(tripAt(markers, axis.x(5), scale.equityY(1200)), 0);
    EXPECT_EQ(tripAt(markers, axis.x(6) + 6, scale.equityY(1100)), -1);
}

// A run of buy-on-rising, sell-on-falling over a hand-made series, published
// as the display run would.
class ProfitViewTest : public ::testing::Test, public test::PaneFixture {
  protected:
    void SetUp() override {
        const char* shapes = "---u-d--u-d-uu-d---";
        std::vector<DailyBar> bars;
        for (int i = 0; shapes[i] != '\0'; ++i) {
            const int32_t open = 1000 + i * 10;
            const int32_t close = shapes[i] == 'u' ? open + 30 : shapes[i] == 'd' ? open - 30 : open;
            const std::string date = "202402" + std::to_string(10 + i);
            bars.push_back(test::makeBar(date.c_str(), open, std::max(open, close) + 5,
                                         std::min(open, close) - 5, close));
        }
        setBars(std::move(bars));
        workspace.options().barPitch = 8;
        Tactic tactic;
        tactic.buy.conditions[0] = Condition{3, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        tactic.buy.count = 1;
        tactic.sell.conditions[0] = Condition{3, 0, 0, 1, 0, 0, 0, 0, 0, 0};
        tactic.sell.count = 1;
        strategy.tactics.push_back(tactic);
        settings.defaultFill = 1;
        const ConditionInputs inputs{workspace.series().bars, 1, 13, 10, 25, {}};
        StrategyDisplay& display = workspace.strategyDisplay;
        const SimulationInputs run{strategy, settings, 100, inputs, &display.journal};
        display.results.result = runSimulation(workspace.series().bars, run,
                                               RunWindow{3, workspace.series().count(), false},
                                               RunKind::Display)
                                     .result;
        display.results.available = true;
        display.tacticNames = {"押し目"};
        // Made from the series on display with the selected strategy.
        workspace.options().selectedStrategy = 1;
        display.subject = workspace.displaySubject(1);
    }
    Strategy strategy;
    SimulationSettings settings;
};

TEST_F(ProfitViewTest, CurveAndDrawdownCoverTheWholeRunLikeTheTradeList) {
    ProfitView view(workspace, state);
    view.resize(900, 400);
    view.show();
    QCoreApplication::processEvents();
    const int width = view.plot().width();
    // However the chart is scrolled, the plot spans the run the list lists.
    state.endCount = 5;
    const TradeInsight& insight = view.insight();
    const BarAxis plotAxis = view.plot().axis();
    EXPECT_LE(plotAxis.oldestVisibleBar(), insight.equity.front().bar);
    EXPECT_EQ(plotAxis.newestBar(), insight.equity.back().bar);
    EXPECT_GE(plotAxis.x(insight.equity.front().bar), 0);
    EXPECT_LE(plotAxis.x(insight.equity.back().bar), width);
    ASSERT_EQ(insight.trips.size(), 3u);
    const QImage image = view.plot().grab().toImage();
    const ProfitScale scale = view.plot().scale();
    for (const EquityPoint& point : insight.equity) {
        const int x = view.plot().axis().x(point.bar);
        // The curve passes through the point unless a trade mark covers it.
        bool marked = false;
        for (const RoundTrip& trip : insight.trips)
            marked |= trip.entryBar == point.bar || trip.exitBar == point.bar;
        if (!marked) {
            EXPECT_EQ(image.pixel(x, scale.equityY(point.equity)), colour(ColourIndex::maMid))
                << "bar " << point.bar;
        }
        const bool drawdownDrawn =
            image.pixel(x, scale.drawdownTop + 1) == colour(ColourIndex::risingBody);
        EXPECT_EQ(drawdownDrawn, point.drawdown < 0) << "bar " << point.bar;
    }
    const RoundTrip& first = insight.trips.front();
    EXPECT_EQ(image.pixel(view.plot().axis().x(first.exitBar),
                          scale.equityY(pointOf(insight.equity, first.exitBar)->equity)),
              colour(ColourIndex::fallingBody));
}

TEST_F(ProfitViewTest, SortedListCopiesAndDoubleClickScrolls) {
    ProfitView view(workspace, state);
    int shown = -1;
    view.onShowBar = [&](int bar) { shown = bar; };
    QTableWidget& table = view.table();
    ASSERT_EQ(table.rowCount(), 3);
    table.sortItems(7, Qt::DescendingOrder);  // 損益
    const std::string text = view.tradeListText();
    const auto& trips = view.insight().trips;
    const auto best = std::max_element(trips.begin(), trips.end(), [](auto& a, auto& b) {
        return a.gross < b.gross;
    });
    const std::string firstRow = text.substr(text.find('\n') + 1);
    EXPECT_TRUE(text.starts_with("戦術\t売買\t仕掛日\t仕掛値\t手仕舞日\t"));
    EXPECT_TRUE(firstRow.starts_with("押し目\t買い\t" +
                                     std::string(workspace.series().bars[best->entryBar].dateText())))
        << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);

    table.selectRow(2);
    const std::string selected = view.tradeListText();
    EXPECT_EQ(std::count(selected.begin(), selected.end(), '\n'), 2);
    emit table.cellDoubleClicked(0, 3);
    EXPECT_EQ(shown, best->exitBar);
    EXPECT_EQ(view.plot().selectedTrip(), static_cast<int>(best - trips.begin()));
}

TEST_F(ProfitViewTest, NoteSummaryClickAsksForTheView) {
    NotePane note(workspace);
    int posted = 0;
    QObject::connect(&note, &NotePane::commandPosted, [&](int id) { posted = id; });
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(10, 10), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&note, &click);
    EXPECT_EQ(posted, NotePane::kSummaryClicked);
    workspace.strategyDisplay.results.available = false;
    posted = 0;
    QCoreApplication::sendEvent(&note, &click);
    EXPECT_EQ(posted, 0);
}

// A run longer than the plot shows its end; choosing an older trade in the
// list brings it into the plot.
TEST(ProfitAxis, FitsTheRunOrFollowsTheChosenEnd) {
    std::vector<EquityPoint> equity;
    for (int bar = 100; bar <= 500; ++bar)
        equity.push_back({bar, 1000, 0});
    const BarAxis whole = profitAxis(equity, 30 + 400 * 2);
    EXPECT_EQ(whole.pitch, 2);
    EXPECT_EQ(whole.oldestVisibleBar(), 100);
    const BarAxis narrow = profitAxis(equity, 230);
    EXPECT_EQ(narrow.pitch, 1);
    EXPECT_EQ(narrow.newestBar(), 500);
    EXPECT_EQ(profitAxis(equity, 230, 251).newestBar(), 250);
    EXPECT_EQ(profitAxis(equity, 230, 9999).newestBar(), 500);  // outside the run
    EXPECT_EQ(profitAxis(equity, 30 + 3 * kProfitPitch * 400).pitch, kProfitPitch);
    EXPECT_EQ(profitAxis({}, 300).endCount, 0);
}

}  // namespace
}  // namespace tav::desktop
