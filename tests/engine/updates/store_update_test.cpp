// The store kept up to date against the quote-site simulator on 127.0.0.1.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>

#include "core/file_io.h"
#include "core/text.h"
#include "data/endpoints.h"
#include "support/simulator_suite.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "updates/trading_days.h"
#include "watchlists/entry_lists.h"
#include "workspace/archive.h"
#include "workspace/csv_import.h"
#include "workspace/quotes.h"
#include "workspace/updates.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

constexpr LocalDate kToday{2024, 6, 14};  // a Friday
constexpr const char* kNoStore =
    "株価データが全くありませんので新規に作成します。\n\n開始年月日を指定してください。"
    "最低でも３ヶ月分くらいは必要です。";

DailyBar dailyBar(const quotesim::PriceBar& bar) {
    DailyBar daily{};
    setBarDate(daily, std::to_string(bar.date));
    daily.open = bar.open;
    daily.high = bar.high;
    daily.low = bar.low;
    daily.close = bar.close;
    daily.volume = bar.volume;
    return daily;
}

// The market's bars of a code dated after `after` and up to `upTo`.
std::vector<DailyBar> marketBars(const quotesim::Market& market, StockCode code, int32_t after,
                                 int32_t upTo) {
    std::vector<DailyBar> bars;
    for (const auto& bar : market.find(code)->bars)
        if (bar.date > after && bar.date <= upTo) bars.push_back(dailyBar(bar));
    return bars;
}

std::string prices(std::span<const DailyBar> bars, bool withVolume = true) {
    std::string text;
    for (const DailyBar& bar : bars) {
        text += std::string(bar.dateText()) + "," + std::to_string(bar.open) + "," +
                std::to_string(bar.high) + "," + std::to_string(bar.low) + "," +
                std::to_string(bar.close);
        if (withVolume) text += "," + std::to_string(bar.volume);
        text += "\n";
    }
    return text;
}

// Every file under Data with its bytes.
std::map<std::string, std::string> snapshotData(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(root / "Data"))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = test::readFile(entry.path());
    return files;
}

// A prompter whose status line kills the run at the nth code written.
class KillingPrompter : public test::RecordingPrompter {
  public:
    int killAt = 0;
    void status(const std::string& text) override {
        RecordingPrompter::status(text);
        bool code = !text.empty() && text.size() <= 5 &&
                    text.find_first_not_of("0123456789") == std::string::npos;
        if (code && killAt > 0 && --killAt == 0) throw std::runtime_error("killed");
    }
};

class StoreUpdates : public test::SimulatorSuite<StoreUpdates> {
  public:
    static quotesim::GeneratorSettings marketSettings() { return {12, 2, 11, kToday}; }

  protected:
    void SetUp() override {
        fs::create_directories(root());
        pointAt(server_->host());
        test::writeFile(root() / "Stock.lst", market_->masterListText());
        tools.clock.date = kToday;
        workspace = makeWorkspace(tools.platform());
        workspace->initProgramFolder();
        tools.prompter.calls.clear();
        for (StockCode code : market_->codes())
            if (securityKind(code) == SecurityKind::JapaneseStock) stocks.push_back(code);
        ASSERT_GE(stocks.size(), 3u);
    }

    fs::path root() const { return temp.path() / "folder"; }
    std::unique_ptr<Workspace> makeWorkspace(Platform platform) {
        return std::make_unique<Workspace>(ProgramFolder(root().string()), platform);
    }
    // Every server at host, with the daily archives at archiveHost when given.
    void pointAt(const std::string& host, const std::string& archiveHost = "",
                 const std::string& yahooHost = "") {
        std::string text = Endpoints::fileTextForHost(host);
        if (!archiveHost.empty()) text += "daily-archive," + archiveHost + "\n";
        if (!yahooHost.empty()) text += "yahoo-jp," + yahooHost + "\n";
        test::writeFile(root() / "Endpoints.lst", text);
    }
    std::string file(StockCode code, const char* prefix = "") {
        return test::readFile(root() / "Data" / (prefix + std::to_string(code) + ".txt"));
    }
    void writeStored(StockCode code, int32_t after, int32_t upTo) {
        test::writeFile(root() / "Data" / (std::to_string(code) + ".txt"),
                        prices(marketBars(*market_, code, after, upTo)));
    }
    int archiveRequests() const {
        int count = 0;
        for (const std::string& request : server_->requests())
            if (request.find(".LZH") != std::string::npos) ++count;
        return count;
    }
    bool createFrom(const char* start) {
        tools.prompter.inputs = {std::string(start)};
        return createStoreFromArchives(*workspace);
    }

