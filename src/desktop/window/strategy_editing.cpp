// The strategy editor opened from the window: what it changed shows at once.

#include "dialogs/strategy_editor_dialog.h"
#include "panes/watchlist_pane.h"
#include "window/main_window.h"
#include "workspace/workspace.h"

namespace tav::desktop {

void MainWindow::editStrategies() {
    if (!workspace_.requireWritableStore()) return;
    OptionsRecord& options = workspace_.options();
    const int selected = options.selectedStrategy;
    StrategyEditorDialog dialog(workspace_.folder().root(), selected > 0 ? selected - 1 : 0,
                                SimulationSettings::from(options), workspace_.prompter(),
                                workspace_.platform().shell, this);
    dialog.exec();
    workspace_.ruleFilesWritten();
    dialog.settings().storeInto(options);
    // Names may have changed; the signal strip and the note show the new run.
    watchlist_->reload();
    view_.strategyShown = options.selectedStrategy != 0;
    workspace_.seriesChanged();
    requestRepaint();
    if (dialog.optimizeStrategy() >= 0) optimize(dialog.optimizeStrategy());
}

}  // namespace tav::desktop
