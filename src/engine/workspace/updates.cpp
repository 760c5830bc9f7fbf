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
// Batch failures that have no text of a page to tell.
constexpr const char* kCannotWrite = "株価データを書き込めませんでした。";
constexpr const char* kWouldLoseDays =
    "保存データにある日が取得したデータにないため、書き込みませんでした。";
constexpr const char* kWouldLeaveGap = "\n\n日付が抜けないよう、新しいデータは追加しませんでした。";
constexpr const char* kCannotAdjustGaps =
    "保存データにある日が取得したデータにないため、分割調整できません。\n\n"
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

// A failed fetch: the text of the page that failed, else `fallback`.
Outcome fetchFailure(std::string pageText, const char* fallback) {
    if (pageText.empty()) return Outcome::failure(FailureKind::NoData, fallback);
    return Outcome::failure(FailureKind::Unreachable, std::move(pageText));
}

void tell(Workspace& workspace, const Outcome& outcome) {
    workspace.prompter().message(outcome.message(), MessageIcon::Warning);
}

struct FetchRules {
    bool splitAdjust = false;
    bool quiet = false;            // batch runs: no message, no quote, no recompute
    bool requireComplete = false;  // a partial span counts as a failure
    int atLeastBars = 0;           // ask for no fewer bars than this
    // Accumulate mode: every stored day the fetch lacks (older than its
    // first bar, or a row it could not read) stays as stored, so a re-fetch
    // never leaves the file with fewer days.
    bool keepStoredDays = false;
};

// What a re-fetch left out and kept, for the note after it.
struct RefetchNote {
    BarRejections rejected;
    int keptDays = 0;  // stored days the fetch lacked, kept as they were
};

// "取得したデータのうち 3 行を除外 (日付が不正 3)。" and the stored days kept.
std::string noteText(const RefetchNote& note) {
    std::string text;
    if (note.rejected.total > 0)
        text = "取得したデータのうち " + describeRejections(note.rejected) + "。";
    if (note.keptDays > 0 && note.rejected.total > 0)
        text += "\n\n保存済みの " + std::to_string(note.keptDays) + " 日分はそのまま残しました。";
    return text;
}

// The bars of the code's accumulate-mode file in the current period.
std::vector<DailyBar> storedBars(const Workspace& workspace, StockCode code) {
    return loadSeries(
        dataFilePath(workspace.folder(), code, workspace.periodMode, StorageMode::Accumulate));
}

// Takes every stored day the fetched series lacks into it; returns how many.
int mergeStoredDays(Workspace& workspace) {
    BarSeries& series = workspace.series();
    int filled = 0;
    series.bars = mergeKeepingStored(series.bars, storedBars(workspace, series.code), &filled);
    return filled;
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
Outcome fetchReplacing(Workspace& workspace, const Snapshot& previous, const FetchRules& rules,
                       RefetchNote* note = nullptr) {
    BarSeries& series = workspace.series();
    StockCode code = series.code;
    workspace.paging.pagesBack = 0;
    workspace.paging.extensions = 0;
    int requested = std::max(requestedBarCount(workspace), rules.atLeastBars);
    workspace.paging.requestedBars = requested;
    SpanLength span = spanForBars(requested, workspace.periodMode);
    SpanFetch fetched =
        fetchSpan(workspace, code, "", span.years, span.months, requested, rules.splitAdjust);
    if (note) note->rejected = fetched.rejected;
    if (series.empty() || (rules.requireComplete && !fetched.complete)) {
        Outcome failed = fetchFailure(std::move(fetched.failure), kNoData);
        if (!rules.quiet) tell(workspace, failed);
        previous.restore(workspace);
        return failed;
    }
    if (rules.keepStoredDays && accumulating(workspace)) {
        // Split-adjusted prices cannot be joined to unadjusted stored ones.
        if (rules.splitAdjust) {
            const char* refusal = nullptr;
            if (storedReachesFurther(workspace))
                refusal = kCannotAdjustOlder;
            else if (storedDaysMissing(series.bars, storedBars(workspace, code)) > 0)
                refusal = kCannotAdjustGaps;
            if (refusal) {
                std::string text = refusal;
                if (fetched.rejected.total > 0)
                    text +=
                        "\n\n取得したデータのうち " + describeRejections(fetched.rejected) + "。";
                Outcome refused = Outcome::failure(FailureKind::Refused, std::move(text));
                if (!rules.quiet) tell(workspace, refused);
                previous.restore(workspace);
                return refused;
            }
        }
        int kept = mergeStoredDays(workspace);
        if (note) note->keptDays = kept;
    }
    // None of these bars is known to be in the data file yet.
    series.savedCount = 0;
    series.cursor = series.count() - 1;
    workspace.history().recordHistory(code);
    if (rules.quiet) return Outcome::success();
    if (workspace.options().selectedStrategy == 0) refreshQuote(workspace);
    workspace.seriesChanged();
    return Outcome::success();
}

// Fetched index bars must not move the day the next daily update starts after.
bool holdStoreClock(Workspace& workspace) {
    const BarSeries& series = workspace.series();
    return pinStoreClock(workspace.folder(), series.code, series.period);
}

// Writes the whole series over its file, atomically; savedCount follows.
Outcome writeWhole(Workspace& workspace) {
    if (!holdStoreClock(workspace) || !workspace.saveAll())
        return Outcome::failure(FailureKind::Storage, kCannotWrite);
    workspace.series().savedCount = workspace.series().count();
    return Outcome::success();
}

// As writeWhole, unless the file holds days the series lacks.
Outcome writeWholeIfCovering(Workspace& workspace) {
    const BarSeries& series = workspace.series();
    std::string path =
        dataFilePath(workspace.folder(), series.code, series.period, StorageMode::Accumulate);
    if (!coversStoredBars(series.bars, loadSeries(path)))
        return Outcome::failure(FailureKind::Refused, kWouldLoseDays);
    return writeWhole(workspace);
}

// Fetches up to `wanted` bars ending at the oldest one and prepends those
// older than it. A failure (series as before) when none came.
Outcome prependFetched(Workspace& workspace, int wanted) {
    Snapshot previous = Snapshot::of(workspace);
    BarSeries& series = workspace.series();
    std::string oldest(series.bars.front().dateText());
    SpanLength span = spanForBars(wanted, workspace.periodMode);
    SpanFetch fetch = fetchSpan(workspace, series.code, oldest, span.years, span.months, wanted);
    std::vector<DailyBar> fetched = std::move(series.bars);
    previous.restore(workspace);
    std::vector<DailyBar> merged = prependOlder(fetched, series.bars);
    if (merged.size() == series.bars.size()) return fetchFailure(std::move(fetch.failure), kNoData);
    series.bars = std::move(merged);
    return Outcome::success();
}

}  // namespace

