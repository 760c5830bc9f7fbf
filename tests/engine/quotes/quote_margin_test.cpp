#include <gtest/gtest.h>

#include "quote_pages.h"
#include "quotes/margin_pages.h"
#include "quotes/quote_page.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/quotes.h"

namespace tav {
namespace {

// marker, then filler up to `offset` bytes from the marker's start, then the value.
std::string field(const std::string& marker, std::size_t offset, const std::string& value) {
    std::size_t length = text::sjisLength(marker);
    return marker + std::string(offset - length, '-') + value + "</td>";
}

std::string quotePage(bool withFigures) {
    std::string page = "<html>\n<tr align=\"center\"><td>取引値</td><td><b>1,234</b></td>" +
                       field("出来高", 10, "3,000,000,000") + field("時価総額", 12, "1,000億円") +
                       "</tr>\n";
    if (!withFigures) return page + "</html>\n";
    page += "<tr align=\"left\">" + field("始値", 8, "1,200") + field("高値", 8, "1,250") +
            field("安値", 8, "1,190");
    for (const auto& f : kQuoteTextFields)
        page += field(std::string(f.marker), f.offset, std::string(f.label) + "の値");
    return page + "</tr>\n</html>\n";
}

TEST(QuotePage, PricesAndFigures) {
    auto record = parseQuotePage(test::sjis(quotePage(true)), true);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->price, 1234);
    EXPECT_EQ(record->volume, 3000000000LL);
    EXPECT_EQ(record->open, 1200);
    EXPECT_EQ(record->high, 1250);
    EXPECT_EQ(record->low, 1190);
    EXPECT_EQ(record->texts[0], "1,000億円");
    EXPECT_EQ(record->texts[1], "");  // prices only

    record = parseQuotePage(test::sjis(quotePage(true)), false);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->texts[0], "時価総額の値");
    EXPECT_EQ(record->texts[4], "株価収益率の値");
    EXPECT_EQ(record->texts[12], "決算年月の値");

    // Texts keep 19 bytes, never cut inside a character.
    std::string page = quotePage(true);
    page.replace(page.find("決算年月の値"), std::string("決算年月の値").size(),
                 "2005年3月期（連結決算）");
    record = parseQuotePage(test::sjis(page), false);
    EXPECT_EQ(record->texts[12], "2005年3月期（連結決");

    // The page ends before the open/low line: the price line suffices.
    record = parseQuotePage(test::sjis(quotePage(false)), false);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->price, 1234);
    EXPECT_EQ(record->open, 0);
    EXPECT_FALSE(parseQuotePage(test::sjis("<html>\n<tr><td>取引値</td></tr>\n"), false));
}

std::string yahooMarginPage(int rows) {
    std::string page =
        "<table>\n<tr><th><small>日付</small></th><th><small>売残</small></th>\n"
        "<th><small>買残</small></th>\n<th><small>信用倍率</small></th></tr>\n<tr>\n<tr\n";
    for (int i = 0; i < rows; ++i)
        page +=
            "align=right  bgcolor=\"#ffffff\"><td><small>2005年3月" + std::to_string(28 - i % 28) +
            "日</small></td><td><small>12,3" + std::to_string(i % 10) +
            "0</small></td><td><small>45,600</small></td><td><small>3.71</small></td></tr><tr\n";
    return page + "></table>\n";
}

std::string infoseekMarginPage(int rows) {
    std::string page =
        "<table>\n<tr><th class=\"h\">日付</th><th>信用売残</th>\n<th>信用買残</th>\n"
        "<th>貸借倍率</th>\n";
    for (int i = 0; i < rows; ++i)
        page += "</tr>\n<tr class=\"r\">\n<td align=\"center\">2005-03-" +
                std::to_string(10 + i % 18) +
                "</td>\n<td>1,000</td>\n<td>2,500</td>\n<td>2.50</td>\n";
    return page + "</tr>\n</table>\n";
}

TEST(MarginPages, BothTablesAtMostFiftyRows) {
    auto records = parseYahooMargin(test::sjis(yahooMarginPage(3)));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].dateText, "2005年3月28日");
    EXPECT_EQ(records[0].date, "20050328");
    EXPECT_EQ(records[1].sellText, "12,310");
    EXPECT_EQ(records[1].sell, 12310);
    EXPECT_EQ(records[0].buy, 45600);
    EXPECT_DOUBLE_EQ(records[0].ratio, 3.71);
    EXPECT_EQ(parseYahooMargin(test::sjis(yahooMarginPage(60))).size(), 50u);

    records = parseInfoseekMargin(test::sjis(infoseekMarginPage(2)));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].dateText, "2005-03-11");
    EXPECT_EQ(records[1].date, "20050311");
    EXPECT_EQ(records[1].sell, 1000);
    EXPECT_EQ(records[1].buyText, "2,500");
    EXPECT_EQ(parseInfoseekMargin(test::sjis(infoseekMarginPage(55))).size(), 50u);
    EXPECT_TRUE(parseInfoseekMargin("<table>\n<tr><td>x</td></tr>\n").empty());
}

