#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include "core/file_io.h"
#include "core/text.h"
#include "data/endpoints.h"
#include "desktop/dialogs/dialog_driving.h"
#include "dialogs/market_run_fields.h"
#include "dialogs/multi_run_dialog.h"
#include "dialogs/portfolio_dialog.h"
#include "dialogs/profit_view.h"
#include "dialogs/screening_dialog.h"
#include "dialogs/simulation_result_dialog.h"
#include "panes/watchlist_pane.h"
#include "support/generated_market.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "window/command_ids.h"
#include "window/main_window.h"
#include "window/toolbar.h"
#include "workspace/workspace.h"

namespace tav::desktop {
namespace {

// Runs `act` on the modal dialog of type D once it opens, however late.
template <typename D>
void whenItOpens(std::function<void(D&)> act, int triesLeft = 500) {
    QTimer::singleShot(10, [act, triesLeft] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget()))
            act(*dialog);
        else if (triesLeft > 0)
            whenItOpens<D>(act, triesLeft - 1);
    });
}

// Two daily bars per security: the close moves from `before` to `after`.
std::string twoBars(int before, int after) {
    return "20240604," + std::to_string(before) + ',' + std::to_string(before) + ',' +
           std::to_string(before) + ',' + std::to_string(before) + ",1000\n20240605," +
           std::to_string(after) + ',' + std::to_string(after) + ',' + std::to_string(after) + ',' +
           std::to_string(after) + ",2000\n";
}

class MarketRunWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(temp / "url.lst", "");
        test::writeFile(temp / "Endpoints.lst", Endpoints::fileTextForHost("http://127.0.0.1:1"));
    }

    // The window open on `code`; the folder must be filled beforehand.
    std::unique_ptr<MainWindow> open(StockCode code) {
        workspace.initProgramFolder();
        const StockCode start = workspace.loadSettings(code);
        auto window = std::make_unique<MainWindow>(workspace);
        window->start(start);
        window->resize(1000, 700);
        window->show();
        tools.prompter.calls.clear();
        return window;
    }

    // The generated codes, each listed with a known unit so that none is left out.
    void writeListedMaster(int count) {
        std::string master;
        for (StockCode code = 2000; code < 2000 + count; ++code)
            master += std::to_string(code) + ",銘柄" + std::to_string(code) + ",東証1部,100,貸借\n";
        test::writeFile(temp / "Stock.lst", text::sjisFromUtf8(master));
    }

    static std::vector<std::string> paneLines(MainWindow& window) {
        std::vector<std::string> lines;
        QListWidget* entries = window.watchlistPane().entries();
        for (int row = 0; row < entries->count(); ++row)
            lines.push_back(entries->item(row)->text().toStdString());
        return lines;
    }

    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
};

