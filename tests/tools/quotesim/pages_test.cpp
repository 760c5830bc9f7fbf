// The pages read the way the system's readers take them apart: markers,
// character offsets (Shift-JIS bytes) and line positions, checked here by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "daily_archive.h"
#include "market.h"
#include "page_format.h"
#include "quote_pages.h"
#include "sim_test_market.h"
#include "site_router.h"

namespace tav::quotesim {
namespace {

using test::pageLines;
using test::params;
using test::sjis;
using test::sjisPage;

class PagesTest : public ::testing::Test {
  protected:
    Market market{test::smallMarket()};

    std::vector<std::string> yahooJapan(const std::string& symbol, const std::string& period,
                                        int offset) {
        return pageLines(sjisPage(respond(market, "/t",
                                          params({{"s", symbol},
                                                  {"c", "2004"},
                                                  {"a", "1"},
                                                  {"b", "1"},
                                                  {"f", "2004"},
                                                  {"d", "12"},
                                                  {"e", "31"},
                                                  {"g", period},
                                                  {"y", std::to_string(offset)}}))));
    }
};

// The text from `from` up to the next `end`.
std::string cellAt(const std::string& line, std::size_t from, const std::string& end) {
    std::size_t stop = line.find(end, from);
    return line.substr(from, stop == std::string::npos ? std::string::npos : stop - from);
}

constexpr char kYahooRow[] = "align=right bgcolor=\"#ffffff\"><td>";

std::vector<std::string> yahooRows(const std::vector<std::string>& lines,
                                   std::string* ending = nullptr) {
    std::vector<std::string> rows;
    std::size_t i = 0;
    while (i < lines.size() && !(lines[i].starts_with("<tr bgcolor=") &&
                                 lines[i].find(sjis("始値")) != std::string::npos))
        ++i;
    for (i += 2; i < lines.size() && lines[i].starts_with(kYahooRow); ++i)
        rows.push_back(lines[i]);
    if (ending && i < lines.size()) *ending = lines[i];
    return rows;
}

TEST_F(PagesTest, YahooJapanRowCellsSitAtTheirOffsets) {
    auto rows = yahooRows(yahooJapan("7203.t", "d", 0));
    ASSERT_EQ(rows.size(), 50u);
    const PriceBar& newest = market.find(7203)->bars.back();
    const std::string& row = rows[0];
    ASSERT_EQ(std::string(kYahooRow).size(), 34u);
    std::size_t date = row.find("<small>") + 7;
    EXPECT_EQ(cellAt(row, date, "</small>"), sjis(japaneseDate(newest.date)));
    std::size_t end = row.find("</small>", date);
    std::vector<std::string> prices;
    for (int cell = 0; cell < 3; ++cell) {
        prices.push_back(cellAt(row, end + 24, "</small>"));
        end = row.find("</small>", end + 24);
    }
    EXPECT_EQ(prices, (std::vector<std::string>{withCommas(newest.open), withCommas(newest.high),
                                                withCommas(newest.low)}));
    std::string close = cellAt(row, end + 27, "<");
    EXPECT_EQ(close, withCommas(newest.close));
    std::size_t closeEnd = row.find('<', end + 27);
    EXPECT_EQ(cellAt(row, closeEnd + 28, "<"), withCommas(newest.volume));

    // Index levels show hundredths the readers cut off, and no volume.
    auto index = yahooRows(yahooJapan("998407", "d", 0));
    ASSERT_FALSE(index.empty());
    std::size_t indexEnd = index[0].find("</small>");
    std::string open = cellAt(index[0], indexEnd + 24, "</small>");
    const PriceBar& level = market.find(1010)->bars.back();
    EXPECT_EQ(open.substr(0, open.find('.')), withCommas(level.open));
    EXPECT_EQ(open.size() - open.find('.'), 3u);
}

TEST_F(PagesTest, YahooJapanPagesHoldFiftyRowsAndSayWhenMoreFollow) {
    std::string ending;
    auto first = yahooRows(yahooJapan("7203.t", "d", 0), &ending);
    EXPECT_EQ(first.size(), 50u);
    EXPECT_NE(ending.find(sjis("次の")), std::string::npos);
    EXPECT_NE(ending.find(sjis("件")), std::string::npos);
    EXPECT_NE(ending.find("&y=50&"), std::string::npos);

    auto last = yahooRows(yahooJapan("7203.t", "d", 100), &ending);
    EXPECT_EQ(last.size(), 30u);  // 130 days
    EXPECT_EQ(ending.find(sjis("次の")), std::string::npos);
    EXPECT_TRUE(ending.starts_with("</table>"));

    // Weeks carry their first trading day, newest first, Mondays here.
    auto weeks = yahooRows(yahooJapan("7203.t", "w", 0));
    ASSERT_GE(weeks.size(), 2u);
    int32_t newestDay = market.find(7203)->bars.back().date;
    int32_t monday = dateOfDay(dayNumber(newestDay) - (weekday(newestDay) + 6) % 7);
    EXPECT_NE(weeks[0].find(sjis(japaneseDate(monday))), std::string::npos);
    auto months = yahooRows(yahooJapan("7203.t", "m", 0));
    EXPECT_EQ(months.size(), 7u);  // January to early July
    EXPECT_NE(months[0].find(sjis("2004年7月1日")), std::string::npos);
}

TEST_F(PagesTest, YahooJapanSplitTextSitsWhereTheReadersPlaceTheMark) {
    const SimulatedSecurity& stock = *market.find(7203);
    int32_t splitDay = stock.splits[0].date;
    std::string mark = sjis("分割:");
    auto rowsWithMark = [&](const std::vector<std::string>& rows) {
        std::vector<std::size_t> found;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].find(mark) != std::string::npos) found.push_back(i);
        return found;
    };
    // Daily: on the split day's own row (the next, older row gets the mark).
    auto daily = yahooRows(yahooJapan("7203.t", "d", 0));
    auto marked = rowsWithMark(daily);
    ASSERT_EQ(marked.size(), 1u);
    const std::string& row = daily[marked[0]];
    EXPECT_NE(row.find(sjis(japaneseDate(splitDay)) + "</small>"), std::string::npos);
    std::size_t at = row.find(mark);
    EXPECT_EQ(cellAt(row, at + 6, sjis("株")), "1");
    std::size_t shares = row.find(sjis("株"), at);
    EXPECT_EQ(cellAt(row, shares + 6, sjis("株")), "2");
    std::size_t font = row.find("<font size=-1>");
    EXPECT_EQ(cellAt(row, font + 14, "</font>"), sjis(japaneseDate(splitDay)));

