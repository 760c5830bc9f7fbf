// Nothing impossible enters the store, whichever source a bar comes from, and
// a re-fetch through rows it cannot read never leaves a file with fewer days.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "engine/quotes/quote_pages.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "updates/archive_update.h"
#include "updates/bar_csv_import.h"
#include "updates/day_csv.h"
#include "watchlists/watchlist_files.h"
#include "workspace/archive.h"
#include "workspace/quotes.h"
#include "workspace/updates.h"

namespace tav {
namespace {

using test::PageRow;

constexpr LocalDate kToday{2024, 6, 14};
constexpr const char* kTwentyDigits = "12345678901234567890";

// The stored days, oldest first: two weeks of June 2024.
const char* const kDays[] = {"20240603", "20240604", "20240605", "20240606", "20240607",
                             "20240610", "20240611", "20240612", "20240613", "20240614"};

std::string storedLine(const std::string& day) {
    return day + ",100,120,90,110,1000\n";
}
std::string fetchedLine(const std::string& day) {
    return day + ",200,220,190,210,2000\n";
}

// "2024年6月7日" for 20240607.
std::string pageDate(const std::string& day) {
    return day.substr(0, 4) + "年" + std::to_string(std::stoi(day.substr(4, 2))) + "月" +
           std::to_string(std::stoi(day.substr(6, 2))) + "日";
}

PageRow fetchedRow(const std::string& day) {
    return {pageDate(day), "200", "220", "190", "210", "2,000", ""};
}

class StoreIntegrity : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(temp / "Stock.lst", test::sjis("7203,トヨタ自動車,東証1部,100,-\n"));
        test::writeFile(temp / "Endpoints.lst", Endpoints::fileTextForHost(server.host()));
        std::filesystem::create_directories(temp / "Data");
        tools.clock.date = kToday;
        std::string stored;
        for (const char* day : kDays)
            stored += storedLine(day);
        test::writeFile(dataFile(), stored);
    }
    std::filesystem::path dataFile() const { return temp / "Data/7203.txt"; }

    // The page every history request gets: newest first, one page.
    std::string page;
    test::QuoteServer server{[this](const httplib::Request&, httplib::Response& response) {
        response.set_content(page, "text/html");
    }};
    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
};

