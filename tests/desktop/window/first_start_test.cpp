// A first start on an empty folder against the quote-site simulator on
// 127.0.0.1: the master list and the store come from its archives, the
// window shows code 1010, and paging back past the stored bars fetches older
// ones.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <filesystem>
#include <memory>

#include "data/endpoints.h"
#include "data/price_store.h"
#include "support/simulator_suite.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
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

}  // namespace
}  // namespace tav::desktop
