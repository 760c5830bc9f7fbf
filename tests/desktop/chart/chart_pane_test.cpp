#include "chart/chart_pane.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScreen>

#include "chart/trend_lines.h"
#include "desktop/chart/pane_fixture.h"

namespace tav::desktop {
namespace {

using test::makeBar;

// Closes 1000, 1080, 1040 in a 400 x 280 pane: baseY 200, plotHeight 160,
// span 80, so a price p lies at y = 200 - 2 (p - 1000). Pitch 10: the bars
// stand at x 350, 360, 370 and candle bodies span x - 5 .. x + 4.
class ChartPaneTest : public ::testing::Test, public test::PaneFixture {
  protected:
    void SetUp() override {
        setBars({makeBar("20240603", 1000, 1000, 1000, 1000),    // doji
                 makeBar("20240604", 1020, 1090, 1010, 1080),    // rising
                 makeBar("20240605", 1100, 1100, 1040, 1040)});  // falling
        workspace.options().barPitch = 10;
        pane.resize(400, 280);
    }
    static int priceY(int price) { return 200 - 2 * (price - 1000); }

    ChartPane pane{workspace, state};
};

TEST_F(ChartPaneTest, GuideLinesLieAtTheirPriceRows) {
    // Closes 1234 and 1180 give lines at 1230 ... 1170 (baseY 200, plotHeight 160, span 54).
    setBars(
        {makeBar("20240603", 1234, 1234, 1234, 1234), makeBar("20240604", 1180, 1180, 1180, 1180)});
    const QImage image = test::render(pane);
    const QRgb guide = colour(ColourIndex::priceGuide);
    for (int price = 1230; price >= 1170; price -= 10) {
        const int y = 200 - (price - 1180) * 160 / 54;
        EXPECT_EQ(image.pixel(20, y), guide) << price;
        EXPECT_NE(image.pixel(20, y - 1), guide) << price;
    }
    EXPECT_EQ(pane.scale().guides[0].price, 1230);
}

TEST_F(ChartPaneTest, CandleBodiesWicksAndDojis) {
    const QImage image = test::render(pane);
    const QRgb risingOutline = colour(ColourIndex::risingOutline);
    const QRgb risingBody = colour(ColourIndex::risingBody);
    const QRgb background = colour(ColourIndex::chartBackground);

    // Rising bar at x 360: body from 1080 (y 40) down to 1020 (y 160).
    const int middle = priceY(1050);
    EXPECT_EQ(image.pixel(355, middle), risingOutline);
    EXPECT_EQ(image.pixel(356, middle), risingBody);
    EXPECT_EQ(image.pixel(363, middle), risingBody);
    EXPECT_EQ(image.pixel(364, middle), risingOutline);
    EXPECT_EQ(image.pixel(365, middle),
              colour(ColourIndex::fallingOutline));  // the next bar's frame
    EXPECT_EQ(image.pixel(360, priceY(1080)), risingOutline);
    EXPECT_EQ(image.pixel(360, priceY(1080) - 1), risingOutline);  // wick up to the high
    EXPECT_EQ(image.pixel(360, priceY(1090)), risingOutline);
    EXPECT_EQ(image.pixel(360, priceY(1090) - 1), background);
    EXPECT_EQ(image.pixel(360, priceY(1010)), risingOutline);

    // Falling bar at x 370 in the falling colours.
    EXPECT_EQ(image.pixel(366, priceY(1070)), colour(ColourIndex::fallingBody));

    // Doji at x 350: one row at the open across the body's width, nothing above it.
    for (int x = 345; x <= 354; ++x)
        EXPECT_EQ(image.pixel(x, priceY(1000)), risingOutline) << x;
    EXPECT_NE(image.pixel(344, priceY(1000)), risingOutline);
    EXPECT_EQ(image.pixel(350, priceY(1000) - 1), background);
}

TEST_F(ChartPaneTest, PitchOneBodiesAreTwoPixelsWide) {
    workspace.options().barPitch = 1;  // bars at 368, 369, 370
    const QImage image = test::render(pane);
    const int y = priceY(1050);
    EXPECT_EQ(image.pixel(368, y), colour(ColourIndex::risingOutline));
    EXPECT_EQ(image.pixel(369, y), colour(ColourIndex::risingOutline));
    EXPECT_EQ(image.pixel(367, y), colour(ColourIndex::chartBackground));
}

TEST_F(ChartPaneTest, InvertedDrawingFlipsPricesAndSwapsColours) {
    state.inverted = true;
    const QImage image = test::render(pane);
    // y = 200 - 2 (1080 - p): the rising body now runs from y 80 (1020) to y 200 (1080).
    const int y = 200 - 2 * (1080 - 1050);
    EXPECT_EQ(image.pixel(355, y), colour(ColourIndex::fallingOutline));
    EXPECT_EQ(image.pixel(358, y), colour(ColourIndex::fallingBody));
    EXPECT_EQ(image.pixel(358, 200 - 2 * (1080 - 1090)), colour(ColourIndex::chartBackground));
    // The area right of the newest bar takes the guide colour.
    EXPECT_EQ(image.pixel(390, 250), colour(ColourIndex::priceGuide));
}

TEST_F(ChartPaneTest, LeadingSpansSkipBarsOutsideTheSeries) {
    workspace.options().chartOverlay = static_cast<uint8_t>(Overlay::Ichimoku);
    for (DailyBar& bar : workspace.series().bars) {
        bar.senkou1 = 1070;
        bar.senkou2 = 1030;
    }
    auto setKijun = [&](uint8_t period) {
        workspace.analysisParameters.setChart(ChartParam::kijunPeriod, PeriodMode::Daily, period);
    };
    // Period 2: the value of bar k is drawn at bar k + 2, 20 pixels right of the newest bar.
    setKijun(2);
    QImage image = test::render(pane);
    EXPECT_EQ(image.pixel(388, priceY(1070)), colour(ColourIndex::senkou1));
    EXPECT_EQ(image.pixel(388, priceY(1030)), colour(ColourIndex::senkou2));
    // Period 1 draws each bar's value on itself; 200 would reach hundreds of
    // bars past the series: nothing is drawn there.
    setKijun(1);
    pane.refresh();
    image = test::render(pane);
    EXPECT_EQ(image.pixel(388, priceY(1070)), colour(ColourIndex::chartBackground));
    setKijun(200);
    pane.refresh();
    image = test::render(pane);
    EXPECT_EQ(image.pixel(388, priceY(1070)), colour(ColourIndex::chartBackground));
}

TEST_F(ChartPaneTest, MarkerBHidesLaterBarsAndTinyPanesDrawNoPrices) {
    state.markerB = 1;
    QImage image = test::render(pane);
    EXPECT_EQ(image.pixel(358, priceY(1050)), colour(ColourIndex::risingBody));
    EXPECT_EQ(image.pixel(368, priceY(1070)), colour(ColourIndex::chartBackground));

    state.markerB = kNoBar;
    pane.resize(400, 100);  // plotHeight -20
    image = test::render(pane);
    EXPECT_FALSE(pane.scale().hasPriceArea());
    for (int y = 0; y < 100; ++y)
        EXPECT_NE(image.pixel(358, y), colour(ColourIndex::risingBody)) << y;
}

TEST_F(ChartPaneTest, VolumeBarsAndTheSignalStrip) {
    auto& bars = workspace.series().bars;
    bars[1].volume = 1000;  // the largest: the full 80 pixels
    bars[2].volume = 500;   // half of them
    QImage image = test::render(pane);
    const QRgb volume = colour(ColourIndex::volumeBars);
    EXPECT_EQ(image.pixel(360, 200), volume);
    EXPECT_EQ(image.pixel(360, 279), volume);
    EXPECT_EQ(image.pixel(370, 240), volume);
    EXPECT_NE(image.pixel(370, 239), volume);
    EXPECT_NE(image.pixel(350, 279), volume);  // no volume

    // A stop exit fills the upper box; a short exit by signal frames the lower one.
    state.strategyShown = true;
    bars[1].tradeMark = 5;
    bars[2].tradeMark = 4;
    pane.refresh();
    image = test::render(pane);
    const QRgb ground = colour(ColourIndex::priceGuide);
    EXPECT_EQ(image.pixel(357, 14), colour(ColourIndex::risingBody));
    EXPECT_EQ(image.pixel(363, 20), colour(ColourIndex::risingBody));
    EXPECT_EQ(image.pixel(356, 14), ground);
    EXPECT_EQ(image.pixel(367, 24), colour(ColourIndex::fallingBody));
    EXPECT_EQ(image.pixel(373, 24), colour(ColourIndex::fallingBody));
    EXPECT_EQ(image.pixel(370, 24), ground);
    EXPECT_EQ(image.pixel(340, 41), ground);
    EXPECT_NE(image.pixel(340, 42), ground);
}

TEST_F(ChartPaneTest, TrendLinesFollowTheirDatesWhenThePitchChanges) {
    const std::string path = trendLinePath(workspace.folder(), workspace.series().code);
    // From bar 0 to bar 2 at row 190, drawn at pitch 10 (slot origins 345 and 365).
    const auto line = trendLineFromPoints(workspace.series().bars, pane.axis(), 347, 190, 372, 190);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->startOffset, 2);
    EXPECT_EQ(line->endOffset, 7);
    ASSERT_TRUE(appendTrendLine(path, *line));

