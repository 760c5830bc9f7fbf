#pragma once

#include <span>

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
// entering close, so comparing the closes that stay with those two gives the
// new sums: no ranks are rebuilt.

// How the leaving and the entering close of one slide compare with the n - 1
// closes that stay: for those above and those below, their count and the sum
// of their time ranks (before the slide) share a field, the count in the
// upper 16 bits (a count is at most 254, a sum at most 254 x 255 / 2). The
// closes equal to it are the rest.
struct RankCounts {
    int32_t leavingAbove;
    int32_t leavingBelow;
    int32_t enteringAbove;
    int32_t enteringBelow;
};

// Count and time-rank sum of all n - 1 closes that stay, in the same packing.
inline int32_t allOthersSplit(int n) {
    return ((n - 1) << 16) + n * (n - 1) / 2;
}

// The window sums of one RCI. All of them stay below 255^3 < 2^31.
struct RankSums {
    int32_t a = 0;       // sum of t H
    int32_t b = 0;       // sum of t E
    int32_t gThird = 0;  // G / 3
    int32_t m2 = 0;      // sum over tie groups of m^2
};

// 200 sum(t^2) - 100 sum(t) of a full window of n closes.
inline int64_t rankConstantPart(int n) {
    return 200 * (int64_t{n} * (n + 1) * (2 * int64_t{n} + 1) / 6) -
           100 * (int64_t{n} * (n + 1) / 2);
}

// The sums of a full window of n closes, oldest first, by counting.
RankSums countRankSums(const int32_t* closes, int n);

// Moves the sums of a window of n closes one bar on, the counts taken
// against the closes of the previous window (time ranks before the slide).
inline void slideRankSums(RankSums& sums, int n, const RankCounts& counts) {
    const int32_t others = allOthersSplit(n);
    const int32_t leavingEqualSplit = others - counts.leavingAbove - counts.leavingBelow;
    const int32_t enteringEqualSplit = others - counts.enteringAbove - counts.enteringBelow;
    const int32_t leavingHigher = counts.leavingAbove >> 16;
    const int32_t timeBelowLeaving = counts.leavingBelow & 0xFFFF;
    const int32_t leavingEqual = leavingEqualSplit >> 16;
    const int32_t timeEqualLeaving = leavingEqualSplit & 0xFFFF;
    const int32_t enteringHigher = counts.enteringAbove >> 16;
    const int32_t timeBelowEntering = counts.enteringBelow & 0xFFFF;
    const int32_t enteringEqual = enteringEqualSplit >> 16;
    const int32_t timeEqualEntering = enteringEqualSplit & 0xFFFF;
    const int32_t enteringLower = n - 1 - enteringHigher - enteringEqual;
    // The leaving close (time rank n) goes, with its pairs.
    const int32_t leavingGroup = leavingEqual + 1;
    sums.a -= n * leavingHigher + timeBelowLeaving;
    sums.b -= n * leavingGroup + timeEqualLeaving;
    sums.gThird -= leavingGroup * (leavingGroup - 1);
    sums.m2 -= 2 * leavingGroup - 1;
    // The n - 1 others age by one bar.
    sums.a += ((n - 1) * (n - 1) - sums.m2) / 2;
    sums.b += sums.m2;
    // The entering close arrives with time rank 1.
    sums.a += timeBelowEntering + enteringLower + enteringHigher;
    sums.b += timeEqualEntering + enteringEqual + enteringEqual + 1;
    sums.gThird += enteringEqual * (enteringEqual + 1);
    sums.m2 += 2 * enteringEqual + 1;
}

// The scaled sum of squared rank differences of a window with these sums.
inline int64_t scaledSquares(const RankSums& sums, int n) {
    return rankConstantPart(n) - 100 * (2 * int64_t{sums.a} + sums.b) - 25 * int64_t{sums.gThird};
}

// One RCI line of step 6: the RCI of `period` bars into `slot` for
// k >= period, the slot cleared to 0 on every bar first when asked. Periods
// 0 and 1 have no rank correlation: the slot is not written.
struct RciLine {
    int period;
    int16_t DailyBar::*slot;
    bool clearFirst;
};
constexpr int kRciLines = 4;

// Up to four RCI lines in one walk over the closes: the windows all end at
// the same bar, so they share the entering close's comparisons.
void computeRcis(Bars bars, std::span<const RciLine> lines);

// One RCI line on its own.
void computeRci(Bars bars, int period, int16_t DailyBar::*slot, bool clearFirst);
// The RCI of the `period` closes ending at `bar`, by counting ranks.
int16_t rciAt(Bars bars, int bar, int period);

}  // namespace tav::analysis
