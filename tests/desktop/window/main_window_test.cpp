#include "window/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "chart/chart_pane.h"
#include "chart/indicator_pane.h"
#include "chart/price_board.h"
#include "chart/scale_labels.h"
#include "core/text.h"
#include "data/endpoints.h"
#include "dialogs/add_security_dialog.h"
#include "dialogs/settings_sheet.h"
#include "panes/note_pane.h"
#include "panes/row_scroll.h"
#include "panes/watchlist_pane.h"
#include "quotes/quote_page.h"
#include "simulation/strategy_file.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "window/command_ids.h"
#include "window/toolbar.h"
#include "workspace/workspace.h"

namespace tav::desktop {
namespace {

// "date,open,high,low,close,volume" lines of `count` bars from 2015 on.
std::string seriesFile(int count, int base, const char* dayFormat = "%04d%02d%02d") {
    std::string text;
    for (int index = 0; index < count; ++index) {
        const int year = 2015 + index / 240;
        const int month = index / 20 % 12 + 1;
        const int day = index % 20 + 1;
        char line[96];
        const int close = base + (index * 37) % 200;
        char date[16];
        std::snprintf(date, sizeof date, dayFormat, year, month, day);
        std::snprintf(line, sizeof line, "%s,%d,%d,%d,%d,%d\n", date, close - 5, close + 10,
                      close - 10, close, 1000 + index);
        text += line;
    }
    return text;
}

// Longer than a screen even at pitch 1.
constexpr int kIndexBars = 1500;

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(
            temp / "Stock.lst",
            text::sjisFromUtf8("1010,日経平均,東証1部,1,-\n7203,トヨタ自動車,東証1部,100,-\n"));
        test::writeFile(temp / "url.lst", "");
        // Nothing listens there: a fetch fails at once.
        test::writeFile(temp / "Endpoints.lst", Endpoints::fileTextForHost("http://127.0.0.1:1"));
        workspace.initProgramFolder();
        test::writeFile(temp / "Data/1010.txt", seriesFile(kIndexBars, 20000));
        test::writeFile(temp / "Data/7203.txt", seriesFile(300, 2000));
        test::writeFile(temp / "Data/w7203.txt", seriesFile(80, 2000));
        test::writeFile(temp / "Data/m7203.txt", seriesFile(30, 2000));
        tools.prompter.calls.clear();
    }

    // A started window at a fixed size.
    std::unique_ptr<MainWindow> open(Workspace& on, std::optional<StockCode> code = std::nullopt) {
        const StockCode start = on.loadSettings(code);
        auto window = std::make_unique<MainWindow>(on);
        window->start(start);
        window->resize(1000, 700);
        window->show();
        return window;
    }

    void press(MainWindow& window, int key, const QString& text = {},
               Qt::KeyboardModifiers modifiers = {}) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(&window, &event);
    }

    void type(MainWindow& window, const QString& digits) {
        for (QChar digit : digits)
            press(window, Qt::Key_0 + (digit.unicode() - '0'), QString(digit));
    }

    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
};

TEST_F(MainWindowTest, TypedCodeSwitchesOnTheFourthDigit) {
    auto window = open(workspace, 1010);
    ASSERT_EQ(workspace.series().code, 1010);
    press(*window, Qt::Key_A, "a");  // a letter before any digit does nothing
    type(*window, "720");
    EXPECT_EQ(workspace.series().code, 1010);
    type(*window, "3");
    EXPECT_EQ(workspace.series().code, 7203);
    EXPECT_EQ(workspace.series().count(), 300);
    EXPECT_EQ(window->headerLine(), QString::fromUtf8("トヨタ自動車 （東証1部 : 100 株）"));
    EXPECT_EQ(workspace.history().historyCode(0), 7203);
    // Command 235 empties a half-typed code.
    type(*window, "10");
    window->runCommand(cmd::TakeFocus);
    type(*window, "1010");
    EXPECT_EQ(workspace.series().code, 1010);
}

// With the focus on the watchlist its type-ahead would pick "7201" on the
// first digit; the four characters are a code there as anywhere.
TEST_F(MainWindowTest, TypedCodeGoesToTheWindowWhereverTheFocusIs) {
    test::writeFile(temp / "Focus1.lst", text::sjisFromUtf8("1010 日経平均\n7201 日産\n"));
    auto window = open(workspace, 1010);
    WatchlistPane& pane = window->watchlistPane();
    pane.selector()->setCurrentRow(watchlistPosition(1));
    ASSERT_EQ(pane.entries()->count(), 2);
    pane.entries()->setCurrentRow(0);
    pane.entries()->setFocus();
    tools.prompter.calls.clear();
    for (QChar digit : QStringLiteral("7203")) {
        QKeyEvent event(QEvent::KeyPress, Qt::Key_0 + (digit.unicode() - '0'), {}, QString(digit));
        QApplication::sendEvent(pane.entries(), &event);
    }
    EXPECT_EQ(workspace.series().code, 7203);
    EXPECT_EQ(pane.entries()->currentRow(), 0);
    EXPECT_TRUE(tools.prompter.calls.empty());
    // Text fields keep their digits.
    QLineEdit field(window.get());
    QKeyEvent digit(QEvent::KeyPress, Qt::Key_1, {}, QStringLiteral("1"));
    QApplication::sendEvent(&field, &digit);
    EXPECT_EQ(field.text(), QStringLiteral("1"));
    EXPECT_EQ(window->codeEntry().length(), 0);
}

