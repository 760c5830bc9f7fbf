#include "panes/watchlist_pane.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <thread>

#include "core/text.h"
#include "data/endpoints.h"
#include "dialogs/add_codes_dialog.h"
#include "panes/batch_progress.h"
#include "panes/entry_list.h"
#include "../dialogs/dialog_driving.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "watchlists/entry_lists.h"
#include "window/command_ids.h"
#include "window/main_window.h"
#include "window/toolbar.h"
#include "workspace/workspace.h"

namespace tav::desktop {
namespace {

// Item texts of a menu, a sub-menu's text followed by " ▸".
QStringList itemTexts(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions())
        if (!action->isSeparator())
            texts << action->text() + (action->menu() ? QStringLiteral(" ▸") : QString());
    return texts;
}

QAction* item(const QMenu& menu, const char* text) {
    for (QAction* action : menu.actions())
        if (action->text() == QString::fromUtf8(text)) return action;
    return nullptr;
}

// The item of watchlist `number` in a title sub-menu.
QAction* titleItem(const QMenu& menu, const char* subMenu, int id) {
    QAction* parent = item(menu, subMenu);
    if (!parent || !parent->menu()) return nullptr;
    for (QAction* action : parent->menu()->actions())
        if (action->data().toInt() == id) return action;
    return nullptr;
}

class WatchlistPaneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(temp / "Stock.lst",
                        text::sjisFromUtf8("1010,日経平均,東証1部,1,-\n7203,トヨタ自動車,東証1部,"
                                           "100,-\n6758,ソニー,東証1部,100,-\n"));
        test::writeFile(temp / "url.lst", "");
        test::writeFile(temp / "Endpoints.lst", Endpoints::fileTextForHost("http://127.0.0.1:1"));
        workspace.initProgramFolder();
        test::writeFile(temp / "Data/7203.txt", "20240610,2000,2010,1990,2005,100\n");
        test::writeFile(temp / "Focus1.lst",
                        text::sjisFromUtf8("7203 トヨタ自動車\n1010 日経平均\n"));
        window = std::make_unique<MainWindow>(workspace);
        window->start(workspace.loadSettings(7203));
        window->resize(1000, 700);
        window->show();
        tools.prompter.calls.clear();
    }

    WatchlistPane& pane() { return window->watchlistPane(); }
    // Shows watchlist n with its entry `row` selected.
    void showWatchlist(int number, int row = -1) {
        pane().selector()->setCurrentRow(watchlistPosition(number));
        const QSignalBlocker blocker(pane().entries());
        pane().entries()->setCurrentRow(row);
        workspace.watchlists().selectEntry(row);
    }
    std::string watchlistFile(int number) {
        return text::utf8FromSjis(test::readFile(temp / ("Focus" + std::to_string(number) + ".lst")));
    }

    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
    std::unique_ptr<MainWindow> window;
};

