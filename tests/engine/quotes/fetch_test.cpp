#include <gtest/gtest.h>

#include "quote_pages.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/quotes.h"

namespace tav {
namespace {

using test::PageRow;

PageRow row(const std::string& date, int close) {
    std::string price = std::to_string(close);
    return {date, price, price, price, price, "1000", ""};
}

// A program folder whose endpoints all point at a local server.
class QuoteFetch : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(temp / "Stock.lst", test::sjis("7203,トヨタ自動車,東証1部,100,-\n"
                                                       "2150,ヘラクレス銘柄,ヘラクレス,100,-\n"
                                                       "3150,ジャスダック銘柄,JASDAQ,100,-\n"
                                                       "10001,Apple,東証,1,AAPL\n"
                                                       "1003,Dow,東証,1,^DJI\n"));
        test::writeFile(temp / "Endpoints.lst", Endpoints::fileTextForHost(server.host()));
    }

    std::vector<std::string> targets() { return server.targets(); }
    std::string dates() {
        std::string text;
        for (const DailyBar& bar : workspace.series().bars)
            text += std::string(bar.dateText()) + " ";
        return text;
    }

    // Serves pages[n] for page n of any history request (by its row offset).
    std::vector<std::string> pages;
    std::function<void(const httplib::Request&, httplib::Response&)> special;
    test::QuoteServer server{[this](const httplib::Request& request, httplib::Response& response) {
        if (special) return special(request, response);
        int offset = 0;
        for (const char* key : {"y", "st"})
            if (request.has_param(key)) offset = std::stoi(request.get_param_value(key));
        std::size_t page = offset % 66 == 0 && request.path == "/q/hp" ? offset / 66 : offset / 50;
        if (page < pages.size())
            response.set_content(pages[page], "text/html");
        else
            response.status = 404;
    }};
    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
};

TEST_F(QuoteFetch, IndexFetchWalksThePagesOfTheSpanOldestFirst) {
    pages = {
        test::euc(test::yahooJapanPage({row("2005年3月15日", 3), row("2005年3月14日", 2)}, true)),
        test::euc(test::yahooJapanPage({row("2005年3月11日", 1)}, false))};
    fetchSpan(workspace, 1010, "20050315", 1, 2, 300);
    EXPECT_EQ(targets(),
              (std::vector<std::string>{
                  "/t?c=2004&a=1&b=15&f=2005&d=3&e=15&g=d&s=998407&y=0&z=",
                  "/t?s=998407&a=1&b=15&c=2004&d=3&e=15&f=2005&g=d&q=t&y=50&z=998407&x=.csv"}));
    EXPECT_EQ(dates(), "20050311 20050314 20050315 ");
    EXPECT_EQ(workspace.series().code, 1010);
    EXPECT_EQ(workspace.series().cursor, 2);
    EXPECT_EQ(workspace.series().bars[0].volume, 0);  // index: placeholder rule
    EXPECT_EQ(tools.prompter.progressValues, (std::vector<int>{0, 16}));

    // The Infoseek source names the index by its own symbol.
    workspace.options().quoteSource = 1;
    pages = {test::euc(test::infoseekPage({{"2005/03/15", "1", "1", "1", "1", "0", ""}}, false))};
    fetchSpan(workspace, 1010, "20050315", 1, 2, 300);
    EXPECT_EQ(targets().back(),
              "/MnStock/mn_slast.html?qt=100000018.i&sy=2004&sm=1&sd=15&ey=2005&em=3&ed=15&k=d");
    EXPECT_EQ(dates(), "20050315 ");
    EXPECT_EQ(workspace.series().bars[0].volume, 100000);
}

TEST_F(QuoteFetch, MarketSuffixesOfBothSources) {
    pages = {test::euc(test::yahooJapanPage({row("2005年3月15日", 3)}, false))};
    for (StockCode code : {2150, 3150, 7203})
        fetchSpan(workspace, code, "20050315", 0, 1, 18);
    workspace.options().quoteSource = 1;
    for (StockCode code : {2150, 3150})
        fetchSpan(workspace, code, "20050315", 0, 1, 18);
    auto sent = targets();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_NE(sent[0].find("&s=2150.j&"), std::string::npos) << sent[0];
    EXPECT_NE(sent[1].find("&s=3150.q&"), std::string::npos) << sent[1];
    EXPECT_NE(sent[2].find("&s=7203.t&"), std::string::npos) << sent[2];
    EXPECT_NE(sent[3].find("?qt=2150.q&"), std::string::npos) << sent[3];
    EXPECT_NE(sent[4].find("?qt=3150.j&"), std::string::npos) << sent[4];
}