// A strategy that buys every rising bar and stops out 5 % under the entry.
void writeRisingBarStrategy(const std::string& folder) {
    Tactic tactic;
    tactic.name = "陽線";
    tactic.buy.count = 1;
    tactic.buy.conditions[0].category = 3;  // 陽線
    tactic.stop.count = 1;
    tactic.stop.conditions[0].p1 = 5;  // 損切り 5 %
    Strategy strategy;
    strategy.tactics = {tactic};
    ASSERT_TRUE(saveStrategy(folder, 1, strategy));
    ASSERT_TRUE(writeStrategyNames(folder, {"陽線買い"}));
}

// Whether anything is drawn on the pane.
bool inked(QWidget& pane) {
    const QImage image = pane.grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) return true;
    return false;
}

TEST_F(MainWindowTest, StrategySummaryBelongsToTheSecurityAndStrategyShown) {
    writeRisingBarStrategy(temp.str());
    auto window = open(workspace, 7203);
    QComboBox* strategies = window->toolbar().strategySelector();
    ASSERT_EQ(strategies->count(), 2);
    strategies->setCurrentIndex(1);
    window->repaintTick();
    ASSERT_TRUE(workspace.strategyDisplayCurrent());
    EXPECT_GT(workspace.strategyDisplay.results.result.trades, 0);
    EXPECT_TRUE(inked(*window->notePane()));

    // Another security: the summary is its own run's.
    window->showSecurity(1010);
    window->repaintTick();
    ASSERT_TRUE(workspace.strategyDisplayCurrent());
    EXPECT_EQ(workspace.strategyDisplay.subject.code, 1010);
    EXPECT_EQ(workspace.strategyDisplay.subject.barCount, kIndexBars);

    // "(戦略なし)": no summary, no trade marks, nothing to click, also after
    // switching back to the security of the first run.
    strategies->setCurrentIndex(0);
    for (StockCode code : {1010, 7203}) {
        SCOPED_TRACE(code);
        if (code != workspace.series().code) window->showSecurity(code);
        window->repaintTick();
        EXPECT_FALSE(workspace.strategyDisplayCurrent());
        EXPECT_FALSE(workspace.strategyDisplay.results.available);
        EXPECT_TRUE(workspace.strategyDisplay.journal.fills.empty());
        EXPECT_TRUE(std::none_of(workspace.series().bars.begin(), workspace.series().bars.end(),
                                 [](const DailyBar& bar) { return bar.tradeMark != 0; }));
        EXPECT_FALSE(inked(*window->notePane()));
        QMouseEvent click(QEvent::MouseButtonPress, QPointF(20, 20), QPointF(20, 20),
                          Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(window->notePane(), &click);
        EXPECT_EQ(window->profitView(), nullptr);
    }
}

// With 期間 "画面内" the run covers the bars on screen from the first paint,
// and follows the chart when it scrolls.
TEST_F(MainWindowTest, OnScreenRunCoversTheVisibleBarsFromTheStart) {
    writeRisingBarStrategy(temp.str());
    workspace.loadSettings(1010);
    workspace.options().selectedStrategy = 1;
    workspace.options().periodKind = kPeriodOnScreen;
    workspace.saveSettings();
    auto window = open(workspace, 1010);
    const ChartNavigation& nav = window->navigation();
    ASSERT_LT(nav.visible(), kIndexBars - 3);
    ASSERT_TRUE(workspace.strategyDisplayCurrent());
    EXPECT_EQ(workspace.strategyDisplay.results.result.bars, nav.visible());
    EXPECT_EQ(workspace.strategyDisplay.subject.view.lastShown, kIndexBars - 1);

    window->runCommand(cmd::PageBack);
    window->repaintTick();
    EXPECT_EQ(workspace.strategyDisplay.subject.view.lastShown, nav.newest());
    EXPECT_EQ(workspace.strategyDisplay.results.result.bars, nav.visible());
    // A narrower window shows fewer bars, and the run follows.
    const int before = nav.visible();
    window->resize(700, 700);
    window->repaintTick();
    ASSERT_LT(nav.visible(), before);
    EXPECT_EQ(workspace.strategyDisplay.results.result.bars, nav.visible());
}

TEST_F(MainWindowTest, StartCodeWithoutDataFallsBackToTheIndex) {
    // 9999 has no file and nothing to fetch it from.
    auto window = open(workspace, 9999);
    EXPECT_EQ(workspace.series().code, 1010);
    EXPECT_EQ(workspace.series().count(), kIndexBars);
    EXPECT_EQ(window->viewState().endCount, kIndexBars);
}

TEST_F(MainWindowTest, SpaceCyclesThePeriodAndClearsTheMarkers) {
    auto window = open(workspace, 7203);
    const auto label = [&] { return window->toolbar().label(cmd::PeriodMenu); };
    EXPECT_EQ(label(), QString::fromUtf8("日足"));
    window->viewState().markerA = 250;
    window->viewState().markerB = 280;
    press(*window, Qt::Key_Space, " ");
    EXPECT_EQ(workspace.periodMode, PeriodMode::Weekly);
    EXPECT_EQ(label(), QString::fromUtf8("週足"));
    EXPECT_EQ(workspace.series().count(), 80);
    EXPECT_EQ(window->viewState().markerA, kNoBar);
    EXPECT_EQ(window->viewState().markerB, kNoBar);
    EXPECT_EQ(window->viewState().endCount, 80);
    press(*window, Qt::Key_Space, " ");
    EXPECT_EQ(workspace.periodMode, PeriodMode::Monthly);
    EXPECT_EQ(label(), QString::fromUtf8("月足"));
    EXPECT_EQ(workspace.series().count(), 30);
    press(*window, Qt::Key_Space, " ");
    EXPECT_EQ(workspace.periodMode, PeriodMode::Daily);
    EXPECT_EQ(workspace.series().count(), 300);
}

TEST_F(MainWindowTest, ScrollingPagingAndHome) {
    auto window = open(workspace, 1010);
    const ChartNavigation& nav = window->navigation();
    const int visible = nav.visible();
    const int last = kIndexBars - 1;
    ASSERT_GT(visible, 10);
    ASSERT_LT(visible * 2, kIndexBars);
    EXPECT_EQ(window->viewState().endCount, kIndexBars);

    press(*window, Qt::Key_Right);  // already at the newest bar
    EXPECT_EQ(nav.newest(), last);
    press(*window, Qt::Key_Left);
    press(*window, Qt::Key_Up);
    EXPECT_EQ(nav.newest(), last - 11);
    EXPECT_EQ(window->viewState().endCount, last - 10);
    press(*window, Qt::Key_Down);
    EXPECT_EQ(nav.newest(), last - 1);

    press(*window, Qt::Key_PageUp);
    EXPECT_EQ(nav.newest(), last - 1 - visible);
    press(*window, Qt::Key_PageDown);
    EXPECT_EQ(nav.newest(), last - 1);
    press(*window, Qt::Key_PageDown);  // past the newest: back to it
    EXPECT_EQ(nav.newest(), last);

    for (int page = 0; page < kIndexBars; ++page)
        press(*window, Qt::Key_PageUp);
    EXPECT_EQ(nav.newest(), visible);  // the oldest full screen
    press(*window, Qt::Key_Home);
    EXPECT_EQ(nav.newest(), last);
    EXPECT_EQ(nav.pagesBack(), 0);
}

TEST_F(MainWindowTest, InsertAndDeleteZoomWithinLimits) {
    workspace.loadSettings(1010);
    workspace.options().barPitch = 2;
    MainWindow window(workspace);
    window.start(1010);
    window.resize(1000, 700);
    window.show();
    const int wide = window.navigation().visible();
    press(window, Qt::Key_Up);
    press(window, Qt::Key_Insert);
    EXPECT_EQ(workspace.options().barPitch, 3);
    EXPECT_LT(window.navigation().visible(), wide);
    EXPECT_EQ(window.navigation().newest(), kIndexBars - 1);  // zooming shows the newest bar
    press(window, Qt::Key_Delete);
    press(window, Qt::Key_Delete);
    EXPECT_EQ(workspace.options().barPitch, 1);
    press(window, Qt::Key_Up);
    press(window, Qt::Key_Delete);  // at pitch 1 nothing happens, not even a scroll
    EXPECT_EQ(workspace.options().barPitch, 1);
    EXPECT_EQ(window.navigation().newest(), kIndexBars - 11);
}

TEST_F(MainWindowTest, MarkerBStepsWithTheArrowButtons) {
    auto window = open(workspace, 7203);
    window->runCommand(cmd::MarkerBMode);
    EXPECT_TRUE(window->toolbar().button(cmd::MarkerBMode)->isChecked());
    window->viewState().markerB = 298;
    window->runCommand(cmd::StepRight);
    EXPECT_EQ(window->viewState().markerB, 299);
    window->runCommand(cmd::StepRight);  // not past the newest
    EXPECT_EQ(window->viewState().markerB, 299);
    window->runCommand(cmd::StepLeft);
    EXPECT_EQ(window->viewState().markerB, 298);
    EXPECT_EQ(window->navigation().newest(), 299);  // the chart did not scroll
    // Another mode clears marker B.
    window->runCommand(cmd::MarkerAMode);
    EXPECT_EQ(window->viewState().markerB, kNoBar);
    EXPECT_FALSE(window->toolbar().button(cmd::MarkerBMode)->isChecked());
    EXPECT_TRUE(window->toolbar().button(cmd::MarkerAMode)->isChecked());
    window->runCommand(cmd::StepLeft);
    EXPECT_EQ(window->navigation().newest(), 298);
}

TEST_F(MainWindowTest, RepaintsWaitForTheTimerTick) {
    auto window = open(workspace, 7203);
    window->repaintTick();
    EXPECT_FALSE(window->repaintPending());
    press(*window, Qt::Key_Backspace);
    EXPECT_TRUE(window->viewState().inverted);
    EXPECT_TRUE(window->repaintPending());
    window->repaintTick();
    EXPECT_FALSE(window->repaintPending());
    press(*window, Qt::Key_Right);  // a refused scroll asks for nothing
    EXPECT_FALSE(window->repaintPending());
}

TEST_F(MainWindowTest, QuoteWatchTimerDefaultsToAMinute) {
    auto window = open(workspace, 7203);
    EXPECT_EQ(window->quoteTimerInterval(), 60000);
    workspace.options().quoteInterval = 15;
    MainWindow second(workspace);
    second.start(7203);
    EXPECT_EQ(second.quoteTimerInterval(), 15000);
}

TEST_F(MainWindowTest, EscapeHidesTheWatchlistAndMovesTheChartColumn) {
    auto window = open(workspace, 7203);
    EXPECT_EQ(window->windowLayout().chart.left, 200);
    EXPECT_EQ(window->toolbar().label(cmd::ToggleWatchlist), QString::fromUtf8("×"));
    press(*window, Qt::Key_Escape);
    EXPECT_EQ(window->windowLayout().chart.left, 50);
    EXPECT_EQ(window->chartPane()->geometry().left(), 50);
    EXPECT_EQ(window->toolbar().label(cmd::ToggleWatchlist), QString::fromUtf8("□"));
    EXPECT_EQ(workspace.options().watchlistShown, 0);
}

TEST_F(MainWindowTest, EndLowersSplitterOneAndRestoresIt) {
    auto window = open(workspace, 7203);
    const int before = window->windowLayout().splitter1;
    press(*window, Qt::Key_End);
    EXPECT_EQ(window->windowLayout().splitter1, 700 - 30 - 50);
    press(*window, Qt::Key_End);
    EXPECT_EQ(window->windowLayout().splitter1, before);
}

TEST_F(MainWindowTest, PlacementAndChoicesSurviveARestart) {
    {
        auto window = open(workspace, 7203);
        window->setGeometry(120, 90, 1100, 760);
        press(*window, Qt::Key_Insert);
        window->runCommand(cmd::NextOverlay);
        window->shutDown();
    }
    test::TestPlatform again;
    Workspace restarted{ProgramFolder(temp.str()), again.platform()};
    const StockCode code = restarted.loadSettings(std::nullopt);
    EXPECT_EQ(code, 7203);
    MainWindow window(restarted);
    window.start(code);
    EXPECT_EQ(window.geometry(), QRect(120, 90, 1100, 760));
    EXPECT_EQ(restarted.options().barPitch, 7);
    EXPECT_EQ(window.navigation().pitch(), 7);
    EXPECT_EQ(window.toolbar().label(cmd::OverlayMenu), QString::fromUtf8("一目"));
    EXPECT_EQ(restarted.series().code, 7203);
}

TEST_F(MainWindowTest, ClosingMaximisedKeepsTheLastNormalPlacement) {
    auto window = open(workspace, 7203);
    window->shutDown();
    auto again = open(workspace, 7203);
    again->setGeometry(140, 100, 1010, 640);
    again->setWindowState(Qt::WindowMaximized);
    ASSERT_TRUE(again->isMaximized());
    again->shutDown();
    EXPECT_EQ(workspace.options().maximized, 1);
    EXPECT_EQ(workspace.options().windowLeft, 140);
    EXPECT_EQ(workspace.options().windowWidth, 1010);
    EXPECT_EQ(workspace.options().windowHeight, 640);
}

TEST_F(MainWindowTest, CommandButtonsStartEnabled) {
    auto window = open(workspace, 7203);
    for (int id : {cmd::InvestmentLinks, cmd::CompanyInfo, cmd::IntradayPage, cmd::ListRange,
                   cmd::ListSignals, cmd::Search, cmd::HistoryMenu, cmd::PageBack, cmd::ZoomIn, cmd::Margin,
                   cmd::Settings, cmd::RankingDownload, cmd::StrategyDialog, cmd::Screening,
                   cmd::Simulation})
        EXPECT_TRUE(window->toolbar().button(id)->isEnabled()) << id;
}

TEST_F(MainWindowTest, EveryButtonHasItsLabelAndId) {
    auto window = open(workspace, 7203);
    const std::pair<int, const char*> expected[] = {
        {164, "銘柄更新"}, {208, "検索"},     {116, "履歴"},     {242, "▼"},
        {243, "▲"},        {117, "投資情報"}, {118, "企業情報"}, {119, "銘柄抽出"},
        {120, "ｼﾐｭﾚｰｼｮﾝ"}, {148, "ﾗﾝｷﾝｸﾞDL"}, {181, "戦略"},     {112, "破棄"},
        {113, "設定"},     {140, "一括更新"}, {141, "直近"},     {142, "拡大"},
        {182, "縮小"},     {114, "≪戻"},      {115, "≫進"},      {160, "←"},
        {161, "→"},        {203, "修正"},     {229, "信用"},     {196, "日中"},
        {230, "速報"},     {209, "チ"},       {210, "指"},       {211, "変"},
        {212, "覆"},       {213, "線"},       {215, "消"},       {184, "↑"},
        {185, "↓"},        {223, "更新"},     {231, "ﾚﾝｼﾞ"},     {188, "ｻｲﾝ"},
        {225, "監視"}};
    for (const auto& [id, label] : expected)
        EXPECT_EQ(window->toolbar().label(id), QString::fromUtf8(label)) << id;
    // The list buttons sit above the entry list, inside the list width.
    const QRect up = window->toolbar().button(cmd::EntryUp)->geometry();
    EXPECT_EQ(up.left(), 5);
    EXPECT_EQ(up.width(), 14);  // a tenth of the 145-pixel list
    EXPECT_LE(up.bottom(), window->windowLayout().entryList.top);
}

TEST_F(MainWindowTest, KeypadKeysPageScreensAndOverlays) {
    auto window = open(workspace, 7203);
    ASSERT_EQ(workspace.options().indicatorScreenCount(), 4);  // 17 graphs, 5 a screen
    press(*window, Qt::Key_Slash, "/", Qt::KeypadModifier);
    EXPECT_EQ(workspace.options().indicatorScreen, 1);
    EXPECT_EQ(window->toolbar().label(cmd::ScreenMenu), QString::fromUtf8("指数2"));
    press(*window, Qt::Key_Asterisk, "*", Qt::KeypadModifier);
    press(*window, Qt::Key_Asterisk, "*", Qt::KeypadModifier);
    EXPECT_EQ(workspace.options().indicatorScreen, 3);  // wraps to the last
    press(*window, Qt::Key_Plus, "+", Qt::KeypadModifier);
    EXPECT_EQ(window->toolbar().label(cmd::OverlayMenu), QString::fromUtf8("MA帯"));
    press(*window, Qt::Key_Minus, "-", Qt::KeypadModifier);
    EXPECT_EQ(window->toolbar().label(cmd::OverlayMenu), QString::fromUtf8("移動"));
}

TEST_F(MainWindowTest, WatchlistPaneSelectionsShowTheirSecurities) {
    test::writeFile(temp / "Focus1.lst", text::sjisFromUtf8("7203 トヨタ自動車\n1010 日経平均\n"));
    auto window = open(workspace, 1010);
    WatchlistPane& pane = window->watchlistPane();
    ASSERT_GE(pane.selector()->count(), 10);
    EXPECT_EQ(pane.selector()->item(0)->text(), QString::fromUtf8("東証1部"));
    EXPECT_EQ(pane.selector()->item(9)->text(), QString::fromUtf8("プライム"));
    EXPECT_EQ(pane.selector()->item(watchlistPosition(1))->text(), QString::fromUtf8("注目銘柄１"));
    pane.selector()->setCurrentRow(watchlistPosition(1));
    EXPECT_EQ(workspace.watchlists().position(), watchlistPosition(1));
    ASSERT_EQ(pane.entries()->count(), 2);
    pane.entries()->setCurrentRow(0);
    EXPECT_EQ(workspace.series().code, 7203);
    EXPECT_EQ(workspace.watchlists().selectedIndex(), 0);
    // A double click starts another instance on the code and this folder.
    emit pane.entries()->itemDoubleClicked(pane.entries()->item(1));
    ASSERT_EQ(tools.shell.started.size(), 1u);
    EXPECT_EQ(tools.shell.started[0], (std::vector<std::string>{"1010", "--folder", temp.str()}));
    // The selector choice is kept with the options, watchlist 1 as 9 as ever.
    window->shutDown();
    EXPECT_EQ(workspace.options().watchlistSelector, 9);
}

TEST_F(MainWindowTest, SortedEntryListStillShowsTheClickedSecurity) {
    test::writeFile(temp / "Focus1.lst", text::sjisFromUtf8("7203 トヨタ自動車\n1010 日経平均\n"));
    workspace.loadSettings(1010);
    workspace.options().watchlistSorted = 1;
    workspace.options().watchlistSelector = 9;
    workspace.saveSettings();
    auto window = open(workspace, 1010);
    QListWidget* entries = window->watchlistPane().entries();
    ASSERT_EQ(entries->count(), 2);
    EXPECT_EQ(entries->item(0)->text(), QString::fromUtf8("1010 日経平均"));
    entries->setCurrentRow(1);
    EXPECT_EQ(workspace.series().code, 7203);
    EXPECT_EQ(workspace.watchlists().selectedIndex(), 1);
    entries->setCurrentRow(0);
    EXPECT_EQ(workspace.series().code, 1010);
    EXPECT_EQ(workspace.watchlists().selectedIndex(), 0);
}

TEST_F(MainWindowTest, DraggingSplitterOneMovesThePanes) {
    auto window = open(workspace, 7203);
    const int y = window->windowLayout().chart.bottom + 2;
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(400, y), QPointF(400, y), Qt::LeftButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(window.get(), &down);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(400, 420), QPointF(400, 420), Qt::LeftButton,
                   Qt::NoButton, {});
    QApplication::sendEvent(window.get(), &up);
    EXPECT_EQ(workspace.options().splitter1, 420);
    EXPECT_EQ(window->windowLayout().indicator.top, 440);
    EXPECT_EQ(window->indicatorPane()->geometry().top(), 440);
}

