#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <filesystem>

#include "core/text.h"
#include "data/endpoints.h"
#include "desktop/dialogs/dialog_driving.h"
#include "panes/batch_progress.h"
#include "panes/watchlist_pane.h"
#include "simulation/strategy_file.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "watchlists/entry_lists.h"
#include "window/command_ids.h"
#include "window/main_window.h"
#include "window/toolbar.h"
#include "workspace/workspace.h"

namespace tav::desktop {
namespace {

// Two daily bars: the first spans low-high, the second closes at `close`.
std::string dayAfterRange(int low, int high, int close) {
    const auto bar = [](const char* date, int open, int hi, int lo, int cl) {
        return std::string(date) + ',' + std::to_string(open) + ',' + std::to_string(hi) + ',' +
               std::to_string(lo) + ',' + std::to_string(cl) + ",1000\n";
    };
    return bar("20240612", low, high, low, (low + high) / 2) +
           bar("20240613", close, close, close, close);
}

class WatchlistActions : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(temp / "Stock.lst",
                        text::sjisFromUtf8("1010,日経平均,東証1部,1,-\n"
                                           "1301,極洋,東証1部,100,-\n"
                                           "1332,日本水産,東証1部,100,-\n"
                                           "1377,サカタのタネ,東証1部,100,-\n"
                                           "1379,ホクト,東証1部,100,-\n"));
        test::writeFile(temp / "url.lst", text::sjisFromUtf8("自分の頁,http://127.0.0.1/mine\n"));
        // Nothing listens there: every fetch fails at once.
        test::writeFile(temp / "Endpoints.lst", Endpoints::fileTextForHost("http://127.0.0.1:1"));
        std::filesystem::create_directories(temp.path() / "Data");
        test::writeFile(temp / "Data/1010.txt", dayAfterRange(30000, 30200, 30100));
        test::writeFile(temp / "Data/1301.txt", dayAfterRange(1000, 1100, 1150));  // above
        test::writeFile(temp / "Data/1332.txt", dayAfterRange(1000, 1100, 950));   // below
        test::writeFile(temp / "Data/1377.txt", dayAfterRange(1000, 1100, 1050));  // inside
        // 1379 has no data: no mark.
        test::writeFile(temp / "Focus1.lst",
                        text::sjisFromUtf8("1301 極洋\n1332 日本水産\n1377 サカタのタネ\n"
                                           "1379 ホクト\n"));
        window = open(workspace);
    }

    std::unique_ptr<MainWindow> open(Workspace& on) {
        on.initProgramFolder();
        auto opened = std::make_unique<MainWindow>(on);
        opened->start(on.loadSettings(1010));
        opened->resize(1000, 700);
        opened->show();
        tools.prompter.calls.clear();
        return opened;
    }

    void showWatchlist(MainWindow& on, int number) {
        on.watchlistPane().selector()->setCurrentRow(watchlistPosition(number));
    }

    void waitForRun(MainWindow& on) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !on.marketRunGoing(); }, 20000));
    }

    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
    std::unique_ptr<MainWindow> window;
};

TEST_F(WatchlistActions, RangeMarksColourTheEntriesAfterARunOnTheWorker) {
    showWatchlist(*window, 1);
    workspace.options().rangeType = 0;  // yesterday's high and low
    window->runCommand(cmd::ListRange);
    ASSERT_TRUE(window->marketRunGoing());
    EXPECT_TRUE(window->watchlistPane().progress()->isVisible());
    EXPECT_FALSE(window->toolbar().button(cmd::ListRange)->isEnabled());
    waitForRun(*window);
    EXPECT_FALSE(window->watchlistPane().progress()->isVisible());

    struct Row {
        const char* line;
        QColor colour;  // invalid: the plain text colour
    };
    const Row rows[] = {
        {"1301 極洋", QColor(0xC8, 0x00, 0xC8)},      // 3, above the previous high
        {"1332 日本水産", QColor(0x00, 0x7F, 0x7F)},  // 4, below the previous low
        {"1377 サカタのタネ", QColor()},
        {"1379 ホクト", QColor()},  // no bars
    };
    QListWidget* entries = window->watchlistPane().entries();
    ASSERT_EQ(entries->count(), 4);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(entries->item(row)->text(), QString::fromUtf8(rows[row].line));
        const QVariant foreground = entries->item(row)->data(Qt::ForegroundRole);
        if (rows[row].colour.isValid())
            EXPECT_EQ(foreground.value<QBrush>().color(), rows[row].colour) << rows[row].line;
        else
            EXPECT_FALSE(foreground.isValid()) << rows[row].line;
    }
    EXPECT_EQ(workspace.series().code, 1010);
    EXPECT_TRUE(window->toolbar().button(cmd::ListRange)->isEnabled());
    test::shoot(*window, "watchlist_marks");
}

