#include "window/main_window.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>
#include <functional>

#include "chart/chart_pane.h"
#include "chart/indicator_pane.h"
#include "chart/price_board.h"
#include "chart/scale_labels.h"
#include "data/price_store.h"
#include "dialogs/about_dialog.h"
#include "dialogs/add_security_dialog.h"
#include "dialogs/archive_days_dialog.h"
#include "dialogs/csv_import_dialog.h"
#include "dialogs/margin_dialog.h"
#include "dialogs/multi_run_dialog.h"
#include "dialogs/profit_view.h"
#include "dialogs/quote_entry_dialog.h"
#include "dialogs/ranking_dialog.h"
#include "dialogs/screening_dialog.h"
#include "dialogs/settings_sheet.h"
#include "dialogs/simulation_result_dialog.h"
#include "panes/batch_progress.h"
#include "panes/note_pane.h"
#include "panes/watchlist_pane.h"
#include "watchlists/security_search.h"
#include "window/background_run.h"
#include "window/command_ids.h"
#include "window/frozen_view.h"
#include "window/toolbar.h"
#include "window/ui_font.h"
#include "workspace/archive.h"
#include "workspace/market_api.h"
#include "workspace/quotes.h"
#include "workspace/screening.h"
#include "workspace/settings.h"
#include "workspace/updates.h"
#include "workspace/workspace.h"

