#include <gtest/gtest.h>

#include <filesystem>

#include "core/text.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "watchlist_runs/link_menu.h"
#include "quotes/web_pages.h"
#include "simulation/strategy_file.h"
#include "watchlist_runs/range_marks.h"
#include "workspace/watchlist_batch.h"

namespace tav::test {
namespace {

// A random walk of `count` daily bars as a data file holds them.
std::string walk(uint32_t seed, int count) {
    std::string text;
    int32_t close = 1000 + static_cast<int32_t>(seed % 500);
    for (int i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int32_t open = close;
        close = std::max<int32_t>(50, close + static_cast<int32_t>(seed >> 24) % 41 - 20);
        const int32_t high = std::max(open, close) + static_cast<int32_t>((seed >> 8) % 15);
        const int32_t low = std::min(open, close) - static_cast<int32_t>((seed >> 16) % 15);
        char line[96];
        std::snprintf(line, sizeof line, "%04d%02d%02d,%d,%d,%d,%d,%d\n", 2019 + i / 336,
                      i / 28 % 12 + 1, i % 28 + 1, open, high, low, close, 10000 + i);
        text += line;
    }
    return text;
}

class WatchlistRuns : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(temp / "Data");
        writeFile(temp / "Stock.lst", text::sjisFromUtf8("1301,極洋,東証1部,100,-\n"
                                                         "1332,日本水産,東証1部,1000,-\n"
                                                         "7203,トヨタ自動車,東証1部,100,-\n"));
        writeFile(temp / "Focus.inf", text::sjisFromUtf8("一\n二\n"));
        // 9999 has no file and 1305 only two bars; 1332 twice.
        writeFile(temp / "Focus1.lst", text::sjisFromUtf8("7203 トヨタ\n1301 極洋\n9999 none\n"
                                                          "1332 日本水産\n1305 short\n1332 again\n"));
        for (StockCode code : {1301, 1332, 7203})
            writeFile(temp / ("Data/" + std::to_string(code) + ".txt"), walk(code, 400));
        writeFile(temp / "Data/1305.txt", "20240101,100,110,90,100,5\n20240102,100,200,100,200,5\n");
    }

    TempFolder temp;
    TestPlatform platform;
    Workspace workspace{ProgramFolder(temp.str()), platform.platform()};
};

TEST_F(WatchlistRuns, ResultsComeInListOrderWhateverTheThreads) {
    auto run = prepareWatchlistRun(workspace, 1);
    ASSERT_TRUE(run);
    ASSERT_EQ(run->entries.size(), 6u);
    EXPECT_EQ(run->entries[0].security.name, "トヨタ自動車");
    EXPECT_EQ(run->entries[3].security.unit, 1000);
    EXPECT_EQ(run->entries[2].security.name, "-----");
    for (int type = 0; type < kRangeTypeCount; ++type) {
        run->threads = 1;
        RunControl control;
        auto one = runRangeMarks(*run, type, control);
        run->threads = 4;
        auto four = runRangeMarks(*run, type, control);
        ASSERT_TRUE(one && four);
        for (std::size_t i = 0; i < one->size(); ++i) {
            EXPECT_EQ((*one)[i].code, run->entries[i].code);
            EXPECT_EQ((*one)[i].mark, (*four)[i].mark) << "type " << type << " entry " << i;
            LoadedSecurity alone;
            const bool loaded = loadRunEntry(run->source, run->entries[i], alone);
            EXPECT_EQ((*one)[i].mark, loaded ? rangeMark(alone.series.bars, type) : 0);
        }
        EXPECT_EQ((*one)[2].mark, 0);  // no file
    }
    // Two bars: the day before is high 110 / low 90, the last close 200 is above.
    RunControl control;
    EXPECT_EQ((*runRangeMarks(*run, 0, control))[4].mark, kMarkAboveRange);
    // Ranges over more bars than there are give no mark.
    EXPECT_EQ((*runRangeMarks(*run, 4, control))[4].mark, 0);

    run->threads = 3;
    auto columns = runLevelColumns(*run, control);
    ASSERT_TRUE(columns);
    std::vector<StockCode> codes;
    for (const LevelColumn& column : *columns)
        codes.push_back(column.code);
    EXPECT_EQ(codes, (std::vector<StockCode>{7203, 1301, 1332, 1305, 1332}));
}

TEST_F(WatchlistRuns, ProgressOnTheCallersThreadAndCancel) {
    auto run = prepareWatchlistRun(workspace, 1);
    run->threads = 2;
    RunControl control;
    std::vector<int> told;
    control.progress = [&](int done, int total) {
        EXPECT_EQ(total, 6);
        told.push_back(done);
    };
    ASSERT_TRUE(runRangeMarks(*run, 0, control));
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), 6);
    control.cancel();
    EXPECT_FALSE(runLevelColumns(*run, control));
}

TEST_F(WatchlistRuns, AProvisionalBarCountsButNeverReachesTheFile) {
    const std::string before = readFile(temp / "Data/1305.txt");
    // Today's quote far below yesterday's low.
    auto run = prepareWatchlistRun(workspace, 1, {{1305, IntradayQuote{150, 160, 40, 50, 9}}});
    RunControl control;
    auto marks = runRangeMarks(*run, 0, control);
    EXPECT_EQ((*marks)[4].mark, kMarkBelowRange);
    auto columns = runLevelColumns(*run, control);
    // The provisional close is named as such; the day's range is yesterday's.
    const LevelColumn& column = (*columns)[3];
    ASSERT_EQ(column.code, 1305);
    bool current = false;
    for (const LevelEntry& entry : column.levels)
        if (entry.name == "現在値") current = entry.value == 50;
    EXPECT_TRUE(current);
    EXPECT_EQ(readFile(temp / "Data/1305.txt"), before);
}

