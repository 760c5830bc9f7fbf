// A first start on an empty folder against the quote-site simulator on
// 127.0.0.1: the master list and the store come from its archives, the
// window shows code 1010, and paging back past the stored bars fetches older
// ones.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "data/endpoints.h"
#include "data/price_store.h"
#include "settings/settings_sheet.h"
#include "support/simulator_suite.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "window/command_ids.h"
#include "window/main_window.h"
#include "workspace/archive.h"

namespace tav::desktop {
namespace {

constexpr LocalDate kToday{2024, 6, 14};

class FirstStart : public test::SimulatorSuite<FirstStart> {
  public:
    static quotesim::GeneratorSettings marketSettings() { return {8, 2, 5, kToday}; }

  protected:
    void SetUp() override {
        std::filesystem::create_directories(temp.path() / "folder");
        test::writeFile(temp.path() / "folder" / "Endpoints.lst",
                        Endpoints::fileTextForHost(server_->host()));
        tools.clock.date = kToday;
        // Made after the folder, so that it takes the folder's lock.
        workspace = std::make_unique<Workspace>(ProgramFolder((temp.path() / "folder").string()),
                                                tools.platform());
    }

    test::TempFolder temp;
    test::TestPlatform tools;
    std::unique_ptr<Workspace> workspace;
};

TEST_F(FirstStart, BuildsTheStoreShowsTheIndexAndPagesIntoThePast) {
    MainWindow window(*workspace);
    window.setUnattended(true);
    ASSERT_TRUE(workspace->initProgramFolder());
    tools.prompter.inputs = {std::string("20231201")};
    ASSERT_TRUE(createStoreFromArchives(*workspace, window.archiveDialog()));

    window.start(workspace->loadSettings(std::nullopt));
    window.resize(1000, 700);
    window.show();
    const BarSeries& series = workspace->series();
    EXPECT_EQ(series.code, 1010);
    EXPECT_EQ(series.bars.back().dateText(), "20240614");
    const int stored = series.count();
    const int visible = window.navigation().visible();
    ASSERT_GT(stored, visible);
    ASSERT_LT(stored, 2 * visible);
    EXPECT_EQ(window.viewState().endCount, stored);
    EXPECT_FALSE(window.headerLine().isEmpty());

    // One page back needs bars before the first stored day.
    window.viewState().markerA = stored - 5;
    QKeyEvent pageUp(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    QApplication::sendEvent(&window, &pageUp);
    EXPECT_GT(series.count(), stored);
    EXPECT_EQ(window.navigation().newest(), series.count() - 1 - visible);
    EXPECT_EQ(window.viewState().endCount, series.count() - visible);
    EXPECT_EQ(window.viewState().markerA, kNoBar);
    EXPECT_EQ(series.bars[window.navigation().newest()].dateText(),
              series.bars[series.count() - 1 - visible].dateText());

    // Forward again: the newest bar, and the longer series is kept at exit.
    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
    QApplication::sendEvent(&window, &home);
    EXPECT_EQ(window.navigation().newest(), series.count() - 1);
    const int extended = series.count();
    window.shutDown();
    EXPECT_EQ(loadSeries(dataFilePath(workspace->folder(), 1010, PeriodMode::Daily,
                                      StorageMode::Accumulate))
                  .size(),
              static_cast<std::size_t>(extended));
}

// 中止 during the data API's wait between two days ends the update at once:
// the first day stays, the message says the update was stopped, and the
// window takes input again.
TEST_F(FirstStart, CancelEndsAnApiUpdateDuringItsWait) {
    MainWindow window(*workspace);
    window.setUnattended(true);
    ASSERT_TRUE(workspace->initProgramFolder());
    tools.clock.date = LocalDate{2024, 6, 7};
    tools.prompter.inputs = {std::string("20240401")};
    ASSERT_TRUE(createStoreFromArchives(*workspace, window.archiveDialog()));
    tools.clock.date = kToday;
    // The Free plan (no plan stored) spaces its requests 13.2 s apart.
    ::setenv("XDG_CONFIG_HOME", (temp.path() / "config").c_str(), 1);
    ::setenv("TAVRENTO_JQUANTS_KEY", "k", 1);
    window.start(workspace->loadSettings(std::nullopt));
    window.resize(1000, 700);
    window.show();
    workspace->options().updateOption = kApiSourceMode;
    tools.prompter.calls.clear();

    const std::string marker = workspace->folder().dataPath(kApiLastDayFileName);
    QTimer clicker;
    clicker.setInterval(20);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (!std::filesystem::exists(marker) || !window.cancelRunButton()->isVisible()) return;
        clicker.stop();
        QTest::mouseClick(window.cancelRunButton(), Qt::LeftButton);
    });
    clicker.start();
    const auto started = std::chrono::steady_clock::now();
    window.runCommand(cmd::BulkUpdate);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    ::unsetenv("TAVRENTO_JQUANTS_KEY");
    ::unsetenv("XDG_CONFIG_HOME");

    EXPECT_FALSE(clicker.isActive());
    EXPECT_EQ(test::readFile(marker).substr(0, 8), "20240610");
    auto messages = tools.prompter.messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages[0].find("株価データの更新を中止しました。"), std::string::npos)
        << messages[0];
    EXPECT_FALSE(window.cancelRunButton()->isVisible());
    EXPECT_FALSE(workspace->stopRequested);
}

}  // namespace
}  // namespace tav::desktop
