#pragma once

#include <array>
#include <cstring>

#include "analysis/slot_math.h"

namespace tav::analysis {

// Ranks are kept scaled by 10 (time rank (n - i) * 10, price rank 10 + 10 *
// higher closes, ties sharing the mean r + 5 (m - 1)) so that everything is an
// integer: with d the scaled difference, S = sum(d^2) / 100 and
//   RCI = (1 - 6 S / ((n^2 - 1) n)) * 1000 = (1000 D - 60 sum(d^2)) / D,
// D = (n^2 - 1) n, truncated toward zero. Single-precision ranks are exact for
// these values but the final formula in float is not (399 instead of 400 for
// n = 5, S = 12), so the last step is done exactly.
inline int64_t rciDivisor(int period) {
    const int64_t n = period;
    return (n * n - 1) * n;
}
inline int16_t rciFromScaledSum(int64_t scaledSquares, int64_t divisor) {
    return toInt16((1000 * divisor - 60 * scaledSquares) / divisor);
}

// The RCI window as sums over pairs of closes, slid one bar at a time.
//
// With t the time rank in bars (1 newest .. n oldest) and q = 2 x the mid
// price rank (1 + 2 H + E, H the closes above, E the equal ones itself
// included), the scaled ranks are 10 t and 5 q, and
//   sum(d^2) = 100 sum(t^2) - 100 sum(t q) + 25 sum(q^2),
//   sum(t q) = n (n + 1) / 2 + 2 A + B,   A = sum(t H),  B = sum(t E),
//   sum(q^2) = 4 sum(t^2) - G / 3,        G = sum over tie groups of m^3 - m.
// Sliding changes A, B and G only through the pairs with the leaving and the
// entering close, so one scan of the window that compares each close with
// those two gives the new sums: no ranks are rebuilt.
class RankedWindow {
  public:
    // 200 sum(t^2) - 100 sum(t) of a full window.
    explicit RankedWindow(int period)
        : period_(period),
          constantPart_(200 * (int64_t{period} * (period + 1) * (2 * period + 1) / 6) -
                        100 * (int64_t{period} * (period + 1) / 2)) {}

    // Adds the close of bar k (bars arrive in order from 0) and returns the
    // scaled sum of squared rank differences of the n closes ending at k
    // (0 before the window is full).
    [[gnu::always_inline]] int64_t push(int k, int32_t close) {
        const int n = period_;
        if (k >= n) {
            // The window of the previous bar sits at head_ .. head_ + n - 1.
            slide(&closes_[head_], close);
            ++head_;
            if (head_ + n > kBuffer) {
                std::memmove(&closes_[0], &closes_[head_], sizeof closes_[0] * (n - 1));
                head_ = 0;
            }
            closes_[head_ + n - 1] = close;
        } else {
            closes_[k] = close;
            if (k < n - 1) return 0;
            rebuild();
        }
        return constantPart_ - 100 * (2 * a_ + b_) - 25 * gThird_;
    }

  private:
    static constexpr int kBuffer = 512;
    static constexpr int kLanes = 4;
    using Lanes = int32_t __attribute__((vector_size(4 * sizeof(int32_t))));

    // The lane totals of four vectors, one per lane of the result.
    static Lanes laneSums(Lanes a, Lanes b, Lanes c, Lanes d) {
        const Lanes ab = __builtin_shufflevector(a, b, 0, 4, 1, 5) +
                         __builtin_shufflevector(a, b, 2, 6, 3, 7);  // a0+a2 b0+b2 a1+a3 b1+b3
        const Lanes cd =
            __builtin_shufflevector(c, d, 0, 4, 1, 5) + __builtin_shufflevector(c, d, 2, 6, 3, 7);
        return __builtin_shufflevector(ab, cd, 0, 1, 4, 5) +
               __builtin_shufflevector(ab, cd, 2, 3, 6, 7);  // a b c d
    }

    // The sums of the first full window (bars 0 .. n-1), by counting.
    void rebuild() {
        const int n = period_;
        a_ = b_ = gThird_ = m2_ = 0;
        for (int i = 0; i < n; ++i) {
            const int32_t own = closes_[n - 1 - i];  // time rank i + 1
            int64_t higher = 0;
            int64_t equal = 0;
            for (int j = 0; j < n; ++j) {
                const int32_t other = closes_[j];
                higher += other > own;
                equal += other == own;
            }
            a_ += (i + 1) * higher;
            b_ += (i + 1) * equal;
            // Each member of a group of m adds m^2 - 1 and m: over the group m^3 - m and m^2.
            gThird_ += equal * equal - 1;
            m2_ += equal;
        }
        gThird_ /= 3;  // m^3 - m = (m - 1) m (m + 1) is a multiple of 3
    }

