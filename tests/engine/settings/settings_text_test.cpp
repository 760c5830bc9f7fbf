#include "settings/settings_text.h"

#include <gtest/gtest.h>

#include <set>

namespace tav {
namespace {

TEST(SettingsText, EveryNameIsUniqueAndSetsBackToItsOwnValue) {
    OptionsRecord options;
    options.reportName = {'r', '.', 't', 'x', 't'};
    options.colours[3] = 0x123456;
    options.indicatorOrder = {1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    options.reservedDialog[31] = 0xAB;
    options.windowLeft = -20;
    std::vector<NamedValue> described = describeOptions(options);
    std::vector<NamedValue> parameters = describeParameters(AnalysisParameters::defaults());
    EXPECT_EQ(parameters.size(), 120u);

    std::set<std::string> names;
    for (const auto& list : {described, parameters})
        for (const NamedValue& value : list)
            EXPECT_TRUE(names.insert(value.name).second) << value.name;

    OptionsRecord copy = OptionsRecord::defaults(1);
    for (const NamedValue& value : described) {
        EXPECT_TRUE(isOptionName(value.name)) << value.name;
        EXPECT_FALSE(isParameterName(value.name)) << value.name;
        if (value.name == "indicatorScreens") continue;
        EXPECT_EQ(setOption(copy, value.name, value.value), std::nullopt) << value.name;
    }
    EXPECT_EQ(copy, options);

    AnalysisParameters block;
    for (const NamedValue& value : parameters) {
        EXPECT_TRUE(isParameterName(value.name)) << value.name;
        EXPECT_EQ(setParameter(block, value.name, value.value), std::nullopt) << value.name;
    }
    EXPECT_EQ(block, AnalysisParameters::defaults());
}

TEST(SettingsText, ValuesAreShownReadably) {
    OptionsRecord options;
    auto value = [&](std::string_view name) {
        for (const NamedValue& named : describeOptions(options))
            if (named.name == name) return named.value;
        return std::string("<missing>");
    };
    EXPECT_EQ(value("stockCode"), "1010");
    EXPECT_EQ(value("reportName"), "Report.txt");
    EXPECT_EQ(value("rankingChoice5"), "9");
    EXPECT_EQ(value("indicatorOrder"), "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16");
    EXPECT_EQ(value("colour.senkou1"), "0x00FFFF");
    EXPECT_EQ(value("indicatorScreens"), "4");
    EXPECT_EQ(value("reservedDialog"), std::string(64, '0'));
    EXPECT_EQ(describeParameters(AnalysisParameters::defaults())[3 * 18 + 1].name,
              "rsiPeriod.weekly");
}

TEST(SettingsText, ChangesAreCheckedAgainstTheirRanges) {
    OptionsRecord options;
    const OptionsRecord before = options;
    for (auto [name, value] : std::initializer_list<std::pair<std::string_view, std::string_view>>{
             {"barPitch", "0"},
             {"graphsPerScreen", "11"},
             {"periodMode", "3"},
             {"historyLength", "4"},
             {"historyLength", "51"},
             {"quoteInterval", "-1"},
             {"versionStamp", "2639"},
             {"stockCode", "0"},
             {"windowLeft", "2147483648"},
             {"screenMarket", "256"},
             {"barPitch", "6x"},
             {"barPitch", ""},
             {"indicatorScreen", "4"},  // only four screens of five graphs
             {"colour.kijun", "0x100000000"},
             {"colour.nothing", "0"},
             {"rankingChoice6", "1"},
             {"reportName", ""},
             {"reportName", "a-name-of-16-chr"},
             {"reservedDialog", "00"},
             {"indicatorOrder", "0,1,2"},
             {"indicatorOrder", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,15"},
             {"indicatorOrder", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,0"},
             {"indicatorScreens", "2"},
             {"noSuchField", "1"},
         }) {
        EXPECT_TRUE(setOption(options, name, value).has_value()) << name << ' ' << value;
    }
    EXPECT_EQ(options, before);

    EXPECT_EQ(setOption(options, "windowLeft", "-2147483648"), std::nullopt);
    EXPECT_EQ(setOption(options, "colour.kijun", "0xABCDEF"), std::nullopt);
    EXPECT_EQ(options.colour(ColourIndex::kijun), 0xABCDEFu);
    EXPECT_EQ(setOption(options, "reportName", "結果.txt"), std::nullopt);
    EXPECT_EQ(std::string(options.reportName.data()), "\x8C\x8B\x89\xCA.txt");

    // Fewer graphs per screen keep the screen shown; more go back to the first.
    options.indicatorScreen = 3;
    EXPECT_EQ(setOption(options, "graphsPerScreen", "3"), std::nullopt);
    EXPECT_EQ(options.indicatorScreen, 3);
    EXPECT_EQ(setOption(options, "graphsPerScreen", "10"), std::nullopt);
    EXPECT_EQ(options.indicatorScreen, 0);
    EXPECT_TRUE(options.valid());
}

TEST(SettingsText, ParametersByPeriodOrAllThree) {
    AnalysisParameters block = AnalysisParameters::defaults();
    EXPECT_EQ(setParameter(block, "maLongPeriod", "30"), std::nullopt);
    EXPECT_EQ(setParameter(block, "vlRsiPeriod.monthly", "0"), std::nullopt);
    for (PeriodMode period : {PeriodMode::Daily, PeriodMode::Weekly, PeriodMode::Monthly})
        EXPECT_EQ(block.chart(ChartParam::maLongPeriod, period), 30);
    EXPECT_EQ(block.indicator(IndicatorParam::vlRsiPeriod, PeriodMode::Weekly), 14);
    EXPECT_EQ(block.indicator(IndicatorParam::vlRsiPeriod, PeriodMode::Monthly), 0);

    const AnalysisParameters before = block;
    EXPECT_TRUE(setParameter(block, "maLongPeriod.daily", "256").has_value());
    EXPECT_TRUE(setParameter(block, "maLongPeriod.yearly", "5").has_value());
    EXPECT_TRUE(setParameter(block, "barPitch", "5").has_value());
    EXPECT_EQ(block, before);
}

}  // namespace
}  // namespace tav
