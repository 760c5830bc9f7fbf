#include "workspace/updates.h"

#include <algorithm>

#include "core/file_io.h"
#include "updates/series_merge.h"
#include "watchlists/entry_lists.h"
#include "watchlists/watchlist_files.h"
#include "workspace/archive.h"
#include "workspace/quotes.h"

namespace tav {

namespace {

constexpr const char* kNoData = "データが見つかりません。";
constexpr const char* kDateFault = "データ日付かシステム日付に異常があります。";
constexpr const char* kNoNewData = "新しいデータはありません。";
constexpr const char* kCannotAdjustOlder =
    "保存データより古い期間のデータがサイトにないため、分割調整できません。\n\n"
    "保存データは変更しませんでした。";
// Weekly and monthly batch updates fetch these last bars again.
constexpr int kRefetchedPeriodBars = 3;
// A batch run of this many entries asks once more.
constexpr int kLongBatch = 100;

// Everything a failed operation puts back: the security on display as it was.
struct Snapshot {
    LoadedSecurity security;

    static Snapshot of(const Workspace& workspace) { return {workspace.loaded()}; }
    void restore(Workspace& workspace) const { workspace.loaded() = security; }
};

int warmUp(const Workspace& workspace) {
    return warmUpBars(
        workspace.analysisParameters.chart(ChartParam::senkouPeriod, workspace.periodMode));
}

bool accumulating(const Workspace& workspace) {
    return workspace.storageMode == StorageMode::Accumulate;
}

void tell(Workspace& workspace, const std::string& fallback) {
    workspace.prompter().message(
        workspace.lastErrorText.empty() ? fallback : workspace.lastErrorText, MessageIcon::Warning);
}

struct FetchRules {
    bool splitAdjust = false;
    bool quiet = false;            // batch runs: no message, no quote, no recompute
    bool requireComplete = false;  // a partial span counts as a failure
    int atLeastBars = 0;           // ask for no fewer bars than this
    // Accumulate mode: the file's bars older than the fetched ones stay in
    // front of them, so a re-fetch never reaches less far back than the file.
    bool keepStoredOlder = false;
};

// The bars of the code's accumulate-mode file in the current period.
std::vector<DailyBar> storedBars(const Workspace& workspace, StockCode code) {
    return loadSeries(dataFilePath(workspace.folder(), code, workspace.periodMode,
                                   StorageMode::Accumulate));
}

// Puts the stored bars older than the fetched ones in front of them; true
// when there were any.
bool mergeStoredOlder(Workspace& workspace) {
    BarSeries& series = workspace.series();
    std::vector<DailyBar> merged = prependOlder(storedBars(workspace, series.code), series.bars);
    if (merged.size() == series.bars.size()) return false;
    series.bars = std::move(merged);
    return true;
}

// Whether the stored bars reach further back than the fetched ones.
bool storedReachesFurther(const Workspace& workspace) {
    const BarSeries& series = workspace.series();
    std::vector<DailyBar> stored = storedBars(workspace, series.code);
    return !stored.empty() && !series.empty() &&
           stored.front().dateText() < series.bars.front().dateText();
}

// Fetches the displayed code in the current period over the requested span
// and makes it the series; on failure the snapshot comes back.
bool fetchReplacing(Workspace& workspace, const Snapshot& previous, const FetchRules& rules) {
    BarSeries& series = workspace.series();
    StockCode code = series.code;
    workspace.paging.pagesBack = 0;
    workspace.paging.extensions = 0;
    workspace.lastErrorText.clear();
    int requested = std::max(requestedBarCount(workspace), rules.atLeastBars);
    workspace.paging.requestedBars = requested;
    SpanLength span = spanForBars(requested, workspace.periodMode);
    bool complete = false;
    fetchSpan(workspace, code, "", span.years, span.months, requested, rules.splitAdjust,
              &complete);
    if (series.empty() || (rules.requireComplete && !complete)) {
        if (!rules.quiet) tell(workspace, kNoData);
        previous.restore(workspace);
        return false;
    }
    if (rules.keepStoredOlder && accumulating(workspace)) {
        // Split-adjusted prices cannot be joined to unadjusted older ones.
        if (rules.splitAdjust && storedReachesFurther(workspace)) {
            if (!rules.quiet)
                workspace.prompter().message(kCannotAdjustOlder, MessageIcon::Warning);
            previous.restore(workspace);
            return false;
        }
        mergeStoredOlder(workspace);
    }
    // None of these bars is known to be in the data file yet.
    series.savedCount = 0;
    series.cursor = series.count() - 1;
    workspace.history().recordHistory(code);
    if (rules.quiet) return true;
    if (workspace.options().selectedStrategy == 0) refreshQuote(workspace);
    workspace.seriesChanged();
    return true;
}

// Writes the whole series over its file, atomically; savedCount follows.
bool writeWhole(Workspace& workspace) {
    if (!workspace.saveAll()) return false;
    workspace.series().savedCount = workspace.series().count();
    return true;
}

// As writeWhole, unless the file holds days the series lacks.
bool writeWholeIfCovering(Workspace& workspace) {
    const BarSeries& series = workspace.series();
    std::string path =
        dataFilePath(workspace.folder(), series.code, series.period, StorageMode::Accumulate);
    if (!coversStoredBars(series.bars, loadSeries(path))) return false;
    return writeWhole(workspace);
}

// Fetches up to `wanted` bars ending at the oldest one and prepends those
// older than it. False (series as before) when none came.
bool prependFetched(Workspace& workspace, int wanted) {
    Snapshot previous = Snapshot::of(workspace);
    BarSeries& series = workspace.series();
    std::string oldest(series.bars.front().dateText());
    SpanLength span = spanForBars(wanted, workspace.periodMode);
    workspace.lastErrorText.clear();
    fetchSpan(workspace, series.code, oldest, span.years, span.months, wanted);
    std::vector<DailyBar> fetched = std::move(series.bars);
    previous.restore(workspace);
    std::vector<DailyBar> merged = prependOlder(fetched, series.bars);
    if (merged.size() == series.bars.size()) return false;
    series.bars = std::move(merged);
    return true;
}

}  // namespace

int requestedBarCount(const Workspace& workspace) {
    return requestedBarCount(warmUp(workspace), workspace.paging.visibleBars,
                             accumulating(workspace), workspace.periodMode,
                             workspace.options().accumulateYears);
}

bool fullFetch(Workspace& workspace, bool splitAdjust) {
    FetchRules rules;
    rules.splitAdjust = splitAdjust;
    return fetchReplacing(workspace, Snapshot::of(workspace), rules);
}

bool batchRefetch(Workspace& workspace) {
    BarSeries& series = workspace.series();
    workspace.lastErrorText.clear();
    int requested = requestedBarCount(workspace);
    SpanLength span = spanForBars(requested, workspace.periodMode);
    bool complete = false;
    fetchSpan(workspace, series.code, "", span.years, span.months, requested, false, &complete);
    series.savedCount = 0;
    // A partial span would replace a longer file by less.
    if (series.empty() || !complete) return false;
    if (accumulating(workspace)) mergeStoredOlder(workspace);
    return writeWholeIfCovering(workspace);
}

bool reloadFromFile(Workspace& workspace, StockCode code) {
    Snapshot previous = Snapshot::of(workspace);
    workspace.paging.pagesBack = 0;
    workspace.paging.extensions = 0;
    if (workspace.loadStoredSeries(code)) {
        workspace.history().recordHistory(code);
        workspace.seriesChanged();
        return true;
    }
    if (!fetchReplacing(workspace, previous, {})) return false;
    if (workspace.saveIfChanged()) workspace.series().savedCount = workspace.series().count();
    return true;
}

bool deleteAndRefetch(Workspace& workspace) {
    if (!workspace.requireWritableStore()) return false;
    FetchRules rules;
    rules.requireComplete = true;
    rules.keepStoredOlder = true;
    // The file is replaced, so the fetch reaches back as far as it does.
    rules.atLeastBars = workspace.series().count();
    if (!fetchReplacing(workspace, Snapshot::of(workspace), rules)) return false;
    if (accumulating(workspace)) return writeWhole(workspace);
    return workspace.saveIfChanged();
}

bool updateSeries(Workspace& workspace, bool interactive) {
    BarSeries& series = workspace.series();
    if (workspace.checkLastDate() < 0) {
        if (interactive) workspace.prompter().message(kDateFault, MessageIcon::Warning);
        return false;
    }
    workspace.paging.pagesBack = 0;
    workspace.paging.extensions = 0;
    workspace.lastErrorText.clear();
    // A provisional bar never meets fetched ones: the final bar replaces it.
    bool dropped = false;
    while (!series.empty() && series.bars.back().provisional) {
        series.bars.pop_back();
        dropped = true;
    }
    auto showDropped = [&] {
        series.cursor = series.count() - 1;
        if (dropped && interactive) workspace.seriesChanged();
    };
    if (series.empty()) {
        showDropped();
        return false;
    }
    std::vector<DailyBar> fetched = fetchSince(workspace, series.code, series.bars.back());
    if (fetched.empty()) {
        showDropped();
        return false;
    }
    std::vector<DailyBar> newer = barsAfter(fetched, series.bars.back().dateText());
    if (newer.empty()) {
        if (workspace.lastErrorText.empty()) workspace.lastErrorText = kNoNewData;
        if (interactive)
            workspace.prompter().message(workspace.lastErrorText, MessageIcon::Warning);
        showDropped();
        return false;
    }
    // Bars not yet in the file (an extension, a fresh fetch, re-fetched
    // weeks) go with a whole rewrite; otherwise the new ones are appended.
    bool fileMatches = series.savedCount == series.count();
    series.bars.insert(series.bars.end(), newer.begin(), newer.end());
    series.period = workspace.periodMode;
    bool written = false;
    if (!accumulating(workspace))
        written = workspace.saveIfChanged();
    else if (fileMatches && workspace.periodMode == PeriodMode::Daily)
        written = workspace.appendBars(newer);
    else
        written = writeWholeIfCovering(workspace);
    if (written) series.savedCount = series.count();
    series.cursor = series.count() - 1;
    if (interactive) workspace.seriesChanged();
    return true;
}

bool extendIntoPast(Workspace& workspace) {
    BarSeries& series = workspace.series();
    SeriesPaging& paging = workspace.paging;
    if (series.empty()) return false;
    int wanted =
        extensionBarCount(warmUp(workspace), paging.visibleBars, paging.pagesBack, series.count());
    if (wanted > 0 && !prependFetched(workspace, wanted)) {
        tell(workspace, kNoData);
        paging.pagesBack = std::max(paging.pagesBack - 1, 0);
        series.cursor = pagedCursor(series.count(), paging.visibleBars, paging.pagesBack);
        return false;
    }
    ++paging.extensions;
    series.cursor = pagedCursor(series.count(), paging.visibleBars, paging.pagesBack);
    workspace.seriesChanged();
    return true;
}

bool zoomOut(Workspace& workspace, int visibleBars) {
    BarSeries& series = workspace.series();
    workspace.paging.visibleBars = std::max(visibleBars, 1);
    workspace.paging.pagesBack = 0;
    if (workspace.paging.visibleBars <= series.count()) return true;
    if (!accumulating(workspace) || series.empty()) return fullFetch(workspace);
    // Older bars are merged in: a fresh fetch of fewer years than the file
    // holds would replace the stored history.
    int wanted = warmUp(workspace) + workspace.paging.visibleBars - series.count();
    // Zooming out past the oldest day the site has is no failure to tell of.
    if (!prependFetched(workspace, wanted)) return false;
    series.cursor = series.count() - 1;
    workspace.seriesChanged();
    return true;
}

bool splitAdjustedRefetch(Workspace& workspace) {
    const bool yahoo = workspace.options().quoteSource == 0;
    FetchRules rules;
    rules.splitAdjust = yahoo;
    rules.requireComplete = accumulating(workspace);
    rules.keepStoredOlder = true;
    // The adjusted prices replace the stored ones, so reach as far back.
    rules.atLeastBars = workspace.series().count();
    if (!fetchReplacing(workspace, Snapshot::of(workspace), rules)) return false;
    if (accumulating(workspace) && !writeWhole(workspace)) return false;
    refreshQuote(workspace);
    return true;
}

bool updateCommand(Workspace& workspace, bool alternate, const ArchiveDialog& dialog) {
    if (alternate) {
        if (!workspace.prompter().askYesNo(
                "データをYahooサイトから個別に再読込みします。\n\n危険！！！　"
                "一括更新とはデータソースが異なります。\n\n一括更新後でないとデータの整合性が"
                "失われますのでご注意ください。\n\nよろしいですか？",
                QuestionKind::Destructive))
            return false;
        return deleteAndRefetch(workspace);
    }
    return dailyArchiveUpdate(workspace, dialog);
}

bool selectSecurity(Workspace& workspace, StockCode code) {
    if (accumulating(workspace)) workspace.saveIfChanged();
    Snapshot previous = Snapshot::of(workspace);
    workspace.paging.pagesBack = 0;
    workspace.quoteInfo.reset();
    workspace.splitAdjusted = false;
    if (accumulating(workspace)) {
        if (reloadFromFile(workspace, code)) return true;
        previous.restore(workspace);
        return false;
    }
    // Scratch mode fetches every selection; the read only brings the
    // security's own settings.
    workspace.loadStoredSeries(code);
    return fetchReplacing(workspace, previous, {});
}

bool switchPeriod(Workspace& workspace, PeriodMode period) {
    // Unsaved bars of the period being left would be lost with the series.
    if (accumulating(workspace)) workspace.saveIfChanged();
    Snapshot previous = Snapshot::of(workspace);
    workspace.periodMode = period;
    if (accumulating(workspace)) {
        if (reloadFromFile(workspace, workspace.series().code)) return true;
        previous.restore(workspace);
        return false;
    }
    workspace.series().period = period;
    return fetchReplacing(workspace, previous, {});
}

bool addSecurity(Workspace& workspace, const AddSecurityRequest& request) {
    if (!workspace.requireWritableStore()) return false;
    if (!addSecurity(workspace.folder(), workspace.prompter(), request)) return false;
    // The new security is shown as any selection shows it: its file, or a
    // fetch when it has none, and a line in the history. Without any bars it
    // is still the security on display.
    if (!selectSecurity(workspace, request.code)) {
        workspace.loadStoredSeries(request.code);
        workspace.seriesChanged();
    }
    return true;
}

BatchOutcome batchUpdateSecurity(Workspace& workspace, StockCode code) {
    BarSeries& series = workspace.series();
    std::string path =
        dataFilePath(workspace.folder(), code, workspace.periodMode, StorageMode::Accumulate);
    if (!fileio::fileExists(path)) {
        series.bars.clear();
        series.code = code;
        series.period = workspace.periodMode;
        return batchRefetch(workspace) ? BatchOutcome::Refetched : BatchOutcome::Failed;
    }
    if (!workspace.loadStoredSeries(code)) return BatchOutcome::Skipped;
    if (workspace.periodMode != PeriodMode::Daily) {
        if (series.count() <= kRefetchedPeriodBars)
            return batchRefetch(workspace) ? BatchOutcome::Refetched : BatchOutcome::Failed;
        series.bars.resize(series.bars.size() - kRefetchedPeriodBars);
        return updateSeries(workspace, false) ? BatchOutcome::Updated : BatchOutcome::Failed;
    }
    if (workspace.checkLastDate() <= 0) return BatchOutcome::Skipped;
    return updateSeries(workspace, false) ? BatchOutcome::Updated : BatchOutcome::Failed;
}

namespace {

// Counts one security's outcome into the summary.
void count(BatchSummary& summary, BatchOutcome outcome, StockCode code, const std::string& error) {
    switch (outcome) {
        case BatchOutcome::Updated:
        case BatchOutcome::Refetched: ++summary.done; break;
        case BatchOutcome::Skipped: ++summary.skipped; break;
        case BatchOutcome::Failed:
            if (summary.failed++ == 0) {
                summary.firstFailedCode = code;
                summary.firstFailure = error.empty() ? kNoData : error;
            }
            break;
    }
}

void tellProgress(RunControl& control, std::size_t done, std::size_t total) {
    if (control.progress) control.progress(static_cast<int>(done), static_cast<int>(total));
}

}  // namespace

std::optional<BatchPlan> prepareBatchUpdate(Workspace& workspace, int position) {
    Prompter& prompter = workspace.prompter();
    if (!accumulating(workspace)) {
        prompter.message("蓄積モードでないため使用できません。", MessageIcon::Warning);
        return std::nullopt;
    }
    if (workspace.checkLastDate() < 0) {
        prompter.message(kDateFault, MessageIcon::Warning);
        return std::nullopt;
    }
    if (!workspace.requireWritableStore()) return std::nullopt;
    bool market = position < kMarketCount;
    if (!prompter.askYesNo(
            market ? "選択市場の全株価データを一括追加更新します。\n保存データがある銘柄"
                     "のみが追加対象となります。\n\nよろしいですか？"
                   : "注目銘柄リストの全株価データを一括追加更新します。\n保存データが"
                     "ある銘柄のみが追加対象となります。\n\nよろしいですか？"))
        return std::nullopt;
    workspace.watchlists().select(position);
    auto source = workspace.watchlists().batchSource();
    BatchPlan plan;
    plan.entries = source ? readBatchEntries(*source) : std::vector<BatchEntry>{};
    if (plan.entries.size() >= kLongBatch &&
        !prompter.askYesNo("銘柄数が多いので長時間になる恐れがあります。\n\nよろしいですか？"))
        return std::nullopt;
    workspace.saveIfChanged();
    return plan;
}

std::optional<BatchPlan> prepareBatchDownload(Workspace& workspace, int watchlistNumber) {
    if (!accumulating(workspace) || watchlistNumber < 1) return std::nullopt;
    Prompter& prompter = workspace.prompter();
    if (!prompter.askYesNo(
            "注目銘柄リストの全株価データを一括ダウンロードします。\n一括追加終了後でな"
            "いとデータの整合性が失われます。\n\nよろしいですか？"))
        return std::nullopt;
    if (workspace.checkLastDate() < 0) {
        prompter.message(kDateFault, MessageIcon::Warning);
        return std::nullopt;
    }
    if (!workspace.requireWritableStore()) return std::nullopt;
    workspace.saveIfChanged();
    BatchPlan plan;
    plan.download = true;
    // The code is the text before the first space, so five-digit codes stay whole.
    plan.entries = readBatchEntries(workspace.folder().path(watchlistFileName(watchlistNumber)));
    return plan;
}

namespace {

BatchSummary runBatchUpdate(Workspace& workspace, const BatchPlan& plan, RunControl& control) {
    BatchSummary summary;
    summary.ran = true;
    const std::vector<BatchEntry>& entries = plan.entries;
    // One security after another: each writes the store and may fetch pages.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (control.cancelled()) {
            summary.cancelled = true;
            break;
        }
        BatchOutcome outcome = batchUpdateSecurity(workspace, entries[i].code);
        // Nothing new since the last stored day is no failure.
        if (outcome == BatchOutcome::Failed && workspace.lastErrorText == kNoNewData)
            outcome = BatchOutcome::Skipped;
        count(summary, outcome, entries[i].code, workspace.lastErrorText);
        if (outcome == BatchOutcome::Skipped) continue;
        tellProgress(control, i + 1, entries.size());
    }
    return summary;
}