    // Weekly: on the week after the split's week, so that the mark moves past
    // the mixed week to the last week wholly before the split.
    auto weekly = yahooRows(yahooJapan("7203.t", "w", 0));
    auto weeks = periodBars(stock.bars, PeriodMode::Weekly);
    std::size_t splitWeek = 0;
    while (splitWeek + 1 < weeks.size() && weeks[splitWeek + 1].date <= splitDay)
        ++splitWeek;
    marked = rowsWithMark(weekly);
    ASSERT_EQ(marked.size(), 1u);
    EXPECT_EQ(marked[0], weeks.size() - 1 - (splitWeek + 1));
}

TEST_F(PagesTest, InfoseekStockRowsAndTheEighthLineAfterTheTable) {
    auto page = [&](const std::string& symbol, int st) {
        return pageLines(sjisPage(respond(market, "/MnStock/mn_slast.html",
                                          params({{"qt", symbol},
                                                  {"sy", "2004"},
                                                  {"sm", "1"},
                                                  {"sd", "1"},
                                                  {"ey", "2004"},
                                                  {"em", "12"},
                                                  {"ed", "31"},
                                                  {"k", "d"},
                                                  {"st", std::to_string(st)}}))));
    };
    auto lines = page("4779.q", 0);
    auto header = std::find(lines.begin(), lines.end(), sjis("    <th>出来高</th>"));
    ASSERT_NE(header, lines.end());
    const std::string rowStart = std::string(12, ' ') + "<tr align=\"right\" bgcolor=";
    auto row = std::find_if(header, lines.end(),
                            [&](const std::string& l) { return l.starts_with(rowStart); });
    ASSERT_NE(row, lines.end());
    const PriceBar& newest = market.find(4779)->bars.back();
    auto cell = [](const std::string& line) { return cellAt(line, line.find('>') + 1, "<"); };
    EXPECT_EQ(cell(row[1]), slashDate(newest.date));
    EXPECT_EQ(cell(row[2]), withCommas(newest.close));
    EXPECT_EQ(cell(row[3]), withCommas(newest.open));
    EXPECT_EQ(cell(row[6]), withCommas(newest.volume));

    auto eighthAfterTable = [&](const std::vector<std::string>& page) {
        auto end = std::find_if(page.begin(), page.end(),
                                [](const std::string& l) { return l.starts_with("    </table>"); });
        EXPECT_GT(page.end() - end, 8);
        EXPECT_EQ(end[7].find("/MnStock/mn_slast.html"), std::string::npos);
        return end[8];
    };
    EXPECT_NE(eighthAfterTable(lines).find("/MnStock/mn_slast.html"), std::string::npos);
    EXPECT_EQ(eighthAfterTable(page("4779.q", 100)).find("/MnStock/mn_slast.html"),
              std::string::npos);
    // The Yahoo! Japan suffix is not this site's symbol for a ヘラクレス stock.
    auto wrong = sjisPage(respond(market, "/MnStock/mn_slast.html",
                                  params({{"qt", "4779.j"},
                                          {"sy", "2004"},
                                          {"sm", "1"},
                                          {"sd", "1"},
                                          {"ey", "2004"},
                                          {"em", "12"},
                                          {"ed", "31"},
                                          {"k", "d"}})));
    EXPECT_NE(wrong.find(sjis("と一致するデータが見つかりませんでした。")), std::string::npos);
}

