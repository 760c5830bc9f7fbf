#include "chart/chart_geometry.h"

#include <gtest/gtest.h>

#include <vector>

#include "chart/chart_view_state.h"

namespace tav::desktop {
namespace {

std::vector<DailyBar> closes(std::initializer_list<int32_t> values) {
    std::vector<DailyBar> bars;
    for (int32_t close : values) {
        DailyBar bar{};
        bar.open = bar.high = bar.low = bar.close = close;
        bars.push_back(bar);
    }
    return bars;
}

TEST(BarAxis, PlacesBarsFromTheRightMarginAndHitsTheirSlots) {
    const BarAxis axis{400, 6, 100};  // 370 / 6 + 1 = 62 bars fit
    EXPECT_EQ(axis.rightX(), 370);
    EXPECT_EQ(axis.visibleCount(), 62);
    EXPECT_EQ(axis.oldestVisibleBar(), 38);
    EXPECT_EQ(axis.x(99), 370);
    EXPECT_EQ(axis.x(98), 364);

    // Slot of a bar: (x + 3 - 6, x + 3].
    EXPECT_EQ(axis.barAt(373), 99);
    EXPECT_EQ(axis.barAt(374), kNoBar);  // right of the newest slot
    EXPECT_EQ(axis.barAt(368), 99);
    EXPECT_EQ(axis.barAt(367), 98);
    EXPECT_EQ(axis.barAt(axis.x(38)), 38);
    EXPECT_EQ(axis.barAt(axis.x(38) - 3), kNoBar);  // left of the oldest visible bar

    // A series shorter than the screen: its oldest bar is the last one hit.
    const BarAxis shortSeries{400, 6, 5};
    EXPECT_EQ(shortSeries.visibleCount(), 5);
    EXPECT_EQ(shortSeries.x(0), 370 - 4 * 6);
    EXPECT_EQ(shortSeries.barAt(shortSeries.x(0) - 3), kNoBar);

    // A pane narrower than its margin shows nothing rather than a negative count.
    EXPECT_EQ((BarAxis{10, 6, 100}.visibleCount()), 0);
}

TEST(PriceScale, GuideLinesFollowTheMidpointUnitAndStep) {
    const auto bars = closes({1200, 1234, 1180});
    const BarAxis axis{400, 6, 3};
    const PriceScale scale = computePriceScale(bars, axis, 320, {});
    EXPECT_EQ(scale.priceMax, 1234);
    EXPECT_EQ(scale.priceMin, 1180);
    EXPECT_EQ(scale.guideCentre, 1200);
    EXPECT_EQ(scale.guideStep, 10);
    const int64_t expected[] = {1230, 1220, 1210, 1200, 1190, 1180, 1170};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(scale.guides[i].price, expected[i]);
        // baseY 240, plotHeight 200, span 54.
        EXPECT_EQ(scale.guides[i].y, 240 - (expected[i] - 1180) * 200 / 54);
    }

