#include <gtest/gtest.h>

#include <filesystem>

#include "cli_support.h"
#include "data/endpoints.h"
#include "data/folder_lock.h"
#include "engine/quotes/quote_pages.h"
#include "support/temp_folder.h"

namespace tav::test {
namespace {

class QuoteCli : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(folder());
        writeFile(folder() + "/Stock.lst", sjis("7203,トヨタ自動車,東証1部,100,-\n"));
        writeFile(folder() + "/Focus.inf", sjis("一\n二\n"));
        writeFile(folder() + "/Endpoints.lst", Endpoints::fileTextForHost(server.host()));
    }
    std::string folder() const { return (temp / "folder").string(); }
    CliResult cli(std::vector<std::string> words) {
        words.insert(words.begin(), {"--folder", folder()});
        return runCli(words);
    }

    std::function<std::string(const httplib::Request&)> page;
    QuoteServer server{[this](const httplib::Request& request, httplib::Response& response) {
        response.set_content(page(request), "text/html");
    }};
    TempFolder temp;
};

TEST_F(QuoteCli, FetchPrintsTheBatchOldestFirst) {
    page = [](const httplib::Request& request) {
        bool first = request.get_param_value("y") == "0";
        std::vector<PageRow> rows;
        if (first)
            rows = {{"2005年3月15日", "11,800", "11,900", "11,700", "11,850.25", "0", ""}};
        else
            rows = {{"2005年3月14日", "11,600", "11,800", "11,500", "11,790", "0", ""}};
        return euc(yahooJapanPage(rows, first));
    };
    CliResult result = cli({"fetch", "1010", "--years", "1", "--months", "2", "--end", "20050315"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(server.targets().front(), "/t?c=2004&a=1&b=15&f=2005&d=3&e=15&g=d&s=998407&y=0&z=");
    EXPECT_EQ(result.out,
              "date,open,high,low,close,volume\n"
              "20050314,11600,11800,11500,11790,100000\n"
              "20050315,11800,11900,11700,11850,100000\n");

    page = [](const httplib::Request&) { return euc("<p>7203 のデータはありません。</p>\n"); };
    result = cli({"fetch", "7203", "--years", "1", "--months", "0", "--source", "yahoo"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("7203 のデータはありません。"), std::string::npos) << result.err;
    EXPECT_EQ(cli({"fetch", "7203", "--years", "x"}).exitCode, 2);
}

TEST_F(QuoteCli, AFetchCutOffAfterItsFirstPageFails) {
    // The first page promises more; the second never arrives whole.
    const std::string first = euc(
        yahooJapanPage({{"2005年3月15日", "11,800", "11,900", "11,700", "11,850", "0", ""}}, true));
    for (int status : {200, 500}) {
        SCOPED_TRACE(status);
        QuoteServer cut{[&](const httplib::Request& request, httplib::Response& response) {
            if (request.get_param_value("y") == "0")
                return response.set_content(first, "text/html");
            response.status = status;
            response.set_content_provider(1000, "text/html",
                                          [](size_t, size_t, httplib::DataSink& sink) {
                                              sink.write("<html>\n", 7);
                                              return false;
                                          });
        }};
        writeFile(folder() + "/Endpoints.lst", Endpoints::fileTextForHost(cut.host()));
        CliResult result =
            cli({"fetch", "1010", "--years", "1", "--months", "0", "--end", "20050315"});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(cut.targets().size(), 2u);
        // The bars before the break are still printed, and the reason told.
        EXPECT_EQ(result.out,
                  "date,open,high,low,close,volume\n20050315,11800,11900,11700,11850,100000\n");
        EXPECT_NE(result.err.find("ＹＡＨＯＯのページを開けません。 (1 bars kept)"),
                  std::string::npos)
            << result.err;
    }
}

TEST_F(QuoteCli, RankingFillsTheWatchlist) {
    page = [](const httplib::Request&) {
        return euc("<p>関連情報</p>\n<tr>\n<td>1</td>\n<td><a href=\"x\">7203</a></td>\n");
    };
    CliResult result = cli({"ranking", "--category", "1", "--kind", "0", "--market", "東証1部",
                            "--period", "daily", "--output", "2"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "7203 トヨタ自動車\n");
    EXPECT_EQ(server.targets().back(), "/ranking/search?b=1&kd=13&mk=11&ca=1&tm=week&");
    EXPECT_EQ(readFile(folder() + "/Focus2.lst"), sjis("7203 トヨタ自動車\n"));
    EXPECT_EQ(cli({"ranking", "--output", "3"}).exitCode, 2);
}

TEST_F(QuoteCli, RankingFailuresAreToldAndLeaveTheWatchlist) {
    page = [](const httplib::Request& request) {
        return request.target.find("/ranking/") == 0
                   ? euc("<p>関連情報</p>\n<tr>\n<td>1</td>\n<td><a href=\"x\">7203</a></td>\n")
                   : std::string();
    };
    const std::string list = folder() + "/Focus2.lst";
    struct Case {
        const char* name;
        std::function<std::function<void()>()> arrange;  // returns the undo
        std::string message;
    } cases[] = {
        {"another instance holds the folder",
         [&] {
             auto lock = std::make_shared<FolderLock>(folder());
             return [lock]() mutable { lock.reset(); };
         },
         kFolderInUseMessage},
        {"the watchlist cannot be written",
         [&] {
             std::filesystem::remove(list);
             std::filesystem::create_directory(list);
             return [&] {
                 std::filesystem::remove(list);
                 writeFile(list, sjis("6758 ソニー\n"));
             };
         },
         "[Focus2.lst]　に書き込めませんでした。"},
    };
    writeFile(list, sjis("6758 ソニー\n"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto undo = c.arrange();
        CliResult result = cli({"ranking", "--output", "2"});
        undo();
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(readFile(list), sjis("6758 ソニー\n"));
    }
}

}  // namespace
}  // namespace tav::test