namespace tav::desktop {

namespace {

constexpr const char* kPeriodLabels[] = {"日足", "週足", "月足"};
constexpr const char* kPriceStyleLabels[] = {"ﾛｰｿｸ", "折線", "バー"};
constexpr const char* kOverlayItems[] = {"移動平均線",    "一目均衡表", "ﾊﾟﾗﾎﾞﾘｯｸ", "HLバンド",
                                         "ﾎﾞﾘﾝｼﾞｬｰﾊﾞﾝﾄﾞ", "ｴﾝﾍﾞﾛｰﾌﾟ",   "MAバンド"};
constexpr const char* kOverlayLabels[] = {"移動", "一目", "ﾊﾟﾗﾎﾞ", "HL帯", "ﾎﾞﾘﾝ", "ｴﾝﾍﾞ", "MA帯"};
constexpr int kHeaderX = 620;
constexpr int kHeaderY = 10;
constexpr int kStatusRoom = 40;  // an elided status and its tip
constexpr int kMinimumHeight = 480;
constexpr int kPlacementDelay = 1000;  // ms

// Commands whose work is not built yet: their buttons stay disabled.
constexpr const char* kNoStrategy =
    "戦略が設定されていません。\n\n戦略を選択するか、注目銘柄の名前を右クリックして固有の設定を"
    "してください。";

bool alternateHeld() {
    return QApplication::keyboardModifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
}

template <std::size_t N>
QStringList texts(const char* const (&items)[N]) {
    QStringList list;
    for (const char* item : items)
        list << QString::fromUtf8(item);
    return list;
}

}  // namespace

MainWindow::MainWindow(Workspace& workspace, QWidget* parent)
    : QWidget(parent),
      workspace_(workspace),
      toolbar_(new Toolbar(this)),
      watchlist_(new WatchlistPane(workspace, paneActions_, this, toolbar_->strategySelector())),
      chart_(new ChartPane(workspace, view_, this)),
      indicator_(new IndicatorPane(workspace, view_, this)),
      board_(new PriceBoard(workspace, view_, this)),
      note_(new NotePane(workspace, this)),
      progress_(new QProgressBar(this)),
      status_(new QLabel(this)),
      cancelRun_(new QPushButton(QStringLiteral("中止"), this)),
      marketRun_(new BackgroundRun(this)),
      reportFolder_(workspace.folder().root()) {
    progress_->setRange(0, 100);
    progress_->setTextVisible(false);
    progress_->hide();
    status_->setObjectName(QStringLiteral("statusLine"));
    setWindowTitle(QStringLiteral("Tavrento"));
    // Every button of both rows stays on screen, with room for the status.
    setMinimumSize(toolbar_->requiredWidth() + kStatusRoom, kMinimumHeight);
    setObjectName(QStringLiteral("TavrentoClass"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAutoFillBackground(true);
    setPalette(QApplication::palette());
    setBackgroundRole(QPalette::Button);
    chart_->setObjectName(QStringLiteral("ChartWindow"));
    indicator_->setObjectName(QStringLiteral("SisuWindow"));
    board_->setObjectName(QStringLiteral("KabuWindow"));

    connect(toolbar_, &Toolbar::command, this, [this](int id) {
        clearStatusForNewOperation();
        runCommand(id, alternateHeld());
    });
    connect(chart_, &ChartPane::commandPosted, this,
            [this](int id) { runCommand(id, alternateHeld()); });
    connect(indicator_, &IndicatorPane::commandPosted, this,
            [this](int id) { runCommand(id, alternateHeld()); });
    connect(board_, &PriceBoard::commandPosted, this,
            [this](int id) { runCommand(id, alternateHeld()); });
    connect(note_, &NotePane::commandPosted, this,
            [this](int id) { runCommand(id, alternateHeld()); });
    connect(watchlist_, &WatchlistPane::securityChosen, this, [this](StockCode code) {
        showSecurity(code);
        watchlist_->entries()->setFocus();
    });
    connect(watchlist_, &WatchlistPane::focusReturned, this,
            [this] { runCommand(cmd::TakeFocus); });
    connect(watchlist_, &WatchlistPane::commandPosted, this, [this](int id) {
        clearStatusForNewOperation();
        runCommand(id, alternateHeld());
    });
    // The sort setting is read at start-up only.
    connect(watchlist_, &WatchlistPane::quitRequested, this, &QWidget::close, Qt::QueuedConnection);
    connect(watchlist_, &WatchlistPane::strategyChanged, this, [this] {
        view_.strategyShown = workspace_.options().selectedStrategy != 0;
        workspace_.seriesChanged();
        requestRepaint();
    });
    cancelRun_->hide();
    cancelRun_->setFocusPolicy(Qt::NoFocus);
    connect(cancelRun_, &QPushButton::clicked, this, [this] {
        if (updateRunning_)
            askUpdateStop();
        else
            cancelMarketRun();
    });
    workspace_.offerSplitRefetch = true;
    connect(marketRun_, &BackgroundRun::progressed, this, &MainWindow::runProgressed);
    connect(marketRun_, &BackgroundRun::finished, this, [this] { marketRunEnded(); });
    connect(watchlist_->progress(), &BatchProgress::cancelled, this, [this] { cancelMarketRun(); });
    wirePaneActions();
    // Typed codes reach the window wherever its focus is (see eventFilter).
    qApp->installEventFilter(this);
}

void MainWindow::paneActionsChanged() {
    const WatchlistPaneActions& actions = paneActions_;
    const std::pair<int, bool> buttons[] = {
        {cmd::InvestmentLinks, static_cast<bool>(actions.investmentLinks)},
        {cmd::CompanyInfo, static_cast<bool>(actions.companyPage)},
        {cmd::IntradayPage, static_cast<bool>(actions.intradayPage)},
        {cmd::ListRange, static_cast<bool>(actions.rangeMarks)},
        {cmd::ListSignals, static_cast<bool>(actions.strategyMarks)},
    };
    for (const auto& [id, wired] : buttons)
        toolbar_->setEnabled(id, wired);
}

// The worker stops before the panes and the workspace it was started from go.
MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    delete marketRun_;
}

void MainWindow::placeFromOptions() {
    const OptionsRecord& options = workspace_.options();
    setGeometry(options.windowLeft, options.windowTop, options.windowWidth, options.windowHeight);
    nav_.setPitch(options.barPitch);
    view_.strategyShown = options.selectedStrategy != 0;
    watchlist_->reload();
    watchlist_->setVisible(options.watchlistShown != 0);
    relayout();
    updateLabels();
    placed_ = true;
}

void MainWindow::start(StockCode code) {
    const OptionsRecord& options = workspace_.options();
    if (!placed_) placeFromOptions();

    // The first series: read from its file, fetched when there is none; when
    // nothing comes, the index 1010 is shown instead.
    const auto load = [this](StockCode shown) {
        return workspace_.storageMode == StorageMode::Accumulate
                   ? reloadFromFile(workspace_, shown)
                   : selectSecurity(workspace_, shown);
    };
    if (!load(code) && code != kDefaultCode) load(kDefaultCode);
    seriesReplaced();

    // A second instance only reads the folder; its caption says so.
    if (!workspace_.storeWritable()) setWindowTitle(QStringLiteral("Tavrento（読み取り専用）"));
    repaintTimer_.start(kRepaintInterval, this);
    quoteInterval_ = (options.quoteInterval ? options.quoteInterval : 60) * 1000;
    quoteTimer_.start(quoteInterval_, this);
    started_ = true;
    runStrategyForView();
    takeFocus();
    placementChanged();
}

void MainWindow::placementChanged() {
    // A worker may be reading the options meanwhile.
    if (!started_ || shutDown_ || frozen_ || marketRunGoing() || isMaximized() || isMinimized() ||
        !workspace_.storeWritable())
        return;
    OptionsRecord& options = workspace_.options();
    const QRect placement = geometry();
    options.windowLeft = placement.x();
    options.windowTop = placement.y();
    options.windowWidth = placement.width();
    options.windowHeight = placement.height();
    // Written shortly after the last change, so that a second instance
    // started meanwhile opens at this window's size.
    placementTimer_.start(kPlacementDelay, this);
}

void MainWindow::shutDown() {
    if (!started_ || shutDown_) return;
    shutDown_ = true;
    OptionsRecord& options = workspace_.options();
    options.maximized = isMaximized() ? 1 : 0;
    if (!isMaximized()) {
        const QRect placement = geometry();
        options.windowLeft = placement.x();
        options.windowTop = placement.y();
        options.windowWidth = placement.width();
        options.windowHeight = placement.height();
    }
    if (splitter1Before_) options.splitter1 = *splitter1Before_;
    options.barPitch = nav_.pitch();
    workspace_.saveSettings();
    workspace_.saveIfChanged();
    repaintTimer_.stop();
    quoteTimer_.stop();
    placementTimer_.stop();
}

void MainWindow::showProgress(int percent) {
    // A market-wide run owns the bar until it ends; a fetch for the chart
    // meanwhile reports nowhere.
    if (marketRunGoing()) return;
    const bool shown = percent > 0 && percent < 100;
    if (shown != progress_->isVisible()) {
        progress_->setVisible(shown);
        placeStatus();
    }
    progress_->setValue(std::clamp(percent, 0, 100));
    progress_->repaint();
}

void MainWindow::showStatus(const std::string& text) {
    statusText_ = QString::fromStdString(text);
    placeStatus();
    status_->repaint();
}

void MainWindow::placeStatus() {
    // Right of the bottom row, after the progress bar and 中止 while a run shows them.
    int rowEnd = 0;
    for (const ButtonSpec& entry : toolbarButtons())
        if (entry.row == ToolbarRow::Bottom)
            rowEnd = std::max(rowEnd, toolbar_->button(entry.id)->geometry().right() + 10);
    const int rowTop = height() - kToolbarHeight + 6;
    progress_->setGeometry(rowEnd, rowTop, 120, 18);
    cancelRun_->setGeometry(rowEnd + 125, rowTop - 2, 50, 22);
    const int left = progress_->isVisible() || cancelRun_->isVisible() ? rowEnd + 185 : rowEnd;
    const int width = std::max(this->width() - left - 5, 0);
    status_->setGeometry(left, rowTop, width, 18);
    // A long text is cut to the room there; the whole of it shows on hovering.
    const QString shown = status_->fontMetrics().elidedText(statusText_, Qt::ElideRight, width);
    status_->setText(shown);
    status_->setToolTip(shown == statusText_ ? QString() : statusText_);
}

void MainWindow::clearStatusForNewOperation() {
    // A run's status belongs to the run until it ends.
    if (marketRunGoing() || frozen_ || statusText_.isEmpty()) return;
    showStatus({});
}

// --- Layout ---

LayoutInput MainWindow::layoutInput() const {
    const OptionsRecord& options = workspace_.options();
    LayoutInput input;
    input.width = width();
    input.height = height();
    input.watchlistShown = options.watchlistShown != 0;
    input.watchlistWidth = options.watchlistWidth;
    input.splitter2 = options.splitter2;
    input.splitter1 = options.splitter1;
    input.rightWidth = options.rightWidth;
    input.boardWidth = PriceBoard::fittingWidth(board_->fontMetrics());
    return input;
}

void MainWindow::relayout() {
    layout_ = computeLayout(layoutInput());
    const auto place = [](QWidget* widget, const PaneRect& r) {
        widget->setGeometry(r.left, r.top, std::max(r.width(), 0), std::max(r.height(), 0));
    };
    place(watchlist_->selector(), layout_.listSelector);
    place(watchlist_->entries(), layout_.entryList);
    watchlist_->placeProgress();
    place(chart_, layout_.chart);
    place(indicator_, layout_.indicator);
    place(board_, layout_.priceBoard);
    place(note_, layout_.note);
    toolbar_->place(layout_, width(), height(), workspace_.options().watchlistShown != 0);
    placeStatus();
    const int newestBefore = nav_.newest();
    const bool atNewest = newestBefore == nav_.barCount() - 1;
    nav_.setChartWidth(layout_.chart.width());
    // A narrower screen may no longer reach back as far.
    if (!atNewest && nav_.newest() < nav_.lowest()) nav_.toNewest();
    syncNavigation();
    requestRepaint();
}

void MainWindow::moveEvent(QMoveEvent*) {
    placementChanged();
}

void MainWindow::resizeEvent(QResizeEvent*) {
    placementChanged();
    // The layout is kept in the workspace's options and series: it waits for
    // the worker to let go of them.
    if (frozen_) {
        frozenView_->setGeometry(rect());
        return;
    }
    relayout();
}

// --- The series on display ---

void MainWindow::showSecurity(StockCode code) {
    // Markers go even when the switch fails: the previous series comes back
    // whole, but the user asked to leave it. Another security starts on the
    // first indicator screen, and with no bar chosen for the strategy's run.
    workspace_.options().indicatorScreen = 0;
    workspace_.strategyDisplay.view.selectedEnd = -1;
    selectSecurity(workspace_, code);
    seriesReplaced();
    if (quoteWatchRunning_) quoteWatchTick();
    takeFocus();
}

void MainWindow::runSeriesOperation(const std::function<void()>& operation) {
    busy_ = true;
    operation();
    busy_ = false;
    seriesReplaced();
    watchlist_->showEntries();
}

void MainWindow::runStoppableUpdate(const std::function<void()>& operation) {
    updateRunning_ = true;
    updateStopAsked_ = false;
    cancelRun_->setEnabled(true);
    cancelRun_->show();
    placeStatus();
    // Asked between days and many times a second during the data API's
    // waits: the click on 中止 is taken here, nothing else in the window is.
    workspace_.stopRequested = [this] {
        QApplication::processEvents(QEventLoop::AllEvents);
        return updateStopAsked_;
    };
    runSeriesOperation(operation);
    workspace_.stopRequested = nullptr;
    updateRunning_ = false;
    cancelRun_->hide();
    placeStatus();
}

void MainWindow::askUpdateStop() {
    updateStopAsked_ = true;
    cancelRun_->setEnabled(false);
    showStatus("中止しています");
}

ArchiveDialog MainWindow::archiveDialog() {
    if (unattended_) return {};
    return [this](const ArchiveChoice& proposed) -> std::optional<ArchiveChoice> {
        ArchiveDaysDialog dialog(proposed.days, static_cast<int>(proposed.mode), this);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return ArchiveChoice{dialog.days(), static_cast<SourceMode>(dialog.sourceMode())};
    };
}

void MainWindow::seriesReplaced() {
    const int count = workspace_.series().count();
    view_.resetForSeries(count);
    nav_.reset(count);
    olderBarsExhausted_ = false;
    syncNavigation();
    board_->hideLevelList();
    updateLabels();
    requestRepaint();
}

// A run made before the chart had its view (a load runs it first), or before
// the chart scrolled or was resized, is made again for the bars on screen now.
void MainWindow::runStrategyForView() {
    const int strategy = workspace_.selectedStrategy();
    // Before the start the workspace holds no series of this window's yet.
    if (busy_ || !started_) return;
    if (strategy != 0 && workspace_.strategyDisplay.subject != workspace_.displaySubject(strategy))
        workspace_.runStrategyDisplay(strategy);
}

void MainWindow::syncNavigation() {
    view_.endCount = nav_.endCount() > 0 ? nav_.endCount() : 0;
    workspace_.paging.visibleBars = nav_.visible();
    workspace_.paging.pagesBack = nav_.pagesBack();
    workspace_.options().barPitch = nav_.pitch();
    workspace_.series().cursor = nav_.newest();
    // The strategy's run window is taken from the bars on screen.
    ChartView& runView = workspace_.strategyDisplay.view;
    runView.lastShown = nav_.newest();
    runView.barsOnScreen = nav_.visible();
    runStrategyForView();
}

void MainWindow::updateLabels() {
    const OptionsRecord& options = workspace_.options();
    toolbar_->setLabel(cmd::ToggleWatchlist, QString::fromUtf8(options.watchlistShown ? "×" : "□"));
    toolbar_->setLabel(cmd::PeriodMenu,
                       QString::fromUtf8(kPeriodLabels[std::min<int>(options.periodMode, 2)]));
    toolbar_->setLabel(cmd::PriceStyleMenu,
                       QString::fromUtf8(kPriceStyleLabels[std::min<int>(options.priceStyle, 2)]));
    toolbar_->setLabel(
        cmd::OverlayMenu,
        QString::fromUtf8(kOverlayLabels[std::min<int>(options.chartOverlay, kOverlayCount - 1)]));
    toolbar_->setLabel(cmd::ScreenMenu, QStringLiteral("指数%1").arg(options.indicatorScreen + 1));
    toolbar_->setLabel(cmd::ToggleIndividual,
                       QString::fromUtf8(options.individualSettings ? "個別" : "共通"));
    toolbar_->setChecked(cmd::MarkerAMode, view_.clickMode == ClickMode::MarkerA);
    toolbar_->setChecked(cmd::MarkerBMode, view_.clickMode == ClickMode::MarkerB);
    toolbar_->setChecked(cmd::TrendLineMode, view_.clickMode == ClickMode::TrendLine);
    toolbar_->setChecked(cmd::QuoteWatch, quoteWatchRunning_);
}

void MainWindow::takeFocus() {
    setFocus();
    codeEntry_.clear();
}

// --- Commands (the table is in command_table.cpp) ---

void MainWindow::scrollBack(int bars) {
    if (nav_.scrollBack(bars)) {
        syncNavigation();
        requestRepaint();
    }
}

void MainWindow::scrollForward(int bars) {
    if (nav_.scrollForward(bars)) {
        syncNavigation();
        requestRepaint();
    }
}

void MainWindow::toNewest() {
    nav_.toNewest();
    syncNavigation();
    requestRepaint();
}

void MainWindow::pageBack() {
    // Once the site had nothing older for this series, paging stops at its
    // oldest bar without asking (and telling) again.
    if (nav_.pageBackNeedsOlderBars() && !olderBarsExhausted_) {
        // Older bars are fetched for the page to come; the engine counts the
        // pages with this one included.
        workspace_.paging.visibleBars = nav_.visible();
        workspace_.paging.pagesBack = nav_.pagesBack() + 1;
        const int before = workspace_.series().count();
        const bool extended = extendIntoPast(workspace_);
        if (!extended) olderBarsExhausted_ = true;
        if (extended && workspace_.series().count() > before) {
            // The bars under the markers moved: clear them with the rest.
            const int added = workspace_.series().count() - before;
            const int newest = nav_.newest();
            const int pages = nav_.pagesBack();
            view_.resetForSeries(workspace_.series().count());
            nav_.reset(workspace_.series().count());
            nav_.restorePosition(newest + added, pages);
        }
    }
    nav_.pageBack();
    syncNavigation();
    requestRepaint();
}

void MainWindow::pageForward() {
    nav_.pageForward();
    syncNavigation();
    requestRepaint();
}

void MainWindow::zoom(bool in) {
    if (!(in ? nav_.zoomIn() : nav_.zoomOut())) return;
    workspace_.options().barPitch = nav_.pitch();
    const int before = workspace_.series().count();
    // A wider screen than the series holds brings older bars.
    if (!in && nav_.visible() > before && !workspace_.series().empty()) {
        tav::zoomOut(workspace_, nav_.visible());
        if (workspace_.series().count() != before) {
            seriesReplaced();
            return;
        }
    }
    toNewest();
}

void MainWindow::stepMarkerOrScroll(int direction, bool alternate) {
    if (view_.markerB != kNoBar) {
        const int moved = view_.markerB + direction;
        if (moved >= 0 && moved <= nav_.newest()) view_.markerB = moved;
        requestRepaint();
        return;
    }
    const int bars = alternate ? 10 : 1;
    direction < 0 ? scrollBack(bars) : scrollForward(bars);
}

void MainWindow::setPeriod(int period) {
    OptionsRecord& options = workspace_.options();
    if (period == options.periodMode) return;
    switchPeriod(workspace_, static_cast<PeriodMode>(period));
    // A failed switch keeps the period it could not leave.
    options.periodMode = static_cast<uint8_t>(workspace_.periodMode);
    seriesReplaced();
    updateLabels();
}

void MainWindow::nextPeriod() {
    setPeriod((workspace_.options().periodMode + 1) % 3);
}

void MainWindow::nextOverlay(bool previous) {
    uint8_t& overlay = workspace_.options().chartOverlay;
    overlay = static_cast<uint8_t>((overlay + (previous ? kOverlayCount - 1 : 1)) % kOverlayCount);
    updateLabels();
    requestRepaint();
}

void MainWindow::nextScreen(bool previous) {
    OptionsRecord& options = workspace_.options();
    const int screens = options.indicatorScreenCount();
    options.indicatorScreen =
        static_cast<uint8_t>((options.indicatorScreen + (previous ? screens - 1 : 1)) % screens);
    runCommand(cmd::ShowChosenScreen);
}

void MainWindow::setClickMode(ClickMode mode) {
    view_.setClickMode(mode);
    updateLabels();
    requestRepaint();
}

void MainWindow::toggleWatchlist() {
    uint8_t& shown = workspace_.options().watchlistShown;
    shown = shown ? 0 : 1;
    watchlist_->setVisible(shown != 0);
    updateLabels();
    relayout();
    takeFocus();
}

void MainWindow::toggleSplitter1() {
    OptionsRecord& options = workspace_.options();
    if (splitter1Before_) {
        options.splitter1 = *splitter1Before_;
        splitter1Before_.reset();
    } else {
        splitter1Before_ = options.splitter1;
        options.splitter1 = height() - kToolbarHeight - 50;
    }
    relayout();
}

void MainWindow::openDataFile() {
    const BarSeries& series = workspace_.series();
    workspace_.saveIfChanged();
    workspace_.platform().shell.open(dataFilePath(workspace_.folder(), series.code,
                                                  workspace_.periodMode, workspace_.storageMode));
}

// Without a strategy of its own the watchlist's marks use the selected one.
void MainWindow::strategyMarks() {
    const int number = workspace_.watchlists().displayedWatchlist();
    if (!workspace_.options().watchlistShown || !paneActions_.strategyMarks) return;
    if (number == 0) {
        showStatus("ｻｲﾝの印は注目銘柄リストにだけ付けられます。注目銘柄リストを選んでください。");
        return;
    }
    const bool own = workspace_.watchlists().watchlistStrategy(number) != 0;
    if (!own && workspace_.options().selectedStrategy == 0) {
        workspace_.prompter().message(kNoStrategy, MessageIcon::Warning);
        return;
    }
    paneActions_.strategyMarks(number);
}

void MainWindow::historyStep(bool older) {
    const auto display = [this](StockCode code) { showSecurity(code); };
    History& history = workspace_.history();
    older ? history.historyBack(display) : history.historyForward(display);
}

void MainWindow::showMargin() {
    const std::vector<MarginRecord> records =
        fetchMarginTable(workspace_, workspace_.series().code);
    if (records.empty()) return;
    MarginDialog dialog(workspace_.series().name, records, this);
    if (dialog.exec() != QDialog::Accepted) return;
    view_.marginShown = true;
    showMarginOnChart(workspace_, records);
    requestRepaint();
}

// --- Pop-up menus ---

std::optional<int> MainWindow::popUp(int buttonId, const QStringList& items, int current) {
    QMenu menu(this);
    for (int index = 0; index < items.size(); ++index) {
        QAction* action = menu.addAction(items[index]);
        action->setData(index);
        action->setCheckable(true);
        action->setChecked(index == current);
    }
    QAbstractButton* button = toolbar_->button(buttonId);
    const QPoint at = button ? button->mapToGlobal(QPoint(0, button->height())) : QCursor::pos();
    QAction* chosen = menu.exec(at);
    if (!chosen || chosen->data().toInt() == current) return std::nullopt;
    return chosen->data().toInt();
}

void MainWindow::periodMenu() {
    if (auto chosen = popUp(cmd::PeriodMenu, texts(kPeriodLabels), workspace_.options().periodMode))
        setPeriod(*chosen);
}

void MainWindow::priceStyleMenu() {
    if (auto chosen =
            popUp(cmd::PriceStyleMenu, texts(kPriceStyleLabels), workspace_.options().priceStyle)) {
        workspace_.options().priceStyle = static_cast<uint8_t>(*chosen);
        updateLabels();
        requestRepaint();
    }
}

void MainWindow::overlayMenu() {
    if (auto chosen =
            popUp(cmd::OverlayMenu, texts(kOverlayItems), workspace_.options().chartOverlay)) {
        workspace_.options().chartOverlay = static_cast<uint8_t>(*chosen);
        updateLabels();
        requestRepaint();
    }
}

void MainWindow::screenMenu() {
    QStringList items;
    for (int screen = 1; screen <= workspace_.options().indicatorScreenCount(); ++screen)
        items << QStringLiteral("指数画面%1").arg(screen);
    if (auto chosen = popUp(cmd::ScreenMenu, items, workspace_.options().indicatorScreen)) {
        workspace_.options().indicatorScreen = static_cast<uint8_t>(*chosen);
        runCommand(cmd::ShowChosenScreen);
    }
}

void MainWindow::searchMenu() {
    const auto text = workspace_.prompter().askText("検索", "銘柄名", "");
    if (!text) return;
    const std::vector<SearchHit> hits = searchMasterFile(workspace_.master().path(), *text);
    if (hits.empty()) return;
    QMenu menu(this);
    for (const SearchHit& hit : hits)
        menu.addAction(QString::fromStdString(hit.label))->setData(hit.code);
    if (QAction* chosen = menu.exec(QCursor::pos())) showSecurity(chosen->data().toInt());
}

void MainWindow::historyMenu() {
    History& history = workspace_.history();
    const StockCode shown = workspace_.series().code;
    // Each item runs its command once the menu has closed.
    std::function<void()> chosen;
    const auto item = [&chosen](QMenu* menu, const QString& text,
                                const std::function<void()>& run) {
        QAction* action = menu->addAction(text);
        QObject::connect(action, &QAction::triggered, action, [&chosen, run] { chosen = run; });
        return action;
    };

    QMenu menu(this);
    QMenu* lines = menu.addMenu(QStringLiteral("履歴"));
    for (const std::string& line : history.historyLines()) {
        const StockCode code = lineCode(line);
        item(lines, QString::fromStdString(line), [this, code, shown] {
            if (code > 0 && code != shown) showSecurity(code);
        });
    }
    lines->addSeparator();
    item(lines, QStringLiteral("履歴クリア(&C)"),
         [this, &history] { history.clearHistory(workspace_.prompter()); });

    // Only the first ten watchlists take the code from here.
    QMenu* watchlists = menu.addMenu(QStringLiteral("注目銘柄へ追加"));
    const std::vector<std::string>& titles = workspace_.watchlists().titles();
    for (int number = 1; number <= static_cast<int>(titles.size()); ++number) {
        item(watchlists, QString::fromStdString(titles[number - 1]), [this, number, shown] {
            if (number > 10) return;
            if (workspace_.watchlists().addToWatchlist(shown, number, false))
                watchlist_->showEntries();
        });
    }
    item(&menu, QStringLiteral("銘柄情報の削除(&D)"), [this] {
        if (workspace_.deleteSecurity()) watchlist_->reload();
    });
    item(&menu, QStringLiteral("銘柄情報に追加(&A)"), [this, shown] { addSecurityDialog(shown); });
    item(&menu, QStringLiteral("データ個別読込(&R)"), [this] {
        if (!workspace_.prompter().askYesNo(
                "データをYahooサイトから個別に読み込みます。\n\n危険！！！　一括更新とはデータソー"
                "ス"
                "が異なります。\n\n一括更新後でないとデータの整合性が失われますのでご注意ください。"
                "\n\nよろしいですか？",
                QuestionKind::Destructive))
            return;
        runSeriesOperation([this] { deleteAndRefetch(workspace_); });
    });
    item(&menu, QStringLiteral("CSVファイル読込(&I)"), [this, shown] { csvImportDialog(shown); });
    item(&menu, QStringLiteral("分割調整読込(&S)"), [this] {
        if (!workspace_.requireWritableStore()) return;
        runSeriesOperation([this] { splitAdjustedRefetch(workspace_); });
    });
    menu.addSeparator();
    item(&menu, QStringLiteral("バージョン情報(&V)"), [this] {
        showAboutBox(this, QString::fromStdString(workspace_.options().versionText("Tavrento")));
    });
    item(&menu, QStringLiteral("オプション設定(&O)"), [this] { runCommand(cmd::Settings); });

    QAbstractButton* button = toolbar_->button(cmd::HistoryMenu);
    menu.exec(button->mapToGlobal(QPoint(0, button->height())));
    if (chosen) chosen();
}

void MainWindow::addSecurityDialog(StockCode preset) {
    AddSecurityDialog dialog(preset, this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (!addSecurity(workspace_, dialog.request())) return;
    seriesReplaced();
    watchlist_->reload();
}

void MainWindow::csvImportDialog(StockCode preset) {
    if (!workspace_.requireWritableStore()) return;
    CsvImportDialog dialog(workspace_, preset, this);
    if (dialog.exec() != QDialog::Accepted) return;
    // The engine has reloaded the shown series when the bars went to it.
    if (dialog.code() != workspace_.series().code) {
        showSecurity(dialog.code());
        return;
    }
    seriesReplaced();
    watchlist_->showEntries();
}

// --- Keys, mouse, timers ---

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (frozen_) return;
    if (typeCode(*event)) return;
    const KeyPress press{event->key(), (event->modifiers() & Qt::KeypadModifier) != 0,
                         (event->modifiers() & Qt::ControlModifier) != 0};
    if (auto command = commandForKey(press)) {
        runCommand(command->command, command->alternate);
        return;
    }
    QWidget::keyPressEvent(event);
}

bool MainWindow::typeCode(const QKeyEvent& event) {
    const QString text = event.text();
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    if (text.size() != 1 || text[0].unicode() >= 0x80 || !codeEntry_.takes(text[0].toLatin1()))
        return false;
    if (auto code = codeEntry_.type(text[0].toLatin1())) showSecurity(*code);
    return true;
}

// Lists and drop-downs would take a typed digit as a search of their own
// and show another security: in this window, outside text fields, the
// typed characters are a code.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // During an update on this thread only 中止 takes input here; closing
    // the window asks the update to stop instead. Dialogs keep their input.
    if (updateRunning_) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget != cancelRun_ && widget->window() == this) {
            if (event->type() == QEvent::Close) {
                askUpdateStop();
                event->ignore();
                return true;
            }
            if (event->isInputEvent()) return true;
        }
    }
    if (event->type() == QEvent::KeyPress && watched != this && !frozen_) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const auto* combo = qobject_cast<QComboBox*>(watched);
        const bool takesText =
            qobject_cast<QLineEdit*>(watched) || qobject_cast<QAbstractSpinBox*>(watched) ||
            qobject_cast<QTextEdit*>(watched) || qobject_cast<QPlainTextEdit*>(watched) ||
            (combo && combo->isEditable());
        if (widget && widget->window() == this && !takesText &&
            typeCode(*static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    dragging_ = splitterAt(layout_, workspace_.options().watchlistShown != 0, at.x(), at.y());
    takeFocus();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const Splitter over =
        dragging_ != Splitter::None
            ? dragging_
            : splitterAt(layout_, workspace_.options().watchlistShown != 0, at.x(), at.y());
    if (over == Splitter::None)
        unsetCursor();
    else
        setCursor(isHorizontalLine(over) ? Qt::SizeVerCursor : Qt::SizeHorCursor);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ == Splitter::None) return;
    const QPoint at = event->position().toPoint();
    LayoutInput input = layoutInput();
    applySplitterDrag(input, dragging_, at.x(), at.y());
    OptionsRecord& options = workspace_.options();
    options.splitter1 = input.splitter1;
    options.splitter2 = input.splitter2;
    options.watchlistWidth = input.watchlistWidth;
    options.rightWidth = input.rightWidth;
    if (dragging_ == Splitter::ChartIndicator) splitter1Before_.reset();
    dragging_ = Splitter::None;
    unsetCursor();
    runCommand(cmd::SplitterDragEnd);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A run cut short by closing writes nothing.
    cancelMarketRun();
    // A batch writing through the workspace ends (between two securities)
    // before the exit saves through it.
    if (frozen_) {
        QEventLoop waiting;
        connect(marketRun_, &BackgroundRun::finished, &waiting, &QEventLoop::quit);
        if (marketRunGoing()) waiting.exec(QEventLoop::ExcludeUserInputEvents);
    }
    shutDown();
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && started_ && !frozen_) {
        if (isActiveWindow()) {
            runCommand(cmd::ClearChartHover);
        } else {
            chart_->clearHover();
            indicator_->clearHover();
        }
    }
    QWidget::changeEvent(event);
}

void MainWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == repaintTimer_.timerId())
        repaintTick();
    else if (event->timerId() == quoteTimer_.timerId())
        quoteWatchTick();
    else if (event->timerId() == placementTimer_.timerId()) {
        placementTimer_.stop();
        if (!busy_ && !frozen_ && !marketRunGoing()) workspace_.saveSettings();
    }
}

void MainWindow::repaintTick() {
    if (!repaintPending_ || busy_) return;
    repaintPending_ = false;
    chart_->refresh();
    indicator_->refresh();
    board_->update();
    note_->update();
    if (profit_ && profit_->isVisible()) profit_->refresh();
    update();
}

void MainWindow::openProfitView() {
    if (!profit_) {
        profit_ = new ProfitView(workspace_, view_, this);
        profit_->onShowBar = [this](int bar) { showBar(bar); };
    }
    profit_->refresh();
    profit_->show();
    profit_->raise();
}

void MainWindow::showBar(int bar) {
    const int newest = nav_.newest();
    if (bar < 0 || bar >= nav_.barCount() || (bar <= newest && bar > newest - nav_.visible()))
        return;
    const int target = std::clamp(bar + nav_.visible() / 4, nav_.lowest(), nav_.barCount() - 1);
    if (target < newest)
        scrollBack(newest - target);
    else
        scrollForward(target - newest);
}

