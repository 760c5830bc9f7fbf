#include "data/price_store.h"

#include <gtest/gtest.h>

#include <random>

#include "core/file_io.h"
#include "support/temp_folder.h"

namespace tav {
namespace {

std::string dates(const std::vector<DailyBar>& bars) {
    std::string text;
    for (const auto& bar : bars) text += std::string(bar.dateText()) + " ";
    return text;
}

TEST(ParseSeries, SkipsZeroPriceBlankAndMalformedLines) {
    auto bars = parseSeries(
        "20240101,0,0,0,0,500\n"
        "\n"
        "garbage\n"
        "20240102,100,110,90,105,1000\n"
        ",,,,,\n");
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].dateText(), "20240102");
    EXPECT_EQ(bars[0].open, 100);
    EXPECT_EQ(bars[0].high, 110);
    EXPECT_EQ(bars[0].low, 90);
    EXPECT_EQ(bars[0].close, 105);
    EXPECT_EQ(bars[0].volume, 1000);
}

TEST(ParseSeries, EmptyFieldEndsTheFieldScan) {
    auto bars = parseSeries("20240102,100,,90,105,1000\n");
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].open, 100);
    EXPECT_EQ(bars[0].high, 0);
    EXPECT_EQ(bars[0].low, 0);
    EXPECT_EQ(bars[0].close, 0);
    EXPECT_EQ(bars[0].volume, 0);
}

TEST(ParseSeries, KeepsFileOrderAndAcceptsCarriageReturns) {
    auto bars = parseSeries("20240105,1,1,1,1,1\r\n20240103,2,2,2,2,2\r\n20240103,3,3,3,3,3");
    EXPECT_EQ(dates(bars), "20240105 20240103 20240103 ");
    EXPECT_EQ(bars[0].volume, 1);
    EXPECT_EQ(bars[2].close, 3);
    EXPECT_EQ(firstDateDisorder(bars), 0);
}

TEST(ParseSeries, RejectsLongDatesAndOverlongLines) {
    std::string longLine = "20240104,5,5,5,5," + std::string(600, '9') + "\n";
    auto bars = parseSeries("202401010000,1,1,1,1,1\n" + longLine + "20240105,7,7,7,7,7\n");
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].close, 7);
    // Eleven characters still fit the date field.
    EXPECT_EQ(parseSeries("20240101000,1,1,1,1,1\n").size(), 1u);
}

TEST(ParseSeries, LeadByteBeforeCommaIsNotASeparator) {
    // "\x82," is one double-byte character, so the date field runs on.
    auto bars = parseSeries("2024\x82,1,2,3,4,5\n");
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].open, 2);
}

TEST(ParseSeries, NumbersConvertLikeCAndSaturate) {
    auto bars = parseSeries("20240101, 12abc,-5,+7,99999999999,-3\n");
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].open, 12);
    EXPECT_EQ(bars[0].high, -5);
    EXPECT_EQ(bars[0].low, 7);
    EXPECT_EQ(bars[0].close, 2147483647);
    EXPECT_EQ(bars[0].volume, -3);
}

TEST(ParseSeries, JunkNeverCrashes) {
    std::mt19937 rng(5);
    for (int round = 0; round < 200; ++round) {
        std::string junk(rng() % 2000, '\0');
        for (char& c : junk) c = static_cast<char>(rng());
        for (const auto& bar : parseSeries(junk)) EXPECT_EQ(bar.date[11], '\0');
    }
}

TEST(FormatSeries, RoundTripsIncludingWideVolumesAndSkipsProvisional) {
    std::vector<DailyBar> bars(3);
    setBarDate(bars[0], "20240101");
    bars[0] = {};
    setBarDate(bars[0], "20240101");
    bars[0].open = 10;
    bars[0].high = 12;
    bars[0].low = 9;
    bars[0].close = 11;
    bars[0].volume = 2147483647;
    bars[1] = bars[0];
    setBarDate(bars[1], "20240102");
    bars[1].volume = 9876543210LL;
    bars[2] = bars[1];
    setBarDate(bars[2], "20240103");
    bars[2].provisional = 1;
    std::string text = formatSeries(bars);
    EXPECT_EQ(text, "20240101,10,12,9,11,2147483647\n20240102,10,12,9,11,9876543210\n");
    auto back = parseSeries(text);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].volume, 2147483647);
    EXPECT_EQ(back[1].volume, 9876543210LL);
}

