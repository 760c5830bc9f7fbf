#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "analysis/recompute.h"
#include "conditions/capsule_cache.h"
#include "conditions/condition_evaluator.h"
#include "core/bar_series.h"
#include "data/endpoints.h"
#include "data/folder_lock.h"
#include "data/master_list_edits.h"
#include "data/price_store.h"
#include "data/program_folder.h"
#include "data/stock_master.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/http.h"
#include "platform/lzh.h"
#include "platform/prompter.h"
#include "platform/shell.h"
#include "quotes/quote_page.h"
#include "security/loaded_security.h"
#include "settings/analysis_parameters.h"
#include "settings/settings_store.h"
#include "simulation/display_run.h"
#include "simulation/strategy_cache.h"
#include "updates/archive_update.h"
#include "updates/bar_requests.h"
#include "watchlists/history.h"
#include "watchlists/watchlists.h"

namespace tav {

// The outside world as the engine sees it.
struct Platform {
    Prompter& prompter;
    Http& http;
    Lzh& lzh;
    Shell& shell;
    Clock& clock;
    Clipboard& clipboard;
};

// Whether a recompute also makes the display run of the selected strategy.
// Commands that run a strategy of their own over a freshly loaded series skip it.
enum class StrategyRun { Selected, None };

// Everything one running program works on: the program folder, the loaded
// series and its security, and the state the commands share. The desktop
// window owns one, the command-line tool creates one, tests create one on a
// temporary folder.
class Workspace {
    // First, so that the public fields referring into it bind to a member.
    LoadedSecurity loaded_;

public:
    Workspace(ProgramFolder folder, Platform platform);
    // The fields below refer into the security on display.
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    const ProgramFolder& folder() const { return folder_; }
    Platform& platform() { return platform_; }
    Prompter& prompter() { return platform_.prompter; }
    StockMaster master() const { return StockMaster(folder_.path(StockMaster::kFileName)); }
    // Read afresh for every network command, so an edited file takes effect at once.
    Endpoints endpoints() const { return Endpoints::load(folder_.root()); }

    // The folder lock. Without it (another instance holds it) the store is
    // read-only: the series can be viewed and analysed, nothing is written.
    bool storeWritable() const { return lock_->held(); }
    // Why a write is refused while the store is not writable.
    std::string refusalMessage() const { return lock_->refusalMessage(folder_.root()); }
    // True when the store may be written; otherwise tells the user why the
    // command is unavailable.
    bool requireWritableStore();

    // Start-up set-up of the folder: the four folders, the checks for
    // "Stock.lst" and "url.lst", the three title files. Returns true when the
    // store still has no daily series of code 1010, so the caller must create
    // it from the daily archives before the first series is loaded.
    bool initProgramFolder();

    // The security on display. A copy of it is everything a failed
    // operation puts back.
    LoadedSecurity& loaded() { return loaded_; }
    const LoadedSecurity& loaded() const { return loaded_; }
    BarSeries& series() { return loaded_.series; }
    const BarSeries& series() const { return loaded_.series; }
    const SecurityInfo& security() const { return loaded_.security; }

    // The watchlist pane's lists and the history of shown securities.
    Watchlists& watchlists() { return watchlists_; }
    History& history() { return history_; }

    StorageMode storageMode = StorageMode::Accumulate;
    // When set, saveSettings writes the period and storage mode read from
    // "Option.cfg" back unchanged (the command-line tool overrides both).
    bool keepStoredViewModes = false;
    PeriodMode& periodMode = loaded_.period;
    // The code whose series "Last.txt" holds (scratch mode).
    StockCode lastShownCode = kDefaultCode;
    // The quote information shown beside the chart; cleared when another
    // security is shown.
    std::optional<QuoteRecord>& quoteInfo = loaded_.quote;
    // Set when the loaded series came from a split-adjusted fetch.
    bool& splitAdjusted = loaded_.splitAdjusted;
    // The chart's view of the loaded series, as fetching needs it.
    SeriesPaging& paging = loaded_.paging;

    // The analysis parameters in force for the loaded series (common or the
    // security's own) and the display switches.
    AnalysisParameters& analysisParameters = loaded_.parameters;
    DisplaySwitches displaySwitches;