    test::TempFolder temp;
    test::TestPlatform tools;
    std::unique_ptr<Workspace> workspace;
    std::vector<StockCode> stocks;
};

TEST_F(StoreUpdates, AStoreFromScratchHoldsWhatThePagesShow) {
    int before = archiveRequests();
    ASSERT_TRUE(createFrom("20240101"));
    EXPECT_EQ(tools.prompter.messages().front(), kNoStore);
    // One archive per trading day after the start; the holidays' not-found
    // pages pass silently.
    EXPECT_EQ(archiveRequests() - before,
              static_cast<int>(tradingDaysAfter("20240101", kToday).size()));
    EXPECT_EQ(tools.prompter.messages().size(), 1u);

    for (StockCode code : {kDefaultCode, stocks[0], stocks[1], stocks[2]}) {
        SCOPED_TRACE(code);
        std::vector<DailyBar> stored = loadSeries(
            dataFilePath(workspace->folder(), code, PeriodMode::Daily, StorageMode::Accumulate));
        EXPECT_EQ(prices(stored), prices(marketBars(*market_, code, 20240101, 20240614)));
        // The security's own history pages give the same days and prices.
        fetchSpan(*workspace, code, "", 0, 6, 120);
        std::vector<DailyBar> fetched;
        for (const DailyBar& bar : workspace->series().bars)
            if (bar.dateText() > "20240101") fetched.push_back(bar);
        bool index = code == kDefaultCode;
        EXPECT_EQ(prices(stored, !index), prices(fetched, !index));
    }
    EXPECT_EQ(lastStoredDate(workspace->folder()), "20240614");
}

TEST_F(StoreUpdates, TheFirstStartAsksAndATypedDateIsChecked) {
    tools.prompter.inputs = {std::string("20240230")};
    EXPECT_FALSE(createStoreFromArchives(*workspace));
    EXPECT_EQ(tools.prompter.messages().back(), kInvalidDateMessage);
    tools.prompter.inputs = {std::string("20240615")};  // tomorrow
    EXPECT_FALSE(createStoreFromArchives(*workspace));
    tools.prompter.inputs = {std::nullopt};
    EXPECT_FALSE(createStoreFromArchives(*workspace));
    EXPECT_TRUE(lastStoredDate(workspace->folder()).empty());
    // The question's preset is a year back.
    bool asked = false;
    for (const auto& call : tools.prompter.calls)
        if (call.kind == "input") {
            EXPECT_EQ(call.text, "株価データ作成開始日入力|作成開始日|20230614");
            asked = true;
        }
    EXPECT_TRUE(asked);
}

TEST_F(StoreUpdates, AnUpdateAddsOnlyTheDaysAfterTheLastStoredOne) {
    tools.clock.date = {2024, 5, 31};
    ASSERT_TRUE(createFrom("20240401"));
    EXPECT_EQ(lastStoredDate(workspace->folder()), "20240531");

    tools.clock.date = kToday;
    int before = archiveRequests();
    ASSERT_TRUE(updateCommand(*workspace, false));
    EXPECT_EQ(archiveRequests() - before, 10);  // 3 June to 14 June
    for (StockCode code : {kDefaultCode, stocks[0]})
        EXPECT_EQ(file(code), prices(marketBars(*market_, code, 20240401, 20240614)));

    // A day the store holds already is refused, and the run goes on.
    tools.prompter.calls.clear();
    ArchiveRunResult result =
        runArchiveUpdate(*workspace, {{"20240613", "20240614"}, SourceMode::Net});
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.skipped, 2);
    EXPECT_EQ(tools.prompter.messages(),
              (std::vector<std::string>{"[20240613]　は既に追加・更新済みです。",
                                        "[20240614]　は既に追加・更新済みです。"}));
    EXPECT_EQ(file(stocks[0]), prices(marketBars(*market_, stocks[0], 20240401, 20240614)));

    // Weekly: no archive update.
    workspace->periodMode = PeriodMode::Weekly;
    EXPECT_FALSE(updateCommand(*workspace, false));
    EXPECT_EQ(tools.prompter.messages().back(), "更新処理は日足のみ可能です。");
}