TEST_F(WatchlistPaneTest, MenusListTheItemsOfTheTables) {
    const QStringList tail = {"銘柄抽出(&S)", "ランキング取得(&L)", "企業名検索(&N)", "並び替え ▸",
                              "財務指標(&F)", "企業情報(&I)"};
    struct Case {
        const char* name;
        int position;
        bool entryMenu;
        QStringList items;
        std::vector<std::pair<const char*, int>> titleMenus;  // sub-menu and id base
    };
    const Case cases[] = {
        {"selector", watchlistPosition(1), false,
         {"リスト非表示(&E)", "銘柄情報の削除(&D)", "銘柄情報に追加(&A)", "注目銘柄の追加(&A)",
          "注目銘柄の削除(&P)", "注目銘柄の名前変更(&T)", "項目位置［↑］(&U)",
          "項目位置［↓］(&W)", "売買戦略の設定 ▸"},
         {}},
        {"watchlist", watchlistPosition(1), true,
         QStringList{"リスト非表示(&E)", "項目追加(&A)", "項目削除(&D)", "項目複写 ▸",
                     "項目移動 ▸", "項目位置［↑］(&U)", "項目位置［↓］(&W)", "全部削除(&C)",
                     "全部複写 ▸", "全部移動 ▸", "日計指標出力(&L)", "現戦略を設定(&T)",
                     "レンジ種別指定 ▸", "貼り付け(&P)", "インポート(&I)"} +
             tail,
         {{"項目複写", 1000}, {"項目移動", 1100}, {"全部複写", 1200}, {"全部移動", 1300}}},
        {"market", 0, true, QStringList{"リスト非表示(&E)", "注目銘柄へ追加 ▸", "全部複写 ▸"} + tail,
         {{"注目銘柄へ追加", 1000}, {"全部複写", 1200}}},
    };
    const std::vector<std::string>& titles = workspace.watchlists().titles();
    ASSERT_EQ(titles.size(), 10u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pane().selector()->setCurrentRow(c.position);
        const auto menu = c.entryMenu ? pane().entryMenu() : pane().selectorMenu();
        EXPECT_EQ(itemTexts(*menu), c.items);
        for (const auto& [subMenu, base] : c.titleMenus) {
            for (int number = 1; number <= 10; ++number) {
                QAction* action = titleItem(*menu, subMenu, base + number);
                ASSERT_NE(action, nullptr) << subMenu << number;
                EXPECT_EQ(action->text().toStdString(), titles[number - 1]);
            }
        }
    }

    // The range types, the current one checked.
    workspace.options().rangeType = 3;
    pane().selector()->setCurrentRow(watchlistPosition(1));
    auto menu = pane().entryMenu();
    QMenu* ranges = item(*menu, "レンジ種別指定")->menu();
    EXPECT_EQ(itemTexts(*ranges),
              (QStringList{"昨日の高値－安値", "ピボットのＳ１－Ｂ１", "ピボットのＳ２－Ｂ２",
                           "ピボットのHBOP-LBOP", "３日間の高値－安値", "５日間の高値－安値",
                           "７日間の高値－安値", "１０日間の高値－安値", "１５日間の高値－安値",
                           "２０日間の高値－安値"}));
    for (QAction* action : ranges->actions())
        EXPECT_EQ(action->isChecked(), action->data().toInt() == 3);
    ranges->actions()[7]->trigger();
    EXPECT_EQ(workspace.options().rangeType, 7);
}

TEST_F(WatchlistPaneTest, EntryActionsChangeTheFiles) {
    showWatchlist(1, 0);
    auto menu = pane().entryMenu();
    titleItem(*menu, "項目複写", 1002)->trigger();
    EXPECT_EQ(watchlistFile(2), "7203 トヨタ自動車\n");

    // Moving all: both reach watchlist 3, this one is empty.
    titleItem(*menu, "全部移動", 1303)->trigger();
    EXPECT_EQ(watchlistFile(3), "7203 トヨタ自動車\n1010 日経平均\n");
    EXPECT_EQ(watchlistFile(1), "");
    EXPECT_EQ(pane().entries()->count(), 0);

    tools.clipboard.contents = "6758,ソニー\n7203 トヨタ自動車\n";
    item(*pane().entryMenu(), "貼り付け(&P)")->trigger();
    EXPECT_EQ(watchlistFile(1), "6758 ソニー\n7203 トヨタ自動車\n");
    EXPECT_EQ(pane().entries()->count(), 2);

    item(*pane().entryMenu(), "全部削除(&C)")->trigger();
    EXPECT_EQ(watchlistFile(1), "");
    EXPECT_EQ(pane().entries()->count(), 0);

    // From a market the selected entry goes to a watchlist.
    pane().selector()->setCurrentRow(0);
    pane().entries()->setCurrentRow(2);  // 6758, shown as it is selected
    titleItem(*pane().entryMenu(), "注目銘柄へ追加", 1004)->trigger();
    EXPECT_EQ(watchlistFile(4), "6758 ソニー\n");
}

TEST_F(WatchlistPaneTest, RightClickSelectsWithoutShowingAndOpensTheMenu) {
    showWatchlist(1);
    QListWidget* entries = pane().entries();
    const QPoint second = entries->visualItemRect(entries->item(1)).center();
    QStringList seen;
    QTimer::singleShot(0, [&seen] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        seen = itemTexts(*menu);
        test::shoot(*menu, "entry_menu");
        menu->close();
    });
    emit entries->customContextMenuRequested(second);
    EXPECT_EQ(seen.size(), 21);
    EXPECT_EQ(entries->currentRow(), 1);
    EXPECT_EQ(workspace.watchlists().selectedIndex(), 1);
    EXPECT_EQ(workspace.series().code, 7203);  // still the security shown before
}