    // Asked by the daily update between days and during the data API's
    // waits: true stops the run there, the days before kept (the window's
    // 中止, the command line's Ctrl-C). Unset: the run goes to its end.
    std::function<bool()> stopRequested;
    // After an update over the data API that met splits of stored securities,
    // ask whether to re-fetch them split-adjusted (the window does; the
    // command line prints the command instead).
    bool offerSplitRefetch = false;

    // Start-up: reads "Option.cfg" into the options and the fields above, and
    // the parameter block of the start security. A command-line code becomes
    // the code on display before that security's own settings are read, so
    // they are the ones the exit save writes back. Returns the code to show.
    StockCode loadSettings(std::optional<StockCode> commandLineCode);
    // Shutdown and the settings sheet's OK: writes "Option.cfg", then the
    // parameter block to the file the common/individual switch chooses.
    // Nothing is written while another instance holds the folder.
    bool saveSettings();
    // Saves the mode being left, flips the switch, reads the block of the new
    // mode for the security on display and recomputes.
    void toggleIndividualSettings();
    OptionsRecord& options() { return settings_.options; }
    const OptionsRecord& options() const { return settings_.options; }
    const SettingsStore& settingsStore() const { return settings_; }

    // Reads the stored series of the code in the current period into the
    // loaded series. In scratch mode "Last.txt" is used only when it holds this
    // code. False (series empty) when nothing could be read. For another
    // security with individual settings on, its own parameter block is read.
    bool loadStoredSeries(StockCode code);

    // Runs after every load, fetch, update, period switch or zoom change: looks
    // up the security, recomputes the indicators, then checks the date order.
    void seriesChanged(StrategyRun run = StrategyRun::Selected);

    // Recomputes every indicator slot of the loaded series with the parameters
    // of the current period, then (unless told not to) the display run.
    void recomputeIndicators(StrategyRun run = StrategyRun::Selected);
    // Series-wide values and working state of the last recompute.
    const AnalysisState& analysis() const { return loaded_.analysis; }
    // The price tick of a bar's close, and a value rounded to it.
    int32_t tickSize(int bar) const { return loaded_.tickSize(bar); }
    int32_t roundToTick(int32_t value, int bar) const { return loaded_.roundToTick(value, bar); }

    // Condition evaluation: the bar under test and the position state (the
    // simulation fills it; flat otherwise).
    EvaluationContext evaluation;
    // The capsules that category 5 rows name, read once and again only when
    // their files change.
    const std::vector<ConditionCapsule>& capsules();
    // What evaluation reads of the loaded series and the current settings.
    // Build it once per run: it refers to the series and to the capsules.
    ConditionInputs conditionInputs();
    bool evaluateCondition(const Condition& condition);
    bool evaluateCapsule(const ConditionCapsule& capsule);

    // The strategy shown on the chart (1-based, 0 = none) and its last display
    // run, which the recompute pass makes unless asked not to.
    int selectedStrategy() const { return settings_.options.selectedStrategy; }
    StrategyDisplay strategyDisplay;
    // A display run of strategy `number` over the loaded series with the
    // simulation settings of the options.
    bool runStrategyDisplay(int number);
    // No strategy on display: the results and the chart's trade marks go.
    void clearStrategyDisplay();
    // Whether the display's results were made from the series on display with
    // the selected strategy; views of the results show nothing otherwise.
    bool strategyDisplayCurrent() const;
    // What a display run of `number` over the loaded series with the current
    // view would be made from.
    DisplaySubject displaySubject(int number) const;
    // The program wrote capsule or strategy files itself: they are read again
    // on next use even when size and time stayed the same.
    void ruleFilesWritten();

    bool saveIfChanged();
    bool saveAll();
    bool appendBars(std::span<const DailyBar> newBars);
    int checkLastDate() const;

    // Master-list commands (adding one, which shows it, is in updates.h).
    bool deleteSecurity();
    bool updateMasterFromArchive(bool alternate);

private:
    // Start of a writing instance: the interrupted import rolled back, the
    // leftovers of interrupted atomic rewrites removed.
    void recoverStore();
    // Sets the watchlists' write permission from the lock and recovers.
    void lockTaken();

    ProgramFolder folder_;
    Platform platform_;
    std::unique_ptr<FolderLock> lock_;
    CapsuleCache capsules_;
    StrategyCache strategies_;

    Watchlists watchlists_;
    History history_;
    SettingsStore settings_;
};

}  // namespace tav