TEST_F(StoreUpdates, IndexBarsFromElsewhereLeaveTheUpdateStartWhereItWas) {
    // The index's later days, as a user's CSV file or its own pages give them.
    std::string csv = "Date,Open,High,Low,Close,Volume\n";
    for (const DailyBar& bar : marketBars(*market_, kDefaultCode, 20240531, 20240614)) {
        std::string day(bar.dateText());
        csv += day.substr(0, 4) + "-" + day.substr(4, 2) + "-" + day.substr(6, 2) + "," +
               std::to_string(bar.open) + "," + std::to_string(bar.high) + "," +
               std::to_string(bar.low) + "," + std::to_string(bar.close) + ",100000\n";
    }
    struct Case {
        const char* name;
        bool recordedBefore;  // false: a store written before the update record
        std::function<bool()> addIndexBars;
    } cases[] = {
        {"csv import", true,
         [&] {
             return mergeCsvBars(*workspace, kDefaultCode,
                                 parseBarCsv(csv, CsvLayout::Auto, kToday));
         }},
        {"csv import, older store", false,
         [&] {
             return mergeCsvBars(*workspace, kDefaultCode,
                                 parseBarCsv(csv, CsvLayout::Auto, kToday));
         }},
        {"update from the pages", false,
         [&] {
             return workspace->loadStoredSeries(kDefaultCode) &&
                    updateSeries(*workspace, false).ok();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& entry : fs::directory_iterator(root() / "Data"))
            fs::remove(entry.path());
        tools.clock.date = {2024, 5, 31};
        ASSERT_TRUE(createFrom("20240401"));
        tools.clock.date = kToday;
        if (!c.recordedBefore) fs::remove(root() / "Data" / std::string(kStoreClockName));
        ASSERT_TRUE(c.addIndexBars());
        ASSERT_EQ(loadSeries(root().string() + "/Data/1010.txt").back().dateText(), "20240614");
        EXPECT_EQ(lastStoredDate(workspace->folder()), "20240531");

        // The next update adds the days every other security lacks, and the
        // index's own days only once.
        int before = archiveRequests();
        ASSERT_TRUE(updateCommand(*workspace, false));
        EXPECT_EQ(archiveRequests() - before, 10);
        EXPECT_EQ(file(stocks[0]), prices(marketBars(*market_, stocks[0], 20240401, 20240614)));
        EXPECT_EQ(loadSeries(root().string() + "/Data/1010.txt").size(),
                  marketBars(*market_, kDefaultCode, 20240401, 20240614).size());
        EXPECT_EQ(lastStoredDate(workspace->folder()), "20240614");
    }
}

TEST_F(StoreUpdates, AnUpdateThatAddsNothingWhileDaysAreMissingSaysSo) {
    tools.clock.date = {2024, 5, 31};
    ASSERT_TRUE(createFrom("20240401"));
    tools.clock.date = kToday;
    pointAt(server_->host(), server_->host() + "/fault/notfound");
    tools.prompter.calls.clear();
    ArchiveRunResult result = runArchiveUpdate(*workspace, *proposeArchiveUpdate(*workspace));
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.imported, 0);
    EXPECT_EQ(tools.prompter.messages(),
              (std::vector<std::string>{
                  "追加された日付はありません。\n\n株価データは [20240531]　までです。"}));
}

