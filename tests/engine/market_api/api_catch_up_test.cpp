// Catching up over many days against the simulator on 127.0.0.1, answering as
// for keys of the different plans; the waits run on virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <span>

#include "market_api/api_source.h"
#include "platform/linux/curl_http.h"
#include "platform/linux/lhasa_lzh.h"
#include "support/recording_prompter.h"
#include "support/simulator_suite.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "support/virtual_pause.h"
#include "updates/trading_days.h"
#include "workspace/archive.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const LocalDate kToday{2024, 6, 14};

class ApiCatchUp : public test::SimulatorSuite<ApiCatchUp> {
  public:
    static quotesim::GeneratorSettings marketSettings() { return {40, 1, 5, kToday}; }

  protected:
    void SetUp() override {
        fs::create_directories(temp / "Data");
        fs::create_directories(temp / "Source");
    }
    // A server of its own answering as for a key of plan.
    std::unique_ptr<quotesim::SimServer> serverFor(const std::string& plan) {
        quotesim::ServerOptions options;
        options.apiPlan = plan;
        auto server = std::make_unique<quotesim::SimServer>(*market_, options);
        EXPECT_GT(server->start(0), 0);
        return server;
    }
    ArchiveTools tools(const std::string& host, ApiPlan plan) {
        ArchiveTools result{folder, http, lzh, prompter,
                            Endpoints::parse(Endpoints::fileTextForHost(host))};
        ApiClientOptions options;
        options.plan = plan;
        options.pause = &pause;
        ApiAccess access{http,    prompter, host + "/v2", [] { return ApiKeyLookup{"k", ""}; },
                         options, kToday};
        report = access.report;
        result.fetchDay = apiDayFetcher(std::move(access), [this](StockCode code) {
            return fs::exists(temp / "Data" / (codeText(code) + ".txt"));
        });
        return result;
    }
    // A stored security split or consolidated on a day of the simulated
    // market's last months, and that day.
    std::pair<StockCode, int32_t> recentSplit() const {
        for (StockCode code : market_->codes()) {
            const auto* security = market_->find(code);
            int32_t day = 0;
            for (const auto& each : security->splits)
                if (each.date > 20231201 && each.date <= 20240614 && code < 10000) day = each.date;
            if (day != 0) return {code, day};
        }
        return {0, 0};
    }
    static long count(const std::vector<std::string>& requests, const std::string& part) {
        return std::count_if(requests.begin(), requests.end(), [&](const std::string& request) {
            return request.find(part) != std::string::npos;
        });
    }

    test::TempFolder temp;
    ProgramFolder folder{temp.str()};
    CurlHttp http{CurlHttp::Timeouts{2000ms, 1, 2000ms, 5000ms}};
    LhasaLzh lzh;
    test::RecordingPrompter prompter;
    test::VirtualPause pause;
    std::shared_ptr<ApiRunReport> report;
};

TEST_F(ApiCatchUp, ThirtyDaysOnTheFreePlansRateComplete) {
    auto server = serverFor("");
    std::vector<std::string> days = tradingDaysAfter("20240425", kToday);
    ASSERT_GE(days.size(), 30u);
    days.resize(30);
    ArchiveTools free = tools(server->host(), ApiPlan::Free);
    ArchiveRunResult result = importDays(free, days, SourceMode::Api);
    EXPECT_FALSE(result.stopped) << (prompter.messages().empty() ? "" : prompter.messages()[0]);
    EXPECT_EQ(result.imported, 30);
    // One request a day (the plan has no index data), 13.2 s apart.
    auto requests = server->requests();
    EXPECT_EQ(requests.size(), 30u);
    EXPECT_EQ(count(requests, "/indices/"), 0);
    EXPECT_EQ(pause.elapsed(), 29 * 13200ms);
    EXPECT_EQ(report->traffic.requests, 30);
    // Without 1001 the store's date still moves.
    EXPECT_FALSE(fs::exists(temp / "Data" / "1001.txt"));
    EXPECT_EQ(lastStoredDate(folder, SourceMode::Api), days.back());
    // Each day's first issue comes after a preferred share of 1,1,1,1.
    StockCode first = 0;
    for (StockCode code : market_->codes())
        if (securityKind(code) == SecurityKind::JapaneseStock && code < 10000) {
            first = code;
            break;
        }
    std::string stored = test::readFile(temp / "Data" / (codeText(first) + ".txt"));
    EXPECT_EQ(stored.find(",1,1,1,1,1\n"), std::string::npos);
    EXPECT_EQ(report->counts.otherSecurities, 30);
}

