// The store after a kill: the daily import is killed at every point between
// its files (a child process and SIGKILL), a re-fetch and a killed atomic
// rewrite happen before the next start, then the commands run; every file
// must be whole, its dates strictly increasing, and nothing of the re-fetch
// lost. Shared files edited by two processes at once lose nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <set>

#include "cli_support.h"
#include "core/file_io.h"
#include "core/local_date.h"
#include "core/text.h"
#include "data/folder_lock.h"
#include "data/price_store.h"
#include "support/temp_folder.h"
#include "updates/day_csv.h"
#include "updates/day_import.h"

namespace tav::test {
namespace {

constexpr StockCode kCodes[] = {1010, 1301, 6758, 7203, 9984};
constexpr const char* kRefetched =
    "20231228,5,6,4,5,10\n20240104,5,6,4,5,10\n20240105,7,8,6,7,20\n";

class StoreFault : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(temp / "folder/Data");
        std::filesystem::create_directories(temp / "folder/Source");
        writeFile(temp / "folder/Stock.lst",
                  text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n"));
        for (StockCode code : kCodes)
            if (code != 9984) writeFile(data(code), "20240103,1,2,1,2,5\n20240104,2,3,1,2,6\n");
        std::string csv;
        for (StockCode code : kCodes)
            csv +=
                "2024/01/05," + std::to_string(code == 1010 ? 1001 : code) + ",n,3,4,2,3,70000\n";
        day = parseDayCsv(csv).lines;
    }
    std::filesystem::path data(StockCode code) const {
        return temp / "folder/Data" / (std::to_string(code) + ".txt");
    }
    std::string folder() const { return (temp / "folder").string(); }
    CliResult cli(std::vector<std::string> words) {
        words.insert(words.begin(), {"--folder", folder()});
        return runCli(words);
    }
    // Imports the day in a child that kills itself before writing file `at`.
    void killedImport(int at) {
        pid_t pid = ::fork();
        if (pid == 0) {
            int files = 0;
            appendDayLines(ProgramFolder(folder()), day, [&](StockCode) {
                if (++files == at) ::kill(::getpid(), SIGKILL);
            });
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status));
    }
    // Every line a bar with a real date, dates strictly increasing.
    void expectWhole(StockCode code) {
        if (!std::filesystem::exists(data(code))) return;
        std::string bytes = readFile(data(code));
        ASSERT_TRUE(bytes.empty() || bytes.back() == '\n') << code;
        std::string previous;
        fileio::forEachLine(bytes, [&](std::string_view line) {
            LocalDate date;
            EXPECT_EQ(std::count(line.begin(), line.end(), ','), 5) << code << ": " << line;
            EXPECT_TRUE(parseDate8(line.substr(0, 8), date)) << code << ": " << line;
            EXPECT_GT(std::string(line.substr(0, 8)), previous) << code;
            previous = std::string(line.substr(0, 8));
        });
    }
    TempFolder temp;
    std::vector<DayLine> day;
};

TEST_F(StoreFault, AKilledImportNeverShowsNorCutsAnything) {
    const int files = static_cast<int>(std::size(kCodes));
    for (int at = 1; at <= files; ++at) {
        SCOPED_TRACE("killed before file " + std::to_string(at));
        SetUp();
        std::filesystem::remove(data(9984));
        killedImport(at);
        ASSERT_TRUE(std::filesystem::exists(temp / "folder/Data/DayImport.jnl"));
        // Re-fetched before the next start; a rewrite killed before its rename.
        ASSERT_TRUE(fileio::writeFileAtomic(data(7203).string(), kRefetched));
        writeFile(temp / "folder/Data/6758.txt.tmp-Ab12Cd", "20240105,9");

        {
            // Another instance holds the folder: readers see no half day.
            FolderLock other(folder());
            ASSERT_TRUE(other.held());
            CliResult shown = cli({"series", "1301"});
            EXPECT_EQ(shown.exitCode, 0);
            EXPECT_EQ(shown.out.find("20240105"), std::string::npos) << shown.out;
            EXPECT_NE(cli({"series", "7203"}).out.find("20231228"), std::string::npos);
        }

        // The first start that may write takes the day back, and only it.
        EXPECT_EQ(cli({"dump", "1301"}).exitCode, 0);
        EXPECT_FALSE(std::filesystem::exists(temp / "folder/Data/DayImport.jnl"));
        EXPECT_FALSE(std::filesystem::exists(temp / "folder/Data/6758.txt.tmp-Ab12Cd"));
        EXPECT_EQ(readFile(data(7203)), kRefetched);
        for (StockCode code : {1010, 1301, 6758})
            EXPECT_EQ(readFile(data(code)), "20240103,1,2,1,2,5\n20240104,2,3,1,2,6\n");
        EXPECT_FALSE(std::filesystem::exists(data(9984)));

        // Imported again, the day comes in whole, once.
        ASSERT_TRUE(appendDayLines(ProgramFolder(folder()), day).ok);
        for (StockCode code : kCodes)
            expectWhole(code);
        EXPECT_EQ(readFile(data(7203)), kRefetched);
        EXPECT_EQ(cli({"series", "9984"}).out,
                  "date,open,high,low,close,volume\n20240105,3,4,2,3,70000\n");
    }
}