TEST_F(WatchlistRuns, StrategyMarksTakeTheListsOwnStrategyOrSayThereIsNone) {
    EXPECT_FALSE(prepareStrategyMarks(workspace, 1));
    EXPECT_EQ(platform.prompter.messages(), std::vector<std::string>{kNoStrategyMessage});
    EXPECT_FALSE(prepareStrategyMarks(workspace, 3));  // no such watchlist

    ASSERT_TRUE(saveStrategy(temp.str(), 2, Strategy{}));
    ASSERT_TRUE(workspace.watchlists().setWatchlistStrategy(1, 2));
    auto prepared = prepareStrategyMarks(workspace, 1);
    ASSERT_TRUE(prepared);
    EXPECT_EQ(prepared->strategyNumber, 2);
    EXPECT_EQ(workspace.selectedStrategy(), 2);
    RunControl control;
    auto marks = runStrategyMarks(prepared->run, prepared->rules, control);
    ASSERT_TRUE(marks);
    EXPECT_EQ(marks->size(), 6u);
}

TEST_F(WatchlistRuns, LevelExportAsksForThePaperAndWritesLayerTxt) {
    struct Case {
        Answer answer;
        std::optional<int> block;
    };
    for (const Case& c : {Case{Answer::Yes, 5}, Case{Answer::No, 6}, Case{Answer::Cancel, {}}}) {
        platform.prompter.answers.push_back(c.answer);
        auto prepared = prepareLevelExport(workspace, 1);
        ASSERT_EQ(prepared.has_value(), c.block.has_value());
        if (prepared) {
            EXPECT_EQ(prepared->blockSize, *c.block);
        }
    }
    EXPECT_EQ(platform.prompter.questions().back(), kLayerQuestion);
    EXPECT_FALSE(prepareLevelExport(workspace, 1, 4));

    auto prepared = prepareLevelExport(workspace, 1, 6);
    RunControl control;
    auto columns = runLevelColumns(prepared->run, control);
    auto path = finishLevelExport(workspace, *prepared, *columns, true);
    ASSERT_TRUE(path);
    EXPECT_EQ(readFile(*path), layerBlocksText(*columns, 6));
    EXPECT_EQ(platform.shell.opened, std::vector<std::string>{*path});
}

TEST_F(WatchlistRuns, MarksLandOnTheShownEntriesByCode) {
    workspace.watchlists().sorted = true;
    workspace.watchlists().select(watchlistPosition(1));
    applyMarks(workspace, 1, {{7203, "", 3}, {1301, "", 4}});
    for (const WatchlistEntry& entry : workspace.watchlists().entries()) {
        const StockCode code = lineCode(entry.text);
        EXPECT_EQ(entry.mark, code == 7203 ? 3 : code == 1301 ? 4 : 0) << entry.text;
    }
}

TEST(LinkMenu, UrlListLines) {
    const auto entries = parseUrlList(text::sjisFromUtf8(
        "日経,http://a.example/\r\nno address\n,http://b.example/x\nx,\n"
        "three,http://c.example/,ignored\n" + std::string("long,") + std::string(600, 'u') + "\n"));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].title, "日経");
    EXPECT_EQ(entries[0].address, "http://a.example/");
    EXPECT_EQ(entries[1].title, "");
    EXPECT_EQ(entries[2].address, "http://c.example/");
    EXPECT_EQ(entries[3].address.size(), 511u - 5u);  // a line keeps 511 bytes
}

TEST(LinkMenu, FixedPagesThenTheUsersLinks) {
    TempFolder temp;
    ProgramFolder folder(temp.str());
    const Endpoints endpoints = Endpoints::parse(
        "quote,http://q.test\nbusiness,http://b.test/\nsupport,http://s.test\n"
        "yahoo-us,http://us.test\nquote-search,http://qs.test\nprofile,http://p.test\n"
        "intraday-chart,http://i.test\n");
    EXPECT_FALSE(linkMenu(folder, endpoints, 7203, ""));
    writeFile(temp / "url.lst", "mine,http://mine.test/\n");
    auto menu = linkMenu(folder, endpoints, 7203, "");
    ASSERT_TRUE(menu);
    const std::vector<std::pair<std::string, std::string>> want = {
        {"財務指標", "http://q.test/q?s=7203&d=t"},
        {"銘柄検索", "http://q.test/"},
        {"ランキング", "http://b.test/ranking/up/day/all.html"},
        {"掲示板", "http://s.test/board/"},
        {"ヘルプ", "http://s.test/help/"},
        {"mine", "http://mine.test/"}};
    ASSERT_EQ(menu->size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ((*menu)[i].title, want[i].first);
        EXPECT_EQ((*menu)[i].address, want[i].second);
    }
    // The quote page by kind of security.
    EXPECT_EQ((*linkMenu(folder, endpoints, 10001, "AA^B"))[0].address,
              "http://us.test/q/bc?s=AA%5EB&t=1d&l=on&z=m&q=l&c=");
    EXPECT_EQ((*linkMenu(folder, endpoints, 1021, ""))[0].address,
              "http://qs.test/qsearch.exe?F=quote%2Fqdetail2&QCODE=1021");
    EXPECT_EQ(companyWebPage(endpoints, 7203, ""), "http://p.test/biz/fundamental/7203.html");
    EXPECT_EQ(intradayWebPage(endpoints, 7203, ""), "http://i.test/chart?code=7203&tm=1d");
    EXPECT_EQ(boardWebPage(endpoints, 7203), "http://127.0.0.1:8470/bbs?action=q&board=7203");
}

}  // namespace
}  // namespace tav::test
