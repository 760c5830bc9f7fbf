#include "chart/board_rows.h"

#include <gtest/gtest.h>

#include "chart/chart_view_state.h"
#include "desktop/chart/pane_fixture.h"

namespace tav::desktop {
namespace {

using test::makeBar;

class BoardRowsTest : public ::testing::Test {
  protected:
    BoardRows rowsFor(int bar, int markerA = kNoBar, int clicked = kNoBar) {
        return boardRows(
            {bars, bar, options, parameters, PeriodMode::Daily, switches, markerA, clicked});
    }
    static const BoardRow& row(const std::vector<BoardRow>& rows, std::string_view label,
                               int skip = 0) {
        for (const BoardRow& r : rows)
            if (r.label == label && skip-- == 0) return r;
        static const BoardRow missing{"missing"};
        return missing;
    }

    std::vector<DailyBar> bars{makeBar("20240613", 1000, 1010, 990, 1000, 2000),
                               makeBar("20240614", 1010, 1100, 1000, 1060, 1500)};
    OptionsRecord options;
    AnalysisParameters parameters = AnalysisParameters::defaults();
    DisplaySwitches switches;
};

TEST_F(BoardRowsTest, PriceRowsAndTheirColours) {
    bars[1].rangeAverage = 25;
    const BoardRows rows = rowsFor(1);
    EXPECT_EQ(rows.date.value, "2024/06/14(金)");
    EXPECT_EQ(row(rows.prices, "終値").valueColour, 0x0000FFu);
    EXPECT_EQ(row(rows.prices, "前日比").value, "60 / 6.00%");
    EXPECT_EQ(row(rows.prices, "高安差").value, "100 / 10.00% / 25");
    EXPECT_EQ(row(rows.prices, "出来高").value, "1500");
    EXPECT_EQ(row(rows.prices, "前日比", 1).value, "-500/-25.0%");
    EXPECT_EQ(row(rows.prices, "前日比", 1).valueColour, 0xFF0000u);
}

TEST_F(BoardRowsTest, FieldsWithoutABaseStayEmpty) {
    // The oldest bar has nothing to compare with.
    BoardRows rows = rowsFor(0);
    EXPECT_EQ(row(rows.prices, "前日比").value, "");
    EXPECT_EQ(row(rows.prices, "前日比", 1).value, "");
    EXPECT_FALSE(row(rows.prices, "終値").valueColour);
    for (const BoardRow& indicator : rows.indicators)
        EXPECT_EQ(indicator.mark, "");

    // Zero previous close, low and previous volume (indices carry no volume).
    bars[0].close = 0;
    bars[0].volume = 0;
    bars[1].low = 0;
    rows = rowsFor(1);
    EXPECT_EQ(row(rows.prices, "前日比").value, "");
    EXPECT_EQ(row(rows.prices, "高安差").value, "");
    EXPECT_EQ(row(rows.prices, "前日比", 1).value, "");

    // Moving averages not yet defined, and a marker on a bar with close 0.
    rows = rowsFor(1);
    EXPECT_EQ(row(rows.section, "長期").value, "");
    EXPECT_EQ(row(rows.section, "長乖離").value, "");
    rows = rowsFor(1, 0);
    EXPECT_EQ(row(rows.section, "基準日").value, "2024-06-13");
    EXPECT_EQ(row(rows.section, "経過日").value, "1");
    EXPECT_EQ(row(rows.section, "変動率").value, "");

    // The cloud 50 bars back on a short series.
    options.chartOverlay = static_cast<uint8_t>(Overlay::Ichimoku);
    rows = rowsFor(1);
    EXPECT_EQ(row(rows.section, "先行１").value, "");
}

TEST_F(BoardRowsTest, IndicatorRowsOfTheScreenShown) {
    bars[0].rsi = 500;
    bars[1].rsi = 512;
    bars[1].rci = -1;  // shown as a value: RCI runs from -1000
    bars[1].roc = 85;
    bars[0].roc = 85;
    BoardRows rows = rowsFor(1);
    ASSERT_EQ(rows.indicators.size(), 5u);
    EXPECT_EQ(rows.indicators[0].label, "ＲＳＩ");
    EXPECT_EQ(rows.indicators[0].value, "51.2");
    EXPECT_EQ(rows.indicators[0].mark, "／");
    EXPECT_EQ(rows.indicators[1].value, "-0.1");
    EXPECT_EQ(rows.indicators[2].value, "85");
    EXPECT_EQ(rows.indicators[2].valueColour, 0xFF0000u);
    EXPECT_EQ(rows.indicators[2].mark, "―");

    bars[1].rsi = -1;  // not yet defined
    bars[1].roc = 130;
    rows = rowsFor(1);
    EXPECT_EQ(rows.indicators[0].value, "");
    EXPECT_EQ(rows.indicators[0].mark, "");
    EXPECT_EQ(rows.indicators[2].valueColour, 0x0000FFu);

    // The psychological line counts wins and losses over its period; period 0 shows nothing.
    options.indicatorScreen = 1;  // ids 5-9
    bars[1].psychUpCount = 7;
    rows = rowsFor(1);
    ASSERT_EQ(rows.indicators.size(), 5u);
    EXPECT_EQ(rows.indicators[4].value, "7勝5敗");
    parameters.setIndicator(IndicatorParam::psychPeriod, PeriodMode::Daily, 0);
    EXPECT_EQ(rowsFor(1).indicators[4].value, "");
}

TEST_F(BoardRowsTest, ClickedBarShowsItsOwnPivots) {
    const BoardRows rows = rowsFor(1, kNoBar, 0);  // H 1010, L 990, C 1000: P 1000
    ASSERT_EQ(rows.section.size(), 8u);
    EXPECT_EQ(rows.section[0].label, "ﾋﾟﾎﾞｯﾄ");
    EXPECT_EQ(row(rows.section, "HBOP").value, "1030");
    EXPECT_EQ(row(rows.section, "PIVOT").value, "1000");
    EXPECT_EQ(row(rows.section, "LBOP").value, "970");
}

}  // namespace
}  // namespace tav::desktop
