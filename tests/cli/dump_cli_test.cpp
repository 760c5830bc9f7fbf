#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "analysis/recompute.h"
#include "cli_support.h"
#include "data/price_store.h"
#include "support/temp_folder.h"

namespace tav::test {
namespace {

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, ',');)
        fields.push_back(field);
    return fields;
}

class DumpCli : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string file;
        for (int i = 0; i < 80; ++i) {
            const int close = 1000 + (i * 53) % 97 - (i % 11 == 0 ? 40 : 0);
            file += std::to_string(20230101 + i) + "," + std::to_string(close - 3) + "," +
                    std::to_string(close + 12) + "," + std::to_string(close - 9) + "," +
                    std::to_string(close) + "," + std::to_string(1000 + i * 150000) + "\n";
        }
        ASSERT_EQ(runCli({"--folder", folder(), "init"}).exitCode, 0);
        writeFile(folder() + "/Data/7203.txt", file);
    }
    std::string folder() const { return (temp / "folder").string(); }
    TempFolder temp;
};

TEST_F(DumpCli, EverySlotOfEveryBarAsCsv) {
    CliResult result = runCli({"--folder", folder(), "dump", "7203"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::stringstream out(result.out);
    std::string header;
    std::getline(out, header);
    const std::vector<std::string> columns = splitFields(header);
    ASSERT_EQ(columns.size(), 70u);
    EXPECT_EQ(columns.front(), "date");
    EXPECT_EQ(columns[19], "macdLongEma");
    EXPECT_EQ(columns.back(), "turnMarkVlRsi");

    // The same bars through the engine, slot by slot.
    std::vector<DailyBar> bars = loadSeries(folder() + "/Data/7203.txt");
    AnalysisState state;
    recomputeIndicators(
        bars, AnalysisSettings::from(AnalysisParameters::defaults(), PeriodMode::Daily, {}), state);
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(out, line);)
        rows.push_back(splitFields(line));
    ASSERT_EQ(rows.size(), bars.size());
    auto column = [&](const std::string& name) {
        return static_cast<std::size_t>(std::find(columns.begin(), columns.end(), name) -
                                        columns.begin());
    };
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const auto& row = rows[i];
        ASSERT_EQ(row.size(), 70u);
        EXPECT_EQ(row[0], bars[i].date);
        EXPECT_EQ(row[column("maShort")], std::to_string(bars[i].maShort));
        EXPECT_EQ(row[column("rci")], std::to_string(bars[i].rci));
        EXPECT_EQ(row[column("volumeMaLong")], std::to_string(bars[i].volumeMaLong));
        EXPECT_EQ(row[column("turnMarkRsi")], std::to_string(bars[i].turnMarks[1]));
        // The averages and the volatility read back to the very same bits.
        EXPECT_EQ(std::strtof(row[column("macdShortEma")].c_str(), nullptr), bars[i].macdShortEma);
        EXPECT_EQ(std::strtod(row[column("volatility5")].c_str(), nullptr), bars[i].volatility5);
    }
    EXPECT_EQ(rows[79][column("deviationLong")], std::to_string(bars[79].deviationLong));
    EXPECT_EQ(rows[0][column("williamsR")], "-1");
}

TEST_F(DumpCli, RefusesUnknownCodesAndArguments) {
    EXPECT_EQ(runCli({"--folder", folder(), "dump", "9999"}).exitCode, 1);
    EXPECT_EQ(runCli({"--folder", folder(), "dump"}).exitCode, 2);
    EXPECT_EQ(runCli({"--folder", folder(), "dump", "7203", "--period", "yearly"}).exitCode, 2);
}

}  // namespace
}  // namespace tav::test
