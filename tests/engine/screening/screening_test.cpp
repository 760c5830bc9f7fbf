#include "screening/screening_run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "conditions/capsule_file.h"
#include "core/text.h"
#include "screening/multi_run.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "watchlists/watchlist_files.h"
#include "workspace/screening.h"

namespace tav {
namespace {

// Daily bars "YYYYMMDD,open,high,low,close,volume" with the given closes and
// volumes (open = high = low = close).
std::string barsText(const std::vector<std::pair<int, int64_t>>& closesAndVolumes) {
    std::string text;
    int day = 0;
    for (const auto& [close, volume] : closesAndVolumes) {
        const int date = 20240101 + day / 28 * 100 + day % 28;
        ++day;
        text += std::to_string(date) + ',' + std::to_string(close) + ',' + std::to_string(close) +
                ',' + std::to_string(close) + ',' + std::to_string(close) + ',' +
                std::to_string(volume) + '\n';
    }
    return text;
}

// A dozen securities whose last bars and master-list fields each trip one filter.
class HandMadeMarket : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(temp / "Data");
        writeMaster(
            "1001,Index,-,-,-\n"
            "1301,Rise5,東証1部,1000,貸借\n"
            "1302,Rise4,東証1部,1000,信用\n"
            "1303,Fall5,東証2部,100,貸借\n"
            "1304,ZeroPrev,東証1部,500,-\n"
            "1305,Small,マザーズ,50,信用\n"
            "1306,NoUnit,東証1部,-,貸借\n"
            "1307,Missing,東証1部,1000,貸借\n"
            "1308,Thin,JASDAQ,1000,貸借\n"
            "1309,Odd,東証1部,0,貸借\n"
            "1310,Hundred,名証2部,100,-\n"
            "1311,Empty,東証1部,1000,貸借\n"
            "130A,Newco,プライム,100,貸借\n");
        series(1001, {{900, 0}, {910, 0}});
        series(1301, {{1000, 5000}, {1050, 200000}});
        series(1302, {{1000, 5000}, {1049, 200000}});
        series(1303, {{1000, 5000}, {950, 50000}});
        series(1304, {{0, 5000}, {100, 100000}});
        series(1305, {{200, 1000}, {210, 100}});
        series(1306, {{1000, 1000}, {1100, 1000}});
        series(1308, {{1000, 1000}, {1200, 99999}});
        series(1309, {{1000, 1000}, {1100, 1000}});
        series(1310, {{3000, 1000}, {3000, 10000}});
        series(*parseCode("130A"), {{1000, 1000}, {1100, 1000}});
        test::writeFile(temp / "Data/1311.txt", "");
        test::writeFile(temp / "Focus.inf", "In\nOut\n");
        test::writeFile(temp / "Focus1.lst", "1301 Rise5\n1303 Fall5\n1307 Missing\n");
    }
    void writeMaster(const std::string& utf8) {
        test::writeFile(temp / "Stock.lst", text::sjisFromUtf8(utf8));
    }
    void series(StockCode code, const std::vector<std::pair<int, int64_t>>& bars) {
        test::writeFile(temp / "Data" / (codeText(code) + ".txt"), barsText(bars));
    }
    std::optional<ScreeningJob> prepare(const ScreeningSettings& settings, int threads = 1) {
        return prepareScreening(workspace, settings, threads);
    }
    ScreeningOutcome screen(const ScreeningSettings& settings, int threads = 1) {
        auto job = prepare(settings, threads);
        EXPECT_TRUE(job.has_value());
        RunControl control;
        return *runScreening(*job, control);
    }

    test::TempFolder temp;
    test::TestPlatform platform;
    Workspace workspace{ProgramFolder(temp.str()), platform.platform()};
};

ScreeningSettings settingsWith(int market, int unit, int margin, int liquidity = 0,
                               int32_t multiple = 0) {
    ScreeningSettings s;
    s.filters = {market, unit, margin, liquidity, multiple};
    s.output = 1;  // watchlist 2
    return s;
}

std::vector<std::string> codesOf(const ScreeningOutcome& outcome) {
    std::vector<std::string> codes;
    for (const std::string& line : outcome.selected) codes.push_back(line.substr(0, 4));
    return codes;
}

using Codes = std::vector<std::string>;