class PriceStoreFiles : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(temp.path() / "Data"); }

    BarSeries series(StockCode code, std::initializer_list<int> closes) {
        BarSeries result;
        result.code = code;
        int day = 1;
        for (int close : closes) {
            DailyBar bar{};
            setBarDate(bar, "202401" + std::string(day < 10 ? "0" : "") + std::to_string(day));
            ++day;
            bar.open = bar.high = bar.low = bar.close = close;
            bar.volume = close * 10;
            result.bars.push_back(bar);
        }
        result.savedCount = result.count();
        return result;
    }

    test::TempFolder temp;
    ProgramFolder folder{temp.str()};
};

TEST_F(PriceStoreFiles, PathsFollowPeriodAndStorageMode) {
    EXPECT_EQ(dataFilePath(folder, 7203, PeriodMode::Daily, StorageMode::Accumulate),
              temp.str() + "/Data/7203.txt");
    EXPECT_EQ(dataFilePath(folder, 7203, PeriodMode::Weekly, StorageMode::Accumulate),
              temp.str() + "/Data/w7203.txt");
    EXPECT_EQ(dataFilePath(folder, 7203, PeriodMode::Monthly, StorageMode::Accumulate),
              temp.str() + "/Data/m7203.txt");
    EXPECT_EQ(dataFilePath(folder, 7203, PeriodMode::Weekly, StorageMode::Scratch),
              temp.str() + "/Data/Last.txt");
}

TEST_F(PriceStoreFiles, SaveIfChangedWritesOnlyWhenTheCountDiffers) {
    BarSeries loaded = series(7203, {100, 101});
    std::string path = dataFilePath(folder, 7203, PeriodMode::Daily, StorageMode::Accumulate);
    ASSERT_TRUE(saveIfChanged(folder, loaded, StorageMode::Accumulate));
    EXPECT_FALSE(fileio::fileExists(path));  // nothing changed, nothing written

    loaded.savedCount = 1;
    ASSERT_TRUE(saveIfChanged(folder, loaded, StorageMode::Accumulate));
    EXPECT_EQ(test::readFile(path), "20240101,100,100,100,100,1000\n20240102,101,101,101,101,1010\n");

    // Scratch mode always writes Last.txt.
    ASSERT_TRUE(saveIfChanged(folder, loaded, StorageMode::Scratch));
    EXPECT_EQ(loadSeries(folder.dataPath("Last.txt")).size(), 2u);
}

TEST_F(PriceStoreFiles, ProvisionalLastBarIsNotSaved) {
    BarSeries loaded = series(6758, {100, 101, 102});
    loaded.bars.back().provisional = 1;
    ASSERT_TRUE(saveAll(folder, loaded));
    EXPECT_EQ(loadSeries(dataFilePath(folder, 6758, PeriodMode::Daily, StorageMode::Accumulate)).size(), 2u);
}

TEST_F(PriceStoreFiles, AppendAddsALineEndFirstAndWritesAllWhenTheFileIsMissing) {
    BarSeries loaded = series(1301, {100, 101, 102});
    std::span<const DailyBar> newBars(loaded.bars.data() + 2, 1);
    std::string path = dataFilePath(folder, 1301, PeriodMode::Daily, StorageMode::Accumulate);

    ASSERT_TRUE(appendBars(folder, loaded, newBars));
    EXPECT_EQ(loadSeries(path).size(), 3u);  // the whole series when the file was missing

    // A file edited by hand without a final line end.
    test::writeFile(path, "20240101,100,100,100,100,1000");
    ASSERT_TRUE(appendBars(folder, loaded, newBars));
    EXPECT_EQ(test::readFile(path), "20240101,100,100,100,100,1000\n20240103,102,102,102,102,1020\n");
}

TEST_F(PriceStoreFiles, FailedSaveReportsFailureAndLeavesNoTemporaryFile) {
    BarSeries loaded = series(1301, {100});
    // A folder where the file should be: the rename over it fails.
    std::string path = dataFilePath(folder, 1301, PeriodMode::Daily, StorageMode::Accumulate);
    std::filesystem::create_directory(path);
    test::writeFile(path + "/keep", "old\n");
    EXPECT_FALSE(saveAll(folder, loaded));
    EXPECT_EQ(test::readFile(path + "/keep"), "old\n");
    int entries = 0;
    for (auto& entry : std::filesystem::directory_iterator(temp.path() / "Data")) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(CheckLastDate, ComparesTodayWithTheLastBar) {
    BarSeries loaded;
    DailyBar bar{};
    setBarDate(bar, "20240614");
    loaded.bars.push_back(bar);
    EXPECT_EQ(checkLastDate(loaded, {2024, 6, 14}), 0);
    EXPECT_GT(checkLastDate(loaded, {2024, 6, 15}), 0);
    EXPECT_LT(checkLastDate(loaded, {2024, 6, 13}), 0);
}

}  // namespace
}  // namespace tav
