// Whether a page walk reached the end of its span: a file is replaced by a
// fetch only when it did.
#include <gtest/gtest.h>

#include "engine/quotes/quote_pages.h"
#include "platform/linux/curl_http.h"
#include "quotes/price_fetch.h"
#include "support/recording_prompter.h"

namespace tav {
namespace {

TEST(WalkComplete, OnlyALastPageOrTheSitesNoDataPageEndsTheSpan) {
    // What the second page shows.
    std::string second;
    test::QuoteServer server([&](const httplib::Request& request, httplib::Response& response) {
        bool first = request.get_param_value("y") == "0";
        std::vector<test::PageRow> rows = {
            {"2005年3月15日", "11,800", "11,900", "11,700", "11,850", "5,000", ""}};
        response.set_content(first ? test::euc(test::yahooJapanPage(rows, true)) : second,
                             "text/html");
    });
    CurlHttp http;
    test::RecordingPrompter prompter;
    std::string lastError;
    QuoteContext context{http, prompter, Endpoints::parse("yahoo-jp," + server.host() + "\n"),
                         false, lastError};
    HistoryRequest request;
    request.code = 7203;
    request.span = {{2005, 1, 1}, {2005, 3, 15}};

    auto walk = [&](std::string page) {
        second = std::move(page);
        bool complete = true;
        fetchHistory(context, request, &complete);
        return complete;
    };
    std::vector<test::PageRow> older = {
        {"2005年3月14日", "11,600", "11,800", "11,500", "11,790", "5,000", ""}};
    EXPECT_TRUE(walk(test::euc(test::yahooJapanPage(older, false))));
    EXPECT_TRUE(walk(test::euc("<p>7203 のデータはありません。</p>\n")));
    // A page the parser cannot read may hide more days.
    EXPECT_FALSE(walk(test::euc("<p>メンテナンス中</p>\n")));
    EXPECT_FALSE(walk(std::string(70000, 'x')));
}

}  // namespace
}  // namespace tav