TEST_F(QuoteFetch, ForexAndUsPagesAreDailyOnly) {
    workspace.periodMode = PeriodMode::Weekly;
    EXPECT_FALSE(fetchSpan(workspace, 1021, "20050315", 1, 0, 44).adjusted);
    EXPECT_TRUE(workspace.series().empty());
    EXPECT_TRUE(targets().empty());

    workspace.periodMode = PeriodMode::Daily;
    pages = {
        test::euc(test::forexPage({{"2005/03/15", "1.2", "1.3", "1.1", "1.25", "", ""}}, false))};
    fetchSpan(workspace, 1022, "20050315", 0, 3, 54);
    EXPECT_EQ(targets().back(),
              "/MnForex/fxlast.html?fx=F2001&sy=2004&sm=12&sd=15&ey=2005&em=3&ed=15&k=d");
    ASSERT_EQ(workspace.series().count(), 1);
    EXPECT_EQ(workspace.series().bars[0].close, 12500);

    pages = {test::euc(
                 test::yahooUsPage({{"15-Mar-05", "1.00", "1.00", "1.00", "1.00", "9", ""}}, true)),
             test::euc(test::yahooUsPage({{"14-Mar-05", "1.00", "1.00", "1.00", "1.00", "9", ""}},
                                         false))};
    fetchSpan(workspace, 1003, "20050315", 1, 0, 230);
    auto sent = targets();
    EXPECT_EQ(sent[sent.size() - 2], "/q/hp?s=%5EDJI&a=02&b=15&c=2004&d=02&e=15&f=2005&g=d");
    EXPECT_EQ(sent.back(), "/q/hp?s=%5EDJI&a=02&b=15&c=2004&d=02&e=15&f=2005&g=d&z=66&y=66");
    EXPECT_EQ(dates(), "20050314 20050315 ");
}

TEST_F(QuoteFetch, OversizedPageEndsTheFetchKeepingEarlierPages) {
    pages = {test::euc(test::yahooJapanPage({row("2005年3月15日", 3)}, true)),
             test::euc(test::yahooJapanPage({row("2005年3月14日", 2)}, true)),
             std::string(65536, 'x')};
    fetchSpan(workspace, 7203, "20050315", 1, 0, 230);
    EXPECT_EQ(dates(), "20050314 20050315 ");
    EXPECT_EQ(tools.prompter.messages(), std::vector<std::string>{"バッファオーバーフロー。"});
    EXPECT_EQ(targets().size(), 3u);

    // 65535 bytes still fit with the terminating zero.
    tools.prompter.calls.clear();
    pages[2] = std::string(65535, 'x');
    fetchSpan(workspace, 7203, "20050315", 1, 0, 230);
    EXPECT_EQ(dates(), "20050314 20050315 ");
    EXPECT_TRUE(tools.prompter.messages().empty());
}

TEST_F(QuoteFetch, FailedPagesAndNoDataLeaveTheirText) {
    pages = {test::euc(test::yahooJapanPage({row("2005年3月15日", 3)}, true))};
    std::string truncated = test::euc(test::yahooJapanPage({row("2005年3月14日", 2)}, false));
    special = [&](const httplib::Request& request, httplib::Response& response) {
        if (!request.has_param("y") || request.get_param_value("y") == "0") {
            response.set_content(pages[0], "text/html");
            return;
        }
        // Promises more than it sends, then drops the connection.
        response.set_content_provider(truncated.size() + 100, "text/html",
                                      [&](size_t, size_t, httplib::DataSink& sink) {
                                          sink.write(truncated.data(), truncated.size());
                                          return false;
                                      });
    };
    EXPECT_EQ(fetchSpan(workspace, 7203, "20050315", 1, 0, 230).failure,
              "ＹＡＨＯＯのページを開けません。");
    EXPECT_EQ(dates(), "20050315 ");

    special = nullptr;
    pages = {test::euc("<html>\n<p>7203 のデータはありません。</p>\n</html>\n")};
    EXPECT_EQ(fetchSpan(workspace, 7203, "20050315", 1, 0, 230).failure,
              "7203 のデータはありません。");
    EXPECT_TRUE(workspace.series().empty());

    // Nothing listens at the configured host.
    test::writeFile(temp / "Endpoints.lst",
                    "infoseek,http://127.0.0.1:1\nyahoo-jp,http://127.0.0.1:1\n");
    EXPECT_EQ(fetchSpan(workspace, 7203, "20050315", 1, 0, 230).failure,
              "ＹＡＨＯＯのページを開けません。");
    // A failure belongs to its own fetch, never to the next one.
    EXPECT_EQ(fetchSince(workspace, 7203, DailyBar{}).failure, "ＹＡＨＯＯのページを開けません。");
    workspace.options().quoteSource = 1;
    EXPECT_EQ(fetchSpan(workspace, 7203, "20050315", 1, 0, 230).failure,
              "infoseekのページを開けません。");
}