    const QRgb trend = colour(ColourIndex::trendLine);
    QImage image = test::render(pane);
    EXPECT_EQ(image.pixel(347, 190), trend);
    EXPECT_EQ(image.pixel(372, 190), trend);
    EXPECT_EQ(image.pixel(346, 190), colour(ColourIndex::chartBackground));

    // Pitch 4: bars at 362, 366, 370; slot origins x - 2.
    workspace.options().barPitch = 4;
    pane.refresh();
    image = test::render(pane);
    EXPECT_EQ(image.pixel(362 - 2 + 2, 190), trend);
    EXPECT_EQ(image.pixel(370 - 2 + 7, 190), trend);
    EXPECT_EQ(image.pixel(347, 190), colour(ColourIndex::chartBackground));

    // A weekly series without those dates leaves the line in the file, undrawn.
    setBars(
        {makeBar("20240607", 1000, 1000, 1000, 1000), makeBar("20240614", 1080, 1080, 1080, 1080)});
    pane.refresh();
    image = test::render(pane);
    for (int x = 330; x < 400; ++x)
        EXPECT_NE(image.pixel(x, 190), trend) << x;
    EXPECT_EQ(readTrendLines(path).size(), 1u);
}

TEST_F(ChartPaneTest, DrawingATrendLineWithTheMouseStoresIt) {
    state.setClickMode(ClickMode::TrendLine);
    auto send = [&](QEvent::Type type, int x, int y, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(x, y), QPointF(x, y), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&pane, &event);
    };
    const std::string path = trendLinePath(workspace.folder(), workspace.series().code);
    send(QEvent::MouseButtonPress, 347, 190, Qt::LeftButton);
    send(QEvent::MouseMove, 360, 150, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, 372, 100, Qt::NoButton);
    EXPECT_EQ(readTrendLines(path),
              (std::vector<TrendLine>{{"20240603", 2, 190, "20240605", 7, 100}}));