TEST_F(MarketRunWindow, ScreeningRunsBesideTheWindowAndEndsOnTheOutputWatchlist) {
    test::writeFile(temp / "Stock.lst", text::sjisFromUtf8("1010,日経平均,東証1部,1,-\n"
                                                           "1301,極洋,東証1部,1000,貸借\n"
                                                           "1332,日本水産,東証1部,1000,貸借\n"
                                                           "1377,サカタのタネ,東証1部,100,貸借\n"
                                                           "1379,ホクト,東証1部,100,貸借\n"
                                                           "1380,秋川牧園,JASDAQ,100,-\n"));
    test::writeFile(temp / "Focus.inf", text::sjisFromUtf8("入力\n出力\n"));
    test::writeFile(temp / "Focus2.lst", text::sjisFromUtf8("9999 前回\n"));
    std::filesystem::create_directories(temp.path() / "Data");
    test::writeFile(temp / "Data/1010.txt", twoBars(30000, 30100));
    test::writeFile(temp / "Data/1301.txt", twoBars(1000, 1050));  // +5 %
    test::writeFile(temp / "Data/1332.txt", twoBars(1000, 1049));  // +4.9 %
    test::writeFile(temp / "Data/1377.txt", twoBars(200, 230));    // +15 %
    test::writeFile(temp / "Data/1380.txt", twoBars(500, 600));    // other market
    // 1379 has no data: skipped and counted.
    auto window = open(1010);
    const int barsShown = workspace.series().count();

    test::whenOpen<ScreeningDialog>([](ScreeningDialog& d) {
        d.searchItem()->setCurrentIndex(27);  // 前日比値上り率[％]
        d.value()->setText("5");
        d.filters().market()->setCurrentIndex(1);
        d.filters().liquidity()->setCurrentIndex(0);
        d.input()->setCurrentIndex(0);
        d.output()->setCurrentIndex(1);
        d.accept();
    });
    window->runCommand(cmd::Screening);

    // Its end comes through the event loop, so the run is still going here.
    ASSERT_TRUE(window->marketRunGoing());
    for (int id : {cmd::Screening, cmd::Simulation, cmd::Portfolio, cmd::BulkUpdate,
                   cmd::DiscardStore, cmd::UpdateMaster, cmd::RankingDownload})
        EXPECT_FALSE(window->toolbar().button(id)->isEnabled()) << id;
    EXPECT_TRUE(window->toolbar().button(cmd::ZoomIn)->isEnabled());
    EXPECT_FALSE(window->watchlistPane().selector()->isEnabled());
    EXPECT_TRUE(window->cancelRunButton()->isVisible());
    bool secondDialog = false;
    test::whenOpen<ScreeningDialog>([&secondDialog](ScreeningDialog& d) {
        secondDialog = true;
        d.reject();
    });
    window->runCommand(cmd::Screening);  // refused while one runs
    QApplication::processEvents();
    EXPECT_FALSE(secondDialog);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->marketRunGoing(); }, 10000));
    EXPECT_EQ(workspace.watchlists().displayedWatchlist(), 2);
    const std::vector<std::string> selected{"1301 極洋", "1377 サカタのタネ"};
    EXPECT_EQ(paneLines(*window), selected);
    EXPECT_EQ(fileio::readFile((temp.path() / "Focus2.lst").string()),
              text::sjisFromUtf8("1301 極洋\n1377 サカタのタネ\n"));
    EXPECT_EQ(window->statusText(), QStringLiteral("抽出 2 件、スキップ 1 件、失敗 0 件"));
    EXPECT_EQ(workspace.options().screenSearchItem, 27);
    // The chart kept its security; the commands are back.
    EXPECT_EQ(workspace.series().code, 1010);
    EXPECT_EQ(workspace.series().count(), barsShown);
    EXPECT_TRUE(window->toolbar().button(cmd::Screening)->isEnabled());
    EXPECT_TRUE(window->watchlistPane().selector()->isEnabled());
    EXPECT_FALSE(window->cancelRunButton()->isVisible());
}

TEST_F(MarketRunWindow, CancelledScreeningWritesNothing) {
    test::GeneratedMarket{2, 2500, 3}.writeTo(temp.str());
    writeListedMaster(2);
    // The longest input there is, one security over and over: the run takes
    // far longer than the click that cancels it.
    std::string input;
    for (int line = 0; line < kMaxInputLines; ++line)
        input += "2001 銘柄2001\n";
    test::writeFile(temp / "Focus1.lst", text::sjisFromUtf8(input));
    test::writeFile(temp / "Focus2.lst", text::sjisFromUtf8("2000 前回\n"));
    auto window = open(2000);
    test::whenOpen<ScreeningDialog>([](ScreeningDialog& d) {
        d.searchItem()->setCurrentIndex(kSearchCapsule);
        d.capsule()->setCurrentIndex(0);
        d.input()->setCurrentIndex(1);
        d.output()->setCurrentIndex(1);
        d.accept();
    });
    window->runCommand(cmd::Screening);
    ASSERT_TRUE(window->marketRunGoing());
    window->cancelRunButton()->click();
    EXPECT_FALSE(window->cancelRunButton()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->marketRunGoing(); }, 20000));
    EXPECT_EQ(window->statusText(), QStringLiteral("中止しました。"));
    EXPECT_EQ(fileio::readFile((temp.path() / "Focus2.lst").string()),
              text::sjisFromUtf8("2000 前回\n"));
    EXPECT_NE(workspace.watchlists().displayedWatchlist(), 2);
}