TEST_F(HandMadeMarket, FiltersSelectTheSecuritiesWorkedOutByHand) {
    struct Case {
        const char* what;
        ScreeningSettings settings;
        Codes codes;
        ScanCounts counts;
    };
    ScreeningSettings trading = settingsWith(0, 1, 0);
    trading.tradingValueMin = 1'049'000;
    trading.tradingValueMax = 1'050'000;
    ScreeningSettings rise = settingsWith(0, 0, 0);
    rise.searchItem = 27;
    rise.value = 5;
    ScreeningSettings fall = rise;
    fall.searchItem = 28;
    const Case cases[] = {
        // The listing alone decides: a security without bars is still selected.
        {"market only", settingsWith(1, 0, 0), {"1301", "1302", "1304", "1307", "1311"}, {5, 0, 0}},
        {"unit 1000", settingsWith(0, 1, 0), {"1301", "1302", "1307", "1308", "1311"}, {5, 0, 0}},
        {"unit 100-500", settingsWith(0, 2, 0), {"1303", "1304", "1310", "130A"}, {4, 0, 0}},
        // The current segments follow the historical markets.
        {"segment プライム", settingsWith(12, 0, 0), {"130A"}, {1, 0, 0}},
        {"unit up to 50", settingsWith(0, 3, 0), {"1305"}, {1, 0, 0}},
        {"margin 信用", settingsWith(0, 0, 2), {"1302", "1305"}, {2, 0, 0}},
        {"market and margin", settingsWith(1, 0, 1), {"1301", "1307", "1311"}, {3, 0, 0}},
        // Today's volume against multiple × unit; no bars: skipped and counted.
        {"liquidity today", settingsWith(0, 1, 0, 1, 100),
         {"1301", "1302"}, {2, 2, 0}},
        {"liquidity multiple 0", settingsWith(0, 0, 0, 1, 0), {}, {0, 2, 0}},
        {"trading value", trading, {"1302", "1301"}, {2, 2, 0}},
        // 1000 -> 1050 is +5 %, 1000 -> 1049 rounds down to +4 %; a previous
        // close of 0 never; 200 -> 210 and 1000 -> 1200 rise enough.
        {"rise 5%", rise, {"1301", "1305", "1308", "130A"}, {4, 2, 0}},
        {"fall 5%", fall, {"1303"}, {1, 2, 0}},
    };
    for (const Case& c : cases) {
        const ScreeningOutcome outcome = screen(c.settings);
        Codes got = codesOf(outcome);
        Codes want = c.codes;
        std::sort(got.begin(), got.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want) << c.what;
        EXPECT_EQ(outcome.counts, c.counts) << c.what;
    }
}

TEST_F(HandMadeMarket, LinesComeFromTheListOrFromLookUps) {
    // The master list in accumulate mode: its own fields, cut to "CODE NAME";
    // a unit field of "-" or "0" skips the line.
    ScreeningOutcome fromList = screen(settingsWith(1, 0, 1));
    EXPECT_EQ(fromList.selected, (std::vector<std::string>{"1301 Rise5", "1307 Missing", "1311 Empty"}));
    EXPECT_TRUE(std::find(fromList.selected.begin(), fromList.selected.end(), "1306 NoUnit") ==
                fromList.selected.end());

    // A watchlist: the fields come from looking the code up.
    ScreeningSettings fromWatchlist = settingsWith(0, 0, 1);
    fromWatchlist.input = 1;
    EXPECT_EQ(screen(fromWatchlist).selected,
              (std::vector<std::string>{"1301 Rise5", "1303 Fall5", "1307 Missing"}));

    // Scratch mode reads the master list's fields by lookup too: 1306 passes.
    workspace.storageMode = StorageMode::Scratch;
    Codes scratch = codesOf(screen(settingsWith(1, 0, 1)));
    EXPECT_NE(std::find(scratch.begin(), scratch.end(), "1306"), scratch.end());
}

