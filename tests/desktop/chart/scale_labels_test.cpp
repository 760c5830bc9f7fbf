#include "chart/scale_labels.h"

#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <vector>


namespace tav::desktop {
namespace {

std::vector<DailyBar> barsOn(std::initializer_list<const char*> dates) {
    std::vector<DailyBar> bars;
    for (const char* date : dates) {
        DailyBar bar{};
        setBarDate(bar, date);
        bars.push_back(bar);
    }
    return bars;
}

TEST(DateLabels, DailyBarsAreLabelledWhereTheMonthChanges) {
    const auto bars =
        barsOn({"20231228", "20231229", "20240104", "20240105", "20240201", "20240202"});
    const auto labels = dateLabels(bars, 5, 100, PeriodMode::Daily);
    const std::vector<DateLabel> expected = {{1, "2", false}, {3, "1", false}, {3, "24", true}};
    EXPECT_EQ(labels, expected);
    // Only the visible bars count: two bars back from the newest.
    EXPECT_EQ(dateLabels(bars, 5, 2, PeriodMode::Daily), (std::vector<DateLabel>{{1, "2", false}}));
    // Scrolled back to bar 3.
    EXPECT_EQ(dateLabels(bars, 3, 100, PeriodMode::Daily).front(), (DateLabel{1, "1", false}));
}

TEST(DateLabels, MonthlyBarsShowQuartersAndTheYearAtJuly) {
    const auto bars = barsOn({"20230531", "20230630", "20230731", "20230831", "20230929"});
    const auto labels = dateLabels(bars, 4, 100, PeriodMode::Monthly);
    const std::vector<DateLabel> expected = {{0, "9", false}, {2, "23", true}, {3, "6", false}};
    EXPECT_EQ(labels, expected);
    EXPECT_TRUE(dateLabels({}, -1, 100, PeriodMode::Monthly).empty());
}

// One row of dates, 8 pixels per character, newest bar at x 500, pitch 10.
TEST(DateLabels, OneRowWithYearsFirstAndNoOverlap) {
    const auto widthOf = [](const std::string& text) {
        return 8 * static_cast<int>(QString::fromStdString(text).size());
    };
    const auto place = [&](const std::vector<DateLabel>& labels, int left = 0, int right = 600) {
        return placeDateLabels(labels, 500, 10, left, right, widthOf);
    };
    // A new year takes its month's place; both stay on the one row.
    EXPECT_EQ(place({{1, "2", false}, {20, "1", false}, {20, "24", true}}),
              (std::vector<PlacedDate>{{288, "24年"}, {486, "2"}}));
    // Neighbours closer than their widths: the year stays, the month goes;
    // of two months the newer is kept.
    EXPECT_EQ(place({{0, "6", false}, {1, "23", true}}), (std::vector<PlacedDate>{{478, "23年"}}));
    EXPECT_EQ(place({{0, "12", false}, {1, "11", false}}), (std::vector<PlacedDate>{{492, "12"}}));
    // A label that would cross either end of the row is left out, not cut.
    EXPECT_TRUE(place({{0, "12", false}}, 0, 505).empty());
    EXPECT_TRUE(place({{50, "12", false}}, 0, 600).empty());
    EXPECT_EQ(place({{49, "3", false}}, 0, 600), (std::vector<PlacedDate>{{6, "3"}}));
}

TEST(IndicatorScaleLabels, RangesFollowTheGraphScales) {
    using Labels = std::array<std::string, 3>;
    EXPECT_EQ(indicatorScaleLabels(IndicatorId::Rsi, false), (Labels{"100", "50", "0"}));
    EXPECT_EQ(indicatorScaleLabels(IndicatorId::Rsi, true), (Labels{"0", "50", "100"}));
    // ROC: 100 in the middle, 20 points per 2U.
    EXPECT_EQ(indicatorScaleLabels(IndicatorId::Roc, false), (Labels{"120", "100", "80"}));
    EXPECT_EQ(indicatorScaleLabels(IndicatorId::Roc, true), (Labels{"80", "100", "120"}));
    // Williams %R runs downwards; VR has no inverted form.
    EXPECT_EQ(indicatorScaleLabels(IndicatorId::WilliamsR, false), (Labels{"0", "50", "100"}));
    EXPECT_EQ(indicatorScaleLabels(IndicatorId::Vr, true), (Labels{"200", "100", "0"}));
    EXPECT_EQ(indicatorScaleLabels(IndicatorId::Pvr, true), (Labels{"-100", "0", "100"}));
    EXPECT_EQ(indicatorScaleLabels(IndicatorId::Macd, true), (Labels{"", "0", ""}));
}

TEST(IndicatorScaleLabels, EveryLabelStaysInsideItsOwnGraph) {
    // Ascent 11, descent 3: tall units leave room for all three labels of
    // every graph; short ones drop a label rather than overprint one.
    for (int height : {1600, 400, 160}) {
        SCOPED_TRACE(height);
        const IndicatorLayout layout{height, 5, 0};
        const auto baselines = indicatorLabelBaselines(layout, 5, 11, 3);
        ASSERT_EQ(baselines.size(), 5u);
        std::vector<int> all;
        for (int g = 0; g < 5; ++g) {
            for (const auto& baseline : baselines[g]) {
                if (!baseline) continue;
                all.push_back(*baseline);
                EXPECT_GE(*baseline - 11, layout.graphTop(g)) << g;
                EXPECT_LE(*baseline + 3, layout.graphBottom(g)) << g;
            }
        }
        // No two labels share a pixel row.
        std::sort(all.begin(), all.end());
        for (std::size_t i = 1; i < all.size(); ++i) EXPECT_GT(all[i] - 11, all[i - 1] + 3);
        const int shown = static_cast<int>(all.size());
        if (height == 1600) {
            EXPECT_EQ(shown, 15);
        }
        EXPECT_GE(shown, 5);
    }
}

TEST(HeaderText, MarketUnitAndSymbol) {
    EXPECT_EQ(headerText({"トヨタ自動車", "東証1部", 100, ""}),
              "トヨタ自動車 （東証1部 : 100 株）");
    EXPECT_EQ(headerText({"Apple", "NASDAQ", 1, "AAPL"}), "Apple （NASDAQ : 1 株 : AAPL）");
    EXPECT_EQ(headerText({"-----", "---", 0, ""}), "----- （--- : --- 株）");
    // The list's "-" placeholder is no symbol.
    EXPECT_EQ(headerText({"ソニー", "東証1部", 100, "-"}), "ソニー （東証1部 : 100 株）");
}

}  // namespace
}  // namespace tav::desktop