TEST_F(QuoteFetch, ServerThatRepeatsItsPageEndsTheWalk) {
    pages = {
        test::euc(test::yahooJapanPage({row("2005年3月15日", 3), row("2005年3月14日", 2)}, true))};
    special = [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(pages[0], "text/html");
    };
    fetchSpan(workspace, 7203, "20050315", 1, 0, 0);
    EXPECT_EQ(dates(), "20050314 20050315 ");
    EXPECT_EQ(targets().size(), 2u);
    // A divisor of 0 still gives a percentage.
    EXPECT_EQ(tools.prompter.progressValues, (std::vector<int>{0, 100}));
}

TEST_F(QuoteFetch, SplitAdjustedFetchOfTheYahooPages) {
    std::vector<PageRow> rows = {row("2005年3月15日", 500), row("2005年3月14日", 500),
                                 row("2005年3月11日", 1000)};
    rows[1].extra = "<td><font size=-1>2005年3月14日</font> 分割: 1株 -> 2株</td>";
    pages = {test::euc(test::yahooJapanPage(rows, false))};
    EXPECT_TRUE(fetchSpan(workspace, 7203, "20050315", 1, 0, 230, true).adjusted);
    EXPECT_TRUE(workspace.splitAdjusted);
    ASSERT_EQ(workspace.series().count(), 3);
    EXPECT_EQ(workspace.series().bars[0].close, 500);
    EXPECT_EQ(workspace.series().bars[0].volume, 2000);
    EXPECT_EQ(workspace.series().bars[1].close, 500);

    // Without adjustment the marks stay on the bars, the prices as fetched.
    EXPECT_FALSE(fetchSpan(workspace, 7203, "20050315", 1, 0, 230).adjusted);
    EXPECT_FALSE(workspace.splitAdjusted);
    EXPECT_EQ(workspace.series().bars[0].close, 1000);
    EXPECT_EQ(workspace.series().bars[0].splitRatio, 200);
}

TEST_F(QuoteFetch, RefreshQuoteKeepsTheShownQuote) {
    special = [](const httplib::Request&, httplib::Response& response) {
        response.set_content(
            test::euc("<tr align=\"c\"><td>取引値</td><td><b>2,345</b></td></tr>\n"), "text/html");
    };
    workspace.series().code = 7203;
    ASSERT_TRUE(refreshQuote(workspace));
    EXPECT_EQ(targets(), std::vector<std::string>{"/q?s=7203.t&d=t"});
    ASSERT_TRUE(workspace.quoteInfo);
    EXPECT_EQ(workspace.quoteInfo->price, 2345);
    workspace.series().code = 1020;
    EXPECT_FALSE(refreshQuote(workspace));
    EXPECT_EQ(workspace.quoteInfo->price, 2345);
}

TEST_F(QuoteFetch, FetchSinceRunsFromTheLastBarToToday) {
    pages = {test::euc(test::yahooJapanPage(
        {row("2024年6月14日", 3), row("2024年6月13日", 2), row("2024年6月12日", 1)}, false))};
    DailyBar last{};
    setBarDate(last, "20240612");
    auto [bars, failure, rejected] = fetchSince(workspace, 7203, last);
    EXPECT_EQ(rejected.total, 0);
    EXPECT_EQ(failure, "");
    EXPECT_EQ(targets().back(), "/t?c=2024&a=6&b=12&f=2024&d=6&e=14&g=d&s=7203.t&y=0&z=");
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[0].dateText(), "20240612");
    EXPECT_TRUE(tools.prompter.progressValues.empty());
}

}  // namespace
}  // namespace tav
