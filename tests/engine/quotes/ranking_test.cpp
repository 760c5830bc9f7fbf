#include "quotes/ranking.h"

#include <gtest/gtest.h>

#include "quote_pages.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/quotes.h"

namespace tav {
namespace {

std::string rankingPage(const std::vector<std::string>& codes, bool withStart = true) {
    std::string page = "<html>\n<h1>ランキング</h1>\n";
    if (withStart) page += "<p>関連情報</p>\n";
    page += "<table>\n";
    for (std::size_t i = 0; i < codes.size(); ++i)
        page += "<tr>\n<td>" + std::to_string(i + 1) + "</td>\n<td><a href=\"/q?s=" + codes[i] +
                "\">" + codes[i] + "</a></td>\n<td>name</td>\n</tr>\n";
    return page + "</table>\n</html>\n";
}

TEST(Ranking, QueryFromTheDialogChoices) {
    EXPECT_EQ(rankingAddress("http://h", {0, 0, 1, 0, 0}),
              "http://h/ranking/search?b=1&kd=1&mk=11&ca=1&tm=day&");
    EXPECT_EQ(rankingQuery({1, 5, 7, 2, 0}), "b=1&kd=18&mk=43&mk=47&ca=1&tm=week&");
    EXPECT_EQ(rankingQuery({2, 7, 13, 1, 0}), "b=1&kd=26&mk=37&ca=1&tm=week&");
    EXPECT_EQ(rankingQuery({0, 11, 1, 2, 0}), "b=1&kd=12&mk=11&ca=1&tm=month&");
    EXPECT_FALSE(validRankingChoices({1, 6, 0, 0, 0}));  // six margin kinds
    EXPECT_FALSE(validRankingChoices({0, 0, 14, 0, 0}));
    EXPECT_FALSE(validRankingChoices({3, 0, 0, 0, 0}));
}

TEST(Ranking, PageRows) {
    std::vector<std::string> codes;
    for (int i = 0; i < 25; ++i)
        codes.push_back(std::to_string(1300 + i));
    auto found = parseRankingPage(test::sjis(rankingPage(codes)));
    ASSERT_EQ(found.size(), 20u);
    EXPECT_EQ(found.front(), "1300");
    EXPECT_EQ(found.back(), "1319");
    EXPECT_TRUE(parseRankingPage(test::sjis(rankingPage(codes, false))).empty());
    // A row without a four-character code before "</a>" is passed over; one
    // with nothing before it ends the list. Alphanumeric codes count.
    EXPECT_EQ(parseRankingPage(test::sjis(rankingPage({"7203", "130a"}))),
              (std::vector<std::string>{"7203", "130A"}));
    for (const char* odd : {"AB1", "12.4", "ABCD", "7"})
        EXPECT_EQ(parseRankingPage(test::sjis(rankingPage({"7203", odd, "6758"}))),
                  (std::vector<std::string>{"7203", "6758"}))
            << odd;
    EXPECT_EQ(
        parseRankingPage(test::sjis("関連情報\n<tr>\n<td>1</td>\n</a>\n<tr>\n1\n<a>7203</a>\n")),
        std::vector<std::string>{});
}

class RankingDownload : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(temp / "Stock.lst", test::sjis("7203,トヨタ自動車,東証1部,100,-\n"));
        test::writeFile(temp / "Focus.inf", test::sjis("一\n二\n三\n"));
        test::writeFile(temp / "Focus2.lst", test::sjis("6758 ソニー\n"));
        test::writeFile(temp / "Endpoints.lst", Endpoints::fileTextForHost(server.host()));
    }
    std::string body;
    int status = 200;
    bool breakOff = false;
    test::QuoteServer server{[this](const httplib::Request&, httplib::Response& response) {
        response.status = status;
        if (!breakOff) return response.set_content(body, "text/html");
        response.set_content_provider(1000, "text/html",
                                      [](size_t, size_t, httplib::DataSink& sink) {
                                          sink.write("<html>\n", 7);
                                          return false;
                                      });
    }};
    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
};

TEST_F(RankingDownload, WritesTheOutputWatchlist) {
    body = test::euc(rankingPage({"7203", "9999"}));
    ASSERT_TRUE(downloadRanking(workspace, {0, 2, 9, 1, 1}));
    EXPECT_EQ(server.targets(),
              std::vector<std::string>{"/ranking/search?b=1&kd=3&mk=94&ca=1&tm=week&"});
    EXPECT_EQ(text::utf8FromSjis(test::readFile(temp / "Focus2.lst")),
              "7203 トヨタ自動車\n9999 -----\n");
    EXPECT_EQ(workspace.watchlists().displayedWatchlist(), 2);
    ASSERT_EQ(workspace.watchlists().entries().size(), 2u);
    EXPECT_EQ(workspace.watchlists().entries()[0].text, "7203 トヨタ自動車");

    // Only the first 65535 bytes are read; the rest is dropped without a message.
    body = test::euc(rankingPage({"7203"})) + std::string(70000, ' ');
    EXPECT_TRUE(downloadRanking(workspace, {0, 0, 0, 0, 1}));
    EXPECT_EQ(text::utf8FromSjis(test::readFile(temp / "Focus2.lst")), "7203 トヨタ自動車\n");
    EXPECT_TRUE(tools.prompter.messages().empty());

    EXPECT_FALSE(downloadRanking(workspace, {0, 0, 0, 0, 3}));  // no fourth watchlist
}

TEST_F(RankingDownload, FailedDownloadsLeaveTheWatchlistAlone) {
    body = test::euc(rankingPage({"7203"}));
    for (int error : {404, 500}) {
        status = error;
        EXPECT_FALSE(downloadRanking(workspace, {0, 0, 0, 0, 1}));
    }
    status = 200;
    breakOff = true;
    EXPECT_FALSE(downloadRanking(workspace, {0, 0, 0, 0, 1}));
    EXPECT_EQ(tools.prompter.messages(),
              std::vector<std::string>(3, "ネット上のファイルが見つかりません。"));
    test::writeFile(temp / "Endpoints.lst", "ranking,http://127.0.0.1:1\n");
    EXPECT_FALSE(downloadRanking(workspace, {0, 0, 0, 0, 1}));
    EXPECT_EQ(tools.prompter.messages().back(), "インターネットに接続できません。");
    EXPECT_EQ(tools.prompter.calls.back().icon, MessageIcon::Stop);
    EXPECT_EQ(text::utf8FromSjis(test::readFile(temp / "Focus2.lst")), "6758 ソニー\n");
}

TEST_F(RankingDownload, ASecondInstanceIsRefusedBeforeTheDownload) {
    body = test::euc(rankingPage({"7203"}));
    // The fixture's workspace holds the folder.
    test::TestPlatform secondTools;
    Workspace second{ProgramFolder(temp.str()), secondTools.platform()};
    ASSERT_FALSE(second.storeWritable());
    EXPECT_FALSE(downloadRanking(second, {0, 0, 0, 0, 1}));
    EXPECT_EQ(secondTools.prompter.messages(), std::vector<std::string>{kFolderInUseMessage});
    EXPECT_TRUE(server.targets().empty());
    EXPECT_EQ(text::utf8FromSjis(test::readFile(temp / "Focus2.lst")), "6758 ソニー\n");

    // The instance holding the folder writes through the same path.
    ASSERT_TRUE(downloadRanking(workspace, {0, 0, 0, 0, 1}));
    EXPECT_EQ(text::utf8FromSjis(test::readFile(temp / "Focus2.lst")), "7203 トヨタ自動車\n");
}

}  // namespace
}  // namespace tav