TEST_F(StoreUpdates, TheDisplayedSeriesIsSavedBeforeAndReadAfterTheImport) {
    tools.clock.date = {2024, 6, 7};
    ASSERT_TRUE(createFrom("20240401"));
    ASSERT_TRUE(selectSecurity(*workspace, stocks[0]));
    tools.clock.date = kToday;
    ASSERT_TRUE(archiveUpdate(*workspace));
    EXPECT_EQ(workspace->series().bars.back().dateText(), "20240614");
    EXPECT_EQ(workspace->series().savedCount, workspace->series().count());
    // Run again the same day: no list of no days, the store is said to be up to date.
    tools.prompter.calls.clear();
    bool listed = false;
    EXPECT_TRUE(archiveUpdate(*workspace, [&listed](const ArchiveChoice&) {
        listed = true;
        return std::optional<ArchiveChoice>{};
    }));
    EXPECT_FALSE(listed);
    ASSERT_EQ(tools.prompter.calls.size(), 1u);
    EXPECT_EQ(tools.prompter.calls[0].text, "株価データは最新です。\n\n追加する日付はありません。");
    EXPECT_EQ(tools.prompter.calls[0].icon, MessageIcon::Information);
    // Showing another security writes nothing over the imported days.
    ASSERT_TRUE(selectSecurity(*workspace, stocks[1]));
    EXPECT_EQ(file(stocks[0]), prices(marketBars(*market_, stocks[0], 20240401, 20240614)));
}

TEST_F(StoreUpdates, ACorruptArchiveStopsTheRunAndLeavesTheDay) {
    tools.clock.date = {2024, 6, 7};
    ASSERT_TRUE(createFrom("20240501"));
    auto before = snapshotData(root());
    tools.clock.date = kToday;
    pointAt(server_->host(), server_->host() + "/fault/truncate");
    tools.prompter.calls.clear();
    EXPECT_FALSE(archiveUpdate(*workspace));
    ASSERT_EQ(tools.prompter.messages().size(), 1u);
    EXPECT_NE(tools.prompter.messages()[0].find("は解凍処理に失敗しました。"), std::string::npos);
    EXPECT_EQ(snapshotData(root()), before);
}

TEST_F(StoreUpdates, AnImportKilledHalfWayLosesNothingStored) {
    tools.clock.date = {2024, 6, 7};
    ASSERT_TRUE(createFrom("20240501"));
    auto stored = snapshotData(root());
    workspace.reset();  // one program at a time holds the folder

    KillingPrompter killing;
    killing.killAt = 5;
    test::TestPlatform other;
    other.clock.date = kToday;
    Platform platform{killing, other.http, other.lzh, other.shell, other.clock, other.clipboard};
    {
        auto dying = makeWorkspace(platform);
        dying->loadSettings(std::nullopt);
        EXPECT_THROW(archiveUpdate(*dying), std::runtime_error);
    }
    // The next start takes the half day back before anything reads it.
    tools.clock.date = kToday;
    auto restarted = makeWorkspace(tools.platform());
    EXPECT_FALSE(restarted->initProgramFolder());
    EXPECT_EQ(snapshotData(root()), stored);
    ASSERT_TRUE(archiveUpdate(*restarted));
    for (StockCode code : {kDefaultCode, stocks[0], stocks[1]})
        EXPECT_EQ(file(code), prices(marketBars(*market_, code, 20240501, 20240614)));
}

TEST_F(StoreUpdates, AProvisionalLastBarIsDroppedBeforeTheUpdate) {
    writeStored(stocks[0], 20240101, 20240610);
    ASSERT_TRUE(selectSecurity(*workspace, stocks[0]));
    ASSERT_TRUE(addIntradayBar(*workspace, {1, 1, 1, 1, 1}, true));
    EXPECT_EQ(workspace->series().bars.back().dateText(), "20240614");
    EXPECT_EQ(workspace->series().bars.back().provisional, 1);

    ASSERT_TRUE(updateSeries(*workspace, true));
    const BarSeries& series = workspace->series();
    EXPECT_EQ(prices(series.bars), prices(marketBars(*market_, stocks[0], 20240101, 20240614)));
    EXPECT_EQ(series.bars.back().provisional, 0);
    EXPECT_EQ(series.savedCount, series.count());
    EXPECT_EQ(file(stocks[0]), prices(marketBars(*market_, stocks[0], 20240101, 20240614)));

    // Up to date: nothing new, the file stays.
    tools.prompter.calls.clear();
    EXPECT_FALSE(updateSeries(*workspace, true));
    EXPECT_EQ(tools.prompter.messages(), std::vector<std::string>{"新しいデータはありません。"});
}