TEST_F(PagesTest, InfoseekForexRowsAndTheLinkAfterTheDashLine) {
    auto lines = pageLines(sjisPage(respond(market, "/MnForex/fxlast.html",
                                            params({{"fx", "F2001"},
                                                    {"sy", "2004"},
                                                    {"sm", "1"},
                                                    {"sd", "1"},
                                                    {"ey", "2004"},
                                                    {"em", "12"},
                                                    {"ed", "31"},
                                                    {"k", "d"}}))));
    auto header = std::find(lines.begin(), lines.end(), sjis("<th>安値</th>"));
    ASSERT_NE(header, lines.end());
    auto row = std::find_if(header, lines.end(), [](const std::string& l) {
        return l.starts_with("<tr align=\"right\" bgcolor=");
    });
    ASSERT_NE(row, lines.end());
    // Euro/dollar rates show four decimals; points removed they are the stored value.
    const PriceBar& newest = market.find(1022)->bars.back();
    EXPECT_EQ(row[2], "<td>" + decimalText(newest.close, 4, false) + "</td>");
    EXPECT_EQ(row[2].find('.'), 5u);
    auto dash =
        std::find_if(row, lines.end(), [](const std::string& l) { return l.starts_with("-"); });
    ASSERT_NE(dash, lines.end());
    ASSERT_NE(dash + 1, lines.end());
    EXPECT_NE(dash[1].find("/MnForex/fxlast.html"), std::string::npos);
    EXPECT_NE(dash[1].find("st=50"), std::string::npos);
}