TEST_F(HandMadeMarket, RefusalsAndMessages) {
    struct Case {
        const char* what;
        ScreeningSettings settings;
        const char* message;
    };
    ScreeningSettings same = settingsWith(1, 0, 0);
    same.input = 2;
    ScreeningSettings missingInput = settingsWith(1, 0, 0);
    missingInput.input = 3;
    const Case cases[] = {
        {"nothing chosen", ScreeningSettings{}, kNothingChosenMessage},
        {"input is output", same, kSameInputOutputMessage},
        {"no input file", missingInput, kNoInputMessage},
    };
    for (const Case& c : cases) {
        platform.prompter.calls.clear();
        EXPECT_FALSE(prepare(c.settings).has_value()) << c.what;
        ASSERT_EQ(platform.prompter.calls.size(), 1u) << c.what;
        EXPECT_EQ(platform.prompter.calls[0].text, c.message) << c.what;
        EXPECT_EQ(platform.prompter.calls[0].icon, MessageIcon::Warning) << c.what;
    }
    MultiRunSettings tooLong;
    tooLong.rankingLength = 1001;
    EXPECT_FALSE(confirmMultiRunDialog(tooLong, platform.prompter));
    tooLong.rankingLength = 0;
    EXPECT_FALSE(confirmMultiRunDialog(tooLong, platform.prompter));
    tooLong.rankingLength = 1000;
    EXPECT_TRUE(confirmMultiRunDialog(tooLong, platform.prompter));
}

TEST_F(HandMadeMarket, TheOutputIsWrittenWholeAndNotWhenCancelled) {
    test::writeFile(temp / "Focus2.lst", "9999 Old\n");
    auto job = prepare(settingsWith(0, 3, 0));
    ASSERT_TRUE(job);
    RunControl cancelled;
    cancelled.cancel();
    const auto none = runScreening(*job, cancelled);
    EXPECT_FALSE(none.has_value());
    EXPECT_FALSE(finishScreening(workspace, *job, none));
    EXPECT_EQ(test::readFile(temp / "Focus2.lst"), "9999 Old\n");

    RunControl control;
    std::vector<std::pair<int, int>> progress;
    control.progress = [&](int done, int total) { progress.emplace_back(done, total); };
    const auto outcome = runScreening(*job, control);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(progress.back(), std::make_pair(13, 13));
    EXPECT_TRUE(finishScreening(workspace, *job, outcome));
    EXPECT_EQ(test::readFile(temp / "Focus2.lst"), "1305 Small\n");
    EXPECT_EQ(workspace.watchlists().displayedWatchlist(), 2);
    EXPECT_EQ(platform.prompter.calls.back().text, "抽出 1 件、スキップ 0 件、失敗 0 件");
}

TEST_F(HandMadeMarket, InputIsReadUpToItsTenThousandthLine) {
    std::string many;
    for (int i = 0; i < kMaxInputLines + 5; ++i) many += "1305 Small\n";
    test::writeFile(temp / "Focus1.lst", many);
    ScreeningSettings s = settingsWith(0, 3, 0);
    s.input = 1;
    EXPECT_EQ(screen(s).counts.selected, kMaxInputLines);
}

TEST(WatchlistLine, IsCutAtTheSecondComma) {
    const std::pair<const char*, const char*> cases[] = {
        {"1301,極洋,東証1部,1000,-", "1301 極洋"},
        {"1301,極洋", "1301 極洋"},
        {"1301 極洋", "1301 極洋"},
        {"1301,,x", "1301 "},
    };
    for (const auto& [line, kept] : cases) EXPECT_EQ(watchlistLineOf(line), kept) << line;
}

// Bars whose slots are set by hand; nothing is recomputed.
LoadedSecurity withBars(int count, auto&& fill) {
    LoadedSecurity security;
    security.series.bars.assign(static_cast<std::size_t>(count), DailyBar{});
    for (int i = 0; i < count; ++i) fill(security.series.bars[static_cast<std::size_t>(i)], i);
    return security;
}