TEST(MarginPages, BalancesGoOnTheirDaysAndCarryForward) {
    std::vector<DailyBar> bars(6);
    const char* dates[] = {"20050301", "20050302", "20050303", "20050304", "20050304", "20050307"};
    for (int i = 0; i < 6; ++i)
        setBarDate(bars[i], dates[i]);
    std::vector<MarginRecord> records(4);
    records[0] = {"a", "", "", "", "20050302", 10, 20, 0};
    records[1] = {"b", "", "", "", "20050304", 0, 40, 0};
    records[2] = {"c", "", "", "", "20050305", 99, 99, 0};  // not in the series
    records[3] = {"", "", "", "", "20050301", 77, 77, 0};   // no date text: the list ends
    applyMarginBalances(bars, records);
    int sells[] = {0, 10, 10, 10, 10, 10};
    int buys[] = {0, 20, 20, 20, 40, 40};  // the newest bar of a date gets the balance
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(bars[i].marginSell, sells[i]) << i;
        EXPECT_EQ(bars[i].marginBuy, buys[i]) << i;
    }
}

class QuoteAndMarginFetch : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(temp / "Stock.lst", test::sjis("7203,トヨタ自動車,東証1部,100,-\n"));
        test::writeFile(temp / "Endpoints.lst", Endpoints::fileTextForHost(server.host()));
    }
    std::string body;
    test::QuoteServer server{[this](const httplib::Request&, httplib::Response& response) {
        response.set_content(body, "text/html");
    }};
    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
};

TEST_F(QuoteAndMarginFetch, QuoteOfTheIndexAndNoneForCurrencies) {
    body = test::euc(quotePage(true));
    auto record = fetchQuote(workspace, 1010, false);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->price, 1234);
    EXPECT_EQ(record->texts[12], "決算年月の値");
    EXPECT_EQ(server.targets(), std::vector<std::string>{"/q?s=998407&d=t"});
    EXPECT_FALSE(fetchQuote(workspace, 1020, true));
    EXPECT_FALSE(fetchQuote(workspace, 10001, true));
    EXPECT_EQ(server.targets().size(), 1u);
}

TEST_F(QuoteAndMarginFetch, MarginPagesOfTheLastYear) {
    body = test::euc(yahooMarginPage(2));
    auto records = fetchMarginTable(workspace, 7203);
    EXPECT_EQ(records.size(), 2u);
    EXPECT_EQ(server.targets().back(), "/bt?s=7203.t&a=6&b=14&c=2023&d=6&e=14&f=2024&g=d");

    workspace.options().quoteSource = 1;
    body = test::euc(infoseekMarginPage(1));
    records = fetchMarginTable(workspace, 7203);
    EXPECT_EQ(records.size(), 1u);
    EXPECT_EQ(server.targets().back(),
              "/MnStock?pg=mn_smargin.html&sv=MN&qt=7203.t&sy=2023&sm=6&sd=14&ey=2024&em=6&ed=14");
    EXPECT_TRUE(tools.prompter.messages().empty());

    body = "<html>\n</html>\n";
    EXPECT_TRUE(fetchMarginTable(workspace, 7203).empty());
    ASSERT_EQ(tools.prompter.calls.size() > 0, true);
    EXPECT_EQ(tools.prompter.messages(),
              std::vector<std::string>{"信用取組情報は存在していません。"});
    EXPECT_EQ(tools.prompter.calls.back().icon, MessageIcon::Stop);
}

TEST(QuoteFetchSpeed, AQuoteFromADrippingServerEndsAtTheSpeedWindow) {
    using namespace std::chrono_literals;
    test::TempFolder temp;
    test::writeFile(temp / "Stock.lst", test::sjis("7203,トヨタ自動車,東証1部,100,-\n"));
    const std::string page = test::euc(quotePage(false));
    test::QuoteServer drip{[&](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(page.size(), "text/html",
                                      [&](size_t offset, size_t, httplib::DataSink& sink) {
                                          std::this_thread::sleep_for(1s);
                                          return sink.write(page.data() + offset, 1);
                                      });
    }};
    test::writeFile(temp / "Endpoints.lst", Endpoints::fileTextForHost(drip.host()));
    // The window shortened from its 20 s so that the test takes seconds.
    CurlHttp::Timeouts timeouts;
    timeouts.lowSpeedTime = 2s;
    CurlHttp http(timeouts);
    test::TestPlatform tools;
    Workspace workspace{
        ProgramFolder(temp.str()),
        Platform{tools.prompter, http, tools.lzh, tools.shell, tools.clock, tools.clipboard}};
    std::string failure;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(fetchQuote(workspace, 7203, false, &failure));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 6s);
    EXPECT_EQ(failure, "ＹＡＨＯＯのページを開けません。");
}

}  // namespace
}  // namespace tav
