#include "analysis/turn_points.h"

namespace tav::analysis {

void computeTurnPoints(Bars bars, int turnPercent) {
    TurnPointStep step(turnPercent);
    for (int k = 0; k < count(bars); ++k)
        step.step(bars, k);
}

void TurnDistanceStep::step(Bars bars, int j) {
    if (bars[j].turnConfirmed == 1) {
        confirmed_ = true;
        confirmedRef_ = newestMark_;
    }
    if (bars[j].turnMark != 0) newestMark_ = j;
    if (!confirmed_ || confirmedRef_ < 0) return;

    const DailyBar& ref = bars[confirmedRef_];
    const int64_t r = int64_t{ref.turnMark} * ref.close;
    const int64_t x = bars[j].close != 0 || j == 0 ? bars[j].close : bars[j - 1].close;
    if (r < 0) {
        bars[j].turnDistance = toInt16(x + r);
        bars[j].turnRatio = toInt16(x * 100 / -r);
    } else if (r > 0) {
        bars[j].turnDistance = toInt16(r - x);
        // No close to compare with: the ratio keeps its old value.
        if (x != 0) bars[j].turnRatio = toInt16(r * 100 / x);
    }
    // A reference close of 0 gives no price to measure from.
}

void computeTurnDistance(Bars bars) {
    TurnDistanceStep step;
    for (int j = 0; j < count(bars); ++j)
        step.step(bars, j);
}

}  // namespace tav::analysis