// Lists the items of a menu and its sub-menus, depth first, and finds one.
QAction* findItem(QMenu* menu, const QString& item, QStringList* seen, QString* checked) {
    QAction* found = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        if (seen) *seen << action->text();
        if (checked && action->isChecked()) *checked = action->text();
        if (!item.isEmpty() && action->text() == item && !found) found = action;
        if (action->menu())
            if (QAction* inner = findItem(action->menu(), item, seen, checked); inner && !found)
                found = inner;
    }
    return found;
}

// Picks the item with this text in the next pop-up menu, once it is open;
// an empty text closes the menu without a choice.
void chooseFromNextMenu(const QString& item, QStringList* seen = nullptr,
                        QString* checked = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* chosen = findItem(menu, item, seen, checked);
        if (!chosen || chosen->menu() != nullptr || !menu->actions().contains(chosen)) {
            // Items of sub-menus are triggered directly.
            if (chosen) chosen->trigger();
            menu->close();
            return;
        }
        // As the user does: highlight the item and press Enter.
        menu->setActiveAction(chosen);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(menu, &enter);
    });
}

TEST_F(MainWindowTest, PeriodAndOverlayMenusSwitchAndRelabel) {
    auto window = open(workspace, 7203);
    QString checked;
    chooseFromNextMenu(QString::fromUtf8("月足"), nullptr, &checked);
    window->runCommand(cmd::PeriodMenu);
    EXPECT_EQ(checked, QString::fromUtf8("日足"));
    EXPECT_EQ(workspace.periodMode, PeriodMode::Monthly);
    EXPECT_EQ(workspace.series().count(), 30);
    EXPECT_EQ(window->toolbar().label(cmd::PeriodMenu), QString::fromUtf8("月足"));

    chooseFromNextMenu(QString::fromUtf8("ﾎﾞﾘﾝｼﾞｬｰﾊﾞﾝﾄﾞ"));
    window->runCommand(cmd::OverlayMenu);
    EXPECT_EQ(workspace.options().chartOverlay, 4);
    EXPECT_EQ(window->toolbar().label(cmd::OverlayMenu), QString::fromUtf8("ﾎﾞﾘﾝ"));

    QStringList screens;
    chooseFromNextMenu(QString::fromUtf8("指数画面3"), &screens);
    window->runCommand(cmd::ScreenMenu);
    EXPECT_EQ(screens.size(), 4);
    EXPECT_EQ(workspace.options().indicatorScreen, 2);
    EXPECT_EQ(window->toolbar().label(cmd::ScreenMenu), QString::fromUtf8("指数3"));

    chooseFromNextMenu(QString::fromUtf8("折線"));
    window->runCommand(cmd::PriceStyleMenu);
    EXPECT_EQ(workspace.options().priceStyle, 1);
    EXPECT_EQ(window->toolbar().label(cmd::PriceStyleMenu), QString::fromUtf8("折線"));
}