int requestedBarCount(const Workspace& workspace) {
    return requestedBarCount(warmUp(workspace), workspace.paging.visibleBars,
                             accumulating(workspace), workspace.periodMode,
                             workspace.options().accumulateYears);
}

Outcome fullFetch(Workspace& workspace, bool splitAdjust) {
    FetchRules rules;
    rules.splitAdjust = splitAdjust;
    return fetchReplacing(workspace, Snapshot::of(workspace), rules);
}

Outcome batchRefetch(Workspace& workspace, int* rejectedRows) {
    BarSeries& series = workspace.series();
    int requested = requestedBarCount(workspace);
    SpanLength span = spanForBars(requested, workspace.periodMode);
    SpanFetch fetched = fetchSpan(workspace, series.code, "", span.years, span.months, requested);
    if (rejectedRows) *rejectedRows = fetched.rejected.total;
    series.savedCount = 0;
    // A partial span would replace a longer file by less.
    if (series.empty() || !fetched.complete)
        return fetchFailure(std::move(fetched.failure), kNoData);
    if (accumulating(workspace)) mergeStoredDays(workspace);
    return writeWholeIfCovering(workspace);
}

Outcome reloadFromFile(Workspace& workspace, StockCode code) {
    Snapshot previous = Snapshot::of(workspace);
    workspace.paging.pagesBack = 0;
    workspace.paging.extensions = 0;
    if (workspace.loadStoredSeries(code)) {
        workspace.history().recordHistory(code);
        workspace.seriesChanged();
        return Outcome::success();
    }
    if (Outcome fetched = fetchReplacing(workspace, previous, {}); !fetched) return fetched;
    if (workspace.saveIfChanged()) workspace.series().savedCount = workspace.series().count();
    return Outcome::success();
}

Outcome deleteAndRefetch(Workspace& workspace) {
    if (!workspace.requireWritableStore())
        return Outcome::failure(FailureKind::Refused, workspace.refusalMessage());
    FetchRules rules;
    rules.requireComplete = true;
    rules.keepStoredDays = true;
    // The file is replaced, so the fetch reaches back as far as it does.
    rules.atLeastBars = workspace.series().count();
    RefetchNote note;
    if (Outcome fetched = fetchReplacing(workspace, Snapshot::of(workspace), rules, &note);
        !fetched)
        return fetched;
    if (accumulating(workspace)) {
        if (Outcome written = writeWholeIfCovering(workspace); !written) {
            tell(workspace, written);
            return written;
        }
    } else if (!workspace.saveIfChanged()) {
        return Outcome::failure(FailureKind::Storage, kCannotWrite);
    }
    if (std::string text = noteText(note); !text.empty())
        workspace.prompter().message(text, MessageIcon::Warning);
    return Outcome::success();
}

