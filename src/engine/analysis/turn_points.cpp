#include <cstdlib>

#include "analysis/indicators.h"

namespace tav::analysis {

void computeTurnPoints(Bars bars, int turnPercent) {
    for (DailyBar& bar : bars) {
        bar.turnMark = 0;
        bar.turnConfirmed = 0;
    }
    if (bars.empty()) return;
    int64_t hi = bars[0].close;
    int64_t lo = hi;
    int hiBar = 0;
    int loBar = 0;
    bool seekTop = true;
    bool seekBottom = true;
    const int64_t riseFactor = 100 + turnPercent;
    const int64_t fallFactor = std::abs(100 - turnPercent);
    for (int k = 1; k < count(bars); ++k) {
        const int64_t x = bars[k].close;
        if (x > hi) {
            hi = x;
            hiBar = k;
        }
        if (x < lo) {
            lo = x;
            loBar = k;
        }
        if (seekBottom && x >= lo * riseFactor / 100) {
            bars[loBar].turnMark = -1;
            bars[k].turnConfirmed = 1;
            hi = x;
            hiBar = k;
            seekBottom = false;
            seekTop = true;
        }
        if (seekTop && x <= fallFactor * hi / 100) {
            bars[hiBar].turnMark = 1;
            bars[k].turnConfirmed = 1;
            lo = x;
            loBar = k;
            seekTop = false;
            seekBottom = true;
        }
    }
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
