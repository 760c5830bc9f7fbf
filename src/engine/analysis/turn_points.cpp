#include "analysis/turn_points.h"

namespace tav::analysis {

void computeTurnPoints(Bars bars, int turnPercent) {
    TurnPointStep step(turnPercent);
    for (int k = 0; k < count(bars); ++k)
        step.step(bars, k);
}

void computeTurnDistance(Bars bars) {
    // The reference of bar j belongs to the newest confirmation at or before
    // j: the newest mark strictly before that confirming bar. One forward
    // sweep finds both.
    int newestMark = -1;    // newest bar before the current one with a mark
    int confirmedRef = -1;  // reference of the newest confirmation so far
    bool confirmed = false;
    for (int j = 0; j < count(bars); ++j) {
        if (bars[j].turnConfirmed == 1) {
            confirmed = true;
            confirmedRef = newestMark;
        }
        if (bars[j].turnMark != 0) newestMark = j;
        if (!confirmed || confirmedRef < 0) continue;

        const DailyBar& ref = bars[confirmedRef];
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
}

}  // namespace tav::analysis
