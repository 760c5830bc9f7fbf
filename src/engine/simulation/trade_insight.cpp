#include "simulation/trade_insight.h"

#include <algorithm>
#include <cmath>

#include "core/local_date.h"

namespace tav {

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t dayNumber(const LocalDate& d) {
    const int64_t y = d.month <= 2 ? d.year - 1 : d.year;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (d.month + (d.month > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// Compounded yearly growth from `capital` to `final` over the dates of two
// bars; 0 when the span or the capital gives no meaning to it.
double annualised(const DailyBar& first, const DailyBar& last, int64_t capital, int64_t final) {
    LocalDate from, to;
    if (capital <= 0 || !parseDate8(first.dateText(), from) || !parseDate8(last.dateText(), to))
        return 0;
    const int64_t days = dayNumber(to) - dayNumber(from);
    if (days <= 0) return 0;
    if (final <= 0) return -1;
    const double growth = static_cast<double>(final) / static_cast<double>(capital);
    return std::pow(growth, 365.25 / static_cast<double>(days)) - 1;
}

}  // namespace

void computeInsight(std::span<const DailyBar> bars, const TradeJournal& journal,
                    TradeInsight& out) {
    out.trips.clear();
    out.equity.clear();
    out.maxDrawdown = MaxDrawdown{};
    out.longestUnderWater = 0;
    out.underWaterFrom = out.underWaterTo = -1;
    out.exposure = 0;
    out.annualReturn = 0;
    out.tax = journal.tax;
    const int start = std::max(journal.start, 0);
    const int end = std::min(journal.end, static_cast<int>(bars.size()));
    if (end <= start) return;
    out.equity.reserve(static_cast<std::size_t>(end - start));

    const auto& fills = journal.fills;
    std::size_t next = 0;
    int64_t cash = journal.capital;
    RoundTrip open;  // the position held, when `held`
    bool held = false;
    int64_t peak = journal.capital;
    int32_t peakBar = start;  // the capital is dated with the first bar
    int32_t spellStart = -1;  // first bar of the current spell under water
    int inMarket = 0;

    for (int j = start; j < end; ++j) {
        const DailyBar& bar = bars[static_cast<std::size_t>(j)];
        // The run values a position it holds when the bar begins; a close on
        // the bar drops the valuation, an opening or add leaves it as it was.
        const bool heldAtStart = held;
        const int32_t perShare = open.side == 1 ? bar.close - open.entryPrice
                                                : open.entryPrice - bar.close;
        int64_t valuation = heldAtStart ? open.units * journal.unitShares * perShare : 0;
        bool closed = false;
        for (; next < fills.size() && fills[next].bar == j; ++next) {
            const Fill& fill = fills[next];
            switch (fill.kind) {
                case FillKind::Open:
                    open = RoundTrip{fill.tactic, fill.side, j,          j, fill.entryPrice, 0,
                                     fill.units,  0,         fill.commission};
                    held = true;
                    cash -= fill.commission;
                    break;
                case FillKind::Add:
                    open.units += fill.units;
                    open.entryPrice = fill.entryPrice;
                    open.commission += fill.commission;
                    cash -= fill.commission;
                    break;
                case FillKind::Close:
                    open.exitBar = j;
                    open.exitPrice = fill.price;
                    open.entryPrice = fill.entryPrice;
                    open.gross = fill.profit;
                    open.commission += fill.commission;
                    open.reason = fill.reason;
                    out.trips.push_back(open);
                    held = false;
                    closed = true;
                    cash += fill.profit - fill.commission;
                    break;
            }
        }
        if (closed || !heldAtStart) valuation = 0;
        if (held || closed) ++inMarket;

        const int64_t equity = cash + valuation;
        if (equity >= peak) {
            // Back at the peak: the deepest fall so far may end here.
            const bool underWater = !out.equity.empty() && out.equity.back().drawdown < 0;
            if (underWater && out.maxDrawdown.peakBar == peakBar) out.maxDrawdown.recoveryBar = j;
            peak = equity;
            peakBar = j;
        }
        const int64_t drawdown = equity - peak;
        if (drawdown < 0) {
            if (spellStart < 0) spellStart = j;
            if (j - spellStart + 1 > out.longestUnderWater) {
                out.longestUnderWater = j - spellStart + 1;
                out.underWaterFrom = spellStart;
                out.underWaterTo = j;
            }
        } else {
            spellStart = -1;
        }
        if (drawdown < out.maxDrawdown.amount) {
            out.maxDrawdown = {drawdown,
                               peak > 0 ? 100.0 * static_cast<double>(drawdown) /
                                              static_cast<double>(peak)
                                        : 0,
                               peakBar, j, -1};
        }
        out.equity.push_back({j, equity, drawdown});
    }
    const EquityPoint& last = out.equity.back();
    if (held) {
        open.exitBar = end - 1;
        open.exitPrice = bars[static_cast<std::size_t>(end - 1)].close;
        open.reason = ExitReason::Open;
        // The valuation the last point carries (0 when entered on the last bar).
        open.gross = last.equity - cash;
        out.trips.push_back(open);
    }
    out.exposure = static_cast<double>(inMarket) / static_cast<double>(end - start);
    out.annualReturn = annualised(bars[static_cast<std::size_t>(start)],
                                  bars[static_cast<std::size_t>(end - 1)], journal.capital,
                                  last.equity);
}

std::string_view exitReasonName(ExitReason reason) {
    static constexpr std::string_view kNames[] = {"signal",        "stop-loss", "take-profit",
                                                  "trailing-stop", "time-over", "open"};
    return kNames[static_cast<int>(reason)];
}

std::string_view exitReasonLabel(ExitReason reason) {
    static constexpr std::string_view kLabels[] = {"シグナル",         "損切り",
                                                   "利食い",           "ﾄﾚｲﾘﾝｸﾞｽﾄｯﾌﾟ",
                                                   "ﾀｲﾑｵｰﾊﾞｰ", "保有中"};
    return kLabels[static_cast<int>(reason)];
}

}  // namespace tav
