#include "quotes/quote_addresses.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

TEST(QuoteAddresses, SpanBorrowsYearsWhileTheMonthIsNotAboveZero) {
    auto start = [](int years, int months) {
        return spanEnding({2005, 3, 15}, years, months).start;
    };
    EXPECT_EQ(start(1, 2), (LocalDate{2004, 1, 15}));
    EXPECT_EQ(start(0, 3), (LocalDate{2004, 12, 15}));
    EXPECT_EQ(start(0, 14), (LocalDate{2004, 1, 15}));
    EXPECT_EQ(start(1, 15), (LocalDate{2002, 12, 15}));
    EXPECT_EQ(start(0, 27), (LocalDate{2002, 12, 15}));
}

TEST(QuoteAddresses, SourcesAndSymbols) {
    EXPECT_EQ(quoteSiteFor(1010, false), QuoteSite::YahooJapan);
    EXPECT_EQ(quoteSiteFor(1010, true), QuoteSite::InfoseekStock);
    EXPECT_EQ(quoteSiteFor(1025, false), QuoteSite::InfoseekForex);
    EXPECT_EQ(quoteSiteFor(1007, true), QuoteSite::YahooUs);
    EXPECT_EQ(quoteSiteFor(19999, false), QuoteSite::YahooUs);
    EXPECT_FALSE(siteHasPeriod(QuoteSite::InfoseekForex, PeriodMode::Weekly));
    EXPECT_FALSE(siteHasPeriod(QuoteSite::YahooUs, PeriodMode::Monthly));
    EXPECT_TRUE(siteHasPeriod(QuoteSite::InfoseekStock, PeriodMode::Monthly));

    EXPECT_EQ(yahooJapanSymbol(1001, "東証1部"), "998405");
    EXPECT_EQ(yahooJapanSymbol(8001, "名証2部"), "8001.n");
    EXPECT_EQ(yahooJapanSymbol(8002, "東証"), "8002");
    EXPECT_EQ(yahooJapanSymbol(8003, "---"), "8003");
    EXPECT_EQ(infoseekSymbol(1001, ""), "ksisu1000.i");
    EXPECT_EQ(infoseekSymbol(8004, "札幌ア"), "8004.s");
    EXPECT_EQ(marketSymbol(1010, "東証1部"), "1010.t");
    int numbers[] = {1001, 1002, 2001, 1003, 1009};
    StockCode codes[] = {1020, 1021, 1022, 1023, 1029};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(forexNumber(codes[i]), numbers[i]);

    PageRequest request{QuoteSite::InfoseekStock,        "http://h",         "7203.t", 0,
                        spanEnding({2005, 3, 15}, 1, 0), PeriodMode::Monthly};
    EXPECT_EQ(historyPageAddress(request, 2),
              "http://h/MnStock/"
              "mn_slast.html?qt=7203.t&sy=2004&sm=3&sd=15&ey=2005&em=3&ed=15&k=m&st=100");
    request.site = QuoteSite::InfoseekForex;
    request.number = 1001;
    EXPECT_EQ(
        historyPageAddress(request, 1),
        "http://h/MnForex/fxlast.html?fx=F1001&sy=2004&sm=3&sd=15&ey=2005&em=3&ed=15&k=m&st=50");
    EXPECT_EQ(quotePageAddress("http://q", "998407"), "http://q/q?s=998407&d=t");
}

}  // namespace
}  // namespace tav
