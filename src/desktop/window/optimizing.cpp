// "最適化" from the strategy editor: the dialog, the run on the worker with
// the window's progress bar and 中止, and the result window.

#include <algorithm>

#include "conditions/capsule_file.h"
#include "dialogs/optimize_dialog.h"
#include "dialogs/optimize_result_view.h"
#include "panes/watchlist_pane.h"
#include "simulation/strategy_file.h"
#include "window/main_window.h"
#include "workspace/screening.h"
#include "workspace/workspace.h"

namespace tav::desktop {

void MainWindow::optimize(int strategyIndex) {
    if (marketRunGoing()) {
        workspace_.prompter().message("ほかの一括処理が終わってから最適化してください。",
                                      MessageIcon::Stop);
        return;
    }
    const std::string& root = workspace_.folder().root();
    const std::vector<std::string> names = readStrategyNames(root);
    const auto reading = loadStrategy(root, strategyIndex + 1);
    if (!reading || strategyIndex >= static_cast<int>(names.size())) {
        workspace_.prompter().message("売買戦略を読めません。", MessageIcon::Stop);
        return;
    }
    const std::string strategyName = names[static_cast<std::size_t>(strategyIndex)];
    std::vector<SweepableParameter> parameters =
        sweepableParameters(reading->strategy, readCapsuleTitles(root));
    // Analysis parameters start from those in force for the security on display.
    for (SweepableParameter& parameter : parameters)
        if (parameter.address.changesIndicators())
            parameter.current = workspace_.analysisParameters.bytes[static_cast<std::size_t>(
                3 * parameter.address.analysis + periodIndex(workspace_.periodMode))];
    const StockCode code = workspace_.series().code;
    const QString securityLabel =
        QString::fromStdString(codeText(code) + " " + workspace_.security().name);
    const bool accumulate = workspace_.storageMode == StorageMode::Accumulate;
    const std::vector<std::string> watchlists = workspace_.watchlists().titles();
    OptimizeDialog dialog(strategyIndex, strategyName, std::move(parameters), optimizeChoice_,
                          securityLabel, accumulate, watchlists, workspace_.prompter(), this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    optimizeChoice_ = dialog.choice();
    if (!accepted) return;
    const OptimizeRequest& request = dialog.request();

    // The run borrows the multi-security preparation; the multi-run settings
    // it stores in the options are put back. Like a simulation it selects the
    // strategy for the chart.
    OptionsRecord& options = workspace_.options();
    const MultiRunSettings kept = MultiRunSettings::from(options);
    MultiRunSettings multi;
    multi.strategy = strategyIndex;
    multi.input = request.scope == OptimizeScope::Watchlist ? request.watchlist : 0;
    auto prepared = prepareMultiRun(workspace_, multi);
    kept.storeInto(options);
    watchlist_->reload();
    view_.strategyShown = options.selectedStrategy != 0;
    requestRepaint();
    if (!prepared) return;

    auto outcome = std::make_shared<OptimizeOutcome>();
    outcome->folder = root;
    outcome->strategyIndex = strategyIndex;
    outcome->strategyName = strategyName;
    outcome->strategy = prepared->strategy.strategy;
    outcome->sweeps = request.sweeps;
    const std::vector<SweepableParameter> named =
        sweepableParameters(prepared->strategy.strategy, readCapsuleTitles(root));
    for (const ParameterSweep& sweep : request.sweeps) {
        const auto found = std::find_if(named.begin(), named.end(),
                                        [&](const auto& p) { return p.name == sweep.name; });
        outcome->labels.push_back(found != named.end() ? found->label : sweep.name);
    }
    outcome->options = request.options;
    outcome->options.pboBlocks = kPboBlocksByDays;
    auto job = std::make_shared<ResearchJob>(researchJobOf(*prepared, request.sweeps));
    switch (request.scope) {
        case OptimizeScope::Security: {
            if (!restrictScanToCode(job->scan, code)) {
                workspace_.prompter().message(
                    "銘柄 " + codeText(code) + " が対象の一覧にないため最適化できません。",
                    MessageIcon::Stop);
                return;
            }
            outcome->scopeText = "この銘柄（" + securityLabel.toStdString() + "）";
            break;
        }
        case OptimizeScope::Watchlist:
            outcome->scopeText =
                "銘柄リスト「" + watchlists[static_cast<std::size_t>(request.watchlist - 1)] + "」";
            break;
        case OptimizeScope::Market:
            outcome->scopeText = "全銘柄";
            break;
    }
    const auto report = std::make_shared<std::optional<OptimizationReport>>();
    const OptimizationOptions runOptions = outcome->options;
    startMarketRun(
        [job, runOptions, report](RunControl& control) {
            *report = runOptimization(*job, runOptions, control);
        },
        [this, outcome, report] {
            if (!*report) {
                showStatus("中止しました。");
                return;
            }
            showStatus(summaryText((*report)->data.counts));
            outcome->report = std::move(**report);
            auto* view = new OptimizeResultView(std::move(*outcome), workspace_.prompter(), this);
            view->setAttribute(Qt::WA_DeleteOnClose);
            view->canWrite = [this] { return workspace_.requireWritableStore(); };
            view->onStrategiesWritten = [this] {
                workspace_.ruleFilesWritten();
                watchlist_->reload();
            };
            view->show();
        });
}

}  // namespace tav::desktop
