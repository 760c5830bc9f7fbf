// The simulator over 127.0.0.1, read by the system's own client, page fetch
// and parsers: what it serves comes back as the bars it holds.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/text.h"
#include "daily_archive.h"
#include "data/endpoints.h"
#include "data/stock_master.h"
#include "market_generator.h"
#include "platform/linux/curl_http.h"
#include "platform/linux/lhasa_lzh.h"
#include "quote_pages.h"
#include "quotes/history_parsers.h"
#include "quotes/margin_pages.h"
#include "quotes/page_fetch.h"
#include "quotes/price_fetch.h"
#include "quotes/quote_page.h"
#include "quotes/ranking.h"
#include "ranking_page.h"
#include "sim_server.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"

namespace tav::quotesim {
namespace {

constexpr LocalDate kEnd{2005, 3, 15};

class ServerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        market_ = new Market(generateMarket({12, 2, 3, kEnd}));
        server_ = new SimServer(*market_, {});
        ASSERT_GT(server_->start(0), 0);
    }
    static void TearDownTestSuite() {
        delete server_;
        delete market_;
    }

    QuoteContext context(bool useInfoseek = false, const std::string& prefix = "") {
        return QuoteContext{http, prompter,
                            Endpoints::parse(Endpoints::fileTextForHost(server_->host() + prefix)),
                            useInfoseek, lastError};
    }

    SecurityInfo info(StockCode code) {
        SecurityInfo security;
        StockMaster::lookupIn(market_->masterListText(), code, security);
        return security;
    }

    std::vector<DailyBar> fetch(StockCode code, PeriodMode period, bool useInfoseek,
                                const std::string& prefix = "") {
        QuoteContext quotes = context(useInfoseek, prefix);
        HistoryRequest request{code, info(code), period, spanEnding(kEnd, 1, 2)};
        return fetchHistory(quotes, request);
    }

    // The bars the pages of the span show, oldest first, as the readers store them.
    static std::vector<PriceBar> expected(StockCode code, PeriodMode period) {
        auto bars = periodBars(market_->find(code)->bars, period);
        DateSpan span = spanEnding(kEnd, 1, 2);
        int32_t start = span.start.year * 10000 + span.start.month * 100 + span.start.day;
        std::vector<PriceBar> shown;
        for (const PriceBar& bar : bars) {
            int32_t last = period == PeriodMode::Daily     ? bar.date
                           : period == PeriodMode::Monthly ? bar.date + 30
                                                           : dateOfDay(dayNumber(bar.date) + 6);
            if (bar.date <= 20050315 && last >= start) shown.push_back(bar);
        }
        // Indices and currency pairs carry the readers' placeholder volume.
        SecurityKind kind = securityKind(code);
        if (kind == SecurityKind::JapaneseIndex || kind == SecurityKind::CurrencyPair)
            for (PriceBar& bar : shown)
                bar.volume = 100000;
        return shown;
    }

    static void expectSameBars(std::vector<DailyBar> fetched, const std::vector<PriceBar>& shown,
                               const std::string& what) {
        normaliseBatch(fetched, false);
        ASSERT_EQ(fetched.size(), shown.size()) << what;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const DailyBar& got = fetched[i];
            const PriceBar& want = shown[i];
            ASSERT_EQ(got.dateText(), std::to_string(want.date)) << what << " row " << i;
            EXPECT_EQ(got.open, want.open) << what << " " << want.date;
            EXPECT_EQ(got.high, want.high) << what << " " << want.date;
            EXPECT_EQ(got.low, want.low) << what << " " << want.date;
            EXPECT_EQ(got.close, want.close) << what << " " << want.date;
            EXPECT_EQ(got.volume, want.volume) << what << " " << want.date;
        }
    }

    StockCode firstStock(std::string_view marketName) {
        for (StockCode code : market_->codes())
            if (market_->find(code)->market == marketName) return code;
        return 0;
    }

    static Market* market_;
    static SimServer* server_;
    CurlHttp http;
    test::RecordingPrompter prompter;
    std::string lastError;
};

Market* ServerTest::market_ = nullptr;
SimServer* ServerTest::server_ = nullptr;