TEST_F(StoreUpdates, AFailedFetchKeepsTheOldSeriesCodeAndPeriod) {
    writeStored(stocks[0], 20240101, 20240614);
    ASSERT_TRUE(selectSecurity(*workspace, stocks[0]));
    std::string before = prices(workspace->series().bars);

    // A code the sites do not know: nothing is fetched, nothing written.
    EXPECT_FALSE(selectSecurity(*workspace, 9999));
    EXPECT_EQ(tools.prompter.messages().back(), "9999 のデータはありません。");
    EXPECT_EQ(workspace->series().code, stocks[0]);
    EXPECT_EQ(prices(workspace->series().bars), before);
    workspace->saveIfChanged();
    EXPECT_FALSE(fs::exists(root() / "Data/9999.txt"));

    // The weekly pages fail: the daily series stays, in the daily period.
    pointAt(server_->host(), "", server_->host() + "/fault/notfound");
    EXPECT_FALSE(switchPeriod(*workspace, PeriodMode::Weekly));
    EXPECT_EQ(workspace->periodMode, PeriodMode::Daily);
    EXPECT_EQ(workspace->series().period, PeriodMode::Daily);
    EXPECT_EQ(prices(workspace->series().bars), before);
    workspace->saveIfChanged();
    EXPECT_FALSE(fs::exists(root() / ("Data/w" + std::to_string(stocks[0]) + ".txt")));
    EXPECT_EQ(file(stocks[0]), before);
}

TEST_F(StoreUpdates, ARefetchReplacesTheFileOnlyAfterTheWholeSpan) {
    test::writeFile(root() / "Data" / (std::to_string(stocks[0]) + ".txt"), "20240614,1,2,1,2,5\n");
    ASSERT_TRUE(selectSecurity(*workspace, stocks[0]));
    // The third page breaks off.
    pointAt(server_->host(), "", server_->host() + "/fault/truncate@2");
    EXPECT_FALSE(deleteAndRefetch(*workspace));
    EXPECT_EQ(file(stocks[0]), "20240614,1,2,1,2,5\n");
    EXPECT_EQ(workspace->series().count(), 1);

    pointAt(server_->host());
    ASSERT_TRUE(deleteAndRefetch(*workspace));
    int requested = requestedBarCount(*workspace);
    EXPECT_EQ(requested, 278);
    std::vector<DailyBar> stored = loadSeries(
        dataFilePath(workspace->folder(), stocks[0], PeriodMode::Daily, StorageMode::Accumulate));
    // One year and three months back from today.
    EXPECT_EQ(prices(stored), prices(marketBars(*market_, stocks[0], 20230313, 20240614)));

    // A longer file is re-read as far back as it went.
    writeStored(stocks[0], 20220801, 20240614);
    ASSERT_TRUE(workspace->loadStoredSeries(stocks[0]));
    ASSERT_TRUE(deleteAndRefetch(*workspace));
    EXPECT_LE(loadSeries(root().string() + "/Data/" + std::to_string(stocks[0]) + ".txt")
                  .front()
                  .dateText(),
              "20220801");
}

