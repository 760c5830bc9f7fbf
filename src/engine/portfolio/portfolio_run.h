#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/daily_bar.h"
#include "core/ordered_parallel.h"
#include "screening/market_scan.h"
#include "simulation/simulation_engine.h"
#include "simulation/simulation_results.h"
#include "simulation/trade_journal.h"

// One account over many securities: each security's strategy run gives its
// signals, and a single walk over the trading days decides which of them the
// account's cash and its limit on open positions allow.
namespace tav {

enum class PositionSizing : uint8_t {
    Fixed,        // a fixed amount of yen per position
    EquityShare,  // a percentage of the account's current equity
    Strategy,     // the units the security's own run bought
};

enum class PositionScore : uint8_t {
    TradingValue,  // close × volume of the signal bar
    Slot,          // an indicator slot of the signal bar
    Bars,          // bars of history up to the signal
    Random,        // a pseudo-random order: the same number, the same order in every run
};

struct PortfolioSettings {
    int64_t capital = 1'000'000;
    int maxPositions = 10;  // 0: no limit
    PositionSizing sizing = PositionSizing::Strategy;
    int64_t sizeValue = 0;  // Fixed: yen; EquityShare: percent
    PositionScore score = PositionScore::TradingValue;
    int slot = 0;  // index into scoreSlots()
    uint64_t seed = 0;
    int32_t from = 0;  // YYYYMMDD; 0: the run window's own bounds
    int32_t to = 0;
};

// An indicator slot a score can read, by its field name.
struct ScoreSlot {
    std::string_view name;
    int64_t (*value)(const DailyBar&);
};
std::span<const ScoreSlot> scoreSlots();
std::optional<int> findScoreSlot(std::string_view name);

// "fixed:YEN" (above 0), "equity:PERCENT" (1 ... 100) or "strategy" into the
// sizing of `settings`; false, leaving them as they were, for anything else.
bool parsePositionSizing(std::string_view text, PortfolioSettings& settings);
// "value", "bars", "slot:NAME" (a name of scoreSlots()) or "random:SEED" into
// the score of `settings`; false, leaving them as they were, for anything else.
bool parsePositionScore(std::string_view text, PortfolioSettings& settings);

// What became of a signal the account saw.
enum class EntryOutcome : uint8_t { Taken, SkippedCash, SkippedLimit, SkippedLot };

// One position of the account, or one entry it passed over. Money in yen,
// prices per share, dates YYYYMMDD.
struct PortfolioTrade {
    int security = 0;  // index into PortfolioOutcome::securities
    uint8_t side = 1;  // 1 long, 2 short
    int16_t tactic = 0;
    int32_t entryDate = 0;
    int32_t exitDate = 0;  // 0 while held and for a skipped entry
    int32_t entryPrice = 0;
    int32_t exitPrice = 0;  // held at the end: the last close
    int64_t units = 0;      // trading units; a skipped entry: what it would have bought
    int64_t profit = 0;     // before commission; held at the end: its valuation
    int64_t commission = 0;
    int64_t score = 0;
    ExitReason reason = ExitReason::Open;
    EntryOutcome outcome = EntryOutcome::Taken;

    int64_t net() const { return profit - commission; }
    friend bool operator==(const PortfolioTrade&, const PortfolioTrade&) = default;
};

// A security that gave the account at least one signal, and what it added.
struct PortfolioSecurity {
    StockCode code = 0;
    std::string name;  // UTF-8
    int32_t unitShares = 1;
    int trades = 0;   // positions taken
    int64_t net = 0;  // their results after commission, held ones valued
    friend bool operator==(const PortfolioSecurity&, const PortfolioSecurity&) = default;
};

// The account after a trading day, valued at the day's closes.
struct PortfolioDay {
    int32_t date = 0;
    int64_t equity = 0;
    int64_t cash = 0;
    int64_t drawdown = 0;  // below the highest equity so far, 0 or negative
    int positions = 0;
    friend bool operator==(const PortfolioDay&, const PortfolioDay&) = default;
};

struct PortfolioOutcome {
    std::vector<PortfolioSecurity> securities;  // input order
    std::vector<PortfolioTrade> trades;         // by entry day, then by score
    std::vector<PortfolioDay> days;
    // The account as a run's result block: equity is the cash plus what the
    // held positions cost, units and openProfit sum over them.
    SimulationResult summary;
    int64_t maxDrawdown = 0;        // 0 or negative
    double maxDrawdownPercent = 0;  // of the peak
    double exposure = 0;            // mean share of equity held in positions, 0 ... 1
    int skippedCash = 0;
    int skippedLimit = 0;
    int skippedLot = 0;
    ScanCounts counts;  // selected: securities run
};

// A fill of a security's own run, dated by its bar: the signal the account
// may follow. score: the entry's position score (openings only).
struct Signal {
    int32_t date = 0;
    FillKind kind = FillKind::Open;
    uint8_t side = 1;
    int16_t tactic = 0;
    ExitReason reason = ExitReason::Signal;
    int64_t units = 0;
    int32_t price = 0;
    int64_t score = 0;
};

struct DayClose {
    int32_t date = 0;
    int32_t close = 0;
};

// What one security's run gave the account.
struct SecuritySignals {
    StockCode code = 0;
    std::string name;
    int32_t unitShares = 1;
    std::vector<Signal> events;    // in the order of the run
    std::vector<DayClose> closes;  // every bar of the run, for valuation
};

struct PortfolioJob {
    MarketScan scan;
    Strategy strategy;
    SimulationSettings simulation;  // commission, tax and fill prices
    int currentYear = 0;
    PortfolioSettings settings;
};

// Runs the strategy over every security that passes the scan's filters on the
// scan's threads, then walks the account over the merged trading days: each
// day exits first, then entries by descending score (equal scores in input
// order) while positions and cash allow; a day trade closes after the entries.
// The outcome is the same for any number of threads. Nothing when cancelled.
std::optional<PortfolioOutcome> runPortfolio(const PortfolioJob& job, RunControl& control);

// The account's walk alone, over signals already gathered (input order).
PortfolioOutcome walkAccount(const PortfolioSettings& settings,
                             const SimulationSettings& simulation,
                             std::span<const SecuritySignals> securities);

// The note pane's lines for the account, then its own figures.
std::vector<NoteLine> portfolioNoteLines(const PortfolioOutcome& outcome);

// "taken", "skipped-cash", ... for exports; the trade list's labels (empty
// for a taken entry).
std::string_view entryOutcomeName(EntryOutcome outcome);
std::string_view entryOutcomeLabel(EntryOutcome outcome);

}  // namespace tav
