#include <gtest/gtest.h>

#include <vector>

#include "core/text.h"
#include "note_pane.h"
#include "quotes/quote_page.h"
#include "scale_labels.h"
#include "security_search.h"

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

TEST(HeaderText, MarketUnitAndSymbol) {
    EXPECT_EQ(headerText({"トヨタ自動車", "東証1部", 100, ""}),
              "トヨタ自動車 （東証1部 : 100 株）");
    EXPECT_EQ(headerText({"Apple", "NASDAQ", 1, "AAPL"}), "Apple （NASDAQ : 1 株 : AAPL）");
    EXPECT_EQ(headerText({"-----", "---", 0, ""}), "----- （--- : --- 株）");
    // The list's "-" placeholder is no symbol.
    EXPECT_EQ(headerText({"ソニー", "東証1部", 100, "-"}), "ソニー （東証1部 : 100 株）");
}

TEST(SecuritySearch, NameSubstringInShiftJis) {
    const std::string list = text::sjisFromUtf8(
        "1010,日経平均,東証1部,1,-\n7203,トヨタ自動車,東証1部,100,-\n7267,本田技研工業,東証1部,100,"
        "-\r\n"
        "7270,ＳＵＢＡＲＵ,東証1部,100,-\n");
    EXPECT_EQ(searchMaster(list, "自動車"), (std::vector<SearchHit>{{7203, "7203 トヨタ自動車"}}));
    EXPECT_EQ(searchMaster(list, "工業").size(), 1u);
    EXPECT_TRUE(searchMaster(list, "").empty());
    EXPECT_TRUE(searchMaster(list, "東証").empty());  // the market is not searched
    // Matches start on a character: "c" is the second byte of "田" (0x93 0x63).
    EXPECT_TRUE(searchMaster(list, "c").empty());
}

TEST(NoteSummary, AmountsAndRates) {
    EXPECT_EQ(groupedAmount(1000000), "1,000,000");
    EXPECT_EQ(groupedAmount(-12345), "-12,345");
    EXPECT_EQ(groupedAmount(-1234567), "-1,234,567");
    EXPECT_EQ(groupedAmount(999), "999");
    EXPECT_EQ(groupedAmount(0), "0");

    SimulationSummary summary;
    summary.capital = 1000000;
    const auto idle = summaryLines(summary);
    ASSERT_EQ(idle.size(), 21u);
    EXPECT_EQ(idle[2], (std::pair<std::string, std::string>{"取引数", "0 [勝 0]"}));
    EXPECT_EQ(idle[3].second, "0.0%");

    summary.trades = 3;
    summary.wins = 2;
    summary.totalProfit = 50000;
    summary.tax = 5000;
    summary.totalCommission = 2500;
    summary.profitFactor = 1.5;
    const auto lines = summaryLines(summary);
    EXPECT_EQ(lines[3].second, "66.7%");
    EXPECT_EQ(lines[9].second, "1.50");
    EXPECT_EQ(lines[11].second, "5.0%");
    EXPECT_EQ(lines[14].second, "42,500");
    EXPECT_EQ(lines[15].second, "4.2%");  // 4.25 rounds to even, as printf does
}

TEST(NoteSummary, CompanyFiguresInPageOrder) {
    QuoteRecord quote;
    quote.texts[0] = "1,234億円";
    quote.texts[12] = "2024年3月";
    const auto lines = companyLines(quote);
    ASSERT_EQ(lines.size(), kQuoteTextCount);
    EXPECT_EQ(lines[0], (std::pair<std::string, std::string>{"時価総額", "1,234億円"}));
    EXPECT_EQ(lines[12], (std::pair<std::string, std::string>{"決算年月", "2024年3月"}));
}

}  // namespace
}  // namespace tav::desktop