TEST_F(StoreUpdates, OlderBarsAreMergedAndAShorterFetchNeverCutsTheFile) {
    writeStored(stocks[0], 20240101, 20240614);
    ASSERT_TRUE(selectSecurity(*workspace, stocks[0]));
    const int stored = workspace->series().count();
    ASSERT_GT(stored, 100);

    // Paged back one screen of 100: warm-up 78 + 200 - stored bars come.
    workspace->paging.visibleBars = 100;
    workspace->paging.pagesBack = 1;
    ASSERT_TRUE(extendIntoPast(*workspace));
    const BarSeries& series = workspace->series();
    EXPECT_GE(series.count(), 278);
    EXPECT_EQ(firstDateDisorder(series.bars), -1);
    EXPECT_EQ(prices(std::span(series.bars).last(stored)),
              prices(marketBars(*market_, stocks[0], 20240101, 20240614)));
    EXPECT_EQ(series.cursor, series.count() - 101);
    EXPECT_EQ(workspace->paging.extensions, 1);

    // With a year to keep, a full fetch gives fewer bars than the extended
    // series: it is shown, but never written over the longer file.
    ASSERT_TRUE(workspace->saveIfChanged());
    std::string extended = file(stocks[0]);
    workspace->options().accumulateYears = 1;
    ASSERT_TRUE(fullFetch(*workspace));
    EXPECT_EQ(workspace->series().count(),
              static_cast<int>(marketBars(*market_, stocks[0], 20230613, 20240614).size()));
    EXPECT_FALSE(workspace->saveIfChanged());
    EXPECT_EQ(file(stocks[0]), extended);

    // Zooming out merges older bars instead.
    ASSERT_TRUE(workspace->loadStoredSeries(stocks[0]));
    int count = workspace->series().count();
    ASSERT_TRUE(zoomOut(*workspace, count + 40));
    EXPECT_GT(workspace->series().count(), count);
    ASSERT_TRUE(workspace->saveIfChanged());
    EXPECT_TRUE(file(stocks[0]).ends_with(extended));
}

TEST_F(StoreUpdates, AnUpdateAfterAnUnsavedExtensionWritesTheWholeSeries) {
    writeStored(stocks[0], 20240101, 20240607);
    ASSERT_TRUE(selectSecurity(*workspace, stocks[0]));
    workspace->paging.visibleBars = 100;
    workspace->paging.pagesBack = 1;
    ASSERT_TRUE(extendIntoPast(*workspace));
    ASSERT_TRUE(updateSeries(*workspace, false));
    const BarSeries& series = workspace->series();
    EXPECT_EQ(series.bars.back().dateText(), "20240614");
    EXPECT_EQ(file(stocks[0]), prices(series.bars));
    EXPECT_EQ(series.savedCount, series.count());
}

TEST_F(StoreUpdates, ASplitAdjustedRefetchReachesBackAsFarAsTheStoredBars) {
    writeStored(stocks[0], 20230101, 20240614);
    ASSERT_TRUE(selectSecurity(*workspace, stocks[0]));
    const int stored = workspace->series().count();
    ASSERT_GT(stored, requestedBarCount(*workspace));
    ASSERT_TRUE(splitAdjustedRefetch(*workspace));
    std::vector<DailyBar> written = loadSeries(
        dataFilePath(workspace->folder(), stocks[0], PeriodMode::Daily, StorageMode::Accumulate));
    EXPECT_GE(static_cast<int>(written.size()), stored);
    EXPECT_LE(written.front().dateText(), "20230103");
    EXPECT_EQ(written.back().dateText(), "20240614");
}

// A file reaching further back than the site: no re-fetch loses those bars.
TEST_F(StoreUpdates, NoRefetchReachesLessFarBackThanTheFile) {
    const std::string older = "19990104,50,60,40,55,100\n19990105,55,65,45,60,200\n";
    const std::string path = root().string() + "/Data/" + std::to_string(stocks[0]) + ".txt";
    auto storeOlderFile = [&] {
        test::writeFile(path, older + prices(marketBars(*market_, stocks[0], 20240101, 20240614)));
    };
    storeOlderFile();
    ASSERT_TRUE(selectSecurity(*workspace, stocks[0]));
    ASSERT_TRUE(deleteAndRefetch(*workspace));
    std::string written = test::readFile(path);
    EXPECT_TRUE(written.starts_with(older));
    EXPECT_TRUE(written.ends_with(prices(marketBars(*market_, stocks[0], 20240101, 20240614))));
    EXPECT_EQ(firstDateDisorder(loadSeries(path)), -1);

    // The batch download keeps them as well.
    test::writeFile(root() / "Focus1.lst", std::to_string(stocks[0]) + " x\n");
    storeOlderFile();
    ASSERT_TRUE(batchDownload(*workspace, 1));
    EXPECT_TRUE(test::readFile(path).starts_with(older));

    // Split-adjusted prices cannot be joined to them: nothing is written.
    storeOlderFile();
    const std::string before = test::readFile(path);
    ASSERT_TRUE(workspace->loadStoredSeries(stocks[0]));
    tools.prompter.calls.clear();
    EXPECT_FALSE(splitAdjustedRefetch(*workspace));
    EXPECT_EQ(test::readFile(path), before);
    ASSERT_EQ(tools.prompter.messages().size(), 1u);
    EXPECT_NE(tools.prompter.messages()[0].find("分割調整できません"), std::string::npos);
    EXPECT_EQ(workspace->series().count(), static_cast<int>(loadSeries(path).size()));
}

