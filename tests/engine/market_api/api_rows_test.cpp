// The API's rows as the store takes them: the checks every bar passes, codes
// of other securities, splits, the master list, and answers shaped as the
// API's reference describes them.
#include "market_api/api_rows.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/text.h"
#include "market_api/api_client.h"
#include "support/temp_folder.h"

namespace tav {
namespace {

const LocalDate kToday{2025, 3, 4};

nlohmann::json shape(const char* name) {
    return nlohmann::json::parse(
        test::readFile(std::string(TAV_SOURCE_DIR) + "/tests/engine/market_api/shapes/" + name));
}

nlohmann::json row(const char* code, nlohmann::json open, nlohmann::json high = 110,
                   nlohmann::json volume = 1000) {
    return {{"Date", "2025-03-03"}, {"Code", code}, {"O", open}, {"H", high}, {"L", 90}, {"C", 100},
            {"Vo", volume}};
}

TEST(ApiRows, EveryRowPassesTheChecksAndRefusedRowsOfStoredSecuritiesHoldTheDay) {
    struct Case {
        const char* what;
        nlohmann::json row;
        int lines;
        int rejected;    // by the bar checks
        int unreadable;  // no number, no code
        int other;       // preferred shares and the like
    };
    const std::vector<Case> cases{
        {"a plain bar", row("72030", 95.9), 1, 0, 0, 0},
        {"null open with a close", row("72030", nullptr), 0, 0, 1, 0},
        {"price as text", row("72030", "95"), 0, 0, 1, 0},
        {"price beyond every width", row("72030", 1e300, 1e300), 0, 1, 0, 0},
        {"price beyond 32 bits", row("72030", 2147483648LL, 2147483648LL), 0, 1, 0, 0},
        {"high below low", row("72030", 95, 80), 0, 1, 0, 0},
        {"negative volume", row("72030", 95, 110, -5), 0, 1, 0, 0},
        {"preferred share", row("72035", 1, 1, 1), 0, 0, 0, 1},
        {"four-character code", row("7203", 95), 0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ApiDay day = apiDay(nlohmann::json::array({c.row}), nlohmann::json::array(), "20250303",
                            kToday, [](StockCode code) { return code == 7203; });
        EXPECT_TRUE(day.message.empty());
        EXPECT_EQ(static_cast<int>(day.csv.lines.size()), c.lines);
        EXPECT_EQ(day.counts.rejected.total, c.rejected);
        EXPECT_EQ(day.counts.unreadable, c.unreadable);
        EXPECT_EQ(day.counts.otherSecurities, c.other);
        // Only refusals of the stored 7203 hold the day back; a preferred share never does.
        const bool holds = c.rejected > 0 || (c.unreadable > 0 && c.row["Code"] == "72030");
        EXPECT_EQ(day.refusedStored > 0, holds) << day.counts.describe();
    }
}

TEST(ApiRows, APreferredShareBeforeItsCommonStockNeverTakesItsPlace) {
    auto rows = nlohmann::json::array({row("72035", 1, 1, 1), row("72030", 95)});
    ApiDay day = apiDay(rows, nlohmann::json::array(), "20250303", kToday);
    ASSERT_EQ(day.csv.lines.size(), 1u);
    EXPECT_EQ(day.csv.lines[0].text, "20250303,95,110,90,100,1000\n");
    // The same code twice in a day is refused, not taken first come.
    rows.push_back(row("72030", 96));
    day = apiDay(rows, nlohmann::json::array(), "20250303", kToday);
    EXPECT_EQ(day.refusedStored, 1);
}

TEST(ApiRows, ADayWithARowOfAnotherDateIsRefusedWhole) {
    for (const char* date : {"20250303", "2025-03-04", "2023-02-30"}) {
        auto other = row("72030", 95);
        other["Date"] = date;
        ApiDay day = apiDay(nlohmann::json::array({row("13010", 95), other}),
                            nlohmann::json::array(), "20250303", kToday);
        EXPECT_FALSE(day.message.empty()) << date;
        EXPECT_TRUE(day.csv.lines.empty());
    }
}

TEST(ApiRows, AnswersShapedAsTheReferenceDescribes) {
    auto equities = shape("day_bars.json");
    auto topix = shape("topix_bars.json");
    EXPECT_EQ(equities["pagination_key"], "");
    ApiDay day = apiDay(equities["data"], topix["data"], "20250303", kToday,
                        [](StockCode code) { return code == 4131; });
    ASSERT_TRUE(day.message.empty());
    ASSERT_EQ(day.csv.lines.size(), 3u);  // 8697, 4131 and TOPIX; no line for the untraded 1301
    EXPECT_EQ(day.csv.lines[0].code, 8697);
    EXPECT_EQ(day.csv.lines[0].text, "20250303,2875,2901,2860,2890,1520300\n");
    EXPECT_EQ(day.csv.lines[2].code, 1001);
    EXPECT_EQ(day.csv.lines[2].text, "20250303,2735,2751,2728,2749,100000\n");
    EXPECT_EQ(day.counts.otherSecurities, 1);
    // The stored 4131 halves: named, never rewritten.
    ASSERT_EQ(day.splits.size(), 1u);
    EXPECT_EQ(day.splits[0].code, 4131);
    EXPECT_DOUBLE_EQ(day.splits[0].factor, 0.5);

    ApiRowCounts counts;
    auto bars = apiSeries(shape("series_bars.json")["data"], "41310", kToday, counts);
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[0].dateText(), "20250227");
    EXPECT_EQ(bars[0].open, 625);
    EXPECT_EQ(bars[0].low, 620);
    EXPECT_EQ(bars[0].volume, 84000);
    // Refetched the day before: the split day lies in the future and is refused.
    counts = {};
    bars = apiSeries(shape("series_bars.json")["data"], "41310", LocalDate{2025, 3, 2}, counts);
    EXPECT_EQ(bars.size(), 2u);
    EXPECT_EQ(counts.rejected.byFault[static_cast<int>(BarFault::FutureDate)], 1);
    // Rows of another security in a security's answer are not its bars.
    counts = {};
    EXPECT_TRUE(apiSeries(shape("series_bars.json")["data"], "72030", kToday, counts).empty());

    auto master = apiMasterList(shape("master.json")["data"], "1001,TOPIX,-,0,-\n");
    ASSERT_TRUE(master.list) << master.message;
    EXPECT_EQ(text::utf8FromSjis(*master.list),
              "1001,TOPIX,-,0,-\n4131,見本化学,スタンダード,100,-\n"
              "8697,日本取引所グループ,プライム,100,-\n9999,見本プロ,TOKYO PRO MARKET,100,-\n");
    EXPECT_EQ(master.counts.otherSecurities, 1);

    std::string refusal = test::readFile(std::string(TAV_SOURCE_DIR) +
                                         "/tests/engine/market_api/shapes/plan_window_400.json");
    EXPECT_EQ(
        apiErrorMessage(refusal),
        "Dates available on this plan: 2023-01-10 ~ 2024-10-17. A larger plan reaches further.");
    auto window = planWindow(apiErrorMessage(refusal));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->first, "2023-01-10");
    EXPECT_EQ(window->second, "2024-10-17");
}

TEST(ApiRows, AMasterListIsTakenOnlyWholeAndSane) {
    auto rows = shape("master.json")["data"];
    EXPECT_TRUE(apiMasterList(rows, "", 3).list);
    // Fewer issues than the list must keep.
    auto few = apiMasterList(rows, "", 4);
    EXPECT_FALSE(few.list);
    EXPECT_NE(few.message.find("3 件"), std::string::npos);
    // A line break in a name would add a line of its own.
    rows[0]["CoName"] = "日本取引所\n1301,偽,プライム,100";
    auto broken = apiMasterList(rows, "");
    EXPECT_FALSE(broken.list);
    EXPECT_NE(broken.message.find("制御文字"), std::string::npos);
    EXPECT_FALSE(apiMasterList(nlohmann::json::array(), "1010,N225,-,0,-\n").list);
}

}  // namespace
}  // namespace tav