BatchSummary runBatchDownload(Workspace& workspace, const BatchPlan& plan, RunControl& control) {
    BatchSummary summary;
    summary.ran = true;
    const std::vector<BatchEntry>& entries = plan.entries;
    FetchRules rules;
    rules.quiet = true;
    rules.requireComplete = true;
    rules.keepStoredOlder = true;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (control.cancelled()) {
            summary.cancelled = true;
            break;
        }
        // Nothing of the entry before may stand in for this one on a failure.
        BarSeries& series = workspace.series();
        series.bars.clear();
        series.savedCount = 0;
        series.code = entries[i].code;
        series.period = workspace.periodMode;
        workspace.lastErrorText.clear();
        rules.atLeastBars =
            static_cast<int>(loadSeries(dataFilePath(workspace.folder(), series.code, series.period,
                                                     StorageMode::Accumulate))
                                 .size());
        // The file is replaced whole and atomically, only once the whole span came.
        const bool written =
            fetchReplacing(workspace, Snapshot::of(workspace), rules) && writeWhole(workspace);
        count(summary, written ? BatchOutcome::Refetched : BatchOutcome::Failed, entries[i].code,
              workspace.lastErrorText);
        tellProgress(control, i + 1, entries.size());
    }
    return summary;
}

}  // namespace