TEST_F(StoreUpdates, DiscardSetsFilesAsideUntilTheRebuildWentThrough) {
    tools.clock.date = {2024, 6, 7};
    ASSERT_TRUE(createFrom("20240501"));
    test::writeFile(root() / "Data/1020.txt", "20240607,15000,15100,14900,15050,100000\n");
    auto before = snapshotData(root());

    // The start-date question is cancelled: everything comes back.
    tools.prompter.calls.clear();
    tools.prompter.inputs = {std::nullopt};
    EXPECT_FALSE(discardAndRebuild(*workspace));
    EXPECT_EQ(snapshotData(root()), before);

    tools.clock.date = kToday;
    tools.prompter.inputs = {std::string("20240531")};
    ASSERT_TRUE(discardAndRebuild(*workspace));
    EXPECT_EQ(file(stocks[0]), prices(marketBars(*market_, stocks[0], 20240531, 20240614)));
    // No archive carries the currency pair: it stays.
    EXPECT_EQ(file(1020), before["1020.txt"]);
    for (const auto& entry : fs::directory_iterator(root() / "Source"))
        EXPECT_FALSE(entry.path().filename().string().starts_with("Discarded"));
}

TEST_F(StoreUpdates, ABatchUpdateBringsEveryListedFileUpToDate) {
    writeStored(kDefaultCode, 20240101, 20240614);
    ASSERT_TRUE(selectSecurity(*workspace, kDefaultCode));
    writeStored(stocks[0], 20240101, 20240607);
    test::writeFile(root() / "Data" / (std::to_string(stocks[1]) + ".txt"), "");
    std::string list;
    for (int i = 0; i < 3; ++i)
        list += std::to_string(stocks[i]) + " name\n";
    test::writeFile(root() / "Focus1.lst", list);

    tools.prompter.calls.clear();
    ASSERT_TRUE(batchUpdateList(*workspace, watchlistPosition(1)));
    EXPECT_EQ(tools.prompter.questions().size(), 1u);
    EXPECT_EQ(file(stocks[0]), prices(marketBars(*market_, stocks[0], 20240101, 20240614)));
    EXPECT_EQ(file(stocks[1]), "");  // an empty file is skipped
    EXPECT_EQ(file(stocks[2]), prices(marketBars(*market_, stocks[2], 20230313, 20240614)));
    EXPECT_EQ(workspace->series().code, kDefaultCode);

    // Weekly: the last three weeks are fetched again and replace the stored ones.
    std::vector<DailyBar> weeks;
    std::vector<quotesim::PriceBar> daily = market_->find(stocks[0])->bars;
    for (const auto& week : quotesim::periodBars(daily, PeriodMode::Weekly))
        if (week.date > 20230101) weeks.push_back(dailyBar(week));
    std::vector<DailyBar> stale(weeks.begin(), weeks.end() - 2);
    stale.back().close += 7;
    test::writeFile(root() / "Data" / ("w" + std::to_string(stocks[0]) + ".txt"), prices(stale));
    workspace->periodMode = PeriodMode::Weekly;
    ASSERT_TRUE(batchUpdateList(*workspace, watchlistPosition(1)));
    EXPECT_EQ(file(stocks[0], "w"), prices(weeks));
}