TEST_F(MainWindowTest, SearchAndHistoryMenusShowTheChosenSecurity) {
    auto window = open(workspace, 1010);
    tools.prompter.inputs.push_back(std::string("トヨタ"));
    QStringList found;
    chooseFromNextMenu(QString::fromUtf8("7203 トヨタ自動車"), &found);
    window->runCommand(cmd::Search);
    EXPECT_EQ(found, QStringList{QString::fromUtf8("7203 トヨタ自動車")});
    EXPECT_EQ(workspace.series().code, 7203);

    // No match: no menu, nothing changes.
    tools.prompter.inputs.push_back(std::string("ソニー"));
    window->runCommand(cmd::Search);
    EXPECT_EQ(workspace.series().code, 7203);

    // The history menu: its lines in a sub-menu, the clear item after them.
    QStringList lines;
    chooseFromNextMenu(QString::fromUtf8("1010 日経平均"), &lines);
    window->runCommand(cmd::HistoryMenu);
    EXPECT_EQ(workspace.series().code, 1010);
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], QString::fromUtf8("履歴"));
    EXPECT_EQ(lines[1], QString::fromUtf8("7203 トヨタ自動車"));
    EXPECT_EQ(lines[2], QString::fromUtf8("1010 日経平均"));
    EXPECT_EQ(lines[3], QString::fromUtf8("履歴クリア(&C)"));

    // Adding the shown code to the second watchlist.
    chooseFromNextMenu(QString::fromUtf8("注目銘柄２"));
    window->runCommand(cmd::HistoryMenu);
    EXPECT_EQ(test::readFile(temp / "Focus2.lst"), text::sjisFromUtf8("1010 日経平均\n"));
}