Outcome updateSeries(Workspace& workspace, bool interactive, int* rejectedRows) {
    BarSeries& series = workspace.series();
    if (workspace.checkLastDate() < 0) {
        if (interactive) workspace.prompter().message(kDateFault, MessageIcon::Warning);
        return Outcome::failure(FailureKind::Refused, kDateFault);
    }
    workspace.paging.pagesBack = 0;
    workspace.paging.extensions = 0;
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
        return Outcome::failure(FailureKind::NoData, kNoData);
    }
    FetchedBars fetched = fetchSince(workspace, series.code, series.bars.back());
    if (rejectedRows) *rejectedRows = fetched.rejected.total;
    const std::string refusedRows =
        fetched.rejected.total > 0
            ? "取得したデータのうち " + describeRejections(fetched.rejected) + "。"
            : std::string();
    // A refused row may stand between the new days; appending the others
    // would leave that day out for good, as the next update starts after
    // them. Rows dated after today leave no gap.
    const int gapRows =
        fetched.rejected.total - fetched.rejected.byFault[static_cast<int>(BarFault::FutureDate)];
    if (gapRows > 0) {
        Outcome refused = Outcome::failure(FailureKind::Refused, refusedRows + kWouldLeaveGap);
        if (interactive) tell(workspace, refused);
        showDropped();
        return refused;
    }
    if (interactive && !refusedRows.empty())
        workspace.prompter().message(refusedRows, MessageIcon::Warning);
    if (fetched.bars.empty()) {
        showDropped();
        return fetchFailure(std::move(fetched.failure), kNoData);
    }
    std::vector<DailyBar> newer = barsAfter(fetched.bars, series.bars.back().dateText());
    if (newer.empty()) {
        Outcome nothing = fetched.failure.empty()
                              ? Outcome::failure(FailureKind::NothingNew, kNoNewData)
                              : Outcome::failure(FailureKind::Unreachable, fetched.failure);
        if (interactive) tell(workspace, nothing);
        showDropped();
        return nothing;
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
        written = holdStoreClock(workspace) && workspace.appendBars(newer);
    else
        written = static_cast<bool>(writeWholeIfCovering(workspace));
    if (written) series.savedCount = series.count();
    series.cursor = series.count() - 1;
    if (interactive) workspace.seriesChanged();
    // Bars not written stay unsaved in the series; the next save writes them.
    return Outcome::success();
}

