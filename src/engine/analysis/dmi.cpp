#include <algorithm>
#include <cstdlib>

#include "analysis/indicators.h"

namespace tav::analysis {

DmiMoves dmiMoves(Bars bars, int t) {
    const DailyBar& bar = bars[t];
    const DailyBar& before = bars[t - 1];
    DmiMoves moves;
    moves.plus = std::max<int64_t>(int64_t{bar.high} - before.high, 0);
    moves.minus = std::max<int64_t>(int64_t{before.low} - bar.low, 0);
    moves.trueRange = int64_t{std::max(bar.high, before.close)} - std::min(bar.low, before.close);
    return moves;
}

void storeDmi(DailyBar& bar, const DmiMoves& sums) {
    if (sums.plus != 0 && sums.minus != 0 && sums.trueRange != 0) {
        bar.plusDi = toInt32(sums.plus * 1000 / sums.trueRange);
        bar.minusDi = toInt32(sums.minus * 1000 / sums.trueRange);
    }
    const int64_t difference = std::abs(sums.plus - sums.minus);
    const int64_t total = sums.plus + sums.minus;
    bar.dx = difference == 0 || total == 0 ? 0 : toInt32(difference * 1000 / total);
}

void computeDmi(Bars bars, int period) {
    // Sums over the transitions t = j-n+1 .. j slide exactly (integers).
    DmiMoves sums;
    for (int j = 1; j < count(bars); ++j) {
        const DmiMoves entering = dmiMoves(bars, j);
        sums.plus += entering.plus;
        sums.minus += entering.minus;
        sums.trueRange += entering.trueRange;
        if (const int leaving = j - period; leaving >= 1) {
            const DmiMoves left = dmiMoves(bars, leaving);
            sums.plus -= left.plus;
            sums.minus -= left.minus;
            sums.trueRange -= left.trueRange;
        }
        if (j > period) storeDmi(bars[j], sums);
    }
}

void computeAdx(Bars bars, int period) {
    // A zero period has no average: 0, as on the bars before the first one.
    int64_t sum = 0;
    for (int j = 0; j < count(bars); ++j) {
        sum += bars[j].dx;
        if (j - period >= 0) sum -= bars[j - period].dx;
        bars[j].adx = j <= period || period == 0 ? 0 : toInt32(sum / period);
    }
}

}  // namespace tav::analysis