TEST_F(MainWindowTest, HistoryMenuAddsASecurityThroughItsDialog) {
    auto window = open(workspace, 7203);
    QTimer::singleShot(50, [] {
        auto* dialog = qobject_cast<AddSecurityDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->codeEdit()->text(), "7203");  // the code shown
        dialog->codeEdit()->setText("6758");
        dialog->nameEdit()->setText(QString::fromUtf8("ソニー"));
        dialog->accept();
    });
    chooseFromNextMenu(QString::fromUtf8("銘柄情報に追加(&A)"));
    window->runCommand(cmd::HistoryMenu);
    EXPECT_TRUE(test::readFile(temp / "Stock.lst")
                    .ends_with(text::sjisFromUtf8("6758,ソニー,東証1部,1000,-\n")));
    // Then it is shown as any selection: without a file it is fetched (no server here).
    auto messages = tools.prompter.messages();
    EXPECT_NE(std::find(messages.begin(), messages.end(), "追加処理は正常に終了しました。"),
              messages.end());
    EXPECT_EQ(workspace.series().code, 6758);
    EXPECT_EQ(window->viewState().endCount, 0);
}

// Pixels of the window image that differ from its background in a rectangle.
int inkIn(const QImage& image, const QRect& area, QRgb background) {
    int ink = 0;
    for (int y = std::max(area.top(), 0); y <= std::min(area.bottom(), image.height() - 1); ++y)
        for (int x = std::max(area.left(), 0); x <= std::min(area.right(), image.width() - 1); ++x)
            if (image.pixel(x, y) != background) ++ink;
    return ink;
}