TEST_F(PagesTest, YahooUsRowsShareTheHeaderLineAndNextCarriesTheOffset) {
    auto page = [&](int y) {
        return pageLines(sjisPage(respond(market, "/q/hp",
                                          params({{"s", "AAPL"},
                                                  {"a", "00"},
                                                  {"b", "1"},
                                                  {"c", "2004"},
                                                  {"d", "11"},
                                                  {"e", "31"},
                                                  {"f", "2004"},
                                                  {"g", "d"},
                                                  {"z", "66"},
                                                  {"y", std::to_string(y)}}))));
    };
    auto nextOffset = [](const std::vector<std::string>& lines) {
        for (const auto& line : lines) {
            std::size_t next = line.find(">Next<");
            if (next != std::string::npos && next > 7) return line.substr(next - 7, 6);
        }
        return std::string("missing");
    };
    auto lines = page(0);
    auto table = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find("Adj Close*") != std::string::npos;
    });
    ASSERT_NE(table, lines.end());
    std::size_t rows = 0;
    for (std::size_t at = table->find("nowrap align"); at != std::string::npos;
         at = table->find("nowrap align", at + 1))
        ++rows;
    EXPECT_EQ(rows, 66u);
    std::size_t first = table->find("nowrap align");
    std::size_t date = table->find('>', first) + 1;
    const PriceBar& newest = market.find(10101)->bars.back();
    EXPECT_EQ(cellAt(*table, date, "<"), usDate(newest.date));
    std::size_t open = table->find('>', table->find("align", date)) + 1;
    EXPECT_EQ(cellAt(*table, open, "<"), decimalText(newest.open, 2, true));
    EXPECT_EQ(nextOffset(lines), "6&y=66");     // the href ends "z=66&y=66"
    EXPECT_EQ(nextOffset(page(66)), "999999");  // 130 rows: the second page is the last
}

TEST_F(PagesTest, NoDataPagesNameTheCode) {
    auto yahoo = sjisPage(respond(market, "/t",
                                  params({{"s", "998407"},
                                          {"c", "1990"},
                                          {"a", "1"},
                                          {"b", "1"},
                                          {"f", "1990"},
                                          {"d", "12"},
                                          {"e", "31"},
                                          {"g", "d"}})));
    EXPECT_NE(yahoo.find(sjis("1010 のデータはありません。")), std::string::npos);
    EXPECT_NE(yahoo.find(sjis("998407 のデータはありません。")), std::string::npos);
    // A wrong market suffix is another symbol: no data.
    auto wrong = sjisPage(respond(market, "/t",
                                  params({{"s", "7203.o"},
                                          {"c", "2004"},
                                          {"a", "1"},
                                          {"b", "1"},
                                          {"f", "2004"},
                                          {"d", "12"},
                                          {"e", "31"},
                                          {"g", "d"}})));
    EXPECT_NE(wrong.find(sjis("7203 のデータはありません。")), std::string::npos);
    auto us = sjisPage(respond(market, "/q/hp",
                               params({{"s", "AAPL"},
                                       {"a", "00"},
                                       {"b", "1"},
                                       {"c", "1990"},
                                       {"d", "00"},
                                       {"e", "31"},
                                       {"f", "1990"},
                                       {"g", "d"}})));
    EXPECT_NE(us.find(sjis("10101 のデータはありません。")), std::string::npos);
}

