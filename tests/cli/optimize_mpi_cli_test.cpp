#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cli_support.h"
#include "support/generated_market.h"
#include "support/temp_folder.h"

namespace tav::test {
namespace {

// optimize under mpirun: the processes share the runs and print, once, what
// one process prints.
class OptimizeMpiCli : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef TAV_MPIEXEC
        launcher = TAV_MPIEXEC;
#endif
        if (launcher.empty() || ::access(launcher.c_str(), X_OK) != 0)
            GTEST_SKIP() << "tavrento-cli is built without MPI, or mpirun is missing";
        GeneratedMarket{24, 400, 5}.writeTo(folder());
    }
    std::string folder() const {
        return (temp / "folder").string();
    }
    std::vector<std::string> command(const std::vector<std::string>& words) const {
        std::vector<std::string> line = {"--folder", folder(), "optimize", "--strategy", "1"};
        line.insert(line.end(), words.begin(), words.end());
        return line;
    }
    CliResult alone(const std::vector<std::string>& words, const char* threads) {
        auto line = command(words);
        line.insert(line.end(), {"--threads", threads});
        return runCli(line);
    }
    CliResult shared(const std::vector<std::string>& words, int processes, const char* threads) {
        std::vector<std::string> line = {"-np", std::to_string(processes), "--oversubscribe"};
        // CI runs as root, which OpenMPI refuses unless told.
        if (::geteuid() == 0) line.push_back("--allow-run-as-root");
        line.push_back(TAV_CLI_PATH);
        const auto words2 = command(words);
        line.insert(line.end(), words2.begin(), words2.end());
        line.insert(line.end(), {"--threads", threads});
        return runProgram(launcher, line);
    }
    std::string launcher;
    TempFolder temp;
};

TEST_F(OptimizeMpiCli, TheSameBytesAsOneProcess) {
    const std::vector<std::string> sweep = {
        "--param", "1.stop.1.value=2..8/3", "--param",     "kijunPeriod=20,26",
        "--param", "1.buy.1.day=0,1",       "--objective", "net-profit"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), sweep.begin(), sweep.end());
        more.insert(more.end(), {"--min-trades", "3"});
        return more;
    };
    const struct {
        std::vector<std::string> words;
        int processes;
        const char* shows;  // the last part of the output
    } cases[] = {
        {with({"--walk-forward", "6:3", "--pbo", "4", "--monte-carlo", "200"}), 2, "モンテカルロ"},
        {with({"--format", "csv", "--search", "evolve", "--budget", "9", "--seed", "5",
               "--walk-forward", "6:3:anchored", "--monte-carlo", "50"}),
         3, "monteCarloFinalEquity95"},
        {with({"--format", "json", "--pbo", "4"}), 2, "\"pbo\""},
    };
    for (const auto& c : cases) {
        const CliResult one = alone(c.words, "1");
        ASSERT_EQ(one.exitCode, 0) << one.err;
        EXPECT_NE(one.out.find(c.shows), std::string::npos) << one.out;
        EXPECT_EQ(alone(c.words, "2").out, one.out);
        const CliResult many = shared(c.words, c.processes, "1");
        EXPECT_EQ(many.exitCode, 0) << many.err;
        EXPECT_EQ(many.out, one.out) << c.processes << " processes";
        // Only the first process writes: the summary comes once.
        EXPECT_EQ(many.err, one.err);
    }
    const CliResult threads = shared(cases[0].words, 2, "2");
    EXPECT_EQ(threads.out, alone(cases[0].words, "2").out);
}

TEST_F(OptimizeMpiCli, RefusalsComeOnceWithTheSameExit) {
    // A usage error every process finds alike; a command that cannot share.
    const CliResult bad = shared({"--param", "1.buy.1.day=1", "--objective", "best"}, 2, "1");
    EXPECT_EQ(bad.exitCode, 2);
    const auto first = bad.err.find("--objective takes");
    ASSERT_NE(first, std::string::npos) << bad.err;
    EXPECT_EQ(bad.err.find("--objective takes", first + 1), std::string::npos) << bad.err;

    std::vector<std::string> line = {"-np", "2", "--oversubscribe"};
    if (::geteuid() == 0) line.push_back("--allow-run-as-root");
    line.insert(line.end(), {TAV_CLI_PATH, "--folder", folder(), "watchlists"});
    const CliResult other = runProgram(launcher, line);
    EXPECT_EQ(other.exitCode, 2);
    EXPECT_NE(other.err.find("only optimize shares its work"), std::string::npos) << other.err;
}

}  // namespace
}  // namespace tav::test