TEST_F(MainWindowTest, ScaleAndDateLabelsSitAtTheirLinesAndBars) {
    auto window = open(workspace, 7203);
    window->repaintTick();
    QImage image(window->size(), QImage::Format_RGB32);
    window->render(&image);
    const QRgb background = window->palette().button().color().rgb();
    const PaneRect chart = window->windowLayout().chart;
    const int column = window->windowLayout().chartColumn;

    // Each guide line's price ends 2 pixels left of the chart column.
    const PriceScale scale = window->chartPane()->scale();
    int labelled = 0;
    for (const GuideLine& guide : scale.guides) {
        if (guide.y <= 8 || guide.y >= chart.height() - 8) continue;
        const int y = chart.top + guide.y;
        EXPECT_GT(inkIn(image, QRect(column - 40, y - 5, 38, 10), background), 0) << guide.price;
        EXPECT_EQ(inkIn(image, QRect(column - 2, y - 5, 2, 10), background), 0) << guide.price;
        ++labelled;
    }
    EXPECT_GE(labelled, 3);
    // Nothing is written left of the labels' column, above the list buttons.
    EXPECT_EQ(
        inkIn(image, QRect(chart.left - 50, chart.top + 5, 5, chart.height() - 10), background), 0);

    // The month labels under the chart: bars where the month changes.
    const BarAxis axis = window->chartPane()->axis();
    const auto labels = dateLabels(workspace.series().bars, window->viewState().newestIndex(),
                                   axis.visibleCount(), PeriodMode::Daily);
    ASSERT_FALSE(labels.empty());
    for (const DateLabel& label : labels) {
        if (label.lower) continue;
        const int x = column + axis.rightX() + 5 - label.back * axis.pitch;
        EXPECT_GT(inkIn(image, QRect(x - 6, chart.bottom, 12, 14), background), 0) << label.text;
    }
}

