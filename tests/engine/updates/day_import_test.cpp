#include "updates/day_import.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "core/text.h"
#include "support/temp_folder.h"
#include "updates/day_csv.h"
#include "updates/intraday_bar.h"

namespace tav {
namespace {

TEST(DayCsv, LinesBecomeDataLinesAndIndexCodesAreMapped) {
    auto stock = parseDayLine("2024/01/05,7203,トヨタ,2500,2550,2490,2530,1234500\r");
    ASSERT_TRUE(stock);
    EXPECT_EQ(stock->code, 7203);
    EXPECT_EQ(stock->date, "20240105");
    EXPECT_EQ(stock->text, "20240105,2500,2550,2490,2530,1234500\n");

    // The index: prices cut at the point, the volume without its last four digits.
    auto index = parseDayLine("2024-01-05,1001,N225,33100.10,33200.5,33000,33150.25,123456789");
    ASSERT_TRUE(index);
    EXPECT_EQ(index->code, 1010);
    EXPECT_EQ(index->text, "20240105,33100,33200,33000,33150,12345\n");
    auto second = parseDayLine("2024/01/05,1002,TOPIX,2400.1,2410.2,2390.3,2405.4,5000");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->code, 1001);
    EXPECT_EQ(second->text, "20240105,2400,2410,2390,2405,0\n");

    // An empty field keeps its column, so the line is no price line.
    EXPECT_FALSE(parseDayLine("2024/01/05,,7203,,name,2,4,1,3,5"));
    EXPECT_FALSE(parseDayLine("2024/01/05,7203,name,1,,2,3,4"));

    // Nothing that could leave "Data" or is no price line is taken.
    EXPECT_FALSE(parseDayLine("2024/01/05,../../x,n,2,4,1,3,5"));
    EXPECT_FALSE(parseDayLine("2024/01/05,123456,n,2,4,1,3,5"));
    EXPECT_FALSE(parseDayLine("2024/01/05,0,n,2,4,1,3,5"));
    EXPECT_FALSE(parseDayLine("日付,コード,銘柄名,始値,高値,安値,終値,出来高"));
    EXPECT_FALSE(parseDayLine("2024/02/30,7203,n,2,4,1,3,5"));
    EXPECT_FALSE(parseDayLine("24/1/5,7203,n,2,4,1,3,5"));
    EXPECT_FALSE(parseDayLine("2024/01/05,7203,n,1,2024/06/14,3,4,5"));
    EXPECT_FALSE(parseDayLine("2024/01/05,7203,n,1,2,3,4,x"));
    EXPECT_FALSE(parseDayLine("2024/01/05,1001,N225,1.2.3,2,3,4,50000"));

    DayCsv csv =
        parseDayCsv("2024/01/05,7203,a,2,4,1,3,5\n\nheader\r\n2024/01/05,6758,b,2,4,1,3,5");
    ASSERT_EQ(csv.lines.size(), 2u);
    EXPECT_EQ(csv.lines[1].code, 6758);
    EXPECT_EQ(csv.rejected, 1);
}

class DayImport : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(temp / "Data");
        std::filesystem::create_directories(temp / "Source");
    }
    std::string file(StockCode code) {
        return test::readFile(temp / "Data" / (std::to_string(code) + ".txt"));
    }
    std::vector<DayLine> day(const char* date, std::initializer_list<StockCode> codes) {
        std::string csv;
        for (StockCode code : codes) {
            std::string archiveCode = code == 1010 ? "1001" : std::to_string(code);
            csv += std::string(date).substr(0, 4) + "/" + std::string(date).substr(4, 2) + "/" +
                   std::string(date).substr(6, 2) + "," + archiveCode + ",n,10,20,5,15,70000\n";
        }
        return parseDayCsv(csv).lines;
    }
    test::TempFolder temp;
    ProgramFolder folder{temp.str()};
};

TEST_F(DayImport, AppendsNewDaysAndNeverDoublesOne) {
    test::writeFile(temp / "Data/7203.txt", "20240104,1,1,1,1,1\n20240105,2,2,2,2,2");
    test::writeFile(temp / "Data/6758.txt", "20240104,1,1,1,1,1\n");
    std::vector<StockCode> order;
    DayImportResult result = appendDayLines(folder, day("20240105", {1010, 6758, 7203, 9984}),
                                            [&](StockCode code) { order.push_back(code); });
    ASSERT_TRUE(result.ok);
    // 7203 already holds the day (fetched on its own): left alone.
    EXPECT_EQ(result.alreadyStored, 1);
    EXPECT_EQ(file(7203), "20240104,1,1,1,1,1\n20240105,2,2,2,2,2");
    EXPECT_EQ(file(6758), "20240104,1,1,1,1,1\n20240105,10,20,5,15,70000\n");
    EXPECT_EQ(file(9984), "20240105,10,20,5,15,70000\n");
    EXPECT_EQ(file(1010), "20240105,10,20,5,15,7\n");
    // The store's clock moves last.
    EXPECT_EQ(order, (std::vector<StockCode>{6758, 9984, 1010}));
    EXPECT_FALSE(std::filesystem::exists(temp / "Data" / std::string(kImportJournalName)));

    // The same day again changes nothing.
    result = appendDayLines(folder, day("20240105", {1010, 6758, 9984}));
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.alreadyStored, 3);
    EXPECT_EQ(file(6758), "20240104,1,1,1,1,1\n20240105,10,20,5,15,70000\n");
}

