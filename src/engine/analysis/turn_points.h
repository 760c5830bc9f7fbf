#pragma once

#include <cstdlib>

#include "analysis/slot_math.h"

namespace tav::analysis {

// Step 2, bar by bar: SP top/bottom marks with the turn percentage P. A mark
// lands on the bar of the extreme, which lies at or before the confirming
// bar; each bar's own slots are cleared when the step reaches it, before
// anything can be written to it.
class TurnPointStep {
  public:
    explicit TurnPointStep(int turnPercent)
        : riseFactor_(100 + turnPercent), fallFactor_(std::abs(100 - turnPercent)) {}

    void step(Bars bars, int k) {
        bars[k].turnMark = 0;
        bars[k].turnConfirmed = 0;
        const int64_t x = bars[k].close;
        if (k == 0) {
            hi_ = lo_ = x;
            return;
        }
        if (x > hi_) {
            hi_ = x;
            hiBar_ = k;
        }
        if (x < lo_) {
            lo_ = x;
            loBar_ = k;
        }
        if (seekBottom_ && x >= lo_ * riseFactor_ / 100) {
            bars[loBar_].turnMark = -1;
            bars[k].turnConfirmed = 1;
            hi_ = x;
            hiBar_ = k;
            seekBottom_ = false;
            seekTop_ = true;
        }
        if (seekTop_ && x <= fallFactor_ * hi_ / 100) {
            bars[hiBar_].turnMark = 1;
            bars[k].turnConfirmed = 1;
            lo_ = x;
            loBar_ = k;
            seekTop_ = false;
            seekBottom_ = true;
        }
    }

  private:
    int64_t riseFactor_;
    int64_t fallFactor_;
    int64_t hi_ = 0;
    int64_t lo_ = 0;
    int hiBar_ = 0;
    int loBar_ = 0;
    bool seekTop_ = true;
    bool seekBottom_ = true;
};

void computeTurnPoints(Bars bars, int turnPercent);

// Step 3, bar by bar: `turnDistance`, `turnRatio` from the last confirmed top
// or bottom. It starts once every turning point is marked: a confirmation can
// mark an earlier bar.
class TurnDistanceStep {
  public:
    void step(Bars bars, int j) {
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

  private:
    // The reference of bar j belongs to the newest confirmation at or before
    // j: the newest mark strictly before that confirming bar. One forward
    // sweep finds both.
    int newestMark_ = -1;    // newest bar before the current one with a mark
    int confirmedRef_ = -1;  // reference of the newest confirmation so far
    bool confirmed_ = false;
};

void computeTurnDistance(Bars bars);

}  // namespace tav::analysis