TEST_F(ServerTest, HistoryPagesOfEverySourceAndPeriodGiveBackTheBars) {
    StockCode jasdaq = firstStock("JASDAQ");
    StockCode hercules = firstStock("ヘラクレス");
    ASSERT_NE(jasdaq, 0);
    ASSERT_NE(hercules, 0);
    for (PeriodMode period : {PeriodMode::Daily, PeriodMode::Weekly, PeriodMode::Monthly}) {
        for (bool infoseek : {false, true}) {
            for (StockCode code : {StockCode{1010}, StockCode{1001}, jasdaq, hercules}) {
                std::string what = std::to_string(code) + (infoseek ? " infoseek" : " yahoo") +
                                   " period " + std::to_string(periodIndex(period));
                expectSameBars(fetch(code, period, infoseek), expected(code, period), what);
            }
        }
    }
    for (StockCode code : {StockCode{1020}, StockCode{1022}, StockCode{1003}, StockCode{10101}})
        expectSameBars(fetch(code, PeriodMode::Daily, false), expected(code, PeriodMode::Daily),
                       std::to_string(code));
    // More than one page each: 50 rows (66 on the US site) to a page.
    EXPECT_GT(expected(1010, PeriodMode::Daily).size(), 200u);
}

TEST_F(ServerTest, SplitMarksAdjustTheOlderBars) {
    const SimulatedSecurity* split = nullptr;
    for (StockCode code : market_->codes())
        if (!market_->find(code)->splits.empty()) split = market_->find(code);
    ASSERT_NE(split, nullptr);
    ASSERT_EQ(split->splits[0].to, "2");
    int32_t splitDay = split->splits[0].date;
    ASSERT_GT(splitDay, 20040115);  // inside the fetched span
    std::vector<DailyBar> bars = fetch(split->code, PeriodMode::Daily, false);
    EXPECT_TRUE(normaliseBatch(bars, true));
    for (const PriceBar& stored : expected(split->code, PeriodMode::Daily)) {
        auto got = std::find_if(bars.begin(), bars.end(), [&](const DailyBar& bar) {
            return bar.dateText() == std::to_string(stored.date);
        });
        ASSERT_NE(got, bars.end());
        bool before = stored.date < splitDay;
        EXPECT_EQ(got->close, before ? stored.close * 100 / 200 : stored.close) << stored.date;
        EXPECT_EQ(got->volume, before ? stored.volume * 2 : stored.volume) << stored.date;
    }
}

TEST_F(ServerTest, QuoteMarginAndRankingPagesParse) {
    StockCode code = firstStock("東証1部");
    const SimulatedSecurity& stock = *market_->find(code);
    QuoteContext quotes = context();
    auto quote = fetchQuote(quotes, code, info(code), false);
    ASSERT_TRUE(quote);
    EXPECT_EQ(quote->price, stock.bars.back().close);
    EXPECT_EQ(quote->open, stock.bars.back().open);
    EXPECT_EQ(quote->volume, stock.bars.back().volume);
    Fundamentals figures = fundamentalsOf(stock);
    EXPECT_EQ(quote->texts[0], figures.marketCap);
    EXPECT_EQ(quote->texts[12], figures.fiscalYearEnd);
    auto index = fetchQuote(quotes, 1010, info(1010), true);
    ASSERT_TRUE(index);
    EXPECT_EQ(index->price, market_->find(1010)->bars.back().close);

    auto rows = marginRows(stock, 20040315, 20050315);
    ASSERT_GT(rows.size(), kMaxMarginRecords);  // a year of weeks: the table keeps 50
    for (bool infoseek : {false, true}) {
        QuoteContext margin = context(infoseek);
        auto records = fetchMargin(margin, code, info(code), kEnd);
        ASSERT_EQ(records.size(), kMaxMarginRecords);
        EXPECT_EQ(records[0].date, std::to_string(rows[0].date));
        EXPECT_EQ(records[0].sell, rows[0].sell);
        EXPECT_EQ(records[49].buy, rows[49].buy);
    }

    auto response = http.get(server_->host() +
                                 "/ranking/search?b=1&kd=3&mk=11&mk=12&mk=21&mk=22&mk=31&mk=32&"
                                 "mk=94&mk=17&mk=A1&ca=1&tm=day&",
                             65535);
    ASSERT_EQ(response.status, HttpStatus::Ok);
    auto codes = parseRankingPage(text::sjisFromEucJp(response.body));
    auto ranked =
        rankCodes(*market_, {3, {"11", "12", "21", "22", "31", "32", "94", "17", "A1"}, "day"});
    ASSERT_EQ(codes.size(), ranked.size());  // 12 stocks: fewer than 20
    for (std::size_t i = 0; i < codes.size(); ++i)
        EXPECT_EQ(codes[i], std::to_string(ranked[i]));
}