TEST_F(StoreIntegrity, RefetchThroughUnreadableRowsKeepsEveryStoredDay) {
    // 11 June has no calendar date, 10 June no date at all, 7 June a price
    // too long for any field.
    std::vector<PageRow> rows;
    for (int i = static_cast<int>(std::size(kDays)) - 1; i >= 0; --i) {
        PageRow row = fetchedRow(kDays[i]);
        if (std::string(kDays[i]) == "20240611") row.date = "2024年6月31日";
        if (std::string(kDays[i]) == "20240610") row.date = "";
        if (std::string(kDays[i]) == "20240607") row.high = kTwentyDigits;
        rows.push_back(row);
    }
    page = test::euc(test::yahooJapanPage(rows, false));
    const std::set<std::string> unread{"20240607", "20240610", "20240611"};
    std::string merged;
    for (const char* day : kDays)
        merged += unread.count(day) ? storedLine(day) : fetchedLine(day);
    const std::string before = test::readFile(dataFile());

    struct Case {
        const char* name;
        std::function<bool(Workspace&)> run;
        bool written;  // false: the file must stay as it was
    } cases[] = {
        {"re-fetch",
         [](Workspace& w) { return w.loadStoredSeries(7203) && deleteAndRefetch(w).ok(); }, true},
        {"batch re-fetch",
         [](Workspace& w) {
             int rejected = 0;
             w.loadStoredSeries(7203);
             bool ok = batchRefetch(w, &rejected).ok();
             return ok && rejected == 3;
         },
         true},
        {"batch download",
         [&](Workspace& w) {
             test::writeFile(temp / watchlistFileName(1), "7203 トヨタ\n");
             return w.loadStoredSeries(7203) && batchDownload(w, 1);
         },
         true},
        // Adjusted prices cannot sit beside unadjusted stored ones.
        {"split-adjusted re-fetch",
         [](Workspace& w) { return w.loadStoredSeries(7203) && splitAdjustedRefetch(w).ok(); },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(dataFile(), before);
        tools.prompter.calls.clear();
        EXPECT_EQ(c.run(workspace), c.written);
        EXPECT_EQ(test::readFile(dataFile()), c.written ? merged : before);
        if (c.name != std::string("batch re-fetch")) {
            // The user is told how many rows were left out.
            std::string told;
            for (const std::string& message : tools.prompter.messages())
                told += message;
            EXPECT_NE(told.find("3 行"), std::string::npos) << told;
        }
    }
}

TEST_F(StoreIntegrity, AnUpdateThroughARefusedRowAddsNothing) {
    // Stored up to 12 June; the page has an impossible 13th and a good 14th.
    const std::string stored = test::readFile(dataFile());
    const std::string upTo12 = stored.substr(0, stored.find("20240613"));
    test::writeFile(dataFile(), upTo12);
    PageRow impossible = fetchedRow("20240613");
    impossible.low = "230";  // above its high
    page = test::euc(
        test::yahooJapanPage({fetchedRow("20240614"), impossible, fetchedRow("20240612")}, false));
    ASSERT_TRUE(workspace.loadStoredSeries(7203));
    int rejected = 0;
    Outcome updated = updateSeries(workspace, true, &rejected);
    EXPECT_FALSE(updated);
    EXPECT_EQ(rejected, 1);
    EXPECT_NE(updated.message().find("1 行を除外"), std::string::npos) << updated.message();
    EXPECT_EQ(test::readFile(dataFile()), upTo12);

    // Once the page reads whole, both days come in.
    page = test::euc(test::yahooJapanPage(
        {fetchedRow("20240614"), fetchedRow("20240613"), fetchedRow("20240612")}, false));
    ASSERT_TRUE(updateSeries(workspace, true));
    EXPECT_EQ(test::readFile(dataFile()),
              upTo12 + fetchedLine("20240613") + fetchedLine("20240614"));
}

TEST_F(StoreIntegrity, PageRowsPassTheBarCheck) {
    struct Case {
        PageRow row;
        BarFault fault;
    } cases[] = {
        {{"2024年6月14日", "200", "220", "190", "210", "1000", ""}, BarFault::None},
        {{"2024年6月13日", kTwentyDigits, "220", "190", "210", "1000", ""},
         BarFault::PriceOutOfRange},
        {{"2024年6月12日", "200", "220", "190", "210", kTwentyDigits, ""},
         BarFault::VolumeOutOfRange},
        {{"2024年6月11日", "200", "180", "190", "185", "1000", ""}, BarFault::HighBelowLow},
        {{"2024年6月10日", "230", "220", "190", "210", "1000", ""}, BarFault::OpenOutsideRange},
        {{"2024年6月7日", "0", "220", "190", "210", "1000", ""}, BarFault::PriceNotPositive},
        {{"2024年6月15日", "200", "220", "190", "210", "1000", ""}, BarFault::FutureDate},
        {{"2024年2月30日", "200", "220", "190", "210", "1000", ""}, BarFault::BadDate},
    };
    std::vector<PageRow> rows;
    BarRejections expected;
    for (const Case& c : cases) {
        rows.push_back(c.row);
        expected.add(c.fault);
    }
    page = test::euc(test::yahooJapanPage(rows, false));
    SpanFetch fetched = fetchSpan(workspace, 7203, "", 0, 1, 20);
    ASSERT_EQ(workspace.series().count(), 1);
    EXPECT_EQ(workspace.series().bars[0].dateText(), "20240614");
    EXPECT_EQ(fetched.rejected.total, expected.total);
    for (int fault = 0; fault <= static_cast<int>(BarFault::VolumeOutOfRange); ++fault)
        EXPECT_EQ(fetched.rejected.byFault[fault], expected.byFault[fault]) << fault;
}

TEST(StoreCheck, ArchiveLinesPassTheBarCheck) {
    struct Case {
        const char* line;
        BarFault fault;
        bool taken;
    } cases[] = {
        {"2024/06/14,7203,n,200,220,190,210,1000", BarFault::None, true},
        {"2024/06/14,7203,n,200,180,190,185,1000", BarFault::HighBelowLow, false},
        {"2024/06/14,7203,n,-200,220,190,210,1000", BarFault::PriceNotPositive, false},
        {"2024/06/14,7203,n,200,220,190,230,1000", BarFault::CloseOutsideRange, false},
        {"2024/06/14,7203,n,200,220,190,210,-5", BarFault::NegativeVolume, false},
        {"2024/06/14,7203,n,200,12345678901,190,210,1000", BarFault::PriceOutOfRange, false},
        {"2024/06/14,7203,n,200,220,190,210,12345678901234567890", BarFault::VolumeOutOfRange,
         false},
        // The index's volume is checked as it is stored, without its last digits.
        {"2024/06/14,1001,N225,38000.5,38100,37900,38050,-123456789", BarFault::NegativeVolume,
         false},
        {"2024/06/31,7203,n,200,220,190,210,1000", BarFault::BadDate, false},
    };
    for (const Case& c : cases) {
        BarFault fault = BarFault::BadDate;
        EXPECT_EQ(parseDayLine(c.line, &fault).has_value(), c.taken) << c.line;
        EXPECT_EQ(fault, c.fault) << c.line;
    }
}

TEST_F(StoreIntegrity, ADayWhoseEveryLineIsRefusedIsNotAdded) {
    std::filesystem::create_directories(temp / "Source");
    test::writeFile(temp / "Source/20240617.csv",
                    "2024/06/17,7203,n,200,180,190,185,1000\n2024/06/17,6758,n,0,0,0,0,0\n");
    test::writeFile(temp / "Source/20240618.csv",
                    "2024/06/18,7203,n,200,220,190,210,1000\n2024/06/18,6758,n,0,0,0,0,0\n");
    tools.clock.date = {2024, 6, 18};
    test::writeFile(temp / "Data/1010.txt", "20240614,100,120,90,110,1000\n");
    ArchiveTools archive = archiveTools(workspace);
    const std::vector<std::string> days{"20240617", "20240618"};
    ArchiveRunResult result = importDays(archive, days, SourceMode::Disk);
    // The run stops at the damaged day rather than passing over it.
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.imported, 0);
    EXPECT_EQ(result.rejected.total, 2);
    EXPECT_EQ(result.rejected.byFault[static_cast<int>(BarFault::HighBelowLow)], 1);
    EXPECT_EQ(test::readFile(dataFile()).find("20240617"), std::string::npos);
    EXPECT_EQ(lastStoredDate(workspace.folder()), "20240614");

    // Without it, the good line of the next day is added and the refused one counted.
    ArchiveRunResult next = importDays(archive, {days.begin() + 1, days.end()}, SourceMode::Disk);
    EXPECT_EQ(next.imported, 1);
    EXPECT_EQ(next.rejected.total, 1);
    EXPECT_NE(test::readFile(dataFile()).find("20240618,200,220,190,210,1000"), std::string::npos);
}

