#include "workspace/settings.h"

namespace tav {

std::unique_ptr<SettingsSheet> openSettingsSheet(Workspace& workspace) {
    // The history's own length is the one in force; the options copy of it is
    // only brought up to date when saving.
    return std::make_unique<SettingsSheet>(workspace.options(), workspace.displaySwitches,
                                           workspace.history().length(),
                                           workspace.analysisParameters, workspace.periodMode);
}

SheetChanges applySettingsSheet(Workspace& workspace, const SettingsSheet& sheet) {
    workspace.history().setHistoryLength(sheet.historyLength());
    const SheetChanges changes =
        sheet.apply(workspace.options(), workspace.displaySwitches, workspace.analysisParameters);
    workspace.saveSettings();
    workspace.recomputeIndicators();
    return changes;
}

}  // namespace tav