// The account back-test has a button of its own next to ｼﾐｭﾚｰｼｮﾝ; the
// modifier route stays and its tooltip says so.
TEST_F(MarketRunWindow, ThePortfolioButtonAndTheModifierRouteOpenThePortfolioDialog) {
    auto window = open(2000);
    QAbstractButton* simulation = window->toolbar().button(cmd::Simulation);
    QAbstractButton* portfolio = window->toolbar().button(cmd::Portfolio);
    ASSERT_NE(portfolio, nullptr);
    EXPECT_EQ(portfolio->text(), QStringLiteral("ポートフォリオ"));
    EXPECT_TRUE(portfolio->isVisible());
    EXPECT_TRUE(portfolio->isEnabled());
    EXPECT_EQ(portfolio->geometry().top(), simulation->geometry().top());
    EXPECT_EQ(portfolio->geometry().left(), simulation->geometry().right() + 1);
    EXPECT_TRUE(simulation->toolTip().contains(QStringLiteral("ポートフォリオ")));

    int opened = 0;
    const auto expectPortfolio = [&opened] {
        test::whenOpen<PortfolioDialog>([&opened](PortfolioDialog& d) {
            ++opened;
            d.reject();
        });
    };
    expectPortfolio();
    portfolio->click();
    EXPECT_EQ(opened, 1);
    expectPortfolio();
    window->runCommand(cmd::Simulation, true);
    EXPECT_EQ(opened, 2);
    // Without a modifier ｼﾐｭﾚｰｼｮﾝ stays the ranking run.
    bool multi = false;
    test::whenOpen<MultiRunDialog>([&multi](MultiRunDialog& d) {
        multi = true;
        d.reject();
    });
    window->runCommand(cmd::Simulation);
    EXPECT_TRUE(multi);
    EXPECT_EQ(opened, 2);
}

TEST_F(MarketRunWindow, TheAlternateSimulationRunsOneAccountAndShowsATradesSecurity) {
    test::GeneratedMarket{24, 400, 5}.writeTo(temp.str());
    writeListedMaster(24);
    auto window = open(2000);
    test::whenOpen<PortfolioDialog>([](PortfolioDialog& d) {
        d.filters().market()->setCurrentIndex(0);
        d.filters().unit()->setCurrentIndex(0);
        d.filters().liquidity()->setCurrentIndex(0);
        d.input()->setCurrentIndex(0);
        d.capital()->setText("3000000");
        d.positions()->setText("3");
        d.sizing()->setCurrentIndex(1);  // a share of the equity
        d.sizeValue()->setText("30");
        d.accept();
    });
    window->runCommand(cmd::Simulation, true);
    PortfolioResultView* view = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            view = window->findChild<PortfolioResultView*>();
            return view && !window->marketRunGoing();
        },
        20000));
    test::shoot(*view, "portfolio_window");
    EXPECT_EQ(window->statusText(), QStringLiteral("抽出 24 件、スキップ 0 件、失敗 0 件"));
    const PortfolioOutcome& outcome = view->outcome();
    EXPECT_GT(outcome.summary.trades, 5);
    EXPECT_GT(outcome.skippedLimit, 0);
    for (const PortfolioDay& day : outcome.days)
        EXPECT_LE(day.positions, 3);

    // The last trade's security comes on the chart with its entry in view.
    QTableWidget& table = view->table();
    const int row = table.rowCount() - 1;
    ASSERT_GE(row, 0);
    emit table.cellDoubleClicked(row, 0);
    EXPECT_EQ(QString::fromStdString(codeText(workspace.series().code)),
              table.item(row, 0)->text());
    view->close();
}