TEST_F(ServerTest, ArchivesExtractToTheDayCsvAndTheMasterList) {
    test::TempFolder folder;
    std::string archive = (folder / "20050315.LZH").string();
    ASSERT_EQ(http.getToFile(server_->host() + "/data2005/20050315.LZH", archive, 1 << 20),
              HttpStatus::Ok);
    LhasaLzh lzh;
    auto result = lzh.extract(archive, folder.str());
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.files, std::vector<std::string>{"20050315.csv"});
    EXPECT_EQ(test::readFile(folder / "20050315.csv"), dayCsv(*market_, 20050315));

    std::string master = (folder / "stock.lzh").string();
    ASSERT_EQ(http.getToFile(Endpoints::parse(Endpoints::fileTextForHost(server_->host()))
                                 .address(Endpoints::kMasterArchive),
                             master, 1 << 20),
              HttpStatus::Ok);
    ASSERT_TRUE(lzh.extract(master, folder.str()).ok);
    EXPECT_EQ(test::readFile(folder / "Stock.lst"), market_->masterListText());

    // A Sunday: the not-found page, in the server's Shift-JIS.
    auto sunday = http.get(server_->host() + "/data2005/20050313.LZH", 65535);
    EXPECT_EQ(sunday.httpCode, 404);
    EXPECT_NE(sunday.body.find(text::sjisFromUtf8("ページが見つかりません")), std::string::npos);
}

TEST_F(ServerTest, FaultsBreakOnlyTheSiteTheyArePutOn) {
    std::string host = server_->host();
    auto truncated = http.get(host + "/fault/truncate/q?s=998407&d=t", 65535);
    EXPECT_EQ(truncated.status, HttpStatus::ReadFailed);
    auto stalled = http.get(host + "/fault/stall-50/q?s=998407&d=t", 65535);
    EXPECT_EQ(stalled.status, HttpStatus::Ok);
    EXPECT_EQ(stalled.body, http.get(host + "/q?s=998407&d=t", 65535).body);
    EXPECT_EQ(http.get(host + "/fault/slow-20/q?s=998407&d=t", 65535).status, HttpStatus::Ok);
    EXPECT_EQ(http.get(host + "/fault/notfound/q?s=998407&d=t", 65535).httpCode, 404);
    EXPECT_EQ(http.get(host + "/fault/bogus/q?s=998407&d=t", 65535).httpCode, 200);  // served as is
    auto failing = http.get(host + "/fault/status-503/q?s=998407&d=t", 65535);
    EXPECT_EQ(failing.status, HttpStatus::HttpError);
    EXPECT_EQ(failing.httpCode, 503);
    EXPECT_EQ(failing.body, http.get(host + "/q?s=998407&d=t", 65535).body);

    // Archive faults leave pages as they are.
    EXPECT_EQ(http.get(host + "/fault/bomb-64/q?s=998407&d=t", 65535).body, failing.body);

    // Exactly 65536 bytes overflow the page buffer; 65535 fit with the terminator.
    QuoteContext quotes = context();
    EXPECT_FALSE(fetchPage(quotes, host + "/fault/size-65536/q?s=998407&d=t"));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"バッファオーバーフロー。"});
    auto fits = fetchPage(quotes, host + "/fault/size-65535/q?s=998407&d=t");
    ASSERT_TRUE(fits);
    EXPECT_NE(fits->find(text::sjisFromUtf8("取引値")), std::string::npos);
    EXPECT_EQ(prompter.messages().size(), 1u);

    // From the third page on: the first two pages' bars are kept.
    auto kept = fetch(1010, PeriodMode::Daily, false, "/fault/size-70000@2");
    EXPECT_EQ(kept.size(), 100u);
    auto infoseekKept = fetch(1010, PeriodMode::Daily, true, "/fault/truncate@1");
    EXPECT_EQ(infoseekKept.size(), 50u);
}

