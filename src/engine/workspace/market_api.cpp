#include "workspace/market_api.h"

#include <algorithm>
#include <filesystem>

#include "core/file_io.h"
#include "data/price_store.h"
#include "updates/series_merge.h"

namespace tav {

ApiPlan currentApiPlan() {
    return parseApiPlan(storedApiPlanName(currentUserConfigFolder())).value_or(ApiPlan::Free);
}

ApiAccess apiAccess(Workspace& workspace) {
    Platform& platform = workspace.platform();
    ApiAccess access{platform.http, platform.prompter,
                     workspace.endpoints().address(Endpoints::kMarketApi)};
    access.options.plan = currentApiPlan();
    access.today = platform.clock.today();
    access.options.cancelled = workspace.stopRequested;
    return access;
}

std::function<bool(StockCode)> storedDailyCode(const Workspace& workspace) {
    const ProgramFolder& folder = workspace.folder();
    return [&folder](StockCode code) {
        std::error_code error;
        return std::filesystem::exists(
            dataFilePath(folder, code, PeriodMode::Daily, StorageMode::Accumulate), error);
    };
}

ApiConnectionTest testApiKey(Workspace& workspace, const std::string& typedKey, ApiPlan plan) {
    ApiAccess access = apiAccess(workspace);
    access.options.plan = plan;
    if (!typedKey.empty()) {
        // The key goes into a request header: one line of visible characters only.
        bool oneLine = std::none_of(typedKey.begin(), typedKey.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
        });
        if (!oneLine) return {false, "APIキーは1行の文字列で入力してください。"};
        access.findKey = [typedKey] { return ApiKeyLookup{typedKey, {}}; };
    }
    return testApiConnection(access);
}

void showApiReport(Workspace& workspace, const ApiRunReport& report) {
    std::string text = report.describe();
    if (!text.empty()) workspace.prompter().message(text, MessageIcon::Warning);
}

int offerSplitRefetch(Workspace& workspace, const std::vector<ApiSplit>& splits) {
    std::vector<StockCode> codes;
    std::string listed;
    for (const ApiSplit& split : splits) {
        if (std::find(codes.begin(), codes.end(), split.code) != codes.end()) continue;
        codes.push_back(split.code);
        std::string date = split.date;
        if (date.size() == 8)
            date = date.substr(0, 4) + "-" + date.substr(4, 2) + "-" + date.substr(6);
        listed += "\n" + codeText(split.code) + " (" + date + ")";
    }
    if (codes.empty()) return 0;
    if (!workspace.prompter().askYesNo("次の銘柄に株式分割・併合がありました。" + listed +
                                       "\n\n保存した株価を分割調整済みの株価で取り直しますか？"))
        return 0;
    int refetched = 0;
    for (StockCode code : codes) {
        if (workspace.stopRequested && workspace.stopRequested()) break;
        if (refetchFromApi(workspace, code)) ++refetched;
    }
    return refetched;
}

bool refetchFromApi(Workspace& workspace, StockCode code) {
    if (!workspace.requireWritableStore()) return false;
    ApiAccess access = apiAccess(workspace);
    std::string today = formatDate(access.today);
    auto fetched = fetchApiSeries(access, code, "", today);
    if (!fetched) return false;
    showApiReport(workspace, *access.report);
    if (fetched->empty()) {
        workspace.prompter().message("データAPIに " + codeText(code) + " の株価がありません。",
                                     MessageIcon::Stop);
        return false;
    }
    // The displayed series goes to its file first, so the re-fetch replaces it whole.
    workspace.saveIfChanged();
    std::string path =
        dataFilePath(workspace.folder(), code, PeriodMode::Daily, StorageMode::Accumulate);
    std::vector<DailyBar> stored = loadSeries(path);
    // The fetched bars replace the stored ones they cover; only older stored
    // days stay in front of them.
    std::vector<DailyBar> bars = prependOlder(stored, *fetched);
    if (!fileio::writeFileAtomic(path, formatSeries(bars))) return false;
    if (workspace.series().code == code && workspace.periodMode == PeriodMode::Daily &&
        workspace.loadStoredSeries(code))
        workspace.seriesChanged();
    return true;
}

bool updateMasterFromApi(Workspace& workspace) {
    if (!workspace.requireWritableStore()) return false;
    ApiAccess access = apiAccess(workspace);
    const ProgramFolder& folder = workspace.folder();
    std::string listPath = folder.path("Stock.lst");
    std::string current = fileio::readFile(listPath).value_or(std::string());
    auto list = fetchApiMasterList(access, current);
    if (!list) return false;
    showApiReport(workspace, *access.report);
    if (!current.empty() && !fileio::writeFileAtomic(folder.path("Stock.bak"), current))
        return false;
    return fileio::writeFileAtomic(listPath, *list);
}

}  // namespace tav