TEST_F(PagesTest, QuoteValuesFollowTheirLabelsByFourCharacters) {
    auto lines = pageLines(sjisPage(respond(market, "/q", params({{"s", "7203.t"}, {"d", "t"}}))));
    auto quote = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.substr(0, 10) == "<tr align=" && l.find(sjis("取引値")) != std::string::npos;
    });
    ASSERT_NE(quote, lines.end());
    auto value = [&](const std::string& label, std::size_t offset) {
        std::size_t at = quote->find(sjis(label));
        return at == std::string::npos ? std::string("missing") : cellAt(*quote, at + offset, "<");
    };
    const PriceBar& last = market.find(7203)->bars.back();
    EXPECT_EQ(value("始値", 8), withCommas(last.open));
    EXPECT_EQ(value("高値", 8), withCommas(last.high));
    EXPECT_EQ(value("安値", 8), withCommas(last.low));
    EXPECT_EQ(value("出来高", 10), withCommas(last.volume));
    std::size_t price = quote->find("<b>", quote->find(sjis("取引値")));
    EXPECT_EQ(cellAt(*quote, price + 3, "<"), withCommas(last.close));
    const std::pair<const char*, std::size_t> texts[] = {
        {"時価総額", 12},     {"発行済株式数", 16},   {"配当利回り", 14},   {"1株配当", 11},
        {"株価収益率", 14},   {"1株利益", 11},        {"純資産倍率", 14},   {"1株株主資本", 15},
        {"株主資本比率", 16}, {"株主資本利益率", 18}, {"総資産利益率", 16}, {"調整1株益", 13},
        {"決算年月", 12}};
    for (const auto& [label, offset] : texts) {
        std::string text = value(label, offset);
        EXPECT_FALSE(text.empty()) << label;
        EXPECT_LT(text.size(), 20u) << label;  // the record keeps 19 bytes
        EXPECT_EQ(text.find('>'), std::string::npos) << label;
    }
}

TEST_F(PagesTest, MarginPagesOfBothSites) {
    auto yahoo = pageLines(sjisPage(respond(market, "/bt",
                                            params({{"s", "7203.t"},
                                                    {"a", "1"},
                                                    {"b", "1"},
                                                    {"c", "2004"},
                                                    {"d", "12"},
                                                    {"e", "31"},
                                                    {"f", "2004"}}))));
    auto header = std::find_if(yahoo.begin(), yahoo.end(), [](const std::string& l) {
        return l.find("<th><small>") != std::string::npos &&
               l.find(sjis("売残")) != std::string::npos;
    });
    ASSERT_GT(yahoo.end() - header, 6);
    EXPECT_NE(header[1].find(sjis("買残")), std::string::npos);
    EXPECT_NE(header[2].find(sjis("信用倍率")), std::string::npos);
    const std::string& row = header[5];
    ASSERT_TRUE(row.starts_with("align=right  bgcolor="));
    std::size_t date = row.find("<small>") + 7;
    std::size_t dateEnd = row.find("</small>", date);
    auto weeks = marginRows(*market.find(7203), 20040101, 20041231);
    ASSERT_GT(weeks.size(), 20u);
    EXPECT_EQ(row.substr(date, dateEnd - date), sjis(japaneseDate(weeks[0].date)));
    EXPECT_EQ(cellAt(row, dateEnd + 24, "</small>"), withCommas(weeks[0].sell));
    EXPECT_EQ(weekday(weeks[0].date), 5);  // a week's balance is that of its Friday

    auto infoseek = pageLines(sjisPage(respond(market, "/MnStock",
                                               params({{"pg", "mn_smargin.html"},
                                                       {"sv", "MN"},
                                                       {"qt", "7203.t"},
                                                       {"sy", "2004"},
                                                       {"sm", "1"},
                                                       {"sd", "1"},
                                                       {"ey", "2004"},
                                                       {"em", "12"},
                                                       {"ed", "31"}}))));
    auto head = std::find_if(infoseek.begin(), infoseek.end(), [](const std::string& l) {
        return l.substr(0, 10).find("<th ") != std::string::npos &&
               l.find(sjis("信用売残")) != std::string::npos;
    });
    ASSERT_GT(infoseek.end() - head, 9);
    EXPECT_NE(head[1].find(sjis("信用買残")), std::string::npos);
    EXPECT_NE(head[2].find(sjis("貸借倍率")), std::string::npos);
    EXPECT_NE(head[3].find("</tr>"), std::string::npos);
    EXPECT_NE(head[4].find("<tr "), std::string::npos);
    EXPECT_EQ(cellAt(head[5], head[5].find("center") + 8, "</td>"), dashDate(weeks[0].date));
    EXPECT_EQ(cellAt(head[7], head[7].find("<td>") + 4, "</td>"), withCommas(weeks[0].buy));

    // An index has no balances: no table.
    auto none =
        sjisPage(respond(market, "/bt", params({{"s", "998407"}, {"c", "2004"}, {"f", "2004"}})));
    EXPECT_EQ(none.find(sjis("売残")), std::string::npos);
}