    // Too narrow a range: the step is 0 and the lines coincide at the centre.
    EXPECT_EQ(guideGrid(1202, 1200).step, 0);
    EXPECT_EQ(guideGrid(1202, 1200).centre, 1200);
    // Larger ranges use coarser steps.
    EXPECT_EQ(guideGrid(52000, 38000).step, 2000);  // centre 45000, o 7000, t 2333
    EXPECT_EQ(guideGrid(99, 1).centre, 50);
}

TEST(PriceScale, FlatCloseInvertedAndFixedScales) {
    const BarAxis axis{400, 6, 3};
    const auto flat = closes({500, 500, 500});
    const PriceScale level = computePriceScale(flat, axis, 320, {});
    EXPECT_EQ(level.priceSpan, 1);
    EXPECT_EQ(level.priceY(500), level.baseY);

    const auto bars = closes({1000, 1100, 1050});
    const PriceScale inverted = computePriceScale(bars, axis, 320, {false, true, false});
    EXPECT_EQ(inverted.priceY(1100), inverted.baseY);  // highest close at the bottom
    EXPECT_EQ(inverted.priceY(1000), inverted.baseY - inverted.plotHeight);
    EXPECT_EQ(inverted.priceAt(inverted.baseY), 1100);

    const PriceScale fixed = computePriceScale(bars, axis, 320, {true, false, true});
    EXPECT_EQ(fixed.priceMax, 1000);
    EXPECT_EQ(fixed.priceMin, 0);
    EXPECT_EQ(fixed.plotHeight, 320 - 150);  // the signal strip takes its room
}

TEST(PriceScale, LargePricesAndVolumesDoNotOverflow) {
    // A US index in cents over a tall pane: (p - min) x plotHeight exceeds 32 bits.
    auto bars = closes({3'000'000, 3'900'000, 3'450'000});
    bars[0].volume = 5'000'000'000;
    bars[1].volume = 9'000'000'000;
    bars[2].volume = 7'000'000'000;
    bars[1].marginBuy = 2'000'000'000;
    const BarAxis axis{400, 6, 3};
    const PriceScale scale = computePriceScale(bars, axis, 3000, {});
    EXPECT_EQ(scale.priceY(3'900'000), scale.baseY - scale.plotHeight);
    EXPECT_EQ(scale.priceY(3'450'000), scale.baseY - scale.plotHeight / 2);
    EXPECT_EQ(scale.volumeY(9'000'000'000), scale.bottomY - 80);
    EXPECT_EQ(scale.volumeY(7'000'000'000), scale.bottomY - 40);
    EXPECT_EQ(scale.marginY(2'000'000'000), scale.bottomY - 80);
    EXPECT_EQ(scale.marginY(1'000'000'000), scale.bottomY - 40);
}

TEST(PriceScale, NoPriceAreaInATinyPane) {
    const auto bars = closes({1000, 1100});
    const PriceScale scale = computePriceScale(bars, BarAxis{400, 6, 2}, 100, {});
    EXPECT_FALSE(scale.hasPriceArea());
    EXPECT_EQ(scale.priceAt(10), scale.priceMin);  // no division by the plot height
    EXPECT_EQ(scale.priceY(1100), scale.baseY);
}

TEST(CrosshairPrice, RoundsToTheTickOfTheBar) {
    PriceScale scale;
    scale.baseY = 200;
    scale.plotHeight = 200;
    scale.priceSpan = 1000;
    scale.priceMin = 1'234'006;
    // Close 900,000: tick 1,000.
    const auto big = closes({900'000});
    EXPECT_EQ(crosshairPrice(scale, 200, big, 0), 1'234'000);
    scale.priceMin = 1'234'600;
    EXPECT_EQ(crosshairPrice(scale, 200, big, 0), 1'235'000);

    // Close 25,000: tick 10; close 1,500: tick 1.
    scale.priceMin = 2344;
    const auto mid = closes({25'000, 1500});
    EXPECT_EQ(crosshairPrice(scale, 200, mid, 0), 2340);
    EXPECT_EQ(crosshairPrice(scale, 200, mid, 1), 2344);
    scale.priceMin = 2345;
    EXPECT_EQ(crosshairPrice(scale, 200, mid, 0), 2350);
    // Rows above the base map upward: 100 rows of 1000 / 200 each.
    scale.priceMin = 2000;
    EXPECT_EQ(crosshairPrice(scale, 100, mid, 1), 2500);
}

TEST(IndicatorLayout, FiveAndTenGraphsPerScreen) {
    IndicatorLayout five{320, 5, 0};
    EXPECT_EQ(five.unit(), 20);  // 320 / 16
    EXPECT_EQ(five.screenCount(), 4);
    EXPECT_EQ(five.graphTop(1), 60);
    EXPECT_EQ(five.graphMiddle(1), 100);
    EXPECT_EQ(five.graphBottom(1), 140);
    five.screen = 3;  // the last screen holds two graphs
    EXPECT_EQ(five.orderEntry(0), 15);
    EXPECT_EQ(five.orderEntry(1), 16);
    EXPECT_EQ(five.orderEntry(2), -1);

    IndicatorLayout ten{310, 10, 1};
    EXPECT_EQ(ten.unit(), 10);  // 310 / 31
    EXPECT_EQ(ten.screenCount(), 2);
    EXPECT_EQ(ten.orderEntry(6), 16);
    EXPECT_EQ(ten.orderEntry(7), -1);
    EXPECT_EQ(ten.guideCount(), 31);
    EXPECT_TRUE(IndicatorLayout::guideIsThick(2));
    EXPECT_FALSE(IndicatorLayout::guideIsThick(3));
}

TEST(IndicatorRows, ScalesPlaceTheirReferenceValues) {
    const int g = 1;
    const int u = 20;  // graph from 60 to 140, middle 100
    EXPECT_EQ(indicator_y::perMille(g, u, 0), 140);
    EXPECT_EQ(indicator_y::perMille(g, u, 1000), 60);
    EXPECT_EQ(indicator_y::adx(g, u, 0), 120);
    EXPECT_EQ(indicator_y::rci(g, u, 1000), 60);
    EXPECT_EQ(indicator_y::rci(g, u, -1000), 140);
    EXPECT_EQ(indicator_y::roc(g, u, 100), 100);
    EXPECT_EQ(indicator_y::roc(g, u, 110), 80);
    EXPECT_EQ(indicator_y::williamsR(g, u, 0), 60);
    EXPECT_EQ(indicator_y::williamsR(g, u, 1000), 140);
    EXPECT_EQ(indicator_y::centred(g, u, 50, 50), 60);
    EXPECT_EQ(indicator_y::centred(g, u, -50, 50), 140);
    EXPECT_EQ(indicator_y::centred(g, u, -5, 0), 100);  // no scale: the zero line
    EXPECT_EQ(indicator_y::percent(g, u, 25), 120);
    EXPECT_EQ(indicator_y::vr(g, u, 200), 60);
    EXPECT_EQ(indicator_y::pvr(g, u, 50), 80);
}

TEST(LabelRow, TakesOnlySpansClearOfThoseTakenBefore) {
    LabelRow row(2);
    struct Case {
        int left, right;
        bool taken;
    } const cases[] = {
        {100, 120, true},   // first
        {121, 130, false},  // inside the gap after it
        {122, 130, true},   // just clear of it
        {80, 99, false},    // ends inside the gap before the first
        {70, 98, true},     // clear
        {60, 140, false},   // spans several taken ones
    };
    for (const Case& c : cases)
        EXPECT_EQ(row.take(c.left, c.right), c.taken) << c.left << "-" << c.right;
}

}  // namespace
}  // namespace tav::desktop