TEST_F(StoreUpdates, ABatchGoesOnPastAFailureAndSaysWhatHappened) {
    writeStored(kDefaultCode, 20240101, 20240614);
    writeStored(stocks[0], 20240501, 20240614);
    writeStored(stocks[1], 20240501, 20240614);
    const std::string kept = file(stocks[0]);
    test::writeFile(root() / "Focus1.lst", std::to_string(stocks[0]) + " x\n10101 y\n" +
                                               std::to_string(stocks[1]) + " z\n");
    pointAt(server_->host(), "", server_->host() + "/fault/truncate@2");
    RunControl control;
    std::vector<int> told;
    control.progress = [&](int done, int total) {
        EXPECT_EQ(total, 3);
        told.push_back(done);
    };
    BatchSummary summary = batchDownload(*workspace, 1, control);
    EXPECT_TRUE(summary.ran);
    EXPECT_EQ(summary.done, 1);
    EXPECT_EQ(summary.failed, 2);
    EXPECT_EQ(summary.firstFailedCode, stocks[0]);
    EXPECT_FALSE(summary.firstFailure.empty());
    EXPECT_EQ(told, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(file(stocks[0]), kept);  // a failed fetch leaves the file as it was
    EXPECT_EQ(workspace->series().code, kDefaultCode);

    // Cancelled after the first security: the others are not touched.
    pointAt(server_->host());
    writeStored(stocks[0], 20240501, 20240607);
    writeStored(stocks[1], 20240501, 20240607);
    const std::string second = file(stocks[1]);
    control.progress = [&](int, int) { control.cancel(); };
    summary = batchUpdateList(*workspace, watchlistPosition(1), control);
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(summary.done, 1);
    EXPECT_EQ(summary.skipped + summary.failed, 0);
    EXPECT_EQ(file(stocks[1]), second);
}

TEST_F(StoreUpdates, ABatchDownloadReadsWholeCodesAndWritesOnlyWholeFetches) {
    writeStored(kDefaultCode, 20240101, 20240614);
    writeStored(stocks[0], 20240501, 20240614);
    std::string index = file(kDefaultCode);
    test::writeFile(root() / "Focus1.lst", "10101 " + text::sjisFromUtf8("アップル") + "\n" +
                                               std::to_string(stocks[0]) + " x\n");
    // The Japanese pages break off on their third page.
    pointAt(server_->host(), "", server_->host() + "/fault/truncate@2");
    // The cut-off entry makes the run a failure.
    EXPECT_FALSE(batchDownload(*workspace, 1));
    // 10101 is a US stock, not the index 1010.
    EXPECT_EQ(file(kDefaultCode), index);
    EXPECT_FALSE(loadSeries(root().string() + "/Data/10101.txt").empty());
    EXPECT_EQ(file(stocks[0]), prices(marketBars(*market_, stocks[0], 20240501, 20240614)));
}

TEST_F(StoreUpdates, DaysFromDiskAndTheArchiveAddresses) {
    Endpoints endpoints = workspace->endpoints();
    EXPECT_EQ(dayArchiveAddress(endpoints, "20240614", SourceMode::Net),
              server_->host() + "/data2024/20240614.LZH");
    EXPECT_EQ(dayArchiveAddress(endpoints, "20240614", SourceMode::Member),
              server_->host() + "/data/20240614.LZH");

    writeStored(kDefaultCode, 20240101, 20240612);
    test::writeFile(root() / "Source/20240614.csv",
                    "2024/06/14,1001,N225,100.5,110,90,105,1234567\n"
                    "2024/06/14,../../escape,x,2,4,1,3,5\n2024/06/14,7203,x,2,4,1,3,5\n");
    int before = archiveRequests();
    ArchiveRunResult result =
        runArchiveUpdate(*workspace, {{"20240613", "20240614"}, SourceMode::Disk});
    EXPECT_EQ(archiveRequests(), before);
    EXPECT_EQ(result.imported, 1);
    EXPECT_EQ(result.skipped, 1);  // no CSV on disk for the 13th
    // The index line: prices cut at the point, the volume without four digits.
    EXPECT_EQ(file(kDefaultCode), prices(marketBars(*market_, kDefaultCode, 20240101, 20240612)) +
                                      "20240614,100,110,90,105,123\n");
    EXPECT_EQ(file(7203), "20240614,2,4,1,3,5\n");
    EXPECT_FALSE(fs::exists(temp.path() / "escape.txt"));
    EXPECT_EQ(workspace->options().updateOption, 0);
}

}  // namespace
}  // namespace tav
