#include "quotes/history_parsers.h"

#include <gtest/gtest.h>

#include "quote_pages.h"
#include "quotes/date_converters.h"
#include "quotes/page_text.h"

namespace tav {
namespace {

using test::PageRow;

std::string dateOf(const DailyBar& bar) {
    return std::string(bar.dateText());
}

PageRow yahooRow(const std::string& date, const std::string& close,
                 const std::string& volume = "1,000") {
    return {date, "1,000", "1,100", "900", close, volume, ""};
}

TEST(DateConverters, FixedPositionsAndShortTexts) {
    auto jp = [](const char* utf8, PeriodMode period = PeriodMode::Daily) {
        return japaneseDateText(test::sjis(utf8), period);
    };
    EXPECT_EQ(jp("2005年3月5日"), "20050305");
    EXPECT_EQ(jp("2005年12月25日"), "20051225");
    EXPECT_EQ(jp("2005年3月15日"), "20050315");
    EXPECT_EQ(jp("2005年11月9日", PeriodMode::Monthly), "20051101");
    EXPECT_EQ(jp("2005年3月"), std::nullopt);  // no day
    EXPECT_EQ(jp("2005"), std::nullopt);
    EXPECT_EQ(jp(""), std::nullopt);

    EXPECT_EQ(slashDateText("2005/03/15"), "20050315");
    EXPECT_EQ(slashDateText("2005-03-1"), std::nullopt);

    EXPECT_EQ(usDateText("5-Jan-05"), "20050105");
    EXPECT_EQ(usDateText("31-Dec-98"), "19981231");
    EXPECT_EQ(usDateText("7-Foo-05"), "200507");  // unknown month: no month digits
    EXPECT_EQ(usDateText("5 Jan 05"), std::nullopt);
    EXPECT_EQ(usDateText("5-Jan-"), std::nullopt);
    EXPECT_EQ(usDateText("123-Jan-05"), std::nullopt);
}

TEST(CleanNumber, SeparatorsPointsAndPadding) {
    using page::NumberStyle;
    EXPECT_EQ(page::cleanNumber("1,234.5", NumberStyle::Japanese), 1234);
    EXPECT_EQ(page::cleanNumber("105.23", NumberStyle::Points), 10523);
    EXPECT_EQ(page::cleanNumber("12.30", NumberStyle::Points), 1230);
    EXPECT_EQ(page::cleanNumber("1.25", NumberStyle::Points, true), 12500);
    EXPECT_EQ(page::cleanNumber("101.2", NumberStyle::Points, true), 10120);
    EXPECT_EQ(page::cleanNumber("-", NumberStyle::Japanese), 0);
    EXPECT_EQ(page::cleanNumber("3,000,000,000", NumberStyle::Japanese), 3000000000LL);
    // Cells are cut at 63 bytes.
    EXPECT_EQ(page::cleanNumber(std::string(70, '1'), NumberStyle::Japanese), INT64_MAX);
    EXPECT_EQ(page::cleanNumber(std::string(60, '0') + "12345", NumberStyle::Japanese), 123);
}

TEST(YahooJapanParser, RowsUnitsAndFurtherPage) {
    std::vector<PageRow> rows = {
        {"2005年3月15日", "1,200", "1,250", "1,190", "1,234.5", "3,000,000,000", ""},
        yahooRow("2005年3月4日", "1,100"),
    };
    PageParse parsed =
        parseYahooJapan(test::sjis(test::yahooJapanPage(rows, true)), 7203, PeriodMode::Daily);
    ASSERT_EQ(parsed.bars.size(), 2u);
    EXPECT_TRUE(parsed.furtherPage);
    const DailyBar& bar = parsed.bars[0];
    EXPECT_EQ(dateOf(bar), "20050315");
    EXPECT_EQ(bar.open, 1200);
    EXPECT_EQ(bar.high, 1250);
    EXPECT_EQ(bar.low, 1190);
    EXPECT_EQ(bar.close, 1234);
    EXPECT_EQ(bar.volume, 3000000000LL);
    EXPECT_EQ(dateOf(parsed.bars[1]), "20050304");
    EXPECT_FALSE(parsed.errorText);

    parsed =
        parseYahooJapan(test::sjis(test::yahooJapanPage(rows, false)), 7203, PeriodMode::Monthly);
    EXPECT_FALSE(parsed.furtherPage);
    EXPECT_EQ(dateOf(parsed.bars[0]), "20050301");
}

TEST(YahooJapanParser, IndexVolumesArePlaceholders) {
    std::vector<PageRow> rows = {yahooRow("2005年3月15日", "11,000", "0"),
                                 yahooRow("2005年3月14日", "11,000", "5000")};
    PageParse parsed =
        parseYahooJapan(test::sjis(test::yahooJapanPage(rows, false)), 1010, PeriodMode::Daily);
    ASSERT_EQ(parsed.bars.size(), 2u);
    EXPECT_EQ(parsed.bars[0].volume, 100000);
    EXPECT_EQ(parsed.bars[1].volume, 0);
}

TEST(YahooJapanParser, NoDataMissingHeaderAndUnfinishedTables) {
    std::string noData = "<html>\n<p>7203 のデータはありません。</p>\n</html>\n";
    PageParse parsed = parseYahooJapan(test::sjis(noData), 7203, PeriodMode::Daily);
    EXPECT_TRUE(parsed.bars.empty());
    EXPECT_EQ(parsed.errorText, "7203 のデータはありません。");

    std::string page = test::yahooJapanPage({yahooRow("2005年3月15日", "100")}, false);
    EXPECT_TRUE(parseYahooJapan(test::sjis(page.substr(page.find("align=right"))), 7203,
                                PeriodMode::Daily)
                    .bars.empty());  // no header
    // The page ends inside the table (no line ends it).
    std::string cut = page.substr(0, page.find("></table>"));
    EXPECT_TRUE(parseYahooJapan(test::sjis(cut), 7203, PeriodMode::Daily).bars.empty());
    // Cut-short rows are dropped, the others kept.
    std::string broken = page;
    broken.insert(
        broken.find("align=right"),
        "align=right bgcolor=\"#ffffff\"><td><small>2005年3月16日</small></td><td><small>1\n");
    broken.insert(broken.find("align=right"),
                  "align=right bgcolor=\"#ffffff\"><td><small>2005年</small>\n");
    parsed = parseYahooJapan(test::sjis(broken), 7203, PeriodMode::Daily);
    ASSERT_EQ(parsed.bars.size(), 1u);
    EXPECT_EQ(parsed.bars[0].close, 100);
}

TEST(YahooJapanParser, MoreRowsThanAPageHoldsAreDropped) {
    std::vector<PageRow> rows;
    for (int day = 60; day > 0; --day)
        rows.push_back(
            yahooRow("2005年3月" + std::to_string(day % 28 + 1) + "日", std::to_string(day)));
    PageParse parsed =
        parseYahooJapan(test::sjis(test::yahooJapanPage(rows, true)), 7203, PeriodMode::Daily);
    ASSERT_EQ(parsed.bars.size(), 50u);
    EXPECT_EQ(parsed.bars[49].close, 11);
}

TEST(YahooJapanParser, SplitMarks) {
    auto splitText = [](const std::string& date, const std::string& from, const std::string& to) {
        return "<td><font size=-1>" + date + "</font> 分割: " + from + "株 -> " + to + "株</td>";
    };
    std::vector<PageRow> rows = {yahooRow("2005年3月16日", "500"), yahooRow("2005年3月15日", "500"),
                                 yahooRow("2005年3月14日", "1000"),
                                 yahooRow("2005年3月11日", "1000")};
    // On the row of 15 March, dated the 14th: the mark moves past the row of the 14th.
    rows[1].extra = splitText("2005年3月14日", "1", "1.5");
    PageParse parsed =
        parseYahooJapan(test::sjis(test::yahooJapanPage(rows, false)), 7203, PeriodMode::Daily);
    ASSERT_EQ(parsed.bars.size(), 4u);
    EXPECT_EQ(parsed.bars[2].splitRatio, 0);
    EXPECT_EQ(parsed.bars[3].splitRatio, 150);

    // Dated the day of its own row: the mark is on the next row.
    rows[1].extra = splitText("2005年3月15日", "1", "2");
    parsed =
        parseYahooJapan(test::sjis(test::yahooJapanPage(rows, false)), 7203, PeriodMode::Daily);
    EXPECT_EQ(parsed.bars[2].splitRatio, 200);

    // A separate split line without prices marks the row that follows it, or
    // the one after that when that row is the split day.
    std::string page = test::yahooJapanPage(rows, false);
    rows[1].extra.clear();
    page = test::yahooJapanPage(rows, false);
    page.insert(page.find("align=right bgcolor=\"#ffffff\"><td><small>2005年3月14日"),
                "align=right bgcolor=\"#ffffff\"><td><small>2005年3月14日</small></td>" +
                    splitText("2005年3月14日", "1", "2") + "</tr><tr\n");
    parsed = parseYahooJapan(test::sjis(page), 7203, PeriodMode::Daily);
    ASSERT_EQ(parsed.bars.size(), 4u);
    EXPECT_EQ(parsed.bars[3].splitRatio, 200);

    // A "from" count of 0 or a missing "株" drops the mark; a ratio that
    // truncates to 0 counts as 100.
    rows[1].extra = splitText("2005年3月15日", "0", "2");
    parsed =
        parseYahooJapan(test::sjis(test::yahooJapanPage(rows, false)), 7203, PeriodMode::Daily);
    for (const auto& bar : parsed.bars)
        EXPECT_EQ(bar.splitRatio, 0);
    rows[1].extra = "<td><font size=-1>2005年3月15日</font> 分割: 1株 -> 2</td>";
    parsed =
        parseYahooJapan(test::sjis(test::yahooJapanPage(rows, false)), 7203, PeriodMode::Daily);
    for (const auto& bar : parsed.bars)
        EXPECT_EQ(bar.splitRatio, 0);
    rows[1].extra = splitText("2005年3月15日", "1000", "0.001");
    parsed =
        parseYahooJapan(test::sjis(test::yahooJapanPage(rows, false)), 7203, PeriodMode::Daily);
    EXPECT_EQ(parsed.bars[2].splitRatio, 100);

    // A split on the last row of a full page would mark a row of the next page: dropped.
    std::vector<PageRow> full;
    for (int i = 0; i < 50; ++i)
        full.push_back(yahooRow("2005年1月" + std::to_string(i % 28 + 1) + "日", "100"));
    full[49].extra = splitText("2004年12月30日", "1", "2");
    parsed = parseYahooJapan(test::sjis(test::yahooJapanPage(full, true)), 7203, PeriodMode::Daily);
    ASSERT_EQ(parsed.bars.size(), 50u);
    for (const auto& bar : parsed.bars)
        EXPECT_EQ(bar.splitRatio, 0);
}

TEST(InfoseekParser, DashCellsZeroClosesAndFurtherPage) {
    std::vector<PageRow> rows = {
        {"2005/03/15", "1,200", "1,250", "1,190", "1,234", "12,300", ""},
        {"2005/03/14", "-", "-", "-", "-", "-", ""},  // no close: dropped with its lines
        {"2005/03/11", "-", "-", "990", "1,000", "-", ""},
    };
    PageParse parsed = parseInfoseekStock(test::sjis(test::infoseekPage(rows, true)), 7203);
    ASSERT_EQ(parsed.bars.size(), 2u);
    EXPECT_TRUE(parsed.furtherPage);
    EXPECT_EQ(dateOf(parsed.bars[0]), "20050315");
    EXPECT_EQ(parsed.bars[0].close, 1234);
    EXPECT_EQ(parsed.bars[0].open, 1200);
    EXPECT_EQ(parsed.bars[0].volume, 12300);
    EXPECT_EQ(dateOf(parsed.bars[1]), "20050311");
    EXPECT_EQ(parsed.bars[1].open, 1000);  // "-" copies the close
    EXPECT_EQ(parsed.bars[1].high, 1000);
    EXPECT_EQ(parsed.bars[1].low, 990);
    EXPECT_EQ(parsed.bars[1].volume, 0);
    EXPECT_FALSE(parseInfoseekStock(test::sjis(test::infoseekPage(rows, false)), 7203).furtherPage);

    std::string noData = "<p>「7203.t」と一致するデータが見つかりませんでした。</p>\n";
    parsed = parseInfoseekStock(test::sjis(noData), 7203);
    EXPECT_TRUE(parsed.bars.empty());
    EXPECT_EQ(parsed.errorText, "「7203」と一致するデータが見つかりませんでした。");
}

TEST(ForexParser, PointsPaddingAndVolume) {
    std::vector<PageRow> rows = {{"2005/03/15", "105.00", "105.50", "104.90", "105.23", "-", ""}};
    PageParse parsed = parseInfoseekForex(test::sjis(test::forexPage(rows, true)), 1020);
    ASSERT_EQ(parsed.bars.size(), 1u);
    EXPECT_TRUE(parsed.furtherPage);
    EXPECT_EQ(parsed.bars[0].close, 10523);
    EXPECT_EQ(parsed.bars[0].open, 10500);
    EXPECT_EQ(parsed.bars[0].volume, 100000);

    rows = {{"2005/03/15", "1.2", "-", "1.24", "1.25", "", ""},
            {"2005/03/14", "1", "1", "1", "-", "", ""}};
    parsed = parseInfoseekForex(test::sjis(test::forexPage(rows, false)), 1022);
    ASSERT_EQ(parsed.bars.size(), 2u);  // a zero close is kept on forex pages
    EXPECT_FALSE(parsed.furtherPage);
    EXPECT_EQ(parsed.bars[0].close, 12500);
    EXPECT_EQ(parsed.bars[0].open, 12000);
    EXPECT_EQ(parsed.bars[0].high, 12500);
    EXPECT_EQ(parsed.bars[1].close, 0);
}

TEST(YahooUsParser, RowsDatesAndTheNextLink) {
    std::vector<PageRow> rows = {
        {"5-Jan-05", "12.30", "12.50", "12.00", "12.40", "0", ""},
        {"4-Jan-05", "0.00", "1", "1", "1", "5", ""},  // open 0: skipped
        {"31-Dec-98", "10.00", "10.50", "9.50", "10.25", "3,000,000,000", ""},
        {"30-Dec-98", "10.00", "10.50", "9.50", "10.25", "", ""},
    };
    PageParse parsed = parseYahooUS(test::sjis(test::yahooUsPage(rows, true)), 1002);
    ASSERT_EQ(parsed.bars.size(), 3u);
    EXPECT_TRUE(parsed.furtherPage);
    EXPECT_EQ(dateOf(parsed.bars[0]), "20050105");
    EXPECT_EQ(parsed.bars[0].open, 1230);
    EXPECT_EQ(parsed.bars[0].close, 1240);
    EXPECT_EQ(parsed.bars[0].volume, 100000);
    EXPECT_EQ(dateOf(parsed.bars[1]), "19981231");
    EXPECT_EQ(parsed.bars[1].volume, 3000000000LL);
    EXPECT_EQ(parsed.bars[2].volume, 0);
    EXPECT_FALSE(parseYahooUS(test::sjis(test::yahooUsPage(rows, false)), 1002).furtherPage);

    // Without the link after the table the page gives nothing; a link too near
    // the line start ends the walk.
    std::string page = test::yahooUsPage(rows, true);
    EXPECT_TRUE(parseYahooUS(page.substr(0, page.find("<a href")), 1002).bars.empty());
    parsed = parseYahooUS(page.substr(0, page.find("<a href")) + "y\">Next</a>\n", 1002);
    EXPECT_EQ(parsed.bars.size(), 3u);
    EXPECT_FALSE(parsed.furtherPage);

    parsed = parseYahooUS(test::sjis("<p>1002 のデータはありません。</p>\n"), 1002);
    EXPECT_EQ(parsed.errorText, "1002 のデータはありません。");
}

TEST(YahooUsParser, EmptyOpenContinuesOnTheNextLine) {
    std::string page =
        "<table><th>Adj Close*</th><tr><td nowrap align=\"right\">6-Jan-05</td><td "
        "align=\"right\"></td></tr>\n"
        "<tr><td nowrap align=\"right\">5-Jan-05</td><td align=\"right\">1.00</td><td "
        "align=\"right\">2.00</td>"
        "<td align=\"right\">0.50</td><td align=\"right\">1.50</td><td "
        "align=\"right\">7</td></tr>\n"
        "<a href=\"y=66\">Next</a>\n";
    PageParse parsed = parseYahooUS(page, 1002);
    // The scan resumes at the offset reached in the line before, which here is
    // past the next line's row start: nothing more on that line.
    EXPECT_TRUE(parsed.bars.empty());
    page.insert(page.find("<tr><td nowrap align=\"right\">5-Jan"), std::string(80, ' '));
    parsed = parseYahooUS(page, 1002);
    ASSERT_EQ(parsed.bars.size(), 1u);
    EXPECT_EQ(parsed.bars[0].high, 200);
}

DailyBar bar(const char* date, int32_t close, int64_t volume, int16_t split = 0) {
    DailyBar b{};
    setBarDate(b, date);
    b.open = b.high = b.low = b.close = close;
    b.volume = volume;
    b.splitRatio = split;
    return b;
}

TEST(NormaliseBatch, RunningProductOfSplitRatios) {
    // Newest first: a 1:2 split, then further back a 1:3 split.
    std::vector<DailyBar> batch = {bar("20050105", 100, 10), bar("20050104", 1000, 10, 200),
                                   bar("20050103", 1000, 10), bar("20050102", 3000, 10, 300),
                                   bar("20050101", 6000, 10)};
    std::vector<DailyBar> plain = batch;
    EXPECT_TRUE(normaliseBatch(batch, true));
    ASSERT_EQ(batch.size(), 5u);
    EXPECT_EQ(dateOf(batch[0]), "20050101");  // oldest first
    EXPECT_EQ(batch[4].close, 100);           // newer than the mark: unchanged
    EXPECT_EQ(batch[3].close, 500);
    EXPECT_EQ(batch[3].volume, 20);
    EXPECT_EQ(batch[2].close, 500);
    EXPECT_EQ(batch[1].close, 500);  // 3000 / 6
    EXPECT_EQ(batch[1].volume, 60);
    EXPECT_EQ(batch[0].close, 1000);

    // Two marks of 200 divide by 4; without adjustment only the order changes.
    batch = {bar("20050102", 1000, 1, 200), bar("20050101", 4000, 1, 200)};
    normaliseBatch(batch, true);
    EXPECT_EQ(batch[0].close, 1000);
    EXPECT_EQ(batch[0].volume, 4);
    EXPECT_FALSE(normaliseBatch(plain, false));
    EXPECT_EQ(plain[0].close, 6000);
    EXPECT_EQ(plain[4].close, 100);
}

}  // namespace
}  // namespace tav