void MainWindow::quoteWatchTick() {
    if (!quoteWatchRunning_ || busy_ || workspace_.series().empty()) return;
    const auto quote = fetchQuote(workspace_, workspace_.series().code, true);
    if (!quote) return;
    // The provisional bar goes after the newest bar, which must be on screen.
    if (nav_.newest() != workspace_.series().count() - 1) return;
    const int before = workspace_.series().count();
    if (!addIntradayBar(workspace_,
                        {quote->open, quote->high, quote->low, quote->price, quote->volume}, true))
        return;
    if (workspace_.series().count() != before) {
        nav_.reset(workspace_.series().count());
        syncNavigation();
        view_.endCount = workspace_.series().count();
    }
    requestRepaint();
}

void MainWindow::toggleQuoteWatch() {
    quoteWatchRunning_ = !quoteWatchRunning_;
    updateLabels();
    if (quoteWatchRunning_) quoteWatchTick();
}

void MainWindow::enterQuote() {
    const auto quote = fetchQuote(workspace_, workspace_.series().code, false);
    if (!quote) return;
    QuoteEntryDialog dialog(*quote, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const QuoteRecord edited = dialog.edited();
    workspace_.quoteInfo = edited;
    nav_.toNewest();
    syncNavigation();
    const int before = workspace_.series().count();
    addIntradayBar(workspace_, {edited.open, edited.high, edited.low, edited.price, edited.volume},
                   true);
    if (workspace_.series().count() != before) seriesReplaced();
    requestRepaint();
}

// --- Painting ---

QString MainWindow::headerLine() const {
    if (workspace_.series().empty()) return {};
    return QString::fromStdString(headerText(workspace_.security()));
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    if (frozen_) return;
    const QFontMetrics metrics = fontMetrics();
    const BarSeries& series = workspace_.series();
    const int column = layout_.chartColumn;

    if (view_.endCount > 0 && !series.empty()) {
        // Price scale: the chart's guide lines and the newest close.
        const PriceScale scale = chart_->scale();
        const auto label = [&](int64_t price, int y) {
            const QString text = QString::number(price);
            const int x = column - 2 - metrics.horizontalAdvance(text);
            painter.drawText(x, layout_.chart.top + y + metrics.ascent() / 2, text);
        };
        if (scale.hasPriceArea()) {
            // The close of the newest bar the user can see (marker B hides
            // the later ones); a guide label it would overprint is left out.
            const int newest = std::min(view_.lastVisibleBar(), series.count() - 1);
            const int32_t close = series.bars[newest].close;
            const int y = scale.priceY(close);
            const bool closeShown = y > 0 && y < layout_.chart.height();
            for (const GuideLine& guide : scale.guides) {
                if (guide.y <= 0 || guide.y >= layout_.chart.height()) continue;
                if (closeShown && std::abs(guide.y - y) < metrics.height()) continue;
                label(guide.price, guide.y);
            }
            if (closeShown) {
                painter.save();
                painter.setPen(QColor(0xFF, 0, 0));
                label(close, y);
                painter.restore();
            }
        }

        // Indicator scales, right-aligned 5 pixels left of the column, each
        // graph's labels inside its own span.
        const IndicatorLayout graphs = indicator_->layout();
        const auto baselines = indicatorLabelBaselines(graphs, graphs.graphsPerScreen,
                                                       metrics.ascent(), metrics.descent());
        for (int g = 0; g < graphs.graphsPerScreen; ++g) {
            const auto indicator = indicator_->indicatorAt(g);
            if (!indicator) continue;
            const auto texts = indicatorScaleLabels(*indicator, view_.inverted);
            for (int row = 0; row < 3; ++row) {
                if (texts[row].empty() || !baselines[g][row]) continue;
                const QString text = QString::fromStdString(texts[row]);
                painter.drawText(column - 5 - metrics.horizontalAdvance(text),
                                 layout_.indicator.top + *baselines[g][row], text);
            }
        }

        // Dates in the gap under the chart, one row centred in it.
        const BarAxis axis = chart_->axis();
        const int gapTop = layout_.chart.bottom;
        const int gap = layout_.indicator.top - gapTop;
        const int baseY = gapTop + std::max(0, (gap - metrics.height()) / 2) + metrics.ascent();
        const auto widthOf = [&metrics](const std::string& text) {
            return metrics.horizontalAdvance(QString::fromStdString(text));
        };
        for (const PlacedDate& date : placeDateLabels(
                 dateLabels(series.bars, view_.newestIndex(), axis.visibleCount(),
                            workspace_.periodMode),
                 column + axis.rightX() + 5, axis.pitch, column - 20, layout_.chart.right, widthOf))
            painter.drawText(date.x, baseY, QString::fromStdString(date.text));
    }

    // Header line, right of the first button row.
    int headerX = kHeaderX;
    if (QAbstractButton* last = toolbar_->button(cmd::StrategyDialog))
        headerX = std::max(headerX, last->geometry().right() + 12);
    const int headerBaseline = kHeaderY + metrics.ascent() / 2 + 4;
    // A narrow window shows the start of the line and an ellipsis rather than
    // half a character.
    const int headerRoom = std::max(width() - headerX - 5, 0);
    const QString header =
        metrics.elidedText(composedKana(headerLine()), Qt::ElideRight, headerRoom);
    painter.drawText(headerX, headerBaseline, header);
    const int noteX = headerX + metrics.horizontalAdvance(header) + 20;
    const QString shortNote = QStringLiteral("シミュレーションデータ不足");
    if (workspace_.strategyDisplay.shortOfData &&
        noteX + metrics.horizontalAdvance(shortNote) <= width() - 5) {
        painter.setPen(QColor(0xFF, 0, 0));
        painter.drawText(noteX, headerBaseline, shortNote);
    }
}

// --- Settings sheet and ranking download ---

void MainWindow::openSettings() {
    const std::unique_ptr<SettingsSheet> sheet = openSettingsSheet(workspace_);
    SettingsSheetDialog dialog(*sheet, workspace_.prompter(), workspace_.settingsStore(), this);
    dialog.testConnection = [this](const std::string& key, int plan) {
        return testApiKey(workspace_, key, static_cast<ApiPlan>(plan)).text;
    };
    dialog.removeKey = [] { return removeApiKey(currentUserConfigFolder()); };
    if (dialog.exec() != QDialog::Accepted) return;
    const SheetChanges changes = applySettingsSheet(workspace_, *sheet);
    if (changes.quoteIntervalChanged) {
        quoteInterval_ = workspace_.options().quoteWatchMilliseconds();
        quoteTimer_.start(quoteInterval_, this);
        if (quoteWatchRunning_) quoteWatchTick();
    }
    // A changed screen size starts again from screen 1, which the label shows.
    updateLabels();
    requestRepaint();
}

void MainWindow::rankingDownload() {
    std::array<uint8_t, 5>& saved = workspace_.options().rankingChoices;
    RankingDialog dialog({saved[0], saved[1], saved[2], saved[3], saved[4]},
                         workspace_.watchlists().titles(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    const RankingChoices choices = dialog.choices();
    saved = {static_cast<uint8_t>(choices.category), static_cast<uint8_t>(choices.kind),
             static_cast<uint8_t>(choices.market), static_cast<uint8_t>(choices.period),
             static_cast<uint8_t>(choices.output)};
    busy_ = true;
    showProgress(1);
    const bool written = downloadRanking(workspace_, choices);
    showProgress(100);
    busy_ = false;
    if (written) watchlist_->reload();
    takeFocus();
}

}  // namespace tav::desktop