TEST_F(MarketRunWindow, SimulationRanksShowsASecurityAndStoresTheChoices) {
    test::GeneratedMarket{24, 400, 5}.writeTo(temp.str());
    writeListedMaster(24);
    auto window = open(2000);
    test::whenOpen<MultiRunDialog>([](MultiRunDialog& d) {
        d.strategy()->setCurrentIndex(0);
        d.filters().market()->setCurrentIndex(0);
        d.filters().unit()->setCurrentIndex(0);
        d.filters().liquidity()->setCurrentIndex(0);
        d.input()->setCurrentIndex(0);
        d.rankingKind()->setCurrentIndex(0);
        d.rankingLength()->setText("5");
        d.accept();
    });
    bool handled = false;
    std::vector<std::string> codesListed;
    StockCode shownFromList = 0;
    StockCode shownForProfit = 0;
    bool profitShown = false;
    int tradesOfLine = -1, tradesShown = -2;
    QStringList copied;
    whenItOpens<SimulationResultDialog>([&](SimulationResultDialog& d) {
        QTreeWidget* list = d.list();
        for (int line = 0; line < list->topLevelItemCount(); ++line) {
            EXPECT_EQ(list->topLevelItem(line)->text(0), QString::number(line + 1));
            codesListed.push_back(list->topLevelItem(line)->text(1).toStdString());
        }
        const QPoint at = list->visualItemRect(list->topLevelItem(2)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        shownFromList = workspace.series().code;
        // "損益" of a line: that security's display run is the run the line ranks.
        QMenu* menu = d.rowMenu(list->topLevelItem(3));
        ASSERT_EQ(menu->actions().size(), 4);
        menu->actions()[3]->trigger();  // 一覧をコピー
        copied = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
        menu->actions()[1]->trigger();
        delete menu;
        shownForProfit = workspace.series().code;
        profitShown = window->profitView() && window->profitView()->isVisible();
        tradesOfLine = list->topLevelItem(3)->text(7).toInt();
        tradesShown = workspace.strategyDisplay.results.result.trades;
        d.output()->setCurrentIndex(2);
        d.reportChoice()->setCurrentIndex(1);
        d.fileName()->setText("rank.txt");
        d.accept();
        handled = true;
    });
    window->runCommand(cmd::Simulation);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return handled && !window->marketRunGoing() && !QApplication::activeModalWidget(); },
        20000));

    ASSERT_EQ(codesListed.size(), 5u);
    EXPECT_EQ(std::to_string(shownFromList), codesListed[2]);
    EXPECT_EQ(std::to_string(shownForProfit), codesListed[3]);
    EXPECT_TRUE(profitShown);
    EXPECT_EQ(tradesShown, tradesOfLine);
    ASSERT_EQ(copied.size(), 6);  // the headers and the five lines
    EXPECT_TRUE(copied[0].startsWith(QStringLiteral("順位\tコード\t銘柄名")));
    EXPECT_EQ(copied[3].split('\t').value(1).toStdString(), codesListed[2]);
    EXPECT_EQ(workspace.watchlists().displayedWatchlist(), 2);
    const auto lines = paneLines(*window);
    ASSERT_EQ(lines.size(), 5u);
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], codesListed[i] + " 銘柄" + codesListed[i]);
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "rank.txt"));
    const OptionsRecord& options = workspace.options();
    EXPECT_EQ(options.multiOutput, 2);
    EXPECT_EQ(options.multiResultChoice, 1);
    EXPECT_EQ(reportNameOf(options), "rank.txt");
    EXPECT_EQ(options.selectedStrategy, 1);
    EXPECT_EQ(window->statusText(), QStringLiteral("対象 24 件、スキップ 0 件、失敗 0 件"));
}

}  // namespace
}  // namespace tav::desktop
