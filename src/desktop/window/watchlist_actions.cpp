// The watchlist pane's engine runs from the window: marks and the level
// export prepared here, run on the worker with the pane's progress and cancel,
// finished back here; the batch update and download, which write the store
// through the workspace, with the window frozen meanwhile; the web pages.

#include <QAbstractButton>
#include <QComboBox>
#include <QCursor>
#include <QMenu>
#include <memory>
#include <optional>

#include "chart/chart_pane.h"
#include "chart/indicator_pane.h"
#include "chart/price_board.h"
#include "dialogs/profit_view.h"
#include "panes/batch_progress.h"
#include "panes/note_pane.h"
#include "panes/watchlist_pane.h"
#include "quotes/web_pages.h"
#include "watchlist_runs/entry_quotes.h"
#include "watchlist_runs/link_menu.h"
#include "window/background_run.h"
#include "window/command_ids.h"
#include "window/frozen_view.h"
#include "window/main_window.h"
#include "window/toolbar.h"
#include "workspace/updates.h"
#include "workspace/watchlist_batch.h"
#include "workspace/workspace.h"

namespace tav::desktop {

namespace {

constexpr const char* kCancelled = "中止しました。";

// "完了 n 件、スキップ n 件、失敗 n 件" (and "、除外 n 行"), the first failure after it.
std::string batchSummaryText(const BatchSummary& summary) {
    std::string text = summary.cancelled ? kCancelled : "";
    text += "完了 " + std::to_string(summary.done) + " 件、スキップ " +
            std::to_string(summary.skipped) + " 件、失敗 " + std::to_string(summary.failed) +
            " 件";
    // Rows of the pages that could not be used; the stored days stay.
    if (summary.rejectedRows > 0)
        text += "、除外 " + std::to_string(summary.rejectedRows) + " 行";
    if (summary.failed > 0)
        text += "（" + codeText(summary.firstFailedCode) + " " + summary.firstFailure + "）";
    return text;
}

// With the quote watch on, the provisional bar the chart shows stands in
// for its security's quote.
ProvisionalQuotes provisionalQuotes(const Workspace& workspace, bool quoteWatch) {
    ProvisionalQuotes quotes;
    const BarSeries& series = workspace.series();
    if (!quoteWatch || series.empty() || !series.bars.back().provisional) return quotes;
    const DailyBar& bar = series.bars.back();
    quotes.emplace(series.code, IntradayQuote{bar.open, bar.high, bar.low, bar.close, bar.volume});
    return quotes;
}

// With the quote watch on, the run first fetches every entry's current
// quote on the worker to stand as its provisional bar (the quote the chart
// shows is kept for the security on display when its page fails). The fetch
// takes the first half of the progress; 中止 stops it like the run.
// Without the watch the run goes as it is.
void fetchQuotesFirst(WatchlistRun& run, Http& http, const QuoteSourceSetting& source,
                      bool quoteWatch, RunControl& control, const std::function<void()>& work) {
    if (!quoteWatch) {
        work();
        return;
    }
    const auto outer = control.progress;
    const auto halves = [&outer](int offset) {
        return [&outer, offset](int done, int total) {
            if (outer) outer(offset * total + done, 2 * total);
        };
    };
    control.progress = halves(0);
    auto quotes = fetchEntryQuotes(run.entries, http, source, control);
    if (quotes) {
        for (auto& [code, quote] : *quotes)
            run.source.provisional[code] = quote;
        control.progress = halves(1);
        work();
    }
    control.progress = outer;
}

}  // namespace

QuoteSourceSetting MainWindow::quoteSource() const {
    return {workspace_.endpoints(), workspace_.options().quoteSource != 0};
}

void MainWindow::wirePaneActions() {
    WatchlistPaneActions& actions = paneActions_;
    actions.rangeMarks = [this](int watchlist, int type) { rangeMarks(watchlist, type); };
    actions.strategyMarks = [this](int watchlist) { signalMarks(watchlist); };
    actions.exportLevels = [this](int watchlist) { exportLevels(watchlist); };
    actions.setWatchlistStrategy = [this](int watchlist, int strategy) {
        workspace_.watchlists().setWatchlistStrategy(watchlist, strategy);
    };
    actions.investmentLinks = [this] { openInvestmentMenu(); };
    actions.companyPage = [this](StockCode code) { openWebPage(code, companyWebPage); };
    actions.intradayPage = [this](StockCode code) { openWebPage(code, intradayWebPage); };
    actions.screening = [this] { runCommand(cmd::Screening); };
    paneActionsChanged();
}

void MainWindow::finishMarks(int watchlist, const std::optional<std::vector<EntryMark>>& marks) {
    if (!marks) {
        showStatus(kCancelled);
        return;
    }
    applyMarks(workspace_, watchlist, *marks);
    watchlist_->showEntries();
}

void MainWindow::rangeMarks(int watchlist, int rangeType) {
    if (marketRunGoing()) return;
    auto prepared =
        prepareWatchlistRun(workspace_, watchlist, provisionalQuotes(workspace_, quoteWatchRunning_));
    if (!prepared) return;
    const auto job = std::make_shared<WatchlistRun>(std::move(*prepared));
    const auto outcome = std::make_shared<std::optional<std::vector<EntryMark>>>();
    Http& http = workspace_.platform().http;
    startMarketRun(
        [job, outcome, rangeType, &http, source = quoteSource(),
         watch = quoteWatchRunning_](RunControl& control) {
            fetchQuotesFirst(*job, http, source, watch, control,
                             [&] { *outcome = runRangeMarks(*job, rangeType, control); });
        },
        [this, watchlist, outcome] { finishMarks(watchlist, *outcome); }, RunDisplay::Pane);
}

void MainWindow::signalMarks(int watchlist) {
    if (marketRunGoing()) return;
    const int before = workspace_.selectedStrategy();
    auto prepared = prepareStrategyMarks(workspace_, watchlist, std::nullopt,
                                         provisionalQuotes(workspace_, quoteWatchRunning_));
    // The watchlist's own strategy became the selected one: the selector and
    // the chart show it.
    if (workspace_.selectedStrategy() != before) {
        watchlist_->reload();
        view_.strategyShown = workspace_.selectedStrategy() != 0;
        workspace_.seriesChanged();
        requestRepaint();
    }
    if (!prepared) return;
    const auto job = std::make_shared<StrategyMarkRun>(std::move(*prepared));
    const auto outcome = std::make_shared<std::optional<std::vector<EntryMark>>>();
    Http& http = workspace_.platform().http;
    startMarketRun(
        [job, outcome, &http, source = quoteSource(),
         watch = quoteWatchRunning_](RunControl& control) {
            fetchQuotesFirst(job->run, http, source, watch, control,
                             [&] { *outcome = runStrategyMarks(job->run, job->rules, control); });
        },
        [this, watchlist, outcome] { finishMarks(watchlist, *outcome); }, RunDisplay::Pane);
}

void MainWindow::exportLevels(int watchlist) {
    if (marketRunGoing()) return;
    auto prepared = prepareLevelExport(workspace_, watchlist, std::nullopt,
                                       provisionalQuotes(workspace_, quoteWatchRunning_));
    if (!prepared) return;
    const auto job = std::make_shared<const LevelExportRun>(std::move(*prepared));
    const auto outcome = std::make_shared<std::optional<std::vector<LevelColumn>>>();
    startMarketRun(
        [job, outcome](RunControl& control) { *outcome = runLevelColumns(job->run, control); },
        [this, job, outcome] {
            if (!*outcome) {
                showStatus(kCancelled);
                return;
            }
            // A file that cannot be written is not opened; the old one stays.
            if (auto path = finishLevelExport(workspace_, *job, **outcome, true))
                showStatus(*path);
        },
        RunDisplay::Pane);
}

// "更新": the batch update of the list on display, or with alternate the
// batch download of the watchlist on display.
void MainWindow::updateList(bool alternate) {
    if (!workspace_.options().watchlistShown || marketRunGoing()) return;
    const int position = workspace_.watchlists().position();
    const int watchlist = workspace_.watchlists().displayedWatchlist();
    if (alternate && watchlist == 0) return;
    const StockCode shown = workspace_.series().code;
    auto prepared = alternate ? prepareBatchDownload(workspace_, watchlist)
                              : prepareBatchUpdate(workspace_, position);
    // The update shows the list it runs over.
    watchlist_->showEntries();
    if (!prepared) return;
    const auto plan = std::make_shared<const BatchPlan>(std::move(*prepared));
    const auto summary = std::make_shared<BatchSummary>();
    freezeForStoreRun();
    Workspace* workspace = &workspace_;
    startMarketRun(
        [workspace, plan, summary](RunControl& control) {
            *summary = runBatch(*workspace, *plan, control);
        },
        [this, shown, summary] {
            selectSecurity(workspace_, shown);
            seriesReplaced();
            watchlist_->showEntries();
            showStatus(batchSummaryText(*summary));
        },
        RunDisplay::Pane);
}

void MainWindow::freezeForStoreRun() {
    if (!frozenView_) frozenView_ = new FrozenView(this);
    // The picture first, while the panes still show the workspace as it is.
    repaintTick();
    frozenView_->cover();
    frozen_ = true;
    busy_ = true;
    // Hidden panes paint nothing, so nothing reads the series meanwhile.
    for (QWidget* pane : std::initializer_list<QWidget*>{chart_, indicator_, board_, note_})
        pane->hide();
    if (profit_) profit_->hide();
    watchlist_->progress()->raise();
}

void MainWindow::thawAfterStoreRun() {
    frozen_ = false;
    busy_ = false;
    for (QWidget* pane : std::initializer_list<QWidget*>{chart_, indicator_, board_, note_})
        pane->show();
    frozenView_->hide();
    relayout();
    takeFocus();
}

std::unique_ptr<QMenu> MainWindow::investmentMenu() {
    const StockCode code = workspace_.series().code;
    const std::string symbol = workspace_.security().symbol;
    auto entries = linkMenu(workspace_.folder(), workspace_.endpoints(), code, symbol);
    if (!entries) {
        workspace_.prompter().message(std::string(kUrlListMissing), MessageIcon::Stop);
        return nullptr;
    }
    auto menu = std::make_unique<QMenu>(this);
    for (const LinkEntry& entry : *entries) {
        QAction* action = menu->addAction(QString::fromStdString(entry.title));
        const std::string address = entry.address;
        connect(action, &QAction::triggered, this,
                [this, address] { workspace_.platform().shell.open(address); });
    }
    return menu;
}

void MainWindow::openInvestmentMenu() {
    const std::unique_ptr<QMenu> menu = investmentMenu();
    if (!menu) return;
    QAbstractButton* button = toolbar_->button(cmd::InvestmentLinks);
    menu->exec(button ? button->mapToGlobal(QPoint(0, button->height())) : QCursor::pos());
}

void MainWindow::openWebPage(StockCode code,
                             std::string (*page)(const Endpoints&, StockCode, std::string_view)) {
    if (code <= 0) return;
    SecurityInfo security;
    workspace_.master().lookupSecurity(code, security);
    workspace_.platform().shell.open(page(workspace_.endpoints(), code, security.symbol));
}

}  // namespace tav::desktop