TEST_F(DayImport, AFailedFileTakesBackTheWholeDay) {
    test::writeFile(temp / "Data/1301.txt", "20240104,1,1,1,1,1\n");
    test::writeFile(temp / "Data/1010.txt", "20240104,1,1,1,1,1\n");
    test::writeFile(temp / "Data/7203.txt", "20240104,1,1,1,1,1\n");
    // 7203's file turns into a folder just before it is written, after 1301's
    // and 6758's went through.
    auto breakFile = [&](StockCode code) {
        if (code != 7203) return;
        std::filesystem::remove(temp / "Data/7203.txt");
        std::filesystem::create_directories(temp / "Data/7203.txt");
    };
    DayImportResult result =
        appendDayLines(folder, day("20240105", {1010, 1301, 6758, 7203}), breakFile);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.failedPath, folder.dataPath("7203.txt"));
    EXPECT_EQ(file(1301), "20240104,1,1,1,1,1\n");
    EXPECT_EQ(file(1010), "20240104,1,1,1,1,1\n");
    EXPECT_FALSE(std::filesystem::exists(temp / "Data/6758.txt"));
    EXPECT_FALSE(std::filesystem::exists(temp / "Data" / std::string(kImportJournalName)));

    // A path that is no file stops the day before anything is written.
    result = appendDayLines(folder, day("20240108", {1010, 1301, 7203}));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(file(1301), "20240104,1,1,1,1,1\n");
}

TEST_F(DayImport, AnImportKilledHalfWayIsTakenBackBeforeTheNext) {
    test::writeFile(temp / "Data/1301.txt", "20240104,1,1,1,1,1\n");
    test::writeFile(temp / "Data/1010.txt", "20240104,1,1,1,1,1\n");
    int files = 0;
    // The process dies while writing the third file.
    EXPECT_THROW(appendDayLines(folder, day("20240105", {1010, 1301, 6758, 7203}),
                                [&](StockCode) {
                                    if (++files == 3) throw std::runtime_error("killed");
                                }),
                 std::runtime_error);
    EXPECT_NE(file(1301), "20240104,1,1,1,1,1\n");  // half a day is on disk
    EXPECT_TRUE(recoverInterruptedImport(folder));
    EXPECT_EQ(file(1301), "20240104,1,1,1,1,1\n");
    EXPECT_EQ(file(1010), "20240104,1,1,1,1,1\n");
    EXPECT_FALSE(std::filesystem::exists(temp / "Data/6758.txt"));
    EXPECT_FALSE(recoverInterruptedImport(folder));

    // Done again, the day comes in once.
    ASSERT_TRUE(appendDayLines(folder, day("20240105", {1010, 1301, 6758, 7203})).ok);
    EXPECT_EQ(file(1301), "20240104,1,1,1,1,1\n20240105,10,20,5,15,70000\n");
}

TEST(IntradayBar, AddsOrReplacesTodaysProvisionalBar) {
    std::string realtime =
        "6758,1,1,1,1,1\n7203,2500,2600,2450,2550,9000\n7203,9,9,9,9,9\n1301,5,5,5,0,5\n";
    auto line = realtimeQuote(realtime, 7203);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->close, 2550);
    EXPECT_FALSE(realtimeQuote(realtime, 72));

    BarSeries series;
    IntradayQuote fetched{100, 110, 90, 105, 500};
    // An empty series has no last bar to compare with.
    EXPECT_FALSE(addIntradayBar(series, line, fetched, "20240614"));

    DailyBar stored{};
    setBarDate(stored, "20240613");
    stored.close = 2400;
    series.bars = {stored};
    series.cursor = 0;
    ASSERT_TRUE(addIntradayBar(series, line, fetched, "20240614"));
    ASSERT_EQ(series.count(), 2);
    EXPECT_EQ(series.cursor, 1);
    EXPECT_EQ(series.bars[1].provisional, 1);
    EXPECT_EQ(series.bars[1].close, 2550);

    // A later quote replaces it; a real-time line without a close gives way
    // to the fetched quote.
    ASSERT_TRUE(addIntradayBar(series, realtimeQuote(realtime, 1301), fetched, "20240614"));
    EXPECT_EQ(series.count(), 2);
    EXPECT_EQ(series.bars[1].close, 105);
    EXPECT_FALSE(
        addIntradayBar(series, std::nullopt, IntradayQuote{100, 0, 90, 105, 1}, "20240614"));

    // Not while the cursor is on an older bar.
    series.cursor = 0;
    EXPECT_FALSE(addIntradayBar(series, line, fetched, "20240617"));
    EXPECT_EQ(series.count(), 2);
}

}  // namespace
}  // namespace tav
