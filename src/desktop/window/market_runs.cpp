// Screening and the multi-security back-test from the window: the dialog and
// the preparation here, the run on a worker, the end back here. The security
// on display is never touched by the run, so the chart stays usable.

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <memory>

#include "core/text.h"
#include "dialogs/multi_run_dialog.h"
#include "dialogs/portfolio_dialog.h"
#include "dialogs/screening_dialog.h"
#include "dialogs/simulation_result_dialog.h"
#include "panes/batch_progress.h"
#include "panes/watchlist_pane.h"
#include "window/background_run.h"
#include "window/command_ids.h"
#include "window/main_window.h"
#include "window/toolbar.h"
#include "workspace/screening.h"
#include "workspace/workspace.h"

namespace tav::desktop {

namespace {

constexpr const char* kCancelledStatus = "中止しました。";

// Commands off while a market-wide run reads the store: they rewrite data
// files, the master list or watchlists, start another run, or change the
// settings the run's end stores into.
constexpr int kOffDuringMarketRun[] = {
    cmd::UpdateMaster,    cmd::DiscardStore, cmd::BulkUpdate, cmd::RefetchNewest,
    cmd::ListUpdate,      cmd::Screening,    cmd::Simulation, cmd::Portfolio,
    cmd::RankingDownload, cmd::Settings,     cmd::ListRange,  cmd::ListSignals,
};

}  // namespace

bool MainWindow::offDuringMarketRun(int id) {
    return std::find(std::begin(kOffDuringMarketRun), std::end(kOffDuringMarketRun), id) !=
           std::end(kOffDuringMarketRun);
}

bool MainWindow::marketRunGoing() const {
    return marketRun_ && marketRun_->running();
}

void MainWindow::cancelMarketRun() {
    if (!marketRunGoing()) return;
    marketRun_->cancel();
    cancelRun_->setEnabled(false);
    watchlist_->progress()->cancelButton()->setEnabled(false);
}

void MainWindow::setMarketRunCommandsEnabled(bool enabled) {
    for (int id : kOffDuringMarketRun)
        toolbar_->setEnabled(id, enabled);
    // Moving or deleting watchlists meanwhile would send the output to
    // another list than the one chosen.
    watchlist_->selector()->setEnabled(enabled);
    // The list buttons follow what is wired.
    if (enabled) paneActionsChanged();
}

void MainWindow::startMarketRun(std::function<void(RunControl&)> work, std::function<void()> done,
                                RunDisplay display) {
    marketRunDone_ = std::move(done);
    runDisplay_ = display;
    setMarketRunCommandsEnabled(false);
    if (display == RunDisplay::Pane) {
        watchlist_->placeProgress();
        watchlist_->progress()->begin();
    } else {
        progress_->setRange(0, 1);
        progress_->setValue(0);
        progress_->setFormat(QStringLiteral("%v / %m"));
        progress_->setTextVisible(true);
        progress_->show();
        cancelRun_->setEnabled(true);
        cancelRun_->show();
    }
    showStatus("");
    marketRun_->start(std::move(work));
}

void MainWindow::runProgressed(int done, int total) {
    if (runDisplay_ == RunDisplay::Pane) {
        BatchProgress* panel = watchlist_->progress();
        panel->setProgress(done, total);
        panel->setStatus(QStringLiteral("%1 / %2").arg(done).arg(total));
        return;
    }
    progress_->setRange(0, std::max(total, 1));
    progress_->setValue(done);
}

void MainWindow::marketRunEnded() {
    progress_->hide();
    progress_->setTextVisible(false);
    progress_->setRange(0, 100);
    cancelRun_->hide();
    watchlist_->progress()->end();
    // The worker has let go of the workspace.
    if (frozen_) thawAfterStoreRun();
    setMarketRunCommandsEnabled(true);
    const auto done = std::move(marketRunDone_);
    marketRunDone_ = nullptr;
    // A run that broke off has no outcome to store: say why, write nothing.
    if (!marketRun_->failure().empty()) {
        workspace_.prompter().message(marketRun_->failure(), MessageIcon::Stop);
        return;
    }
    if (done) done();
}

void MainWindow::screening() {
    if (marketRunGoing()) return;
    const ScreeningSettings initial = ScreeningSettings::from(workspace_.options());
    ScreeningDialog dialog(
        initial, workspace_.folder().root(), workspace_.storageMode == StorageMode::Accumulate,
        workspace_.watchlists().titles(), workspace_.prompter(), workspace_.platform().shell, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // The capsule button may have changed the rule files.
    workspace_.ruleFilesWritten();
    if (!accepted) return;
    auto prepared = prepareScreening(workspace_, dialog.settings());
    if (!prepared) return;
    const auto job = std::make_shared<const ScreeningJob>(std::move(*prepared));
    const auto outcome = std::make_shared<std::optional<ScreeningOutcome>>();
    startMarketRun([job, outcome](RunControl& control) { *outcome = runScreening(*job, control); },
                   [this, job, outcome] {
                       if (!*outcome) {
                           showStatus(kCancelledStatus);
                           return;
                       }
                       finishScreening(workspace_, *job, *outcome);
                       showStatus(summaryText((*outcome)->counts));
                       // The pane shows the output watchlist; a strategy search
                       // also selected its strategy for the chart.
                       watchlist_->reload();
                       view_.strategyShown = workspace_.options().selectedStrategy != 0;
                       requestRepaint();
                   });
}

void MainWindow::simulation() {
    if (marketRunGoing()) return;
    const MultiRunSettings initial = MultiRunSettings::from(workspace_.options());
    MultiRunDialog dialog(initial, workspace_.folder().root(),
                          workspace_.storageMode == StorageMode::Accumulate,
                          workspace_.watchlists().titles(), workspace_.prompter(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    const MultiRunSettings settings = dialog.settings();
    const int inputWatchlist = multiRunInputWatchlist(workspace_, settings);
    auto prepared = prepareMultiRun(workspace_, settings);
    // The strategy is selected for the chart even when the input is missing.
    watchlist_->reload();
    view_.strategyShown = workspace_.options().selectedStrategy != 0;
    requestRepaint();
    if (!prepared) return;
    const auto job = std::make_shared<const MultiRunJob>(std::move(*prepared));
    const auto outcome = std::make_shared<std::optional<MultiRunOutcome>>();
    startMarketRun(
        [job, outcome](RunControl& control) { *outcome = runMultiSimulation(*job, control); },
        [this, job, outcome, inputWatchlist] {
            if (!*outcome) {
                showStatus(kCancelledStatus);
                return;
            }
            showStatus(summaryText((*outcome)->counts, true));
            OptionsRecord& options = workspace_.options();
            SimulationResultSetup setup;
            setup.strategyName = job->strategyName;
            setup.capital = job->simulation.capital;
            setup.rows = (*outcome)->rows;
            setup.watchlists = workspace_.watchlists().titles();
            setup.inputWatchlist = inputWatchlist;
            setup.outputWatchlist = options.multiOutput;
            setup.writeReport = options.multiResultChoice != 0;
            setup.reportFolder = reportFolder_;
            setup.reportFileName = text::utf8FromSjis(reportNameOf(options));
            SimulationResultDialog result(std::move(setup), workspace_.prompter(), this);
            result.onShowSecurity = [this](StockCode code) { showSecurity(code); };
            // The run selected its strategy, so the display run of the shown
            // security is the one the row ranks.
            // The row ranks a run over the whole series, as the market run has
            // no screen: the display shows that run until the chart moves.
            result.onShowProfit = [this](StockCode code) {
                showSecurity(code);
                workspace_.strategyDisplay.view = ChartView{};
                if (const int strategy = workspace_.selectedStrategy())
                    workspace_.runStrategyDisplay(strategy);
                openProfitView();
            };
            if (result.exec() != QDialog::Accepted) return;

            const ResultDialogChoice chosen = result.choice();
            options.multiResultChoice = chosen.writeReport ? 1 : 0;
            reportFolder_ = chosen.reportFolder;
            // The options hold 15 bytes of name; a longer one is used but not kept.
            if (const auto name = text::sjisFromUtf8Strict(chosen.reportFileName))
                storeReportName(options, *name);
            if (storeRanking(workspace_, chosen.outputWatchlist, (*outcome)->rows))
                watchlist_->reload();
        });
}

void MainWindow::portfolio() {
    if (marketRunGoing()) return;
    PortfolioDialog dialog(MultiRunSettings::from(workspace_.options()), workspace_.folder().root(),
                           workspace_.storageMode == StorageMode::Accumulate,
                           workspace_.watchlists().titles(), workspace_.prompter(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    auto prepared = prepareMultiRun(workspace_, dialog.selection());
    watchlist_->reload();
    view_.strategyShown = workspace_.options().selectedStrategy != 0;
    requestRepaint();
    if (!prepared) return;
    const std::string strategyName = prepared->strategyName;
    const auto job = std::make_shared<const PortfolioJob>(
        PortfolioJob{std::move(prepared->scan), std::move(prepared->strategy.strategy),
                     prepared->simulation, prepared->currentYear, dialog.account()});
    const auto outcome = std::make_shared<std::optional<PortfolioOutcome>>();
    startMarketRun(
        [job, outcome](RunControl& control) { *outcome = runPortfolio(*job, control); },
        [this, outcome, strategyName] {
            if (!*outcome) {
                showStatus(kCancelledStatus);
                return;
            }
            showStatus(summaryText((*outcome)->counts));
            auto* view = new PortfolioResultView(strategyName, std::move(**outcome), this);
            view->setAttribute(Qt::WA_DeleteOnClose);
            // The security of a trade, with its entry day in view.
            view->onShowTrade = [this](StockCode code, int32_t date) {
                showSecurity(code);
                const auto& bars = workspace_.series().bars;
                const std::string day = std::to_string(date);
                const auto at = std::find_if(bars.begin(), bars.end(), [&](const DailyBar& bar) {
                    return bar.dateText() >= day;
                });
                if (at != bars.end()) showBar(static_cast<int>(at - bars.begin()));
            };
            view->show();
        });
}

}  // namespace tav::desktop
