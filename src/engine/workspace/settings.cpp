#include "workspace/settings.h"

#include <algorithm>

#include "workspace/market_api.h"

namespace tav {

std::unique_ptr<SettingsSheet> openSettingsSheet(Workspace& workspace) {
    // The history's own length is the one in force; the options copy of it is
    // only brought up to date when saving.
    auto sheet = std::make_unique<SettingsSheet>(
        workspace.options(), workspace.displaySwitches, workspace.history().length(),
        workspace.analysisParameters, workspace.periodMode);
    sheet->apiPlan = static_cast<int>(currentApiPlan());
    sheet->apiKeyStored = hasStoredApiKey(currentUserConfigFolder());
    return sheet;
}

SheetChanges applySettingsSheet(Workspace& workspace, const SettingsSheet& sheet) {
    workspace.history().setHistoryLength(sheet.historyLength());
    const SheetChanges changes =
        sheet.apply(workspace.options(), workspace.displaySwitches, workspace.analysisParameters);
    workspace.saveSettings();
    // The plan and a newly typed key live in the user's config folder, beside each other.
    const std::string config = currentUserConfigFolder();
    const auto plan = static_cast<ApiPlan>(std::clamp(sheet.apiPlan, 0, kApiPlanCount - 1));
    if (plan != currentApiPlan() && !storeApiPlanName(config, apiPlanName(plan)))
        workspace.prompter().message("データAPIのプランを保存できませんでした。",
                                     MessageIcon::Stop);
    if (!sheet.apiKeyTyped.empty() && !storeApiKey(config, sheet.apiKeyTyped))
        workspace.prompter().message(
            "APIキーを保存できませんでした。\n\nキーは1行の文字列で入力してください。",
            MessageIcon::Stop);
    workspace.recomputeIndicators();
    return changes;
}

}  // namespace tav
