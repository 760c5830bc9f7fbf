#include "chart_lines/day_levels.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace tav {
namespace {

DailyBar makeBar(const char* date, int32_t open, int32_t high, int32_t low, int32_t close) {
    DailyBar bar{};
    setBarDate(bar, date);
    bar.open = open;
    bar.high = high;
    bar.low = low;
    bar.close = close;
    return bar;
}

std::vector<std::string_view> names(const LevelList& list) {
    std::vector<std::string_view> result;
    for (const LevelEntry& entry : list)
        result.push_back(entry.name);
    return result;
}

// 51 bars; the last one (H 1100, L 1000, C 1060, so P = 1053) carries the
// chart's lines, and the first one the cloud read 50 bars back.
std::vector<DailyBar> knownSeries() {
    std::vector<DailyBar> bars(51, makeBar("20240603", 1000, 1000, 1000, 1000));
    bars[0].senkou1 = 1500;
    bars[0].senkou2 = 1450;
    DailyBar& bar = bars[50] = makeBar("20240814", 1010, 1100, 1000, 1060);
    bar.maLong = 1020;
    bar.maMid = 1040;
    bar.maShort = 1055;
    bar.tenkan = 1050;
    bar.kijun = 1030;
    bar.hlHigh = 1100;
    bar.hlLow = 980;
    return bars;
}

TEST(LayerList, LayerTextIsByteExact) {
    const auto bars = knownSeries();
    // Sorted highest first; HL高値 and 当日高値 tie at 1100 and keep their table order.
    const std::string expected = text::sjisFromUtf8(
        "           1500       雲1       \n"
        "           1450       雲2       \n"
        "HBOP       1206                 \n"
        "S2         1153                 \n"
        "S1         1106                 \n"
        "           1100       HL高値    \n"
        "当日高値   1100                 \n"
        "当日終値   1060                 \n"
        "           1055       短期MA    \n"
        "PIVOT      1053                 \n"
        "           1050       転換線    \n"
        "           1040       中期MA    \n"
        "           1030       基準線    \n"
        "           1020       長期MA    \n"
        "当日始値   1010                 \n"
        "B1         1006                 \n"
        "当日安値   1000                 \n"
        "           980        HL安値    \n"
        "B2         953                  \n"
        "LBOP       906                  \n"
        "\n\n");
    EXPECT_EQ(layerFileText(levelList(bars, 50)), expected);
}

TEST(LayerList, FlatBarsShortSeriesAndProvisionalBars) {
    // H = L = C: all seven pivot levels equal the close.
    for (const LevelEntry& level : pivotLevels(1234, 1234, 1234))
        EXPECT_EQ(level.value, 1234);

    // Fewer than 50 bars back: the cloud has no value and goes last, written without a number.
    auto bars = knownSeries();
    const LevelList shortList = levelList(bars, 10);
    EXPECT_EQ(shortList[18].name, "雲1");
    EXPECT_FALSE(shortList[18].value);
    EXPECT_EQ(shortList[19].name, "雲2");
    const std::string text = layerFileText(shortList);
    EXPECT_EQ(text.substr(text.size() - 2 - 33, 33),
              text::sjisFromUtf8("                      雲2       \n"));

    // The provisional newest bar: levels from the bar before, the close named 現在値.
    bars[49] = makeBar("20240813", 900, 990, 960, 975);  // P = 975
    bars[50].provisional = 1;
    const LevelList list = levelList(bars, 50);
    auto find = [&](std::string_view name) {
        for (const LevelEntry& entry : list)
            if (entry.name == name) return entry.value;
        return std::optional<int32_t>();
    };
    EXPECT_EQ(find("PIVOT"), 975);
    EXPECT_EQ(find("前日高値"), 990);
    EXPECT_EQ(find("前日安値"), 960);
    EXPECT_EQ(find("現在値"), 1060);
    EXPECT_EQ(find("当日始値"), 1010);
    EXPECT_FALSE(find("当日終値"));
    EXPECT_EQ(names(list).size(), 20u);
}

}  // namespace
}  // namespace tav