TEST_F(WatchlistActions, OwnStrategySurvivesANewWindowAndIsSelectedForSignals) {
    showWatchlist(*window, 1);
    QComboBox* selector = window->toolbar().strategySelector();
    ASSERT_GE(selector->count(), 2);
    selector->setCurrentIndex(1);
    {
        const auto entryMenu = window->watchlistPane().entryMenu();
        for (QAction* action : entryMenu->actions())
            if (action->text() == QStringLiteral("現戦略を設定(&T)")) action->trigger();
    }
    selector->setCurrentIndex(0);
    window.reset();
    ASSERT_TRUE(saveStrategy(temp.str(), 1, Strategy{}));

    // Another window on the same folder, with no strategy selected.
    test::TestPlatform otherTools;
    Workspace other{ProgramFolder(temp.str()), otherTools.platform()};
    auto second = open(other);
    EXPECT_EQ(other.watchlists().watchlistStrategy(1), 1);
    EXPECT_EQ(other.selectedStrategy(), 0);
    showWatchlist(*second, 1);
    second->runCommand(cmd::ListSignals);
    EXPECT_EQ(other.selectedStrategy(), 1);
    EXPECT_EQ(second->toolbar().strategySelector()->currentIndex(), 1);
    waitForRun(*second);
    EXPECT_EQ(otherTools.prompter.messages(), std::vector<std::string>{});
}

TEST_F(WatchlistActions, LevelExportWritesLayerTxtAndOpensIt) {
    showWatchlist(*window, 1);
    tools.prompter.answers = {Answer::No};  // blocks of 6
    QAction* export_ = nullptr;
    const auto menu = window->watchlistPane().entryMenu();
    for (QAction* action : menu->actions())
        if (action->text() == QStringLiteral("日計指標出力(&L)")) export_ = action;
    ASSERT_NE(export_, nullptr);
    export_->trigger();
    waitForRun(*window);
    const std::string path = (temp.path() / "Layer.txt").string();
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(tools.shell.opened, std::vector<std::string>{path});
    // Three securities with bars in one block of six: a header and 20 rows
    // of 132 columns ended by a blank line.
    const std::string layer = test::readFile(temp / "Layer.txt");
    EXPECT_EQ(layer.substr(0, 23), "1301 \x8b\xc9\x97m" + std::string(13, ' ') + "1");
    EXPECT_EQ(layer.find('\n'), 132u);
    EXPECT_EQ(layer.size(), 134u + 20 * 134 + 1);
}

TEST_F(WatchlistActions, BatchUpdateWithoutNetworkSummarisesAndLeavesFilesIntact) {
    showWatchlist(*window, 1);
    const std::string before = test::readFile(temp / "Data/1301.txt");
    window->runCommand(cmd::ListUpdate);
    // The worker owns the workspace: the window is a still picture meanwhile.
    ASSERT_TRUE(window->marketRunGoing());
    EXPECT_TRUE(window->storeRunGoing());
    window->runCommand(cmd::BulkUpdate);  // refused while it runs
    waitForRun(*window);
    EXPECT_FALSE(window->storeRunGoing());

    EXPECT_EQ(tools.prompter.questions().size(), 1u);
    EXPECT_TRUE(window->statusText().startsWith(
        QStringLiteral("完了 0 件、スキップ 0 件、失敗 4 件（1301 ")))
        << window->statusText().toStdString();
    EXPECT_EQ(test::readFile(temp / "Data/1301.txt"), before);
    EXPECT_FALSE(std::filesystem::exists(temp.path() / "Data/1379.txt"));
    EXPECT_EQ(workspace.series().code, 1010);
    EXPECT_EQ(workspace.series().count(), 2);
}

TEST_F(WatchlistActions, LinkMenuListsUrlLstAndOpensTheChosenAddress) {
    const auto menu = window->investmentMenu();
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 6);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("財務指標"));
    EXPECT_EQ(actions[5]->text(), QStringLiteral("自分の頁"));
    actions[5]->trigger();
    EXPECT_EQ(tools.shell.opened, std::vector<std::string>{"http://127.0.0.1/mine"});

    std::filesystem::remove(temp.path() / "url.lst");
    EXPECT_EQ(window->investmentMenu(), nullptr);
    EXPECT_EQ(tools.prompter.messages(),
              std::vector<std::string>{"[url.lst]　が見つかりませんので投資情報は使えません。"});
}

}  // namespace
}  // namespace tav::desktop