TEST(SearchItems, HoldOnTheLastBarAsWorkedOutByHand) {
    struct Case {
        const char* what;
        int item;
        int32_t v;
        LoadedSecurity security;
        bool holds;
    };
    auto twoCloses = [](int before, int now) {
        return withBars(2, [=](DailyBar& b, int i) { b.close = i == 0 ? before : now; });
    };
    auto rsi = [](int16_t v2, int16_t v1, int16_t v0) {
        return withBars(3, [=](DailyBar& b, int i) { b.rsi = i == 0 ? v2 : i == 1 ? v1 : v0; });
    };
    auto band = [](int close, int mid) {
        // Default band width 25 %: upper 125 % of the mid line, lower 75 %.
        return withBars(1, [=](DailyBar& b, int) {
            b.close = close;
            b.maMid = mid;
        });
    };
    auto cross = [](int mid0, int long0, int mid1, int long1) {
        return withBars(2, [=](DailyBar& b, int i) {
            b.maMid = i == 0 ? mid0 : mid1;
            b.maLong = i == 0 ? long0 : long1;
        });
    };
    auto cloud = [](int closeYesterday, int closeToday, int spanYesterday, int spanToday) {
        return withBars(60, [=](DailyBar& b, int i) {
            b.close = i == 59 ? closeToday : closeYesterday;
            b.senkou1 = b.senkou2 = i == 9 ? spanToday : spanYesterday;
        });
    };
    const Case cases[] = {
        {"rise exactly 5%", 27, 5, twoCloses(1000, 1050), true},
        {"rise 4.9%", 27, 5, twoCloses(1000, 1049), false},
        {"no previous close", 27, 0, twoCloses(0, 1050), false},
        {"no previous bar", 27, 0, withBars(1, [](DailyBar& b, int) { b.close = 5; }), false},
        {"fall 5%", 28, 5, twoCloses(1000, 950), true},
        {"fall 4%", 28, 5, twoCloses(1000, 960), false},
        {"fall from 0", 28, 0, twoCloses(0, 0), false},
        {"ma band upper", 5, 0, band(1250, 1000), true},
        {"below ma band upper", 5, 0, band(1249, 1000), false},
        {"ma band lower", 6, 0, band(750, 1000), true},
        {"zero band never", 6, 0, band(0, 0), false},
        {"zero upper band never", 5, 0, band(5, 0), false},
        {"golden cross", 12, 0, cross(90, 100, 100, 100), true},
        {"no cross", 12, 0, cross(100, 100, 100, 100), false},
        {"dead cross", 13, 0, cross(110, 100, 100, 100), true},
        {"rsi turns down from 70%", 17, 70, rsi(690, 720, 700), true},
        {"rsi still rising", 17, 70, rsi(690, 720, 730), false},
        {"rsi turns up from 30%", 18, 30, rsi(310, 290, 300), true},
        {"rsi needs three bars", 18, 30,
         withBars(2, [](DailyBar& b, int i) { b.rsi = static_cast<int16_t>(i ? 300 : 290); }), false},
        {"cloud break up", 9, 0, cloud(100, 130, 120, 120), true},
        {"inside the cloud", 10, 0,
         withBars(60, [](DailyBar& b, int i) {
             b.close = 110;
             b.senkou1 = i == 9 ? 100 : 0;
             b.senkou2 = i == 9 ? 120 : 0;
         }), true},
        {"cloud break down", 11, 0, cloud(130, 90, 120, 100), true},
        {"cloud with 51 bars", 9, 0,
         withBars(51, [](DailyBar& b, int i) { b.close = i == 50 ? 130 : 100; }), false},
        {"unused item", 29, 0, twoCloses(1, 100), false},
    };
    for (const Case& c : cases) EXPECT_EQ(searchItemHolds(c.item, c.v, c.security), c.holds) << c.what;
}

ResultRow row(StockCode code, int64_t profit, int trades, int wins) {
    ResultRow r;
    r.code = code;
    r.markedProfit = profit;
    r.trades = trades;
    r.wins = wins;
    return r;
}

TEST(Ranking, SortsStablyAndNumbersTheFirstN) {
    struct Case {
        const char* what;
        int kind;
        int length;
        std::vector<StockCode> codes;
    };
    const std::vector<ResultRow> rows = {row(1, 500, 4, 1), row(2, 900, 3, 1), row(3, 500, 2, 1),
                                         row(4, -10, 0, 0), row(5, 900, 4, 2)};
    const Case cases[] = {
        {"profit", kRankByProfit, 10, {2, 5, 1, 3, 4}},
        {"profit top 3", kRankByProfit, 3, {2, 5, 1}},
        // 25 %, 33 %, 50 %, none, 50 %: equal rates keep the input order.
        {"win rate", kRankByWinRate, 10, {3, 5, 2, 1, 4}},
        {"win rate top 1", kRankByWinRate, 1, {3}},
    };
    for (const Case& c : cases) {
        std::vector<ResultRow> ranked = rows;
        rankRows(ranked, c.kind, c.length);
        std::vector<StockCode> codes;
        for (std::size_t r = 0; r < ranked.size(); ++r) {
            codes.push_back(ranked[r].code);
            EXPECT_EQ(ranked[r].rank, static_cast<int16_t>(r + 1)) << c.what;
        }
        EXPECT_EQ(codes, c.codes) << c.what;
    }
    EXPECT_EQ(rankingLines(std::vector<ResultRow>{row(1301, 0, 0, 0)}), std::vector<std::string>{"1301 "});
}

}  // namespace
}  // namespace tav