BatchSummary runBatch(Workspace& workspace, const BatchPlan& plan, RunControl& control) {
    return plan.download ? runBatchDownload(workspace, plan, control)
                         : runBatchUpdate(workspace, plan, control);
}

BatchSummary batchUpdateList(Workspace& workspace, int position, RunControl& control) {
    const StockCode shown = workspace.series().code;
    auto plan = prepareBatchUpdate(workspace, position);
    if (!plan) return {};
    BatchSummary summary = runBatch(workspace, *plan, control);
    selectSecurity(workspace, shown);
    return summary;
}

bool batchUpdateList(Workspace& workspace, int position) {
    RunControl control;
    control.progress = [&](int done, int total) {
        workspace.prompter().progress(std::min(100 * done / std::max(total, 1), 100));
    };
    const BatchSummary summary = batchUpdateList(workspace, position, control);
    return summary.ran && summary.failed == 0;
}

BatchSummary batchDownload(Workspace& workspace, int watchlistNumber, RunControl& control) {
    const StockCode shown = workspace.series().code;
    auto plan = prepareBatchDownload(workspace, watchlistNumber);
    if (!plan) return {};
    BatchSummary summary = runBatch(workspace, *plan, control);
    selectSecurity(workspace, shown);
    return summary;
}

bool batchDownload(Workspace& workspace, int watchlistNumber) {
    RunControl control;
    control.progress = [&](int done, int total) {
        workspace.prompter().progress(100 * done / std::max(total, 1));
    };
    const BatchSummary summary = batchDownload(workspace, watchlistNumber, control);
    return summary.ran && summary.failed == 0;
}

}  // namespace tav
