// What may enter the store: numbers and dates at their edges, and an
// interrupted import taken back only from files it still owns.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <stdexcept>

#include "core/fields.h"
#include "core/file_io.h"
#include "data/price_store.h"
#include "support/temp_folder.h"
#include "updates/day_csv.h"
#include "updates/day_import.h"

namespace tav {
namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

TEST(StoreValidation, NumbersSaturateInsteadOfWrapping) {
    struct Case {
        const char* text;
        int64_t value;
    } cases[] = {
        {"9223372036854775807", kMax},
        {"9223372036854775808", kMax},
        {"-9223372036854775808", kMin},
        {"-9223372036854775809", kMin},
        {"18446744073709551621", kMax},  // wrapped to 5 by value * 10 + d
        {"18446744073709551615", kMax},
        {"-18446744073709551621", kMin},
        {"99999999999999999999999", kMax},
        {"1844674407370955162", 1844674407370955162},
        {" +42x", 42},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseLeadingInt64(c.text), c.value) << c.text;
    EXPECT_EQ(parseLeadingInt32("18446744073709551621"), std::numeric_limits<int32_t>::max());
}

TEST(StoreValidation, ArchiveLinesNeedRealDaysAndNumbersThatFit) {
    struct Case {
        const char* line;
        bool taken;
    } cases[] = {
        {"2024/02/29,7203,n,2,4,1,3,5", true},
        {"2023/02/29,7203,n,1,2,3,4,5", false},
        {"2026/02/30,7203,n,1,2,3,4,5", false},
        {"9999/99/99,7203,n,1,2,3,4,5", false},
        {"20240105xx,7203,n,1,2,3,4,5", false},
        {"2024/1/05,7203,n,1,2,3,4,5", false},
        // The largest numbers that fit; the 32- and 64-bit maxima are what
        // saturating readers give for longer numbers, so they are refused.
        {"2024/01/05,7203,n,2147483646,2147483646,2147483646,2147483646,9223372036854775806", true},
        {"2024/01/05,7203,n,2147483647,2147483647,2147483647,2147483647,5", false},
        {"2024/01/05,7203,n,2,4,1,3,9223372036854775807", false},
        {"2024/01/05,7203,n,2147483648,2,3,4,5", false},
        {"2024/01/05,7203,n,1,2,3,4,9223372036854775808", false},
        {"2024/01/05,7203,n,1,2,3,4,18446744073709551621", false},
        {"2024/01/05,7203,,1,2,3,4,5", false},
        {"2024/01/05,7203,n,2,4,1,3,5,", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseDayLine(c.line).has_value(), c.taken) << c.line;

    // A line dated another day than its archive's is rejected.
    DayCsv csv =
        parseDayCsv("2024/01/05,7203,n,2,4,1,3,5\n2031/01/05,6758,n,2,4,1,3,5\n", "20240105");
    ASSERT_EQ(csv.lines.size(), 1u);
    EXPECT_EQ(csv.rejected, 1);
}

TEST(StoreValidation, FetchedBarsNeedRealPastDays) {
    LocalDate today{2026, 2, 10};
    struct Case {
        const char* date;
        bool kept;
    } cases[] = {{"20260210", true},  {"20260211", false}, {"20260230", false},
                 {"99999999", false}, {"2026021", false},  {"20240229", true}};
    std::vector<DailyBar> bars;
    for (const Case& c : cases) {
        EXPECT_EQ(isStorableDate(c.date, today), c.kept) << c.date;
        DailyBar bar{};
        setBarDate(bar, c.date);
        bars.push_back(bar);
    }
    EXPECT_EQ(dropImpossibleDates(bars, today), 4u);
    EXPECT_EQ(bars.size(), 2u);
}

class ImportRecovery : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directories(temp / "Data"); }
    std::string file(const char* name) { return test::readFile(temp / "Data" / name); }
    // Appends the day to 1301, 6758 (new) and 1010, killed before the third file.
    void killedImport() {
        test::writeFile(temp / "Data/1301.txt", "20240104,1,1,1,1,1\n");
        test::writeFile(temp / "Data/1010.txt", "20240104,1,1,1,1,1\n");
        std::string csv;
        for (const char* code : {"1001", "1301", "6758"})
            csv += std::string("2024/01/05,") + code + ",n,10,20,5,15,70000\n";
        int files = 0;
        EXPECT_THROW(appendDayLines(folder, parseDayCsv(csv).lines,
                                    [&](StockCode) {
                                        if (++files == 3) throw std::runtime_error("killed");
                                    }),
                     std::runtime_error);
    }
    test::TempFolder temp;
    ProgramFolder folder{temp.str()};
};

TEST_F(ImportRecovery, FilesChangedSinceAreNeverCut) {
    killedImport();
    // Re-fetched in between: a whole new file of more bars.
    std::string refetched = "20230104,1,1,1,1,1\n20240104,1,1,1,1,1\n20240105,3,3,3,3,3\n";
    ASSERT_TRUE(fileio::writeFileAtomic(folder.dataPath("1301.txt"), refetched));
    // Something else was appended to the new file after the import's line.
    ASSERT_TRUE(fileio::appendToFile(folder.dataPath("6758.txt"), "20240108,1,1,1,1,1\n"));
    EXPECT_EQ(sizeBeforeImport(folder, "1301.txt"), std::nullopt);
    EXPECT_EQ(sizeBeforeImport(folder, "1010.txt"), 19);
    EXPECT_TRUE(recoverInterruptedImport(folder));
    EXPECT_EQ(file("1301.txt"), refetched);
    EXPECT_EQ(file("6758.txt"), "20240105,10,20,5,15,70000\n20240108,1,1,1,1,1\n");
    EXPECT_EQ(file("1010.txt"), "20240104,1,1,1,1,1\n");
}

TEST_F(ImportRecovery, TheDaysOwnBytesAreTakenBack) {
    killedImport();
    // An append cut mid-line counts as the import's too.
    std::filesystem::resize_file(temp / "Data/6758.txt", 7);
    EXPECT_TRUE(recoverInterruptedImport(folder));
    EXPECT_EQ(file("1301.txt"), "20240104,1,1,1,1,1\n");
    EXPECT_FALSE(std::filesystem::exists(temp / "Data/6758.txt"));
    EXPECT_FALSE(recoverInterruptedImport(folder));
}

}  // namespace
}  // namespace tav