TEST_F(PagesTest, RankingRowsGiveTheCodeBeforeTheClosingAnchor) {
    auto lines = pageLines(
        sjisPage(respond(market, "/ranking/search",
                         params({{"kd", "1"}, {"mk", "11"}, {"mk", "A1"}, {"tm", "day"}}))));
    auto start = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find(sjis("関連情報")) != std::string::npos;
    });
    ASSERT_NE(start, lines.end());
    std::vector<std::string> codes;
    for (auto line = start; line != lines.end(); ++line) {
        if (line->find("<tr>") == std::string::npos || lines.end() - line < 3) continue;
        std::size_t anchor = line[2].find("</a>");
        if (anchor != std::string::npos) codes.push_back(line[2].substr(anchor - 4, 4));
    }
    // Both stocks rise steadily; the cheaper one rises faster.
    EXPECT_EQ(codes, (std::vector<std::string>{"4779", "7203"}));
    auto tokyoOnly = sjisPage(
        respond(market, "/ranking/search", params({{"kd", "2"}, {"mk", "11"}, {"tm", "week"}})));
    EXPECT_EQ(tokyoOnly.find(">4779</a>"), std::string::npos);
    auto unknownKind =
        sjisPage(respond(market, "/ranking/search", params({{"kd", "27"}, {"mk", "11"}})));
    EXPECT_EQ(unknownKind.find(sjis("関連情報")), std::string::npos);
}

TEST_F(PagesTest, DailyCsvMapsTheIndexCodesAndKeepsStockLinesAsStored) {
    int32_t day = market.find(7203)->bars.back().date;
    std::string csv = dayCsv(market, day);
    auto lines = pageLines(csv);
    ASSERT_EQ(lines.size(), 3u);  // 1010, 4779, 7203; no currency or US lines
    const PriceBar& level = market.find(1010)->bars.back();
    const PriceBar& stock = market.find(7203)->bars.back();
    EXPECT_TRUE(lines[0].starts_with(slashDate(day) + ",1001," + sjis("日経平均株価") + "," +
                                     std::to_string(level.open) + "."));
    std::string volume = lines[0].substr(lines[0].rfind(',') + 1);
    EXPECT_EQ(volume.substr(0, volume.size() - 4), std::to_string(level.volume));
    EXPECT_EQ(lines[2], slashDate(day) + ",7203," + sjis("トヨタ自動車") + "," +
                            std::to_string(stock.open) + "," + std::to_string(stock.high) + "," +
                            std::to_string(stock.low) + "," + std::to_string(stock.close) + "," +
                            std::to_string(stock.volume));

    int32_t saturday = dateOfDay(dayNumber(day) + (6 - weekday(day)));
    for (const std::string& path :
         {"/data" + std::to_string(saturday / 10000) + "/" + std::to_string(saturday) + ".LZH"}) {
        SiteResponse missing = respond(market, path, {});
        EXPECT_EQ(missing.status, 404);
        EXPECT_NE(missing.body.find(sjis("ページが見つかりません")), std::string::npos);
    }
    std::string name = std::to_string(day) + ".LZH";
    std::string year = std::to_string(day / 10000);
    for (const std::string& path :
         {"/data" + year + "/" + name, "/data/" + year + "/" + name, "/data/" + name,
          "/data" + year + "/" + std::to_string(day) + ".lzh"})
        EXPECT_EQ(respond(market, path, {}).status, 200) << path;
    EXPECT_EQ(respond(market, "/data1999/" + name, {}).status, 404);
}

}  // namespace
}  // namespace tav::quotesim
