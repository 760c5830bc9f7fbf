// The store commands against the quote-site simulator on 127.0.0.1, with the
// machine's own date as the command line sees it.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "cli_support.h"
#include "data/endpoints.h"
#include "platform/linux/system_clock.h"
#include "support/simulator_suite.h"
#include "support/temp_folder.h"

namespace tav::test {
namespace {

class UpdateCli : public test::SimulatorSuite<UpdateCli> {
  public:
    static quotesim::GeneratorSettings marketSettings() { return {6, 1, 9, SystemClock().today()}; }

  protected:
    // An empty program folder that knows only where the servers are.
    std::string emptyFolder(const std::string& name) {
        std::string folder = (temp / name).string();
        std::filesystem::create_directories(folder);
        writeFile(folder + "/Endpoints.lst", Endpoints::fileTextForHost(server_->host()));
        return folder;
    }
    // The dates of the index's last n trading days, and the day before them.
    std::vector<int32_t> lastDays(std::size_t n, int32_t& before) {
        const auto& bars = market_->find(1010)->bars;
        before = bars[bars.size() - n - 1].date;
        std::vector<int32_t> dates;
        for (std::size_t i = bars.size() - n; i < bars.size(); ++i)
            dates.push_back(bars[i].date);
        return dates;
    }
    std::vector<int32_t> dumpedDates(const std::string& folder) {
        CliResult dump = runCli({"--folder", folder, "dump", "1010"});
        EXPECT_EQ(dump.exitCode, 0) << dump.err;
        std::vector<int32_t> dates;
        std::size_t start = dump.out.find('\n') + 1;
        while (start < dump.out.size()) {
            dates.push_back(std::stoi(dump.out.substr(start, 8)));
            start = dump.out.find('\n', start) + 1;
            if (start == 0) break;
        }
        return dates;
    }

    TempFolder temp;
};

TEST_F(UpdateCli, UpdateFromADateBuildsTheStoreThatDumpShows) {
    std::string folder = emptyFolder("D");
    int32_t before = 0;
    std::vector<int32_t> days = lastDays(25, before);
    CliResult result = runCli({"--folder", folder, "update", "--from", std::to_string(before)});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("days added: 25"), std::string::npos) << result.out;
    EXPECT_EQ(dumpedDates(folder), days);