TEST_F(ApiCatchUp, TopixComesFromItsOwnEndpointAndAPlanWithoutItIsToldOnce) {
    {
        auto light = serverFor("light");
        ArchiveTools withTopix = tools(light->host(), ApiPlan::Light);
        EXPECT_EQ(
            importDays(withTopix, std::vector<std::string>{"20240131"}, SourceMode::Api).imported,
            1);
        EXPECT_EQ(count(light->requests(), "/indices/bars/daily/topix?"), 1);
        EXPECT_EQ(count(light->requests(), "/indices/bars/daily?"), 0);
        EXPECT_TRUE(fs::exists(temp / "Data" / "1001.txt"));
    }
    // A Light setting on a key that has no index data: one warning, no second request.
    auto free = serverFor("free");
    ArchiveTools refused = tools(free->host(), ApiPlan::Light);
    std::vector<std::string> later = tradingDaysAfter("20240201", LocalDate{2024, 2, 29});
    ArchiveRunResult result = importDays(refused, later, SourceMode::Api);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.imported, static_cast<int>(later.size()));
    EXPECT_EQ(count(free->requests(), "/indices/"), 1);
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_NE(prompter.messages()[0].find("TOPIX (1001) を取得できません"), std::string::npos);
    EXPECT_TRUE(report->indicesRefused);
    EXPECT_EQ(lastStoredDate(folder, SourceMode::Api), later.back());
}

TEST_F(ApiCatchUp, DaysOutsideThePlansWindowStopTheRunWithItsDates) {
    auto free = serverFor("free");
    // Free covers up to twelve weeks before the market's last day.
    std::vector<std::string> days = tradingDaysAfter("20240314", kToday);
    ArchiveTools tooRecent = tools(free->host(), ApiPlan::Free);
    ArchiveRunResult result = importDays(tooRecent, days, SourceMode::Api);
    EXPECT_TRUE(result.stopped);
    EXPECT_GT(result.imported, 0);
    ASSERT_EQ(prompter.messages().size(), 1u);
    const std::string message = prompter.messages()[0];
    EXPECT_NE(
        message.find("ご契約のプランで取得できるのは 2022-06-14 から 2024-03-22 までの株価です。"),
        std::string::npos)
        << message;
    EXPECT_NE(message.find("更新はここで止めます"), std::string::npos);
    EXPECT_EQ(lastStoredDate(folder, SourceMode::Api), "20240322");
}

TEST_F(ApiCatchUp, ASplitOfAStoredSecurityIsNamedWithTheCommandThatRefetchesIt) {
    const quotesim::SimulatedSecurity* split = nullptr;
    for (StockCode code : market_->codes()) {
        const auto* security = market_->find(code);
        for (const auto& each : security->splits)
            if (each.date > 20231201 && each.date <= 20240614 && code < 10000) split = security;
        if (split) break;
    }
    ASSERT_NE(split, nullptr) << "the generated market has no split in its last months";
    int32_t day = 0;
    for (const auto& each : split->splits)
        if (each.date > 20231201) day = each.date;
    test::writeFile(temp / "Data" / (codeText(split->code) + ".txt"), "20231130,1,1,1,1,1\n");
    ArchiveTools all = tools(server_->host(), ApiPlan::Premium);
    std::string date = std::to_string(day);
    EXPECT_EQ(importDays(all, std::vector<std::string>{date}, SourceMode::Api).imported, 1);
    ASSERT_EQ(report->splits.size(), 1u);
    EXPECT_EQ(report->splits[0].code, split->code);
    EXPECT_NE(
        report->describe().find("tavrento-cli refetch " + codeText(split->code) + " --source api"),
        std::string::npos);
    // The stored series is taken as traded: nothing before the split day changed.
    EXPECT_EQ(test::readFile(temp / "Data" / (codeText(split->code) + ".txt")).substr(0, 19),
              "20231130,1,1,1,1,1\n");
}

