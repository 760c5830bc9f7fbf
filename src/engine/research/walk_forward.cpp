#include "research/walk_forward.h"

#include <algorithm>

namespace tav {

namespace {

int monthOf(int32_t date) {
    const int yearMonth = date / 100;
    return (yearMonth / 100) * 12 + (yearMonth % 100 - 1);
}

}  // namespace

WalkForward walkForward(const ResearchData& data, int inMonths, int outMonths, bool anchored,
                        Objective objective, int minTrades) {
    WalkForward out;
    const auto days = static_cast<int>(data.dates.size());
    out.stitched.days.assign(data.dates.size(), DayResult{});
    if (days == 0 || inMonths <= 0 || outMonths <= 0 || data.points.empty()) return out;
    // The first day of every month from the first.
    auto firstDayOf = [&](int month) {
        return static_cast<int>(
            std::lower_bound(data.dates.begin(), data.dates.end(), month,
                             [](int32_t date, int m) { return monthOf(date) < m; }) -
            data.dates.begin());
    };
    const int start = monthOf(data.dates.front());
    double inReturns = 0;
    for (int m = start + inMonths;; m += outMonths) {
        WalkForwardWindow window;
        window.inFirst = firstDayOf(anchored ? start : m - inMonths);
        window.inLast = firstDayOf(m);
        window.outFirst = window.inLast;
        window.outLast = firstDayOf(m + outMonths);
        if (window.outFirst >= days) break;
        std::vector<Metrics> inSample;
        for (const PointRun& run : data.points)
            inSample.push_back(measure(run, window.inFirst, window.inLast, data.capital));
        const int best = rankPoints(inSample, objective, minTrades).front();
        if (inSample[static_cast<std::size_t>(best)].trades >= minTrades) {
            window.chosen = best;
            window.inSample = inSample[static_cast<std::size_t>(best)];
            const PointRun& run = data.points[static_cast<std::size_t>(best)];
            window.outOfSample = measure(run, window.outFirst, window.outLast, data.capital);
            inReturns += window.inSample.annualReturn;
            for (const ClosedTrade& trade : run.trades)
                if (trade.day >= window.outFirst && trade.day < window.outLast)
                    out.stitched.trades.push_back(trade);
            for (int d = window.outFirst; d < window.outLast; ++d)
                out.stitched.days[static_cast<std::size_t>(d)] =
                    run.days[static_cast<std::size_t>(d)];
        }
        out.windows.push_back(window);
    }
    if (out.windows.empty()) return out;
    out.stitchedFirst = out.windows.front().outFirst;
    out.stitchedLast = out.windows.back().outLast;
    out.outOfSample = measure(out.stitched, out.stitchedFirst, out.stitchedLast, data.capital);
    const auto chosen = std::count_if(out.windows.begin(), out.windows.end(),
                                      [](const WalkForwardWindow& w) { return w.chosen >= 0; });
    if (chosen > 0 && inReturns > 0)
        out.efficiency = out.outOfSample.annualReturn / (inReturns / static_cast<double>(chosen));
    return out;
}

}  // namespace tav