    // Up to date: nothing more comes; a bad mode or date is refused.
    result = runCli({"--folder", folder, "update"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("days added: 0"), std::string::npos) << result.out;
    EXPECT_EQ(runCli({"--folder", folder, "update", "--mode", "4"}).exitCode, 2);
    EXPECT_EQ(dumpedDates(folder), days);

    std::string other = emptyFolder("E");
    result = runCli({"--folder", other, "update", "--from", "2024-01-01"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(other + "/Data/1010.txt"));
}

TEST_F(UpdateCli, TheFirstStartAsksForTheStartDate) {
    std::string folder = emptyFolder("F");
    // No answer (no terminal): the folder is set up, the store stays empty.
    CliResult result = runCli({"--folder", folder, "init"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("[input] 株価データ作成開始日入力: 作成開始日"), std::string::npos);
    EXPECT_NE(result.out.find("the store is empty"), std::string::npos);

    int32_t before = 0;
    std::vector<int32_t> days = lastDays(10, before);
    result = runCli({"--folder", folder, "init", "--from", std::to_string(before)});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("株価データが全くありませんので新規に作成します。"),
              std::string::npos);
    EXPECT_NE(result.out.find("store created"), std::string::npos) << result.out;
    EXPECT_EQ(dumpedDates(folder), days);

    // A stock is then shown from its file, and its history recorded.
    StockCode code = 0;
    for (StockCode listed : market_->codes())
        if (securityKind(listed) == SecurityKind::JapaneseStock) code = listed;
    result = runCli({"--folder", folder, "show", std::to_string(code)});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("bars: 10 "), std::string::npos) << result.out;
    EXPECT_NE(runCli({"--folder", folder, "history", "show"}).out.find(std::to_string(code)),
              std::string::npos);
}

TEST_F(UpdateCli, TheApiDaysAndACsvFileKeepTheKeyOutOfEverything) {
    const std::string key = "secret-4d1f8e0b";
    quotesim::ServerOptions options;
    options.apiKey = key;
    quotesim::SimServer api(*market_, options);
    ASSERT_GT(api.start(0), 0);
    std::string folder = emptyFolder("K");
    writeFile(folder + "/Endpoints.lst", Endpoints::fileTextForHost(api.host()));
    // The plan and the key live in a config folder of the test's own.
    ::setenv("XDG_CONFIG_HOME", (temp / "config").c_str(), 1);
    ::setenv("TAVRENTO_JQUANTS_KEY", key.c_str(), 1);
    int32_t before = 0;
    std::vector<int32_t> days = lastDays(5, before);
    CliResult result = runCli({"--folder", folder, "--yes", "update", "--from",
                               std::to_string(before), "--source", "api", "--plan", "premium"});
    ::unsetenv("TAVRENTO_JQUANTS_KEY");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(readFile(temp / "config" / "tavrento" / "jquants.plan"), "premium\n");
    EXPECT_NE(result.out.find("days added: 5"), std::string::npos) << result.out;

    // A CSV of older days goes in front of the stored ones.
    writeFile(folder + "/old.csv",
              "Date,Open,High,Low,Close,Volume\n2001-02-05,10,12,9,11,100\n"
              "2001-02-30,1,1,1,1,1\n");
    StockCode stock = market_->codes().back();
    for (StockCode listed : market_->codes())
        if (securityKind(listed) == SecurityKind::JapaneseStock) stock = listed;
    result =
        runCli({"--folder", folder, "--yes", "import", std::to_string(stock), folder + "/old.csv"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("不正な行: 1 行"), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("bars: 6 (20010205 - "), std::string::npos) << result.out;

    // Without the key the API refuses, and says so.
    result =
        runCli({"--folder", folder, "--yes", "refetch", std::to_string(stock), "--source", "api"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("TAVRENTO_JQUANTS_KEY"), std::string::npos) << result.err;

    // The key from standard input; the re-fetch then replaces the API's days
    // and keeps the CSV's older one in front.
    result = runCli({"--folder", folder, "api-key", "set"}, key + "\n");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(runCli({"--folder", folder, "api-key", "test"}).exitCode, 0);
    result =
        runCli({"--folder", folder, "--yes", "refetch", std::to_string(stock), "--source", "api"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::size_t apiBars = market_->find(stock)->bars.size();
    EXPECT_NE(result.out.find("bars: " + std::to_string(apiBars + 1) + " (20010205 - "),
              std::string::npos)
        << result.out;
    EXPECT_EQ(runCli({"--folder", folder, "api-key", "remove"}).exitCode, 0);
    EXPECT_EQ(runCli({"--folder", folder, "api-key", "test"}).exitCode, 1);
    ::unsetenv("XDG_CONFIG_HOME");

    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            EXPECT_EQ(readFile(entry.path()).find(key), std::string::npos) << entry.path();
        }
    }
    for (const std::string& request : api.requests())
        EXPECT_EQ(request.find(key), std::string::npos);
}

// Ctrl-C during the Free plan's wait between two days: the run stops within
// moments, says so and exits 130 with the first day kept.
TEST_F(UpdateCli, CtrlCStopsAnApiUpdateBetweenItsDays) {
    quotesim::SimServer api(*market_, quotesim::ServerOptions{});
    ASSERT_GT(api.start(0), 0);
    ::setenv("XDG_CONFIG_HOME", (temp / "config").c_str(), 1);
    ::setenv("TAVRENTO_JQUANTS_KEY", "k", 1);
    int32_t before = 0;
    std::vector<int32_t> days = lastDays(5, before);
    std::string folder = emptyFolder("C");
    writeFile(folder + "/Endpoints.lst", Endpoints::fileTextForHost(api.host()));
    using Clock = std::chrono::steady_clock;
    Clock::time_point sent;
    // SIGINT once the first day is stored, during the wait before the second.
    auto interrupt = [&](int pid) {
        const std::string marker = folder + "/Data/ApiLastDay.txt";
        for (int i = 0; i < 100 && !std::filesystem::exists(marker); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sent = Clock::now();
        ::kill(pid, SIGINT);
    };
    CliResult result = runCli({"--folder", folder, "--yes", "update", "--from",
                               std::to_string(before), "--source", "api", "--plan", "free"},
                              "", interrupt);
    EXPECT_LT(Clock::now() - sent, std::chrono::seconds(3));
    EXPECT_EQ(result.exitCode, 130) << result.err;
    EXPECT_NE(result.err.find("株価データの更新を中止しました。"), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("days added: 1,"), std::string::npos) << result.out;
    EXPECT_EQ(readFile(folder + "/Data/ApiLastDay.txt").substr(0, 8), std::to_string(days[0]));
    // The store goes on from there.
    result =
        runCli({"--folder", folder, "--yes", "update", "--source", "api", "--plan", "premium"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("days added: 4,"), std::string::npos) << result.out;

    ::unsetenv("TAVRENTO_JQUANTS_KEY");
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace tav::test