TEST_F(ApiCatchUp, AStopDuringAWaitEndsItAtOnceAndKeepsTheDaysBefore) {
    auto server = serverFor("");
    std::vector<std::string> days = tradingDaysAfter("20240425", kToday);
    days.resize(5);
    ArchiveTools free = tools(server->host(), ApiPlan::Free);
    // The user stops five seconds into the 13.2 s wait before the second day.
    auto stop = [this] { return pause.elapsed() >= 5000ms; };
    free.stopRequested = stop;
    // The fetcher was made with the options: make it again with the stop.
    ApiClientOptions options;
    options.pause = &pause;
    options.cancelled = stop;
    ApiAccess access{
        http,    prompter, server->host() + "/v2", [] { return ApiKeyLookup{"k", ""}; },
        options, kToday};
    free.fetchDay = apiDayFetcher(std::move(access));
    ArchiveRunResult result = importDays(free, days, SourceMode::Api);
    EXPECT_TRUE(result.stopped);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.imported, 1);
    EXPECT_LT(pause.elapsed(), 5200ms);
    EXPECT_EQ(server->requests().size(), 1u);
    // No failure is shown for a stop the user asked for.
    EXPECT_TRUE(prompter.messages().empty()) << prompter.messages()[0];
    EXPECT_EQ(lastStoredDate(folder, SourceMode::Api), days[0]);

    // The next run starts at the day that was broken off.
    ArchiveTools again = tools(server->host(), ApiPlan::Free);
    ArchiveRunResult rest = importDays(again, std::span(days).subspan(1), SourceMode::Api);
    EXPECT_FALSE(rest.stopped);
    EXPECT_EQ(rest.imported, 4);
    EXPECT_EQ(lastStoredDate(folder, SourceMode::Api), days.back());
}

// The window's update: after the summary, one question for the splits met;
// yes re-fetches each split-adjusted, no leaves the stored series as traded.
TEST_F(ApiCatchUp, TheUpdateOffersTheSplitAdjustedRefetch) {
    auto [code, day] = recentSplit();
    ASSERT_NE(code, 0) << "the generated market has no split in its last months";
    fs::create_directories(temp / "config" / "tavrento");
    test::writeFile(temp / "config" / "tavrento" / "jquants.plan", "premium\n");
    ::setenv("XDG_CONFIG_HOME", (temp / "config").c_str(), 1);
    ::setenv("TAVRENTO_JQUANTS_KEY", "k", 1);
    const std::string date = std::to_string(day);
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        const fs::path root = temp / (yes ? "Y" : "N");
        fs::create_directories(root / "Data");
        test::writeFile(root / "Endpoints.lst", Endpoints::fileTextForHost(server_->host()));
        const fs::path stored = root / "Data" / (codeText(code) + ".txt");
        test::writeFile(stored, "20231130,1,1,1,1,1\n");
        test::TestPlatform platform;
        platform.prompter.answers = {yes ? Answer::Yes : Answer::No};
        Workspace workspace(ProgramFolder(root.string()), platform.platform());
        workspace.offerSplitRefetch = true;
        runArchiveUpdate(workspace, ArchiveChoice{{date}, SourceMode::Api});
        auto questions = platform.prompter.questions();
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_NE(questions[0].find(codeText(code) + " (" + date.substr(0, 4) + "-"),
                  std::string::npos)
            << questions[0];
        const std::string bars = test::readFile(stored);
        if (yes) {
            // The whole history as adjusted replaced the traded bar in front.
            EXPECT_EQ(bars.find(",1,1,1,1,1\n"), std::string::npos);
            EXPECT_GT(std::count(bars.begin(), bars.end(), '\n'), 20);
        } else {
            EXPECT_EQ(bars.substr(0, 19), "20231130,1,1,1,1,1\n");
            EXPECT_EQ(std::count(bars.begin(), bars.end(), '\n'), 2);
        }
    }
    ::unsetenv("TAVRENTO_JQUANTS_KEY");
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace tav
