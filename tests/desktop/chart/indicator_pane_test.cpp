#include "chart/indicator_pane.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <numeric>

#include "desktop/chart/pane_fixture.h"

namespace tav::desktop {
namespace {

using test::makeBar;

// 400 pixels wide, pitch 10: bars at x 370, 360, 350 ... newest first.
class IndicatorPaneTest : public ::testing::Test, public test::PaneFixture {
  protected:
    void SetUp() override {
        std::vector<DailyBar> bars;
        for (int i = 0; i < 6; ++i)
            bars.push_back(makeBar("20240603", 1000, 1000, 1000, 1000));
        setBars(bars);
        workspace.options().barPitch = 10;
    }
    // Shows the indicator first on the screen.
    void showFirst(IndicatorId id) {
        auto& order = workspace.options().indicatorOrder;
        std::iota(order.begin(), order.end(), 0);
        std::swap(order[0], order[static_cast<int>(id)]);
        workspace.options().indicatorScreen = 0;
    }
    QRgb line1() const { return colour(ColourIndex::indicatorLine1); }

    IndicatorPane pane{workspace, state};
};

TEST_F(IndicatorPaneTest, GuideRowsForFiveAndTenGraphsPerScreen) {
    const QRgb guide = colour(ColourIndex::indicatorGuide);
    const QRgb background = colour(ColourIndex::indicatorBackground);
    setBars({});

    // Five graphs: U = 320 / 16 = 20; rows k U, doubled in the middle of each graph.
    workspace.options().graphsPerScreen = 5;
    pane.resize(400, 320);
    QImage image = test::render(pane);
    for (int k = 1; k < 16; ++k) {
        EXPECT_EQ(image.pixel(200, 20 * k), guide) << k;
        EXPECT_EQ(image.pixel(200, 20 * k + 1), k % 3 == 2 ? guide : background) << k;
        EXPECT_EQ(image.pixel(200, 20 * k - 1), background) << k;
    }
    EXPECT_EQ(pane.layout().screenCount(), 4);

    // Ten graphs: U = 310 / 31 = 10; the second screen holds the last seven indicators.
    workspace.options().graphsPerScreen = 10;
    workspace.options().indicatorScreen = 1;
    pane.resize(400, 310);
    image = test::render(pane);
    for (int k = 1; k < 31; ++k) {
        EXPECT_EQ(image.pixel(200, 10 * k), guide) << k;
        EXPECT_EQ(image.pixel(200, 10 * k + 1), k % 3 == 2 ? guide : background) << k;
    }
    EXPECT_EQ(pane.indicatorAt(0), IndicatorId::ForceIndex);  // entry 10 of the default order
    EXPECT_EQ(pane.indicatorAt(6), IndicatorId::VlRsi);
    EXPECT_FALSE(pane.indicatorAt(7));
    EXPECT_FALSE(pane.indicatorAt(9));
}

TEST_F(IndicatorPaneTest, RsiLineEndsAtItsFirstUndefinedBar) {
    // U = 20; 600 per mille on graph 0 lies at 80 - 600 x 80 / 1000 = 32.
    pane.resize(400, 320);
    showFirst(IndicatorId::Rsi);
    auto& bars = workspace.series().bars;
    for (int k = 0; k < 6; ++k)
        bars[k].rsi = k >= 3 ? 600 : -1;
    QImage image = test::render(pane);
    EXPECT_EQ(image.pixel(370, 32), line1());
    EXPECT_EQ(image.pixel(355, 32), line1());  // from bar 4 to bar 3
    EXPECT_NE(image.pixel(345, 32), line1());  // bar 2 is not defined

    // Inverted: 1000 - 600 lies at 80 - 400 x 80 / 1000 = 48.
    state.inverted = true;
    pane.refresh();
    image = test::render(pane);
    EXPECT_EQ(image.pixel(365, 48), line1());
    EXPECT_NE(image.pixel(365, 32), line1());
}

TEST_F(IndicatorPaneTest, PsychologicalLineUsesItsPeriod) {
    pane.resize(400, 320);
    showFirst(IndicatorId::Psychological);
    for (DailyBar& bar : workspace.series().bars)
        bar.psychUpCount = 2;
    auto setPeriod = [&](uint8_t period) {
        workspace.analysisParameters.setIndicator(IndicatorParam::psychPeriod, PeriodMode::Daily,
                                                  period);
        pane.refresh();
    };
    // 2 up days of 8: 25 % at 80 - 25 x 80 / 100 = 60.
    setPeriod(8);
    QImage image = test::render(pane);
    EXPECT_EQ(image.pixel(365, 60), line1());

    // Inverted: 8 - 2 = 6 up days, 75 %, at row 20 (a guide row; the line is drawn over it).
    state.inverted = true;
    pane.refresh();
    image = test::render(pane);
    EXPECT_EQ(image.pixel(365, 20), line1());
    EXPECT_NE(image.pixel(365, 60), line1());

    // Period 0: no graph, and no division by it.
    setPeriod(0);
    image = test::render(pane);
    for (int y = 0; y < 80; ++y)
        EXPECT_NE(image.pixel(365, y), line1()) << y;
}

TEST_F(IndicatorPaneTest, MacdIsNotDrawnWhenFlat) {
    pane.resize(400, 320);
    showFirst(IndicatorId::Macd);
    // Averages seeded on bar 1, so that every bar here is past the warm-up.
    for (auto [param, value] : {std::pair{IndicatorParam::macdLongPeriod, 2},
                                std::pair{IndicatorParam::macdShortPeriod, 1},
                                std::pair{IndicatorParam::macdSignalPeriod, 1}})
        workspace.analysisParameters.setIndicator(param, PeriodMode::Daily, value);
    QImage image = test::render(pane);
    for (int y = 0; y < 80; ++y)
        EXPECT_NE(image.pixel(365, y), line1()) << y;

    // MACD 50 and -50: the largest magnitude reaches 2U from the zero line at 40.
    auto& bars = workspace.series().bars;
    bars[5].macd = 50;
    bars[4].macd = -50;
    pane.refresh();
    image = test::render(pane);
    EXPECT_EQ(image.pixel(370, 0), line1());
    EXPECT_EQ(image.pixel(360, 80), line1());
}

TEST_F(IndicatorPaneTest, MacdStartsWhereBothAveragesAreSeeded) {
    pane.resize(400, 320);
    showFirst(IndicatorId::Macd);
    // Long 5, short 3: MACD from bar 4 on. Bar 3 holds a warm-up value far
    // larger than the rest; it is neither drawn nor taken for the scale.
    workspace.analysisParameters.setIndicator(IndicatorParam::macdLongPeriod, PeriodMode::Daily, 5);
    workspace.analysisParameters.setIndicator(IndicatorParam::macdShortPeriod, PeriodMode::Daily, 3);
    auto& bars = workspace.series().bars;
    bars[3].macd = 800;
    bars[4].macd = -30;
    bars[5].macd = 30;
    const QImage image = test::render(pane);
    EXPECT_EQ(image.pixel(370, 0), line1());   // +30 reaches the top: 2U above zero
    EXPECT_EQ(image.pixel(360, 80), line1());  // -30 the bottom of the range
    for (int y = 0; y < 80; ++y)
        EXPECT_NE(image.pixel(354, y), line1()) << y;  // no segment towards bar 3
}

TEST_F(IndicatorPaneTest, MarkerClicksAndHoverPostCommands) {
    pane.resize(400, 320);
    std::vector<int> posted;
    QObject::connect(&pane, &IndicatorPane::commandPosted, [&](int id) { posted.push_back(id); });
    state.setClickMode(ClickMode::MarkerA);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(361, 50), QPointF(361, 50), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&pane, &press);
    EXPECT_EQ(state.markerA, 4);
    QMouseEvent move(QEvent::MouseMove, QPointF(351, 50), QPointF(351, 50), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&pane, &move);
    EXPECT_EQ(state.indicatorHoverBar, 3);
    EXPECT_EQ(pane.crosshairX(), 351);
    EXPECT_EQ(posted,
              (std::vector<int>{pane_command::kBeforeClick, pane_command::kIndicatorMarkerASet,
                                pane_command::kIndicatorCrosshairMoved,
                                pane_command::kIndicatorHoverChanged}));
}

// Slots the engine leaves at 0 before their first full window must not pull
// the line down to the graph's floor: it starts at the first defined bar.
TEST_F(IndicatorPaneTest, RocAndStochasticLinesStartAtTheirFirstDefinedBar) {
    // One graph on the pane: U = 80, and no other graph's line in a column.
    workspace.options().graphsPerScreen = 1;
    pane.resize(400, 320);
    const auto column = [&](const QImage& image, int x, QRgb colour) {
        int found = 0;
        for (int y = 0; y < image.height(); ++y)
            found += image.pixel(x, y) == colour;
        return found;
    };
    auto& bars = workspace.series().bars;
    auto& parameters = workspace.analysisParameters;

    // ROC over 3 bars: bars 0-2 have no bar that far back.
    showFirst(IndicatorId::Roc);
    parameters.setIndicator(IndicatorParam::rocPeriod, PeriodMode::Daily, 3);
    for (int k = 0; k < 6; ++k)
        bars[k].roc = k >= 3 ? 105 : 0;
    QImage image = test::render(pane);
    EXPECT_EQ(image.pixel(355, 120), line1());  // 105: 160 - 5 x 80 / 10
    EXPECT_EQ(column(image, 345, line1()), 0);  // nothing from bar 3 down to bar 2

    // Stochastics 2 / slow 2: %D from bar 3, slow %D from bar 4.
    showFirst(IndicatorId::Stochastics);
    parameters.setIndicator(IndicatorParam::stochPeriod, PeriodMode::Daily, 2);
    parameters.setIndicator(IndicatorParam::stochSlowPeriod, PeriodMode::Daily, 2);
    for (int k = 0; k < 6; ++k) {
        bars[k].stochD = k >= 3 ? 500 : 0;
        bars[k].stochSlowD = k >= 4 ? 750 : 0;
    }
    const QRgb line2 = colour(ColourIndex::indicatorLine2);
    image = test::render(pane);
    EXPECT_GT(column(image, 355, line1()), 0);
    EXPECT_EQ(column(image, 345, line1()), 0);
    EXPECT_GT(column(image, 365, line2), 0);
    EXPECT_EQ(column(image, 355, line2), 0);
}

}  // namespace
}  // namespace tav::desktop