TEST_F(StoreFault, IndexBarsImportedByHandLeaveTheUpdateStartAndImpossibleLinesStayOut) {
    // The index's next two days from a CSV file, as a user whose source lacks it would.
    writeFile(temp / "index.csv",
              "Date,Open,High,Low,Close,Volume\n2024-01-05,\"33,100\",\"33,400\",\"33,000\","
              "\"33,300\",0\n2024-01-08,33300,33500,33200,33400,0\n");
    CliResult imported = cli({"--yes", "import", "1010", (temp / "index.csv").string()});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_NE(readFile(data(1010)).find("20240105,33100,33400,33000,33300,0\n"), std::string::npos);

    // The archives of those days, one line of each refused.
    writeFile(temp / "folder/Source/20240105.csv",
              "2024/01/05,1001,N225,33100,33400,33000,33300,10000\n2024/01/05,1301,n,3,4,2,3,100\n"
              "2024/01/05,6758,n,3,2,4,3,100\n");
    writeFile(temp / "folder/Source/20240108.csv",
              "2024/01/08,1001,N225,33300,33500,33200,33400,10000\n2024/01/08,1301,n,3,4,2,3,200\n"
              "2024/01/08,6758,n,3,4,2,3,12345678901234567890\n");
    CliResult updated = cli({"update", "--mode", "0"});
    EXPECT_EQ(updated.exitCode, 0) << updated.err;
    EXPECT_NE(updated.out.find("days added: 2"), std::string::npos) << updated.out;
    EXPECT_NE(updated.out.find("rejected lines: 2"), std::string::npos) << updated.out;
    EXPECT_EQ(
        readFile(data(1301)),
        "20240103,1,2,1,2,5\n20240104,2,3,1,2,6\n20240105,3,4,2,3,100\n20240108,3,4,2,3,200\n");
    EXPECT_EQ(readFile(data(6758)), "20240103,1,2,1,2,5\n20240104,2,3,1,2,6\n");
    for (StockCode code : kCodes)
        expectWhole(code);
}

TEST_F(StoreFault, TwoProcessesEditingOneWatchlistLoseNothing) {
    writeFile(temp / "folder/Focus.inf", "list\n");
    std::string master;
    for (int code = 1301; code < 1321; ++code)
        master += std::to_string(code) + ",n,-,100,-\n";
    writeFile(temp / "folder/Stock.lst", master);
    std::vector<std::future<CliResult>> runs;
    for (int code = 1301; code < 1321; ++code)
        runs.push_back(std::async(std::launch::async, [this, code] {
            return cli({"watchlist", "1", "add", std::to_string(code)});
        }));
    std::set<std::string> added;
    for (int i = 0; i < static_cast<int>(runs.size()); ++i) {
        CliResult result = runs[static_cast<std::size_t>(i)].get();
        if (result.exitCode == 0)
            added.insert(std::to_string(1301 + i));
        else
            EXPECT_NE(result.err.find("別のTavrentoが使用中"), std::string::npos) << result.err;
    }
    std::set<std::string> listed;
    fileio::forEachLine(readFile(temp / "folder/Focus1.lst"), [&](std::string_view line) {
        listed.insert(std::string(line.substr(0, 4)));
    });
    EXPECT_EQ(listed, added);
    EXPECT_FALSE(added.empty());
}

}  // namespace
}  // namespace tav::test