TEST(SimServerRefusal, StopsListeningAfterTheGivenRequests) {
    Market market(generateMarket({2, 1, 1, kEnd}));
    SimServer server(market, {std::nullopt, 2, nullptr});
    ASSERT_GT(server.start(0), 0);
    CurlHttp http;
    EXPECT_EQ(http.get(server.host() + "/q?s=998407&d=t", 65535).status, HttpStatus::Ok);
    EXPECT_EQ(http.get(server.host() + "/q?s=998407&d=t", 65535).status, HttpStatus::Ok);
    EXPECT_EQ(http.get(server.host() + "/q?s=998407&d=t", 65535).status, HttpStatus::CannotConnect);
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST(SimServerApi, ABadKeyIs403AndTheRateOfThePlanEndsIn429WithoutRetryAfter) {
    Market market(generateMarket({2, 1, 1, kEnd}));
    ServerOptions options;
    options.apiKey = "good";
    options.apiRequestsPerMinute = 5;
    SimServer server(market, options);
    ASSERT_GT(server.start(0), 0);
    CurlHttp http;
    const std::string url = server.host() + "/v2/equities/master";
    EXPECT_EQ(http.get(url, 1 << 20, {{"x-api-key", "bad"}}).httpCode, 403);
    for (int request = 2; request <= 5; ++request)
        EXPECT_EQ(http.get(url, 1 << 20, {{"x-api-key", "good"}}).status, HttpStatus::Ok) << request;
    HttpResponse refused = http.get(url, 1 << 20, {{"x-api-key", "good"}});
    EXPECT_EQ(refused.httpCode, 429);
    EXPECT_TRUE(refused.retryAfter.empty());
    EXPECT_EQ(server.apiKeysSeen(), (std::vector<std::string>{"bad", "good", "good", "good", "good", "good"}));
}

TEST(SimServerFaults, SpecsParseOrAreRefused) {
    auto fault = parseFault("size-65536@3");
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->kind, Fault::Kind::Size);
    EXPECT_EQ(fault->argument, 65536);
    EXPECT_EQ(fault->fromPage, 3);
    for (const char* good : {"truncate", "drip-900", "status-404", "bomb-1023", "upper@1", "redirect-8080"})
        EXPECT_TRUE(parseFault(good)) << good;
    for (const char* bad : {"", "slow", "truncate-5", "size-", "size-12x", "notfound@", "nothing",
                            "status-99", "status-600", "upper-1", "bomb", "drip", "redirect"})
        EXPECT_FALSE(parseFault(bad)) << bad;
}

// The program itself: a free port, announced on its first line, and an
// Endpoints.lst that points a program folder at it.
TEST(SimProgram, ServesOnTheAnnouncedPort) {
    std::string program = std::string(TAV_BINARY_DIR) + "/tools/quotesim/tavrento-quotesim";
    if (!std::filesystem::exists(program)) GTEST_SKIP() << "not built: " << program;
    test::TempFolder folder;
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        execl(program.c_str(), program.c_str(), "--generate", "3", "--years", "1", "--end",
              "20050315", "--port", "0", "--endpoints", folder.str().c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(output[1]);
    std::string line;
    char c = 0;
    while (read(output[0], &c, 1) == 1 && c != '\n')
        line += c;
    ASSERT_TRUE(line.starts_with("listening on http://127.0.0.1:")) << line;
    std::string host = line.substr(std::string("listening on ").size());
    auto endpoints = Endpoints::load(folder.str());
    EXPECT_EQ(endpoints.address(Endpoints::kYahooJapan), host);
    CurlHttp http;
    auto page = http.get(endpoints.address(Endpoints::kQuote) + "/q?s=998407&d=t", 65535);
    EXPECT_EQ(page.status, HttpStatus::Ok);
    EXPECT_NE(text::sjisFromEucJp(page.body).find(text::sjisFromUtf8("取引値")), std::string::npos);
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    close(output[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace tav::quotesim
