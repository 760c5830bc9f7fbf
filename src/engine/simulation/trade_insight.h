#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/daily_bar.h"
#include "simulation/trade_journal.h"

namespace tav {

// One position from its opening to its close (or to the end of the run, with
// the reason Open). Adds fold into it: the entry price is the average the run
// kept, the units all units held at the close.
struct RoundTrip {
    int16_t tactic = 0;
    uint8_t side = 1;  // 1 long, 2 short
    int32_t entryBar = 0;
    int32_t exitBar = 0;  // an open position: the run's last bar
    int32_t entryPrice = 0;
    int32_t exitPrice = 0;  // an open position: the last close
    int64_t units = 0;
    int64_t gross = 0;       // realised result; an open position: its valuation
    int64_t commission = 0;  // every fee of the position, opening, adds and close
    ExitReason reason = ExitReason::Open;

    int64_t net() const { return gross - commission; }
    int32_t barsHeld() const { return exitBar - entryBar; }
    friend bool operator==(const RoundTrip&, const RoundTrip&) = default;
};

// Cash plus the marked position after bar `bar`, and how far it lies below
// the highest equity so far (0 or negative).
struct EquityPoint {
    int32_t bar = 0;
    int64_t equity = 0;
    int64_t drawdown = 0;
};

// The deepest fall from a peak, by amount. The capital is the peak before the
// first bar and is dated with it. recoveryBar: the first bar back at the
// peak's equity, -1 when it never came back.
struct MaxDrawdown {
    int64_t amount = 0;  // 0 or negative
    double percent = 0;  // of the peak's equity
    int32_t peakBar = -1;
    int32_t troughBar = -1;
    int32_t recoveryBar = -1;
};

struct TradeInsight {
    std::vector<RoundTrip> trips;      // in order of entry; an open position last
    std::vector<EquityPoint> equity;   // one point per bar of the run
    MaxDrawdown maxDrawdown;
    // The longest run of bars below the peak, and its first and last bar.
    int32_t longestUnderWater = 0;
    int32_t underWaterFrom = -1;
    int32_t underWaterTo = -1;
    double exposure = 0;      // share of the run's bars with a position, 0 ... 1
    double annualReturn = 0;  // compounded over the calendar span, 0.05 = 5 %
    int64_t tax = 0;
};

// The trade list, equity curve and their figures of a run, from the fills it
// recorded and the bars it ran over, in one pass. The equity on a bar is the
// run's cash after the bar plus the valuation the run kept for it (the close
// against the entry price, taken before the bar's own fills), so the last
// point equals the result block's equity plus its open profit. Reuses the
// vectors of `out`.
void computeInsight(std::span<const DailyBar> bars, const TradeJournal& journal,
                    TradeInsight& out);

// Short English names for exports ("signal", "stop-loss", ..., "open") and
// the trade list's Japanese labels.
std::string_view exitReasonName(ExitReason reason);
std::string_view exitReasonLabel(ExitReason reason);

}  // namespace tav
