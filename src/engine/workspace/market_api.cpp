#include "workspace/market_api.h"

#include "core/file_io.h"
#include "data/price_store.h"
#include "updates/series_merge.h"

namespace tav {

ApiAccess apiAccess(Workspace& workspace) {
    Platform& platform = workspace.platform();
    return ApiAccess{platform.http, platform.prompter,
                     workspace.endpoints().address(Endpoints::kMarketApi)};
}

bool refetchFromApi(Workspace& workspace, StockCode code) {
    if (!workspace.requireWritableStore()) return false;
    ApiAccess access = apiAccess(workspace);
    std::string today = formatDate(workspace.platform().clock.today());
    auto fetched = fetchApiSeries(access, code, "", today);
    if (!fetched) return false;
    if (fetched->empty()) {
        workspace.prompter().message("データAPIに " + codeText(code) + " の株価がありません。",
                                     MessageIcon::Stop);
        return false;
    }
    // The displayed series goes to its file first, so the re-fetch replaces it whole.
    workspace.saveIfChanged();
    std::string path = dataFilePath(workspace.folder(), code, PeriodMode::Daily, StorageMode::Accumulate);
    std::vector<DailyBar> stored = loadSeries(path);
    std::vector<DailyBar> bars = prependOlder(*fetched, stored);
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
    if (!current.empty() && !fileio::writeFileAtomic(folder.path("Stock.bak"), current)) return false;
    return fileio::writeFileAtomic(listPath, *list);
}

}  // namespace tav