    // Moves the window one bar on: `window` holds the n closes of the
    // previous bar, oldest first; the oldest leaves and `entering` arrives.
    [[gnu::always_inline]] void slide(const int32_t* window, int32_t entering) {
        const int n = period_;
        const int32_t leaving = window[0];
        // Counts and time-rank sums of the n - 1 closes that stay, taken
        // against the leaving and the entering close, four closes at a time.
        // A count (at most 255) and a time-rank sum (at most 255 x 256 / 2)
        // share one 32-bit lane: the count in the upper 16 bits. Lanes past
        // the window read spare buffer entries and are masked off.
        const Lanes leavingLanes = Lanes{} + leaving;
        const Lanes enteringLanes = Lanes{} + entering;
        const Lanes countOne = Lanes{} + (1 << 16);
        const Lanes end = Lanes{} + n;
        Lanes aboveOrBelowLeaving{};  // count above | time ranks below
        Lanes equalLeaving{};         // count equal | their time ranks
        Lanes aboveOrBelowEntering{};
        Lanes equalEntering{};
        Lanes position = Lanes{1, 2, 3, 4};
        for (int p = 1; p < n; p += kLanes) {
            Lanes own;
            std::memcpy(&own, window + p, sizeof own);
            // Comparisons give -1 (true) or 0 per lane.
            const Lanes valid = position < end;
            const Lanes time = end - position;  // time rank before the slide
            const Lanes aboveLeaving = own > leavingLanes;
            const Lanes atLeaving = own == leavingLanes;
            const Lanes belowLeaving = ~(aboveLeaving | atLeaving);
            const Lanes aboveEntering = own > enteringLanes;
            const Lanes atEntering = own == enteringLanes;
            const Lanes belowEntering = ~(aboveEntering | atEntering);
            aboveOrBelowLeaving += valid & ((countOne & aboveLeaving) | (time & belowLeaving));
            equalLeaving += valid & atLeaving & (countOne + time);
            aboveOrBelowEntering += valid & ((countOne & aboveEntering) | (time & belowEntering));
            equalEntering += valid & atEntering & (countOne + time);
            position += kLanes;
        }
        const Lanes totals =
            laneSums(aboveOrBelowLeaving, equalLeaving, aboveOrBelowEntering, equalEntering);
        const int32_t leavingSplit = totals[0];
        const int32_t leavingEqualSplit = totals[1];
        const int32_t enteringSplit = totals[2];
        const int32_t enteringEqualSplit = totals[3];
        const int32_t leavingHigher = leavingSplit >> 16;
        const int32_t timeBelowLeaving = leavingSplit & 0xFFFF;
        const int32_t leavingEqual = leavingEqualSplit >> 16;
        const int32_t timeEqualLeaving = leavingEqualSplit & 0xFFFF;
        const int32_t enteringHigher = enteringSplit >> 16;
        const int32_t timeBelowEntering = enteringSplit & 0xFFFF;
        const int32_t enteringEqual = enteringEqualSplit >> 16;
        const int32_t timeEqualEntering = enteringEqualSplit & 0xFFFF;
        const int32_t enteringLower = n - 1 - enteringHigher - enteringEqual;
        // The leaving close (time rank n) goes, with its pairs.
        const int64_t leavingGroup = leavingEqual + 1;
        a_ -= n * leavingHigher + timeBelowLeaving;
        b_ -= n * leavingGroup + timeEqualLeaving;
        gThird_ -= leavingGroup * (leavingGroup - 1);
        m2_ -= 2 * leavingGroup - 1;
        // The n - 1 others age by one bar.
        const int64_t others = n - 1;
        a_ += (others * others - m2_) / 2;
        b_ += m2_;
        // The entering close arrives with time rank 1.
        a_ += timeBelowEntering + enteringLower + enteringHigher;
        b_ += timeEqualEntering + enteringEqual + enteringEqual + 1;
        gThird_ += enteringEqual * (enteringEqual + 1);
        m2_ += 2 * enteringEqual + 1;
    }

    int period_;
    int64_t constantPart_;
    int64_t a_ = 0;       // sum of t H
    int64_t b_ = 0;       // sum of t E
    int64_t gThird_ = 0;  // G / 3
    int64_t m2_ = 0;      // sum over tie groups of m^2
    int head_ = 0;
    std::array<int32_t, kBuffer + kLanes> closes_{};  // spare entries for the last lanes
};

// Step 6, bar by bar: the RCI of `period` bars into `slot` for k >= period
// (clearing the slot to 0 first when asked). Periods 0 and 1 have no rank
// correlation: the slot is not written.
class RciStep {
  public:
    RciStep(int period, int16_t DailyBar::*slot, bool clearFirst)
        : period_(period),
          divisor_(rciDivisor(period)),
          slot_(slot),
          clearFirst_(clearFirst),
          window_(period) {}

    [[gnu::always_inline]] void step(Bars bars, int k) {
        if (clearFirst_) bars[k].*slot_ = 0;
        if (period_ <= 1) return;
        const int64_t squares = window_.push(k, bars[k].close);
        if (k >= period_) bars[k].*slot_ = rciFromScaledSum(squares, divisor_);
    }

  private:
    int period_;
    int64_t divisor_;
    int16_t DailyBar::*slot_;
    bool clearFirst_;
    RankedWindow window_;
};

void computeRci(Bars bars, int period, int16_t DailyBar::*slot, bool clearFirst);
// The RCI of the `period` closes ending at `bar`, by counting ranks.
int16_t rciAt(Bars bars, int bar, int period);

}  // namespace tav::analysis