TEST_F(MainWindowTest, PagingPastTheOldestBarSaysSoOncePerSeries) {
    // Nothing answers at the quote site: every fetch of older bars fails.
    auto window = open(workspace, 1010);
    const auto told = [&] { return tools.prompter.messages().size(); };
    const std::size_t before = told();
    for (int page = 0; page < 200; ++page)
        press(*window, Qt::Key_PageUp);
    EXPECT_EQ(told(), before + 1);
    window->showSecurity(7203);
    const std::size_t shown = told();
    for (int page = 0; page < 10; ++page)
        press(*window, Qt::Key_PageUp);
    EXPECT_EQ(told(), shown + 1);
}

TEST_F(MainWindowTest, MarkerBHidesTheLaterBarsFromTheBoard) {
    auto window = open(workspace, 7203);
    ChartViewState& view = window->viewState();
    EXPECT_EQ(window->priceBoard()->shownBar(), 299);
    view.markerB = 250;
    EXPECT_EQ(window->priceBoard()->shownBar(), 250);
    view.chartHoverBar = 280;  // hidden: the board stays at the marker
    EXPECT_EQ(window->priceBoard()->shownBar(), 250);
    view.chartHoverBar = 240;
    EXPECT_EQ(window->priceBoard()->shownBar(), 240);
}

TEST_F(MainWindowTest, CloseLabelTakesThePlaceOfTheGuideLabelItCovers) {
    auto window = open(workspace, 7203);
    window->repaintTick();
    QImage image(window->size(), QImage::Format_RGB32);
    window->render(&image);
    const PriceScale scale = window->chartPane()->scale();
    const int closeY = scale.priceY(workspace.series().bars.back().close);
    const int height = window->fontMetrics().height();
    const int ascent = window->fontMetrics().ascent();
    const int column = window->windowLayout().chartColumn;
    const int top = window->windowLayout().chart.top;
    int covered = 0;
    for (const GuideLine& guide : scale.guides) {
        if (std::abs(guide.y - closeY) >= height) continue;
        ++covered;
        // Only the red close is written there: no dark ink of a guide label.
        for (int y = top + closeY - ascent / 2 + 1; y < top + closeY + ascent / 2; ++y)
            for (int x = column - 60; x < column; ++x) {
                const QColor pixel(image.pixel(x, y));
                EXPECT_FALSE(pixel.red() < 120 && pixel.green() < 120 && pixel.blue() < 120)
                    << x << "," << y;
            }
    }
    EXPECT_EQ(covered, 1);  // the series' newest close lies near one guide line
}

TEST_F(MainWindowTest, SettingsSheetOkStartsAgainFromScreenOne) {
    auto window = open(workspace, 7203);
    workspace.options().indicatorScreen = 2;
    QTimer::singleShot(50, [] {
        auto* dialog = qobject_cast<SettingsSheetDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->fieldEdit(SheetField::graphsPerScreen)->setText("3");
        dialog->fieldEdit(SheetField::quoteInterval)->setText("15");
        dialog->accept();
    });
    window->runCommand(cmd::Settings);
    EXPECT_EQ(workspace.options().indicatorScreenCount(), 6);
    EXPECT_EQ(workspace.options().indicatorScreen, 0);
    EXPECT_EQ(window->toolbar().label(cmd::ScreenMenu), QString::fromUtf8("指数1"));
    EXPECT_EQ(window->quoteTimerInterval(), 15000);
    EXPECT_EQ(OptionsRecord::fromBytes(test::readFile(temp / "Option.cfg")).graphsPerScreen, 3);

    // Cancel leaves everything as it was.
    const OptionsRecord before = workspace.options();
    QTimer::singleShot(50, [] {
        auto* dialog = qobject_cast<SettingsSheetDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->fieldEdit(SheetField::graphsPerScreen)->setText("7");
        dialog->reject();
    });
    window->runCommand(cmd::Settings);
    EXPECT_EQ(workspace.options(), before);
}

