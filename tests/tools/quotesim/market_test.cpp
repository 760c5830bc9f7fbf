#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/text.h"
#include "market_generator.h"
#include "support/temp_folder.h"

namespace tav::quotesim {
namespace {

bool sameBars(const std::vector<PriceBar>& a, const std::vector<PriceBar>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].date != b[i].date || a[i].open != b[i].open || a[i].high != b[i].high ||
            a[i].low != b[i].low || a[i].close != b[i].close || a[i].volume != b[i].volume)
            return false;
    }
    return true;
}

TEST(MarketGenerator, SameSettingsGiveTheSameMarket) {
    GeneratorSettings settings{30, 2, 11, {2005, 3, 15}};
    auto first = generateMarket(settings);
    auto second = generateMarket(settings);
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].code, second[i].code);
        EXPECT_EQ(first[i].name, second[i].name);
        EXPECT_TRUE(sameBars(first[i].bars, second[i].bars)) << first[i].code;
    }
    settings.seed = 12;
    auto other = generateMarket(settings);
    EXPECT_FALSE(sameBars(first.back().bars, other.back().bars));
}

TEST(MarketGenerator, HoldsEveryKindOfSecurityWithSaneBars) {
    auto market = generateMarket({40, 2, 5, {2005, 3, 15}});
    std::set<SecurityKind> kinds;
    std::set<std::string> markets;
    int splits = 0;
    for (const auto& security : market) {
        kinds.insert(securityKind(security.code));
        markets.insert(security.market);
        ASSERT_FALSE(security.bars.empty());
        EXPECT_EQ(security.bars.back().date, 20050315);
        if (securityKind(security.code) == SecurityKind::UsStock ||
            securityKind(security.code) == SecurityKind::UsIndex) {
            EXPECT_NE(security.symbol, "-") << security.code;
        }
        for (const PriceBar& bar : security.bars) {
            ASSERT_GT(bar.low, 0) << security.code;
            ASSERT_LE(bar.low, std::min(bar.open, bar.close)) << security.code << " " << bar.date;
            ASSERT_GE(bar.high, std::max(bar.open, bar.close)) << security.code << " " << bar.date;
            ASSERT_GT(bar.volume, 0);
        }
        for (const StockSplit& split : security.splits) {
            ++splits;
            // The day before trades at about the new share count times the price.
            auto day = std::find_if(security.bars.begin(), security.bars.end(),
                                    [&](const PriceBar& bar) { return bar.date == split.date; });
            ASSERT_NE(day, security.bars.begin());
            double jump = static_cast<double>((day - 1)->close) / day->open;
            double shares = std::stod(split.to);
            EXPECT_GT(jump, shares * 0.8);
            EXPECT_LT(jump, shares * 1.25);
        }
    }
    EXPECT_EQ(kinds.size(), 5u);
    EXPECT_GE(markets.size(), 10u);  // nine exchanges and "-"
    EXPECT_EQ(splits, 4);
    auto nasdaq =
        std::find_if(market.begin(), market.end(), [](const auto& s) { return s.code == 1003; });
    ASSERT_NE(nasdaq, market.end());
    EXPECT_GT(nasdaq->bars.back().volume, int64_t{1} << 31);
}

TEST(PeriodBars, WeeksCarryTheirFirstTradingDayAndMonthsDayOne) {
    std::vector<PriceBar> days = {
        {20050303, 10, 12, 9, 11, 100},   // Thursday
        {20050304, 11, 15, 10, 14, 200},  // Friday
        {20050308, 14, 14, 8, 9, 300},    // Tuesday after a Monday holiday
        {20050309, 9, 10, 7, 10, 400},   {20050331, 20, 21, 19, 20, 500},  // Thursday
        {20050401, 20, 25, 18, 24, 600},                                   // Friday, the same week
    };
    auto weeks = periodBars(days, PeriodMode::Weekly);
    ASSERT_EQ(weeks.size(), 3u);
    EXPECT_EQ(weeks[0].date, 20050303);
    EXPECT_EQ(weeks[0].open, 10);
    EXPECT_EQ(weeks[0].high, 15);
    EXPECT_EQ(weeks[0].low, 9);
    EXPECT_EQ(weeks[0].close, 14);
    EXPECT_EQ(weeks[0].volume, 300);
    EXPECT_EQ(weeks[1].date, 20050308);
    EXPECT_EQ(weeks[2].date, 20050331);
    EXPECT_EQ(weeks[2].close, 24);
    auto months = periodBars(days, PeriodMode::Monthly);
    ASSERT_EQ(months.size(), 2u);
    EXPECT_EQ(months[0].date, 20050301);
    EXPECT_EQ(months[0].low, 7);
    EXPECT_EQ(months[0].close, 20);
    EXPECT_EQ(months[0].volume, 1500);
    EXPECT_EQ(months[1].date, 20050401);

    for (int64_t day = dayNumber(19991225); day < dayNumber(20010110); ++day)
        ASSERT_EQ(dayNumber(dateOfDay(day)), day);
    EXPECT_EQ(weekday(20050315), 2);
    EXPECT_EQ(weekday(20000101), 6);
}

TEST(MarketFolder, ReadsTheMasterListAndEachDataFileWhenAsked) {
    test::TempFolder folder;
    test::writeFile(folder / "Stock.lst", text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n"
                                                             "10101,アップル,-,1,AAPL\r\n"
                                                             "7203,重複,東証2部,100,-\n"
                                                             "bad line\n"));
    std::filesystem::create_directory(folder / "Data");
    test::writeFile(folder / "Data" / "7203.txt",
                    "20050314,100,110,90,105,1000\n20050315,105,120,100,118,2000\n");
    auto market = Market::fromFolder(folder.str());
    ASSERT_TRUE(market);
    EXPECT_EQ(market->codes(), (std::vector<StockCode>{7203, 10101}));
    const SimulatedSecurity* stock = market->find(7203);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(stock->name, "トヨタ自動車");
    EXPECT_EQ(stock->market, "東証1部");
    ASSERT_EQ(stock->bars.size(), 2u);
    EXPECT_EQ(stock->bars[1].date, 20050315);
    EXPECT_EQ(stock->bars[1].volume, 2000);
    const SimulatedSecurity* apple = market->findSymbol("AAPL");
    ASSERT_NE(apple, nullptr);
    EXPECT_EQ(apple->code, 10101);
    EXPECT_TRUE(apple->bars.empty());  // no data file
    EXPECT_EQ(market->find(1234), nullptr);
    EXPECT_FALSE(Market::fromFolder((folder / "none").string()));
}

}  // namespace
}  // namespace tav::quotesim
