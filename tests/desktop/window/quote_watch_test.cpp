// The quote watch and the one-off quote against a quote page served on
// 127.0.0.1: the fetched prices become today's provisional bar.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QListWidget>
#include <QTest>

#include "data/endpoints.h"
#include "engine/quotes/quote_pages.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "panes/watchlist_pane.h"
#include "watchlists/entry_lists.h"
#include "window/command_ids.h"
#include "window/main_window.h"
#include "window/toolbar.h"
#include "workspace/workspace.h"

namespace tav::desktop {
namespace {

// marker, then filler up to `offset` bytes from the marker's start, then the value.
std::string field(const std::string& marker, std::size_t offset, const std::string& value) {
    return marker + std::string(offset - text::sjisLength(marker), '-') + value + "</td>";
}

std::string quotePage() {
    return "<html>\n<tr align=\"center\"><td>取引値</td><td><b>2,345</b></td>" +
           field("出来高", 10, "1,500,000") + field("時価総額", 12, "1,000億円") +
           "</tr>\n<tr align=\"left\">" + field("始値", 8, "2,300") + field("高値", 8, "2,360") +
           field("安値", 8, "2,290") + "</tr>\n</html>\n";
}

class QuoteWatchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(temp / "Stock.lst", test::sjis("7203,トヨタ自動車,東証1部,100,-\n"));
        test::writeFile(temp / "url.lst", "");
        test::writeFile(temp / "Endpoints.lst", Endpoints::fileTextForHost(server.host()));
        workspace.initProgramFolder();
        // The clock says 2024-06-14; the stored bars end the day before.
        test::writeFile(temp / "Data/7203.txt",
                        "20240611,2200,2250,2190,2240,1000\n20240612,2240,2260,2230,2250,1100\n"
                        "20240613,2250,2300,2240,2280,1200\n");
        window.start(workspace.loadSettings(7203));
        window.resize(1000, 700);
    }

    std::string body = test::euc(quotePage());
    test::QuoteServer server{[this](const httplib::Request&, httplib::Response& response) {
        response.set_content(body, "text/html");
    }};
    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
    MainWindow window{workspace};
};

TEST_F(QuoteWatchTest, WatchAddsTodaysProvisionalBarAndShowsItself) {
    ASSERT_EQ(workspace.series().count(), 3);
    window.runCommand(cmd::QuoteWatch);
    EXPECT_TRUE(window.quoteWatchRunning());
    EXPECT_TRUE(window.toolbar().button(cmd::QuoteWatch)->isChecked());
    ASSERT_EQ(workspace.series().count(), 4);
    const DailyBar& today = workspace.series().bars.back();
    EXPECT_EQ(today.dateText(), "20240614");
    EXPECT_EQ(today.close, 2345);
    EXPECT_EQ(today.open, 2300);
    EXPECT_TRUE(today.provisional);
    EXPECT_EQ(window.viewState().endCount, 4);
    EXPECT_TRUE(window.repaintPending());

    window.runCommand(cmd::QuoteWatch);
    EXPECT_FALSE(window.quoteWatchRunning());
    EXPECT_FALSE(window.toolbar().button(cmd::QuoteWatch)->isChecked());
}

TEST_F(QuoteWatchTest, AnUnreadablePageAddsNothing) {
    body = "<html>maintenance</html>";
    window.runCommand(cmd::QuoteWatch);
    EXPECT_TRUE(window.quoteWatchRunning());
    EXPECT_EQ(workspace.series().count(), 3);
    EXPECT_TRUE(tools.prompter.calls.empty());  // the watch fails silently
}

// With the watch on, a watchlist's range marks take each entry's current
// quote as its provisional bar, not only the quote of the security shown.
TEST_F(QuoteWatchTest, RangeMarksTakeEveryEntrysQuoteWhileWatching) {
    test::writeFile(temp / "Stock.lst",
                    test::sjis("6758,ソニー,東証1部,100,-\n7203,トヨタ自動車,東証1部,100,-\n"));
    // Stored closes stay inside the day before; the served 2,345 is above it.
    test::writeFile(temp / "Data/6758.txt",
                    "20240612,2250,2300,2200,2250,1000\n20240613,2250,2300,2200,2250,1000\n");
    test::writeFile(temp / "Focus1.lst", test::sjis("6758 ソニー\n"));
    window.show();
    window.watchlistPane().selector()->setCurrentRow(watchlistPosition(1));
    workspace.options().rangeType = 0;  // the high and low of the bar before
    const auto mark = [&] {
        window.runCommand(cmd::ListRange);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window.marketRunGoing(); }, 20000));
        return workspace.watchlists().entries().at(0).mark;
    };
    EXPECT_EQ(mark(), 0);
    window.runCommand(cmd::QuoteWatch);
    EXPECT_EQ(mark(), 3);
    EXPECT_TRUE(tools.prompter.calls.empty());
    // The quotes reached the run only: the stored series is as it was.
    EXPECT_EQ(test::readFile(temp / "Data/6758.txt"),
              "20240612,2250,2300,2200,2250,1000\n20240613,2250,2300,2200,2250,1000\n");
}

}  // namespace
}  // namespace tav::desktop
