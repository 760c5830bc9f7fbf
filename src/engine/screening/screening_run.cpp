#include "screening/screening_run.h"

#include <algorithm>

#include "conditions/condition_evaluator.h"
#include "simulation/simulation_engine.h"

namespace tav {

namespace {

// Values of one slot today (V0), yesterday (V1) and the day before (V2).
struct ThreeDays {
    int64_t v0, v1, v2;
};

template <class Slot>
ThreeDays threeDays(std::span<const DailyBar> bars, Slot slot) {
    const std::size_t i = bars.size() - 1;
    return {bars[i].*slot, bars[i - 1].*slot, bars[i - 2].*slot};
}

// A turn down from a high zone, and up from a low one, on yesterday's value.
bool highTurn(const ThreeDays& d, int64_t level) { return d.v1 >= d.v2 && d.v1 >= level && d.v0 < d.v1; }
bool lowTurn(const ThreeDays& d, int64_t level) { return d.v2 >= d.v1 && d.v1 <= level && d.v1 < d.v0; }

// How one line ended.
enum class LineResult : uint8_t { NotSelected, Selected, NoData, Unreadable };

struct LineOutcome {
    LineResult result = LineResult::NotSelected;
    std::string line;
};

}  // namespace

bool searchItemHolds(int item, int32_t v, const LoadedSecurity& security) {
    const std::span<const DailyBar> bars = security.series.bars;
    const int count = static_cast<int>(bars.size());
    if (count == 0) return false;
    const DailyBar& today = bars.back();
    const DailyBar* yesterday = count >= 2 ? &bars[bars.size() - 2] : nullptr;
    const int64_t close = today.close;
    const int64_t tenV = int64_t{v} * 10;  // per-mille slots against a value in percent

    switch (item) {
        case 3: return close != 0 && today.hlHigh != 0 && close >= today.hlHigh;
        case 4: return close != 0 && today.hlLow != 0 && close <= today.hlLow;
        case 5:
        case 6: {
            const int64_t mid = today.maMid;
            const int64_t band = mid * security.analysisSettings(DisplaySwitches{}).maBandPercent / 100;
            if (item == 5) return close != 0 && mid + band != 0 && close >= mid + band;
            return close != 0 && mid != band && close <= mid - band;
        }
        case 7: return yesterday && yesterday->kijun >= yesterday->tenkan && today.tenkan > today.kijun;
        case 8: return yesterday && yesterday->tenkan >= yesterday->kijun && today.tenkan < today.kijun;
        case 9:
        case 10:
        case 11: {
            if (count < 52) return false;
            const DailyBar& spanToday = bars[bars.size() - 51];
            const DailyBar& spanYesterday = bars[bars.size() - 52];
            const int64_t topToday = std::max(spanToday.senkou1, spanToday.senkou2);
            const int64_t bottomToday = std::min(spanToday.senkou1, spanToday.senkou2);
            const int64_t topYesterday = std::max(spanYesterday.senkou1, spanYesterday.senkou2);
            const int64_t bottomYesterday = std::min(spanYesterday.senkou1, spanYesterday.senkou2);
            if (item == 9) return yesterday->close < topYesterday && close > topToday;
            if (item == 10) return bottomToday < close && close < topToday;
            return yesterday->close > bottomYesterday && close < bottomToday;
        }
        case 12: return yesterday && today.maMid >= today.maLong && yesterday->maMid < yesterday->maLong;
        case 13: return yesterday && today.maMid <= today.maLong && yesterday->maMid > yesterday->maLong;
        case 14: {
            const int64_t guide = security.analysis.values.volumeGuide;
            return yesterday && today.volume >= guide && yesterday->volume < guide;
        }
        case 15: return today.stochSlowD >= tenV && today.stochSlowD >= today.stochK;
        case 16: return today.stochSlowD <= tenV && today.stochK >= today.stochSlowD;
        default: break;
    }
    if (item >= 17 && item <= 26) {
        if (count < 3) return false;
        switch (item) {
            case 17: {
                const ThreeDays d = threeDays(bars, &DailyBar::rsi);
                return d.v0 >= tenV && d.v0 < d.v1 && d.v1 >= d.v2;
            }
            case 18: {
                const ThreeDays d = threeDays(bars, &DailyBar::rsi);
                return d.v1 <= tenV && d.v1 < d.v0 && d.v2 >= d.v1;
            }
            case 19: {
                const ThreeDays d = threeDays(bars, &DailyBar::rci);
                return d.v1 >= tenV && d.v0 < d.v1 && d.v1 >= d.v2;
            }
            case 20: {
                const ThreeDays d = threeDays(bars, &DailyBar::rci);
                return d.v1 <= tenV && d.v1 < d.v0 && d.v2 >= d.v1;
            }
            case 21: return highTurn(threeDays(bars, &DailyBar::deviationLong), tenV);
            case 22: return lowTurn(threeDays(bars, &DailyBar::deviationLong), tenV);
            case 23: return highTurn(threeDays(bars, &DailyBar::wakoVr), tenV);
            case 24: return lowTurn(threeDays(bars, &DailyBar::wakoVr), tenV);
            case 25: return highTurn(threeDays(bars, &DailyBar::pvr), v);
            case 26: return lowTurn(threeDays(bars, &DailyBar::pvr), v);
            default: return false;
        }
    }
    if (item == 27 || item == 28) {
        // Without a previous close there is no rate to compare.
        if (!yesterday || yesterday->close == 0) return false;
        const int64_t rate = (close - yesterday->close) * 100 / yesterday->close;
        return item == 27 ? rate >= v : rate <= -int64_t{v};
    }
    return false;
}

namespace {

bool selects(const ScreeningJob& job, const ScanEntry& entry, LoadedSecurity& security) {
    const ScreeningSettings& s = job.settings;
    if (!passesLiquidity(s.filters, security, entry.unit)) return false;
    if (s.tradingValueMax != 0) {
        const int64_t value = int64_t{security.series.bars.back().close} * entry.unit;
        if (value < s.tradingValueMin || value > s.tradingValueMax) return false;
    }
    if (s.searchItem == 0) return true;
    if (s.searchItem == kSearchStrategy || s.searchItem == kSearchCapsule) {
        const ConditionInputs inputs = security.conditionInputs(job.scan.switches, job.scan.capsules);
        if (s.searchItem == kSearchCapsule) {
            EvaluationContext context;
            context.evaluationBar = security.series.count() - 1;
            return evaluateCapsule(inputs, context, job.capsule);
        }
        if (!job.strategy) return false;
        const SimulationInputs simulation{job.strategy->strategy, job.simulation,
                                          security.security.unit, inputs, nullptr};
        const RunWindow window =
            runWindow(security.series.bars, job.simulation, ChartView{}, job.currentYear);
        return runSimulation(security.series.bars, simulation, window, RunKind::Signal).signal !=
               kNoSignal;
    }
    return searchItemHolds(s.searchItem, s.value, security);
}

}  // namespace

std::optional<ScreeningOutcome> runScreening(const ScreeningJob& job, RunControl& control) {
    const MarketScan& scan = job.scan;
    const bool needsSeries = job.settings.needsSeries();
    auto work = [&](LoadedSecurity& security, int index) {
        const std::string& line = scan.lines[static_cast<std::size_t>(index)];
        LineOutcome out;
        const ScanEntry entry = scan.entry(line);
        if (!scan.passesListFilters(entry)) return out;
        if (needsSeries) {
            if (!scan.load(entry, security)) {
                out.result = loadFailure(scan, entry.code) == LoadFailure::Unreadable
                                 ? LineResult::Unreadable
                                 : LineResult::NoData;
                return out;
            }
            if (!selects(job, entry, security)) return out;
        }
        out.result = LineResult::Selected;
        out.line = watchlistLineOf(line);
        return out;
    };
    auto results = orderedParallelMap<LineOutcome, LoadedSecurity>(
        static_cast<int>(scan.lines.size()), scan.threads, [] { return LoadedSecurity{}; }, work,
        control);
    if (!results) return std::nullopt;

    ScreeningOutcome outcome;
    for (LineOutcome& line : *results) {
        switch (line.result) {
            case LineResult::Selected:
                outcome.selected.push_back(std::move(line.line));
                ++outcome.counts.selected;
                break;
            case LineResult::NoData: ++outcome.counts.skipped; break;
            case LineResult::Unreadable: ++outcome.counts.failed; break;
            case LineResult::NotSelected: break;
        }
    }
    return outcome;
}

}  // namespace tav
