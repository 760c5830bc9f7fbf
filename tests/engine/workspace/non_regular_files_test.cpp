// A FIFO (or any file that is not a regular file) in the program folder is
// passed over as if it were missing: opening one for reading would block
// until a writer came, so a test that regresses is ended by an alarm.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "conditions/capsule_file.h"
#include "core/file_io.h"
#include "core/text.h"
#include "simulation/strategy_file.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "updates/day_import.h"
#include "workspace/workspace.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

// Kills the test program (SIGALRM) rather than let it hang on a FIFO.
class Alarm {
  public:
    explicit Alarm(unsigned seconds) { ::alarm(seconds); }
    ~Alarm() { ::alarm(0); }
};

void makeFifo(const fs::path& path) {
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0) << path;
}

class NonRegularFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(
            temp / "Stock.lst",
            text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n6758,ソニー,東証1部,100,-\n"));
        test::writeFile(temp / "url.lst", "");
        workspace.initProgramFolder();
        test::writeFile(temp / "Data/7203.txt", "20240102,10,12,9,11,1000\n");
    }
    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
    Alarm alarm{20};
};

TEST_F(NonRegularFiles, AFifoInDataIsNoSeries) {
    makeFifo(temp / "Data/6758.txt");
    EXPECT_FALSE(workspace.loadStoredSeries(6758));
    EXPECT_TRUE(workspace.series().empty());
    EXPECT_FALSE(fileio::readFile((temp / "Data/6758.txt").string()));
    EXPECT_FALSE(fileio::appendToFile((temp / "Data/6758.txt").string(), "x\n"));
    // The regular file beside it still loads.
    EXPECT_TRUE(workspace.loadStoredSeries(7203));
    EXPECT_EQ(workspace.series().count(), 1);

    // A day's import stops at it before writing anything.
    const std::vector<DayLine> day = {{7203, "20240105", "20240105,11,12,10,11,500\n"},
                                      {6758, "20240105", "20240105,21,22,20,21,500\n"}};
    DayImportResult imported = appendDayLines(workspace.folder(), day);
    EXPECT_FALSE(imported.ok);
    EXPECT_EQ(imported.failedPath, (temp / "Data/6758.txt").string());
    EXPECT_EQ(test::readFile(temp / "Data/7203.txt"), "20240102,10,12,9,11,1000\n");
}

TEST_F(NonRegularFiles, AFifoAsARuleFileReadsAsMissing) {
    ConditionCapsule capsule;
    capsule.rowCount = 1;
    capsule.rows[0] = {5, 0, 0, 1};
    ASSERT_TRUE(writeCapsuleTitles(temp.str(), {"a", "b"}));
    ASSERT_TRUE(writeCapsuleFile((temp / capsuleFileName(0)).string(), capsule));
    makeFifo(temp / capsuleFileName(1));
    ASSERT_EQ(workspace.capsules().size(), 2u);
    EXPECT_EQ(workspace.capsules()[0].rowCount, 1);
    EXPECT_EQ(workspace.capsules()[1].rowCount, 0);

    makeFifo(temp / strategyFileName(1));
    ASSERT_TRUE(workspace.loadStoredSeries(7203));
    EXPECT_FALSE(workspace.runStrategyDisplay(1));

    // A watchlist file likewise lists nothing.
    makeFifo(temp / "Focus2.lst");
    workspace.watchlists().select(watchlistPosition(2));
    EXPECT_EQ(workspace.watchlists().displayedWatchlist(), 2);
    EXPECT_TRUE(workspace.watchlists().entries().empty());
}

}  // namespace
}  // namespace tav
