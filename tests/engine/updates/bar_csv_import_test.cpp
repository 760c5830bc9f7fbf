#include "updates/bar_csv_import.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "data/price_store.h"

namespace tav {
namespace {

const LocalDate kToday{2024, 6, 14};

TEST(BarCsvImport, LayoutsHeadersAndDateForms) {
    struct Case {
        std::string name;
        std::string bytes;
        CsvLayout layout;
        CsvLayout read;
        std::string bars;  // formatSeries of the result
    };
    const std::vector<Case> cases{
        {"yahoo", "\xEF\xBB\xBF" "Date,Open,High,Low,Close,Adj Close,Volume\r\n"
                  "2024-01-05,100.9,110,99.5,105,52.5,1200\r\n2024-01-04,98,101,97,100,50,900\r\n",
         CsvLayout::Auto, CsvLayout::Yahoo,
         "20240104,98,101,97,100,900\n20240105,100,110,99,105,1200\n"},
        {"stooq", "Date,Open,High,Low,Close,Volume\n2024/01/04,98,101,97,100,900\n",
         CsvLayout::Auto, CsvLayout::Stooq, "20240104,98,101,97,100,900\n"},
        {"plain", "20240104,98,101,97,100,900\n", CsvLayout::Auto, CsvLayout::Plain,
         "20240104,98,101,97,100,900\n"},
        {"yahoo without header", "2024-01-04,98,101,97,100,50,900\n", CsvLayout::Yahoo,
         CsvLayout::Yahoo, "20240104,98,101,97,100,900\n"},
        {"shift-jis header in its own order",
         text::sjisFromUtf8("出来高,日付,終値,始値,高値,安値\n900,2024/01/04,100,98,101,97\n"),
         CsvLayout::Auto, CsvLayout::Stooq, "20240104,98,101,97,100,900\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CsvBars parsed = parseBarCsv(c.bytes, c.layout, kToday);
        EXPECT_EQ(parsed.message, "");
        EXPECT_EQ(parsed.layout, c.read);
        EXPECT_EQ(parsed.rejected, 0);
        EXPECT_EQ(formatSeries(parsed.bars), c.bars);
    }
    EXPECT_NE(parseBarCsv("Datum,Eröffnung\n1,2\n", CsvLayout::Auto, kToday).message, "");
}

TEST(BarCsvImport, BadLinesAreCountedAndLeftOut) {
    CsvBars parsed = parseBarCsv(
        "Date,Open,High,Low,Close,Volume\n"
        "2024-01-04,98,101,97,100,900\n"
        "2023-02-30,98,101,97,100,900\n"   // no calendar day
        "2024-06-15,98,101,97,100,900\n"   // after today
        "2024-01-05,null,null,null,null,null\n"
        "2024-01-08,-98,101,97,100,900\n"  // not positive
        "2024-01-09,1e3,101,97,100,900\n"  // no plain decimal
        "2024-01-10,3000000000,101,97,100,900\n"  // beyond 32 bits
        "2024-01-11,98,101,97,100,lots\n"
        "2024-01-04,99,101,97,100,900\n"   // the date again
        "2024-01-12,98,101,97\n"           // columns missing
        "\n2024-01-15,98,101,97,100,0\n",
        CsvLayout::Auto, kToday);
    EXPECT_EQ(parsed.rejected, 9);
    EXPECT_EQ(formatSeries(parsed.bars),
              "20240104,98,101,97,100,900\n20240115,98,101,97,100,0\n");
}

TEST(BarCsvImport, AMergeKeepsStoredBarsAndAddsTheMissingDays) {
    std::vector<DailyBar> stored = parseSeries("20240105,10,11,9,10,1\n20240109,12,13,11,12,2\n");
    std::vector<DailyBar> imported =
        parseSeries("20240104,1,1,1,1,1\n20240105,99,99,99,99,99\n20240108,2,2,2,2,2\n"
                    "20240110,3,3,3,3,3\n");
    int alreadyStored = 0;
    EXPECT_EQ(formatSeries(mergeByDate(stored, imported, alreadyStored)),
              "20240104,1,1,1,1,1\n20240105,10,11,9,10,1\n20240108,2,2,2,2,2\n"
              "20240109,12,13,11,12,2\n20240110,3,3,3,3,3\n");
    EXPECT_EQ(alreadyStored, 1);
}

}  // namespace
}  // namespace tav