TEST_F(WatchlistPaneTest, EngineItemsWaitForTheirHandlers) {
    showWatchlist(1, 0);
    // The window wires its own; without them the items stay but are off.
    window->paneActions() = {};
    window->paneActionsChanged();
    const int buttons[] = {cmd::InvestmentLinks, cmd::CompanyInfo, cmd::IntradayPage,
                           cmd::ListRange, cmd::ListSignals};
    for (int id : buttons)
        EXPECT_FALSE(window->toolbar().button(id)->isEnabled()) << id;
    for (const char* text : {"日計指標出力(&L)", "現戦略を設定(&T)", "銘柄抽出(&S)", "企業情報(&I)"})
        EXPECT_FALSE(item(*pane().entryMenu(), text)->isEnabled()) << text;

    std::vector<std::string> calls;
    const auto record = [&calls](const char* what, int value, int more = -1) {
        calls.push_back(what + std::to_string(value) + (more < 0 ? "" : "," + std::to_string(more)));
    };
    window->paneActions() = {[=](int n) { record("levels ", n); },
                             [=](int n, int s) { record("strategy ", n, s); },
                             [=](int n, int t) { record("range ", n, t); },
                             [=](int n) { record("signals ", n); },
                             [=] { record("links ", 0); },
                             [=](StockCode c) { record("company ", c); },
                             [=](StockCode c) { record("intraday ", c); },
                             {}};
    window->paneActionsChanged();
    for (int id : buttons)
        EXPECT_TRUE(window->toolbar().button(id)->isEnabled()) << id;

    workspace.options().rangeType = 6;
    item(*pane().entryMenu(), "日計指標出力(&L)")->trigger();
    item(*pane().entryMenu(), "現戦略を設定(&T)")->trigger();
    item(*pane().entryMenu(), "企業情報(&I)")->trigger();  // the selected entry
    window->runCommand(cmd::ListRange);
    window->runCommand(cmd::ListSignals);  // no strategy anywhere: only the message
    workspace.options().selectedStrategy = 2;
    window->runCommand(cmd::ListSignals);
    window->runCommand(cmd::InvestmentLinks);
    window->runCommand(cmd::IntradayPage);  // the security shown
    pane().selector()->setCurrentRow(0);
    window->runCommand(cmd::ListRange);  // markets have no marks
    window->runCommand(cmd::ListSignals);
    EXPECT_EQ(calls, (std::vector<std::string>{"levels 1", "strategy 1,0", "company 7203",
                                               "range 1,6", "signals 1", "links 0",
                                               "intraday 7203"}));
    EXPECT_EQ(tools.prompter.messages(),
              std::vector<std::string>{"戦略が設定されていません。\n\n戦略を選択するか、注目銘柄の名"
                                       "前を右クリックして固有の設定をしてください。"});
}

TEST_F(WatchlistPaneTest, MarksColourTheEntriesUntilTheListRefills) {
    pane().selector()->setCurrentRow(watchlistPosition(1));
    test::writeFile(temp / "Focus1.lst",
                    "1 a\n2 b\n3 c\n4 d\n5 e\n6 f\n");  // refilled on the next selection
    pane().selector()->setCurrentRow(0);
    pane().selector()->setCurrentRow(watchlistPosition(1));
    // The heading names the watchlist by its title; the file is in its tip.
    EXPECT_EQ(pane().entryList()->caption(),
              QString::fromStdString(workspace.watchlists().titles()[0]));
    EXPECT_NE(pane().entryList()->caption(), QStringLiteral("Focus1.lst"));
    // 0x00BBGGRR colours: 1 red, 2 blue, 3 purple, 4 teal, others plain.
    pane().setMarks({1, 2, 3, 4, 0, 5});
    const QColor expected[] = {QColor(255, 0, 0), QColor(0, 0, 255), QColor(200, 0, 200),
                               QColor(0, 127, 127), QColor(), QColor()};
    for (int row = 0; row < 6; ++row) {
        const QVariant foreground = pane().entries()->item(row)->data(Qt::ForegroundRole);
        EXPECT_EQ(foreground.isValid() ? foreground.value<QBrush>().color() : QColor(),
                  expected[row]) << row;
    }
    // A run's progress covers the foot of the entry list, inside it.
    BatchProgress& progress = *pane().progress();
    progress.begin();
    progress.setProgress(2, 6);
    progress.setStatus(QString::fromUtf8("2 b"));
    const QRect list = pane().entries()->geometry();
    EXPECT_EQ(progress.geometry(), list.adjusted(0, list.height() - progress.height(), 0, 0));
    window->repaintTick();
    test::shoot(*window, "watchlist_pane");
    progress.end();

    pane().selector()->setCurrentRow(0);
    EXPECT_EQ(pane().entryList()->caption(), QString());
    pane().selector()->setCurrentRow(watchlistPosition(1));
    for (int row = 0; row < 6; ++row)
        EXPECT_FALSE(pane().entries()->item(row)->data(Qt::ForegroundRole).isValid()) << row;
}