TEST_F(MainWindowTest, AtItsSmallestEveryButtonIsOnScreenAndNamed) {
    auto window = open(workspace, 7203);
    const QSize smallest = window->minimumSize();
    window->resize(smallest);
    QCoreApplication::processEvents();
    ASSERT_EQ(window->size(), smallest);
    const QRect inside = window->rect();
    std::vector<QRect> placed;
    for (const ButtonSpec& entry : toolbarButtons()) {
        QAbstractButton* button = window->toolbar().button(entry.id);
        ASSERT_NE(button, nullptr);
        // The one-character buttons above all say what they do.
        EXPECT_FALSE(button->toolTip().isEmpty()) << entry.label;
        if (button->text().size() == 1) {
            EXPECT_GT(button->toolTip().size(), 4) << entry.label;
        }
        EXPECT_TRUE(button->isVisible()) << entry.label;
        EXPECT_TRUE(inside.contains(button->geometry())) << entry.label;
        for (const QRect& other : placed)
            EXPECT_FALSE(other.intersects(button->geometry())) << entry.label;
        placed.push_back(button->geometry());
    }
    const QRect selector = window->toolbar().strategySelector()->geometry();
    EXPECT_TRUE(inside.contains(selector));
    for (const QRect& other : placed)
        EXPECT_FALSE(other.intersects(selector));
    // A stored splitter from a taller window still leaves the list buttons
    // above the bottom row and room for the panes.
    workspace.options().splitter2 = 2000;
    workspace.options().splitter1 = 2000;
    window->resize(smallest.width(), smallest.height() + 1);
    QCoreApplication::processEvents();
    const WindowLayout& layout = window->windowLayout();
    for (const PaneRect& r : layout.listButtons)
        EXPECT_LE(r.bottom, window->height() - kToolbarHeight);
    EXPECT_GT(layout.indicator.height(), 0);
    EXPECT_GT(layout.entryList.height(), 0);
}

TEST_F(MainWindowTest, StatusLineElidesIntoItsTipAndClearsForTheNextCommand) {
    auto window = open(workspace, 7203);
    auto* line = window->findChild<QLabel*>(QStringLiteral("statusLine"));
    ASSERT_NE(line, nullptr);
    const std::string whole(40, 'x');
    window->showStatus(whole + "「完了しました」" + whole + whole + whole);
    const QString full = window->statusText();
    EXPECT_TRUE(full.endsWith(QString::fromStdString(whole)));
    EXPECT_NE(line->text(), full);
    EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()), line->width());
    EXPECT_EQ(line->toolTip(), full);
    window->showStatus("短い");
    EXPECT_EQ(line->text(), QStringLiteral("短い"));
    EXPECT_TRUE(line->toolTip().isEmpty());
    // Pressing a button starts another operation: the old report goes.
    window->toolbar().button(cmd::Newest)->click();
    EXPECT_TRUE(window->statusText().isEmpty());
    EXPECT_TRUE(line->text().isEmpty());
}

TEST_F(MainWindowTest, MarketListButtonsSayWhyTheyDoNothing) {
    auto window = open(workspace, 7203);
    window->watchlistPane().selector()->setCurrentRow(0);  // a market
    for (int id : {cmd::EntryUp, cmd::EntryDown, cmd::ListRange, cmd::ListSignals}) {
        window->showStatus("");
        window->runCommand(id);
        EXPECT_TRUE(window->statusText().contains(QStringLiteral("注目銘柄リスト"))) << id;
    }
}

TEST_F(MainWindowTest, BoardAndNoteRowsAreReachableOnASmallWindow) {
    auto window = open(workspace, 7203);
    window->resize(window->minimumSize());
    workspace.quoteInfo = QuoteRecord{};
    for (std::string& text : workspace.quoteInfo->texts)
        text = "1,234,567百万円";
    window->repaintTick();
    QCoreApplication::processEvents();
    const auto lastRowDrawn = [](QWidget& pane, RowScroll& scroll) {
        const QColor ground = pane.palette().color(QPalette::Button);
        scroll.bar()->setValue(scroll.bar()->maximum());
        const QImage image = pane.grab().toImage();
        const int step = pane.fontMetrics().height() + 3;
        int ink = 0;
        for (int y = pane.height() - step; y < pane.height(); ++y)
            for (int x = 0; x < scroll.contentWidth(); ++x)
                ink += QColor(image.pixel(x, y)) != ground;
        return ink;
    };
    for (QWidget* pane :
         {static_cast<QWidget*>(window->priceBoard()), static_cast<QWidget*>(window->notePane())}) {
        RowScroll& scroll = pane == window->priceBoard() ? window->priceBoard()->rowScroll()
                                                         : window->notePane()->rowScroll();
        pane->grab();  // lays the rows out
        ASSERT_GT(scroll.contentHeight(), pane->height()) << pane->objectName().toStdString();
        EXPECT_TRUE(scroll.bar()->isVisible());
        EXPECT_EQ(scroll.bar()->maximum(), scroll.contentHeight() - pane->height());
        EXPECT_GT(lastRowDrawn(*pane, scroll), 0) << pane->objectName().toStdString();
    }
    // On a tall window everything fits and the bar goes.
    window->resize(1000, 1400);
    window->priceBoard()->grab();
    if (window->priceBoard()->rowScroll().contentHeight() <= window->priceBoard()->height()) {
        EXPECT_FALSE(window->priceBoard()->rowScroll().bar()->isVisible());
    }
}

TEST_F(MainWindowTest, ASecondInstanceOpensAtTheFirstsSizeAndSaysItIsReadOnly) {
    auto first = open(workspace, 7203);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Tavrento"));
    first->setGeometry(60, 40, 1111, 777);
    // The first one writes its placement shortly after it changes.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        test::TestPlatform probe;
        Workspace reader{ProgramFolder(temp.str()), probe.platform()};
        reader.loadSettings(std::nullopt);
        return reader.options().windowWidth == 1111;
    }, 5000));

    test::TestPlatform again;
    Workspace other{ProgramFolder(temp.str()), again.platform()};
    ASSERT_FALSE(other.storeWritable());
    const StockCode code = other.loadSettings(std::nullopt);
    MainWindow second(other);
    second.placeFromOptions();
    second.start(code);
    EXPECT_EQ(second.size(), QSize(1111, 777));
    EXPECT_TRUE(second.windowTitle().contains(QStringLiteral("読み取り専用")));
}

}  // namespace
}  // namespace tav::desktop
