#pragma once

#include <functional>
#include <vector>

#include "market_api/api_source.h"
#include "workspace/workspace.h"

// The data API's operations on the workspace: the access for its folder's
// endpoint and the user's plan, the re-fetch of one security and the master
// list.
namespace tav {

// The plan stored beside the key, Free when none is.
ApiPlan currentApiPlan();

ApiAccess apiAccess(Workspace& workspace);

// Whether the store holds a daily file of code.
std::function<bool(StockCode)> storedDailyCode(const Workspace& workspace);

// The settings' connection test: one small request with typedKey when it is
// not empty (before it is stored), else with the key found as for an update.
ApiConnectionTest testApiKey(Workspace& workspace, const std::string& typedKey, ApiPlan plan);

// Shows what a run over the API left to say (rejected rows, splits), if anything.
void showApiReport(Workspace& workspace, const ApiRunReport& report);

// Replaces the daily file of code by its split-adjusted bars from the API.
// Stored days older than the API's history stay in front of them, so the
// file never reaches less far back. The displayed series is read again when
// it is this code's. True when the file was written.
bool refetchFromApi(Workspace& workspace, StockCode code);

// Asks once, listing the securities split or consolidated (each once),
// whether to re-fetch them split-adjusted; on yes re-fetches each as
// refetchFromApi does. Returns how many files were written.
int offerSplitRefetch(Workspace& workspace, const std::vector<ApiSplit>& splits);

// Replaces "Stock.lst" by the API's listed issues (indices, US listings and
// currency pairs of the current list kept), the old list kept as "Stock.bak";
// a master that is not whole and sane leaves the list as it was.
bool updateMasterFromApi(Workspace& workspace);

}  // namespace tav
