#pragma once

#include <optional>
#include <vector>

#include "core/ordered_parallel.h"
#include "core/outcome.h"
#include "updates/archive_update.h"
#include "watchlists/entry_lists.h"
#include "workspace/workspace.h"

// Keeping the loaded series and its data file up to date from the quote
// sites. Every operation that can fail keeps the previous series (bars, code,
// period, analysis parameters) and restores it whole on failure; a series is
// written over its file only when that loses no stored day. This file calls
// quotes.h and archive.h, which never call back into it.
namespace tav {

// Bars a full fetch asks for with the current settings and period.
int requestedBarCount(const Workspace& workspace);

// Re-fetches the displayed code in the current period and replaces the
// series; on failure shows the text of the page that failed (or
// "データが見つかりません。"), keeps the previous one and gives that text back. Recorded in the
// history; not written here.
Outcome fullFetch(Workspace& workspace, bool splitAdjust = false);

// The batch form: fetches the displayed code and, when the whole span came,
// rewrites its data file, keeping every stored day the fetch lacks. No
// message, no backup; `rejectedRows` receives the rows the pages could not
// give.
Outcome batchRefetch(Workspace& workspace, int* rejectedRows = nullptr);

// Accumulate mode: reads the code's data file, or fetches and saves it when
// the file gives no bars.
Outcome reloadFromFile(Workspace& workspace, StockCode code);

// Re-fetches the displayed series, reaching back at least as many bars as it
// holds, and replaces its file, atomically and only after the whole span
// came, keeping every stored day the fetch lacks (older ones, and days whose
// rows could not be read, which are told of); otherwise the file and the
// series stay.
Outcome deleteAndRefetch(Workspace& workspace);

// Appends the bars after the last stored one (a provisional last bar is
// dropped first) and writes them: appended, or the whole file when the
// series held unsaved bars or is weekly or monthly. Interactive runs show
// their messages and recompute; rows of the pages that could not be used are
// counted into `rejectedRows`, and when one of them may lie between the new
// days nothing is added (a refusal that says how many), so no day goes
// missing for good.
Outcome updateSeries(Workspace& workspace, bool interactive, int* rejectedRows = nullptr);

// The chart was paged back past the bars it has: prepends older bars so that
// pagesBack + 1 screens fit. Not written until the next save.
bool extendIntoPast(Workspace& workspace);

// A narrower bar pitch shows visibleBars bars. When that is more than the
// series holds, older bars are prepended (accumulate mode; quietly false when
// there are none) or the series is fetched afresh (scratch mode).
bool zoomOut(Workspace& workspace, int visibleBars);

// Re-fetches with the split adjustment of the Yahoo! Japan pages, reaching as
// far back as the stored bars, and in accumulate mode rewrites the file once
// the whole span came. When the site has fewer older bars than the file, whose
// older bars cannot be adjusted, it says so and changes nothing.
Outcome splitAdjustedRefetch(Workspace& workspace);

// The update command: with alternate, asks and re-fetches the displayed
// series; otherwise, daily period only, the daily archive update.
bool updateCommand(Workspace& workspace, bool alternate, const ArchiveDialog& dialog = {});

// Shows a security as a selection does: the current series saved, then the
// code's file read (accumulate mode) or its series fetched (scratch mode).
// Recorded in the history when shown.
Outcome selectSecurity(Workspace& workspace, StockCode code);

// The master list's "銘柄追加": the security is added and shown as a
// selection shows it.
bool addSecurity(Workspace& workspace, const AddSecurityRequest& request);

// Shows the displayed code in another period, the same way.
Outcome switchPeriod(Workspace& workspace, PeriodMode period);

// One security of a batch update: fetched in full when it has no file,
// skipped when its file is empty, updated otherwise (weekly and monthly
// series re-fetch their last three bars).
// Nothing new since the last stored day counts as skipped.
enum class BatchOutcome { Updated, Refetched, Skipped, Failed };
struct BatchStep {
    BatchOutcome outcome = BatchOutcome::Skipped;
    Outcome failure;       // why it failed
    int rejectedRows = 0;  // rows of the pages left out as unreadable or impossible
};
BatchStep batchUpdateSecurity(Workspace& workspace, StockCode code);

// What a batch run over a list did: securities brought up to date, skipped
// (an empty file, nothing new) and failed, with the first failure's message.
// A failing security never stops the run and never leaves its file changed.
struct BatchSummary {
    bool ran = false;  // false: refused or not confirmed
    bool cancelled = false;
    int done = 0;
    int skipped = 0;
    int failed = 0;
    StockCode firstFailedCode = 0;
    std::string firstFailure;
    int rejectedRows = 0;
};

// A batch run in two steps, so that a window can keep the second off its own
// thread. The prepare step (caller's thread) asks its questions, shows its
// messages, reads the list and saves the series on display; nothing when the
// run does not go ahead. runBatch asks and shows nothing; it leaves the series
// of the last entry loaded, so the caller shows its own security again.
struct BatchPlan {
    std::vector<BatchEntry> entries;
    bool download = false;
};
std::optional<BatchPlan> prepareBatchUpdate(Workspace& workspace, int position);
std::optional<BatchPlan> prepareBatchDownload(Workspace& workspace, int watchlistNumber);
BatchSummary runBatch(Workspace& workspace, const BatchPlan& plan, RunControl& control);

// The batch runs one security after another (each writes the store and
// fetches pages); progress is told through `control` after each security, and
// a cancel is honoured between securities.
BatchSummary batchUpdateList(Workspace& workspace, int position, RunControl& control);
BatchSummary batchDownload(Workspace& workspace, int watchlistNumber, RunControl& control);

// "更新" of the watchlist pane: the batch update of every entry of a market
// (position 0-8) or watchlist, then the security shown before comes back.
// False when it did not run or any security failed.
bool batchUpdateList(Workspace& workspace, int position);

// The batch download of a watchlist: each entry fetched in full (at least as
// many bars as its file holds) and its file replaced once the whole span came,
// keeping the stored bars older than the fetched ones. False when it did not
// run or any entry failed.
bool batchDownload(Workspace& workspace, int watchlistNumber);

}  // namespace tav