bool extendIntoPast(Workspace& workspace) {
    BarSeries& series = workspace.series();
    SeriesPaging& paging = workspace.paging;
    if (series.empty()) return false;
    int wanted =
        extensionBarCount(warmUp(workspace), paging.visibleBars, paging.pagesBack, series.count());
    if (Outcome prepended = wanted > 0 ? prependFetched(workspace, wanted) : Outcome::success();
        !prepended) {
        tell(workspace, prepended);
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
    if (!accumulating(workspace) || series.empty()) return static_cast<bool>(fullFetch(workspace));
    // Older bars are merged in: a fresh fetch of fewer years than the file
    // holds would replace the stored history.
    int wanted = warmUp(workspace) + workspace.paging.visibleBars - series.count();
    // Zooming out past the oldest day the site has is no failure to tell of.
    if (!prependFetched(workspace, wanted)) return false;
    series.cursor = series.count() - 1;
    workspace.seriesChanged();
    return true;
}

Outcome splitAdjustedRefetch(Workspace& workspace) {
    const bool yahoo = workspace.options().quoteSource == 0;
    FetchRules rules;
    rules.splitAdjust = yahoo;
    rules.requireComplete = accumulating(workspace);
    rules.keepStoredDays = true;
    // The adjusted prices replace the stored ones, so reach as far back.
    rules.atLeastBars = workspace.series().count();
    if (Outcome fetched = fetchReplacing(workspace, Snapshot::of(workspace), rules); !fetched)
        return fetched;
    if (accumulating(workspace))
        if (Outcome written = writeWhole(workspace); !written) return written;
    refreshQuote(workspace);
    return Outcome::success();
}

bool updateCommand(Workspace& workspace, bool alternate, const ArchiveDialog& dialog) {
    if (alternate) {
        if (!workspace.prompter().askYesNo(
                "データをYahooサイトから個別に再読込みします。\n\n危険！！！　"
                "一括更新とはデータソースが異なります。\n\n一括更新後でないとデータの整合性が"
                "失われますのでご注意ください。\n\nよろしいですか？",
                QuestionKind::Destructive))
            return false;
        return static_cast<bool>(deleteAndRefetch(workspace));
    }
    return dailyArchiveUpdate(workspace, dialog);
}

Outcome selectSecurity(Workspace& workspace, StockCode code) {
    if (accumulating(workspace)) workspace.saveIfChanged();
    Snapshot previous = Snapshot::of(workspace);
    workspace.paging.pagesBack = 0;
    workspace.quoteInfo.reset();
    workspace.splitAdjusted = false;
    if (accumulating(workspace)) {
        Outcome reloaded = reloadFromFile(workspace, code);
        if (!reloaded) previous.restore(workspace);
        return reloaded;
    }
    // Scratch mode fetches every selection; the read only brings the
    // security's own settings.
    workspace.loadStoredSeries(code);
    return fetchReplacing(workspace, previous, {});
}

Outcome switchPeriod(Workspace& workspace, PeriodMode period) {
    // Unsaved bars of the period being left would be lost with the series.
    if (accumulating(workspace)) workspace.saveIfChanged();
    Snapshot previous = Snapshot::of(workspace);
    workspace.periodMode = period;
    if (accumulating(workspace)) {
        Outcome reloaded = reloadFromFile(workspace, workspace.series().code);
        if (!reloaded) previous.restore(workspace);
        return reloaded;
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

BatchStep batchUpdateSecurity(Workspace& workspace, StockCode code) {
    BarSeries& series = workspace.series();
    std::string path =
        dataFilePath(workspace.folder(), code, workspace.periodMode, StorageMode::Accumulate);
    int rejected = 0;
    auto step = [&rejected](BatchOutcome done, Outcome outcome) {
        BatchStep result{done, {}, rejected};
        // Nothing new since the last stored day is no failure.
        if (outcome.kind() == FailureKind::NothingNew)
            result.outcome = BatchOutcome::Skipped;
        else if (!outcome)
            result = {BatchOutcome::Failed, std::move(outcome), rejected};
        return result;
    };
    if (!fileio::fileExists(path)) {
        series.bars.clear();
        series.code = code;
        series.period = workspace.periodMode;
        return step(BatchOutcome::Refetched, batchRefetch(workspace, &rejected));
    }
    if (!workspace.loadStoredSeries(code)) return {BatchOutcome::Skipped, {}};
    if (workspace.periodMode != PeriodMode::Daily) {
        if (series.count() <= kRefetchedPeriodBars)
            return step(BatchOutcome::Refetched, batchRefetch(workspace, &rejected));
        series.bars.resize(series.bars.size() - kRefetchedPeriodBars);
        return step(BatchOutcome::Updated, updateSeries(workspace, false, &rejected));
    }
    if (workspace.checkLastDate() <= 0) return {BatchOutcome::Skipped, {}};
    return step(BatchOutcome::Updated, updateSeries(workspace, false, &rejected));
}

namespace {

// Counts one security's step into the summary.
void count(BatchSummary& summary, const BatchStep& step, StockCode code) {
    summary.rejectedRows += step.rejectedRows;
    switch (step.outcome) {
        case BatchOutcome::Updated:
        case BatchOutcome::Refetched:
            ++summary.done;
            break;
        case BatchOutcome::Skipped:
            ++summary.skipped;
            break;
        case BatchOutcome::Failed:
            if (summary.failed++ == 0) {
                summary.firstFailedCode = code;
                summary.firstFailure = step.failure.messageOr(kNoData);
            }
            break;
    }
}

// Rows of the pages the run could not use, once at its end.
void tellRejectedRows(Workspace& workspace, const BatchSummary& summary) {
    if (summary.rejectedRows == 0) return;
    workspace.prompter().message(
        "取得したデータのうち " + std::to_string(summary.rejectedRows) +
            " 行を読めなかったため除外しました。保存済みの日はそのまま残しました。",
        MessageIcon::Warning);
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
        const BatchStep step = batchUpdateSecurity(workspace, entries[i].code);
        count(summary, step, entries[i].code);
        if (step.outcome == BatchOutcome::Skipped) continue;
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
    rules.keepStoredDays = true;
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
        rules.atLeastBars =
            static_cast<int>(loadSeries(dataFilePath(workspace.folder(), series.code, series.period,
                                                     StorageMode::Accumulate))
                                 .size());
        // The file is replaced whole and atomically, only once the whole span came.
        RefetchNote note;
        Outcome written = fetchReplacing(workspace, Snapshot::of(workspace), rules, &note);
        summary.rejectedRows += note.rejected.total;
        if (written) written = writeWholeIfCovering(workspace);
        count(summary,
              written ? BatchStep{BatchOutcome::Refetched, {}}
                      : BatchStep{BatchOutcome::Failed, std::move(written)},
              entries[i].code);
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
    tellRejectedRows(workspace, summary);
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
    tellRejectedRows(workspace, summary);
    return summary.ran && summary.failed == 0;
}

}  // namespace tav