TEST_F(WatchlistPaneTest, MinusKeyAddsCodesThroughTheDialog) {
    showWatchlist(1, 0);
    QString preset;
    test::whenOpen<AddCodesDialog>([&preset](AddCodesDialog& dialog) {
        preset = dialog.field(0)->text();
        dialog.field(1)->setText(QStringLiteral("6758"));
        dialog.field(4)->setText(QStringLiteral("9999"));
        dialog.accept();
    });
    QKeyEvent minus(QEvent::KeyPress, Qt::Key_Minus, Qt::NoModifier, QStringLiteral("-"));
    QApplication::sendEvent(pane().entries(), &minus);
    EXPECT_EQ(preset, QStringLiteral("7203"));
    EXPECT_EQ(watchlistFile(1), "7203 トヨタ自動車\n1010 日経平均\n6758 ソニー\n");
    EXPECT_EQ(pane().entries()->count(), 3);
}

TEST_F(WatchlistPaneTest, SortChoiceAsksThenCloses) {
    showWatchlist(1);
    tools.prompter.answers = {Answer::No};
    item(*item(*pane().entryMenu(), "並び替え")->menu(), "ソート有り")->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(workspace.watchlists().sorted);
    EXPECT_TRUE(window->isVisible());
    item(*item(*pane().entryMenu(), "並び替え")->menu(), "ソート無し")->trigger();  // as set
    item(*item(*pane().entryMenu(), "並び替え")->menu(), "ソート有り")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(tools.prompter.questions(),
              std::vector<std::string>(2, "この機能を有効にするには、いったん終了する必要があります。"
                                          "\n\n終了してもよろしいですか？"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(workspace.options().watchlistSorted, 1);  // saved on the way out
}

TEST(BatchProgressTest, PercentOfDoneEntries) {
    const struct {
        int done, total, percent;
    } cases[] = {{0, 0, 0}, {3, 0, 0}, {1, 3, 33}, {3, 3, 100}, {5, 3, 100},
                 {30000000, 40000000, 75}, {-1, 5, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(progressPercent(c.done, c.total), c.percent) << c.done << "/" << c.total;
}

TEST(BatchProgressTest, WorkerReportsArriveQueuedAndCancelReachesIt) {
    QWidget parent;
    BatchProgress progress(&parent);
    progress.begin();
    EXPECT_TRUE(progress.isVisibleTo(&parent));
    std::thread worker([&progress] {
        for (int done = 1; done <= 200; ++done) {
            emit progress.progressPosted(done, 400);
            emit progress.statusPosted(QStringLiteral("%1").arg(done));
        }
    });
    worker.join();
    EXPECT_EQ(progress.percent(), 0);  // nothing before the event loop runs
    QApplication::processEvents();
    EXPECT_EQ(progress.percent(), 50);
    EXPECT_EQ(progress.status(), QStringLiteral("200"));
    EXPECT_FALSE(progress.cancelRequested());
    progress.cancelButton()->click();
    EXPECT_TRUE(progress.cancelRequested());
    progress.begin();  // the next run starts afresh
    EXPECT_FALSE(progress.cancelRequested());
    EXPECT_EQ(progress.percent(), 0);
    progress.end();
    EXPECT_FALSE(progress.isVisibleTo(&parent));
}

}  // namespace
}  // namespace tav::desktop
