#pragma once

#include <QBasicTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "chart/chart_view_state.h"
#include "core/ordered_parallel.h"
#include "core/stock_code.h"
#include "data/endpoints.h"
#include "dialogs/optimize_dialog.h"
#include "panes/watchlist_pane_actions.h"
#include "updates/archive_update.h"
#include "watchlist_runs/entry_quotes.h"
#include "watchlist_runs/watchlist_run.h"
#include "window/chart_navigation.h"
#include "window/key_routing.h"
#include "window/window_layout.h"

namespace tav {
class Workspace;
}
class QMenu;

namespace tav::desktop {

class BackgroundRun;
class ChartPane;
class FrozenView;
class IndicatorPane;
class NotePane;
class ProfitView;
class PriceBoard;
class Toolbar;
class WatchlistPane;

// The application's one top-level window: lays out the panes and the toolbar,
// routes every button, key, menu and pane command, drives the repaint and
// quote-watch timers and paints the scale, date and header labels. What is
// not drawing lives in the workspace.
class MainWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRepaintInterval = 100;  // ms

    explicit MainWindow(Workspace& workspace, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window at its stored placement with its panes laid out, before any
    // series is loaded (so a first start can show its progress in it).
    void placeFromOptions();
    // The start: the placement unless done, the first series, the timers.
    // Call once, after the workspace's settings are loaded.
    void start(StockCode code);
    // The exit: placement and options saved, the series written back, the
    // timers stopped. Runs once, from the close event or the caller.
    void shutDown();

    // Scripted runs (the screenshot): no dialogs of our own; the archive
    // days run as proposed.
    void setUnattended(bool unattended) { unattended_ = unattended; }
    // The "株価データ追加" step of the archive update as this window shows it.
    ArchiveDialog archiveDialog();

    // Long operations report here between their steps; the window is
    // repainted at once since nothing else runs meanwhile.
    void showProgress(int percent);
    void showStatus(const std::string& text);

    // A screening or multi-security back-test is running on its worker; the
    // commands that would write what it reads are switched off meanwhile.
    bool marketRunGoing() const;
    // Asks the running one to stop; it then writes nothing.
    void cancelMarketRun();
    // A batch update or download writes the store on the worker through the
    // workspace: the window shows a still picture of itself meanwhile and
    // takes no input but the pane's cancel.
    bool storeRunGoing() const { return frozen_; }

    // The "投資情報" menu for the security on display, each item opening its
    // address; nothing (after the message) when "url.lst" is missing.
    std::unique_ptr<QMenu> investmentMenu();

    // Runs a command id as a button, menu or pane would.
    void runCommand(int id, bool alternate = false);
    // Shows another security (typed code, list, history, search).
    void showSecurity(StockCode code);

    // --- State the tests and the panes look at ---
    Workspace& workspace() { return workspace_; }
    ChartViewState& viewState() { return view_; }
    const ChartNavigation& navigation() const { return nav_; }
    const WindowLayout& windowLayout() const { return layout_; }
    Toolbar& toolbar() { return *toolbar_; }
    WatchlistPane& watchlistPane() { return *watchlist_; }
    // The engine runs behind the pane's menus and list buttons; call
    // paneActionsChanged after setting them so the buttons follow.
    WatchlistPaneActions& paneActions() { return paneActions_; }
    void paneActionsChanged();
    ChartPane* chartPane() const { return chart_; }
    IndicatorPane* indicatorPane() const { return indicator_; }
    PriceBoard* priceBoard() const { return board_; }
    NotePane* notePane() const { return note_; }
    ProfitView* profitView() const { return profit_; }
    // Scrolls the chart so that the bar is on screen, a quarter screen from
    // the right when it was not.
    void showBar(int bar);
    const CodeEntry& codeEntry() const { return codeEntry_; }
    bool repaintPending() const { return repaintPending_; }
    bool quoteWatchRunning() const { return quoteWatchRunning_; }
    int quoteTimerInterval() const { return quoteInterval_; }
    QString headerLine() const;
    // The whole status text; the line shows it cut to its room.
    QString statusText() const { return statusText_; }
    QPushButton* cancelRunButton() const { return cancelRun_; }

    // Panes and commands ask for a repaint; the 100 ms timer does it once.
    void requestRepaint() { repaintPending_ = true; }
    // The timer's tick, callable directly.
    void repaintTick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    // Command id -> what it does; ids without an entry do nothing.
    using CommandHandler = void (*)(MainWindow& window, bool alternate);
    static const std::unordered_map<int, CommandHandler>& commandTable();

    void relayout();
    void placeStatus();
    // Keeps the stored placement at the window's and writes it soon.
    void placementChanged();
    // Starting another command clears what the last one reported.
    void clearStatusForNewOperation();
    LayoutInput layoutInput() const;
    void seriesReplaced();
    void syncNavigation();
    void runStrategyForView();
    void updateLabels();
    void updateEnabledButtons();
    void takeFocus();
    // A typed character of a security code; true when it was one.
    bool typeCode(const QKeyEvent& event);

    void scrollBack(int bars);
    void scrollForward(int bars);
    void toNewest();
    void pageBack();
    void pageForward();
    void zoom(bool in);
    void stepMarkerOrScroll(int direction, bool alternate);
    void setPeriod(int period);
    void nextPeriod();
    void nextOverlay(bool previous);
    void nextScreen(bool previous);
    void setClickMode(ClickMode mode);
    void toggleWatchlist();
    void toggleSplitter1();
    void openDataFile();
    void openProfitView();
    void historyStep(bool older);
    void showMargin();
    void editStrategies();
    // "最適化" of strategy `strategyIndex` (list index), from the editor.
    void optimize(int strategyIndex);
    void addSecurityDialog(StockCode preset);
    void csvImportDialog(StockCode preset);
    void enterQuote();
    void toggleQuoteWatch();
    void updateList(bool alternate);
    void openSettings();
    void rankingDownload();
    void strategyMarks();
    // The pane's engine runs (watchlist_actions.cpp).
    void wirePaneActions();
    void rangeMarks(int watchlist, int rangeType);
    // Where the quote watch fetches its quotes from.
    QuoteSourceSetting quoteSource() const;
    void signalMarks(int watchlist);
    void exportLevels(int watchlist);
    void openInvestmentMenu();
    void openWebPage(StockCode code, std::string (*page)(const Endpoints&, StockCode,
                                                         std::string_view));
    // The marks of a finished run into the entry list; none: it was cancelled.
    void finishMarks(int watchlist, const std::optional<std::vector<EntryMark>>& marks);
    void freezeForStoreRun();
    void thawAfterStoreRun();
    void screening();
    void simulation();
    // The simulation's alternate: one account over the same securities.
    void portfolio();
    // Starts `work` on the worker with the progress bar and the cancel
    // button; `done` runs on this thread once it has ended.
    // `display`: the window's bar or the watchlist pane's panel.
    enum class RunDisplay { Window, Pane };
    void startMarketRun(std::function<void(RunControl&)> work, std::function<void()> done,
                        RunDisplay display = RunDisplay::Window);
    void runProgressed(int done, int total);
    void marketRunEnded();
    void setMarketRunCommandsEnabled(bool enabled);
    // Whether the command is off while a market-wide run goes.
    static bool offDuringMarketRun(int id);
    // Runs a long engine operation that may replace the series, then shows
    // whatever series it left.
    void runSeriesOperation(const std::function<void()>& operation);
    // The daily update as runSeriesOperation runs it, with 中止 shown: a
    // click stops it at the next day or wait, the days before kept.
    void runStoppableUpdate(const std::function<void()>& operation);
    void askUpdateStop();

    // Pop-up menus at their buttons.
    void searchMenu();
    void historyMenu();
    void periodMenu();
    void priceStyleMenu();
    void overlayMenu();
    void screenMenu();
    std::optional<int> popUp(int buttonId, const QStringList& items, int current);

    void quoteWatchTick();

    Workspace& workspace_;
    ChartViewState view_;
    ChartNavigation nav_;
    CodeEntry codeEntry_;
    WindowLayout layout_;
    // Before the pane, which keeps a reference to it.
    WatchlistPaneActions paneActions_;
    Toolbar* toolbar_;
    WatchlistPane* watchlist_;
    ChartPane* chart_;
    IndicatorPane* indicator_;
    PriceBoard* board_;
    NotePane* note_;
    ProfitView* profit_ = nullptr;  // made on first use
    QProgressBar* progress_;
    QLabel* status_;
    QString statusText_;
    QPushButton* cancelRun_;
    BackgroundRun* marketRun_;
    std::function<void()> marketRunDone_;
    RunDisplay runDisplay_ = RunDisplay::Window;
    FrozenView* frozenView_ = nullptr;  // made on first use
    bool frozen_ = false;
    // The folder the result dialog writes its report to; the program folder
    // until the user picks another.
    std::string reportFolder_;
    // The "最適化" dialog as it was last left, for the next opening.
    OptimizeChoice optimizeChoice_;

    QBasicTimer repaintTimer_;
    QBasicTimer quoteTimer_;
    QBasicTimer placementTimer_;
    int quoteInterval_ = 60000;
    bool repaintPending_ = false;
    bool quoteWatchRunning_ = false;
    // Set while a long engine operation runs: its progress lets timers fire,
    // but the series may be another security's meanwhile.
    bool busy_ = false;
    bool updateRunning_ = false;
    bool updateStopAsked_ = false;
    bool placed_ = false;
    bool started_ = false;
    bool unattended_ = false;
    bool shutDown_ = false;
    Splitter dragging_ = Splitter::None;
    // Set when fetching older bars for paging back failed; cleared with the series.
    bool olderBarsExhausted_ = false;
    // The stored splitter while End has it lowered; 0 when not lowered.
    std::optional<int> splitter1Before_;
};

}  // namespace tav::desktop
