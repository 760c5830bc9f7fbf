#include "analysis/rci.h"

namespace tav::analysis {

int16_t rciAt(Bars bars, int bar, int period) {
    const int first = bar - period + 1;
    int64_t squares = 0;
    for (int i = 0; i < period; ++i) {
        const int32_t close = bars[first + i].close;
        int higher = 0;
        int equal = 0;
        for (int other = 0; other < period; ++other) {
            const int32_t otherClose = bars[first + other].close;
            if (otherClose > close) ++higher;
            if (otherClose == close) ++equal;
        }
        const int64_t timeRank = int64_t{period - i} * 10;
        const int64_t priceRank = 10 + 10 * int64_t{higher} + 5 * int64_t{equal - 1};
        squares += (timeRank - priceRank) * (timeRank - priceRank);
    }
    return rciFromScaledSum(squares, rciDivisor(period));
}

void computeRci(Bars bars, int period, int16_t DailyBar::*slot, bool clearFirst) {
    RciStep step(period, slot, clearFirst);
    for (int k = 0; k < count(bars); ++k)
        step.step(bars, k);
}

}  // namespace tav::analysis