TEST(StoreCheck, CsvNumbersAsUsersWriteThem) {
    struct Case {
        const char* line;
        const char* bar;  // the bar read, or nullptr when the line is refused
        BarFault fault;
    } cases[] = {
        {R"(2024-06-14,"1,234","1,250","1,200","1,240","12,345")", "1234,1250,1200,1240,12345",
         BarFault::None},
        {R"(2024-06-14,"1,234.5",1250,1200,1240,"1,000,000")", "1234,1250,1200,1240,1000000",
         BarFault::None},
        {R"("2024-06-14","1234","1250","1200","1240","5")", "1234,1250,1200,1240,5",
         BarFault::None},
        // Commas out of place, or outside quotes, are no thousands separators.
        {R"(2024-06-14,"1,23",1250,1200,1240,5)", nullptr, BarFault::None},
        {R"(2024-06-14,"12,3456",1250,1200,1240,5)", nullptr, BarFault::None},
        {"2024-06-14,1,234,1,250,1,200,1,240,5", nullptr, BarFault::None},
        {"2024-06-14,1234,1200,1250,1240,5", nullptr, BarFault::HighBelowLow},
        {"2024-06-14,-1234,1250,1200,1240,5", nullptr, BarFault::PriceNotPositive},
        {"2024-06-14,1234,1250,1200,1240,-5", nullptr, BarFault::NegativeVolume},
        {"2024-06-14,1234,12345678901,1200,1240,5", nullptr, BarFault::PriceOutOfRange},
        {"2024-06-14,1234,1250,1200,1240,99999999999999999999", nullptr,
         BarFault::VolumeOutOfRange},
        {"2024-06-15,1234,1250,1200,1240,5", nullptr, BarFault::FutureDate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::string text = std::string("Date,Open,High,Low,Close,Volume\n") + c.line + "\n";
        CsvBars parsed = parseBarCsv(text, CsvLayout::Auto, kToday);
        if (!c.bar) {
            EXPECT_TRUE(parsed.bars.empty());
            EXPECT_EQ(parsed.rejected, 1);
            EXPECT_EQ(parsed.faults.byFault[static_cast<int>(c.fault)],
                      c.fault == BarFault::None ? 0 : 1);
            continue;
        }
        ASSERT_EQ(parsed.bars.size(), 1u);
        const DailyBar& bar = parsed.bars[0];
        EXPECT_EQ(std::to_string(bar.open) + "," + std::to_string(bar.high) + "," +
                      std::to_string(bar.low) + "," + std::to_string(bar.close) + "," +
                      std::to_string(bar.volume),
                  c.bar);
        EXPECT_EQ(parsed.rejected, 0);
    }
}

}  // namespace
}  // namespace tav
