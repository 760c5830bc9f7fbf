#include <gtest/gtest.h>

#include "updates/bar_requests.h"
#include "updates/day_list.h"
#include "updates/series_merge.h"
#include "updates/trading_days.h"

namespace tav {
namespace {

DailyBar bar(const char* date, int32_t close) {
    DailyBar b{};
    setBarDate(b, date);
    b.open = b.high = b.low = b.close = close;
    return b;
}

std::vector<std::string> dates(const std::vector<DailyBar>& bars) {
    std::vector<std::string> out;
    for (const DailyBar& b : bars)
        out.emplace_back(b.dateText());
    return out;
}

TEST(BarRequests, CountsAndSpans) {
    const int warmUp = warmUpBars(52);
    EXPECT_EQ(warmUp, 78);
    // Accumulate mode, daily, two years to keep.
    EXPECT_EQ(requestedBarCount(warmUp, 200, true, PeriodMode::Daily, 2), 460);
    EXPECT_EQ(spanForBars(460, PeriodMode::Daily), (SpanLength{2, 0}));
    // The years setting counts only for the daily accumulate store.
    EXPECT_EQ(requestedBarCount(warmUp, 200, true, PeriodMode::Weekly, 2), 278);
    EXPECT_EQ(requestedBarCount(warmUp, 200, false, PeriodMode::Daily, 2), 278);
    // 278 days: one year and 48 days, three months rounded up.
    EXPECT_EQ(spanForBars(278, PeriodMode::Daily), (SpanLength{1, 3}));
    EXPECT_EQ(spanForBars(230, PeriodMode::Daily), (SpanLength{1, 0}));
    EXPECT_EQ(spanForBars(19, PeriodMode::Daily), (SpanLength{0, 2}));
    EXPECT_EQ(spanForBars(100, PeriodMode::Weekly), (SpanLength{2, 3}));
    EXPECT_EQ(spanForBars(45, PeriodMode::Weekly), (SpanLength{1, 1}));
    EXPECT_EQ(spanForBars(30, PeriodMode::Monthly), (SpanLength{2, 6}));
    EXPECT_EQ(spanForBars(-5, PeriodMode::Daily), (SpanLength{0, 0}));
}

TEST(BarRequests, PagingBackAndTheCursor) {
    // One screen back over 250 bars, 100 on screen, warm-up 78: 28 older bars,
    // asked for as two months.
    int wanted = extensionBarCount(78, 100, 1, 250);
    EXPECT_EQ(wanted, 28);
    EXPECT_EQ(spanForBars(wanted, PeriodMode::Daily), (SpanLength{0, 2}));
    EXPECT_LE(extensionBarCount(78, 100, 0, 400), 0);

    int pagesBack = 1;
    EXPECT_EQ(pagedCursor(250, 100, pagesBack), 149);
    // A short fetch: the cursor never goes before the first bar.
    pagesBack = 5;
    EXPECT_EQ(pagedCursor(250, 100, pagesBack), 49);
    EXPECT_EQ(pagesBack, 2);
    pagesBack = -1;
    EXPECT_EQ(pagedCursor(10, 100, pagesBack), 9);
    EXPECT_EQ(pagesBack, 0);
    EXPECT_EQ(pagedCursor(0, 100, pagesBack), -1);
    EXPECT_EQ(pagedCursor(10, 0, pagesBack), 9);
}

TEST(SeriesMerge, NewBarsAreTakenByDate) {
    // The source repeats the last stored day, or starts a day later: either
    // way exactly the newer days come.
    std::vector<DailyBar> repeated = {bar("20240105", 9), bar("20240108", 10), bar("20240109", 11)};
    EXPECT_EQ(dates(barsAfter(repeated, "20240105")),
              (std::vector<std::string>{"20240108", "20240109"}));
    std::vector<DailyBar> later = {bar("20240108", 10), bar("20240109", 11)};
    EXPECT_EQ(dates(barsAfter(later, "20240105")),
              (std::vector<std::string>{"20240108", "20240109"}));
    std::vector<DailyBar> doubled = {bar("20240108", 10), bar("20240108", 10), bar("20240107", 3)};
    EXPECT_EQ(dates(barsAfter(doubled, "20240105")), (std::vector<std::string>{"20240108"}));
    EXPECT_TRUE(barsAfter(repeated, "20240109").empty());
}

TEST(SeriesMerge, OlderBarsGoBeforeTheStoredOnes) {
    std::vector<DailyBar> stored = {bar("20240110", 50), bar("20240111", 51)};
    // The fetch ends on the oldest stored day: the stored bar stays as it is.
    std::vector<DailyBar> ending = {bar("20240108", 1), bar("20240109", 2), bar("20240110", 99)};
    auto merged = prependOlder(ending, stored);
    EXPECT_EQ(dates(merged),
              (std::vector<std::string>{"20240108", "20240109", "20240110", "20240111"}));
    EXPECT_EQ(merged[2].close, 50);
    // The fetch ends a day early: nothing is lost or doubled either.
    std::vector<DailyBar> early = {bar("20240108", 1), bar("20240109", 2)};
    EXPECT_EQ(prependOlder(early, stored).size(), 4u);
    EXPECT_EQ(prependOlder({}, stored).size(), 2u);
    EXPECT_EQ(prependOlder(early, {}).size(), 2u);
}

TEST(TradingDays, NextDayListAndTypedDates) {
    EXPECT_EQ(nextTradingDay("20240105"), "20240108");  // Friday -> Monday
    EXPECT_EQ(nextTradingDay("20240108"), "20240109");
    EXPECT_EQ(nextTradingDay("20240228"), "20240229");
    EXPECT_EQ(nextTradingDay("20231229"), "20240101");  // Friday at the year's end
    EXPECT_EQ(nextTradingDay("20240106"), "20240107");  // a Saturday just moves on
    EXPECT_EQ(nextTradingDay("2024010"), "");
    EXPECT_EQ(nextTradingDay("../../x1"), "");

    LocalDate today{2024, 1, 10};
    EXPECT_EQ(tradingDaysAfter("20240104", today),
              (std::vector<std::string>{"20240105", "20240108", "20240109", "20240110"}));
    EXPECT_TRUE(tradingDaysAfter("20240110", today).empty());
    EXPECT_TRUE(tradingDaysAfter("garbage", today).empty());

    EXPECT_TRUE(acceptableDate("20240110", today));
    EXPECT_TRUE(acceptableDate("20000229", today));
    EXPECT_FALSE(acceptableDate("20240111", today));  // after today
    EXPECT_FALSE(acceptableDate("20230229", today));  // no such day
    EXPECT_FALSE(acceptableDate("2024011", today));
    EXPECT_FALSE(acceptableDate("2024/01/09", today));
    EXPECT_FALSE(acceptableDate("../x/../", today));

    EXPECT_EQ(yearBefore({2024, 6, 14}), "20230614");
    EXPECT_EQ(yearBefore({2024, 2, 29}), "20230228");
}

TEST(DayList, EditsAreSafeOnEmptyListsAndWithoutSelection) {
    LocalDate today{2024, 1, 10};
    DayList empty;
    EXPECT_FALSE(empty.removeSelected());
    EXPECT_EQ(empty.addPreset(today), "20240110");
    empty.select(0);
    EXPECT_EQ(empty.selected(), -1);

    DayList list({"20240108", "20240109", "20240110"});
    EXPECT_FALSE(list.removeSelected());  // nothing selected
    EXPECT_EQ(list.addPreset(today), "20240110");
    list.select(2);
    EXPECT_TRUE(list.removeSelected());
    EXPECT_EQ(list.selected(), 1);  // the last went: the one before is selected
    list.select(0);
    EXPECT_TRUE(list.removeSelected());
    EXPECT_EQ(list.selected(), 0);
    EXPECT_EQ(list.days(), (std::vector<std::string>{"20240109"}));
    EXPECT_TRUE(list.removeSelected());
    EXPECT_EQ(list.selected(), -1);

    // Typed days stay in date order, once each: an earlier day typed last is
    // imported first rather than skipped as already added.
    DayList typed({"20240108", "20240110"});
    typed.select(1);
    for (const char* day : {"20240109", "20240105", "20240110"}) EXPECT_TRUE(typed.add(day, today));
    EXPECT_EQ(typed.days(), (std::vector<std::string>{"20240105", "20240108", "20240109", "20240110"}));
    EXPECT_EQ(typed.selected(), 3);
    EXPECT_FALSE(list.removeSelected());

    EXPECT_FALSE(list.add("20240111", today));
    EXPECT_FALSE(list.add("../../etc", today));
    EXPECT_TRUE(list.add("20231229", today));
    EXPECT_EQ(list.days(), (std::vector<std::string>{"20231229"}));
}

}  // namespace
}  // namespace tav