    // An end right of the newest bar's slot stores nothing.
    send(QEvent::MouseButtonPress, 347, 190, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, 390, 100, Qt::NoButton);
    EXPECT_EQ(readTrendLines(path).size(), 1u);
}

TEST_F(ChartPaneTest, ClicksSetMarkersAndPostCommands) {
    std::vector<int> posted;
    QObject::connect(&pane, &ChartPane::commandPosted, [&](int id) { posted.push_back(id); });
    auto click = [&](int x, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, 100), QPointF(x, 100),
                          Qt::LeftButton, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(&pane, &press);
    };

    click(361);
    EXPECT_EQ(state.clickedBar, 1);
    EXPECT_EQ(posted, (std::vector<int>{pane_command::kBeforeClick, pane_command::kBarClicked}));

    posted.clear();
    state.setClickMode(ClickMode::MarkerA);
    click(349);
    EXPECT_EQ(state.markerA, 0);
    click(390);  // right of the newest slot: no bar
    EXPECT_EQ(state.markerA, 0);
    EXPECT_EQ(posted, (std::vector<int>{pane_command::kBeforeClick, pane_command::kChartMarkerASet,
                                        pane_command::kBeforeClick}));

    posted.clear();
    click(361, Qt::ShiftModifier);
    EXPECT_EQ(posted, (std::vector<int>{pane_command::kBeforeClick, pane_command::kOpenDataFile}));
    EXPECT_EQ(state.markerA, 0);

    // Switching to marker B mode clears marker A; a new series clears both.
    state.setClickMode(ClickMode::MarkerB);
    EXPECT_EQ(state.markerA, kNoBar);
    click(371);
    EXPECT_EQ(state.markerB, 2);
    state.resetForSeries(1);
    EXPECT_EQ(state.markerB, kNoBar);
    EXPECT_EQ(state.endCount, 1);
}

TEST_F(ChartPaneTest, CrosshairMovesWithoutRedrawingTheChart) {
    std::vector<int> posted;
    QObject::connect(&pane, &ChartPane::commandPosted, [&](int id) { posted.push_back(id); });
    pane.show();
    QCoreApplication::processEvents();
    auto onScreen = [&] { return pane.screen()->grabWindow(pane.winId()).toImage(); };
    const QRgb body = colour(ColourIndex::risingBody);
    ASSERT_EQ(onScreen().pixel(356, priceY(1030)), body);

    // A bar changed behind the pane's back stays as drawn while only the crosshair moves.
    workspace.series().bars[1].open = 1060;
    QMouseEvent move(QEvent::MouseMove, QPointF(361, 120), QPointF(361, 120), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&pane, &move);
    QImage image = onScreen();
    EXPECT_EQ(image.pixel(356, priceY(1030)), body);
    EXPECT_EQ(image.pixel(20, 120), colour(ColourIndex::crosshair));
    EXPECT_EQ(image.pixel(361, 250), colour(ColourIndex::crosshair));
    EXPECT_EQ(state.chartHoverBar, 1);
    EXPECT_EQ(pane.crosshairX(), 361);
    EXPECT_EQ(posted, (std::vector<int>{pane_command::kChartCrosshairMoved,
                                        pane_command::kChartHoverChanged}));

    pane.clearHover();
    EXPECT_EQ(state.chartHoverBar, kNoBar);
    EXPECT_EQ(pane.crosshairX(), -1);
    EXPECT_NE(onScreen().pixel(20, 120), colour(ColourIndex::crosshair));

    // A refresh draws the bar as it is now.
    pane.refresh();
    QCoreApplication::processEvents();
    EXPECT_EQ(onScreen().pixel(356, priceY(1030)), colour(ColourIndex::chartBackground));
    pane.hide();
}

}  // namespace
}  // namespace tav::desktop
