#pragma once

#include <algorithm>
#include <array>
#include <cstdlib>

#include "analysis/slot_math.h"

namespace tav::analysis {

// The moves of the transition from bar t-1 to bar t, or their sums.
struct DmiMoves {
    int64_t plus = 0;
    int64_t minus = 0;
    int64_t trueRange = 0;
};

inline DmiMoves dmiMoves(Bars bars, int t) {
    const DailyBar& bar = bars[t];
    const DailyBar& before = bars[t - 1];
    DmiMoves moves;
    moves.plus = std::max<int64_t>(int64_t{bar.high} - before.high, 0);
    moves.minus = std::max<int64_t>(int64_t{before.low} - bar.low, 0);
    moves.trueRange = int64_t{std::max(bar.high, before.close)} - std::min(bar.low, before.close);
    return moves;
}

// Writes `plusDi`, `minusDi` (only when all three sums are non-zero) and `dx`.
inline void storeDmi(DailyBar& bar, const DmiMoves& sums) {
    if (sums.plus != 0 && sums.minus != 0 && sums.trueRange != 0) {
        bar.plusDi = toInt32(sums.plus * 1000 / sums.trueRange);
        bar.minusDi = toInt32(sums.minus * 1000 / sums.trueRange);
    }
    const int64_t difference = std::abs(sums.plus - sums.minus);
    const int64_t total = sums.plus + sums.minus;
    bar.dx = difference == 0 || total == 0 ? 0 : toInt32(difference * 1000 / total);
}

// Step 8, bar by bar: `dx`, `plusDi`, `minusDi` for j > n over the n
// transitions ending at j. The sums slide exactly (integers); the moves of
// the transitions in the window are kept in a ring.
class DmiStep {
  public:
    explicit DmiStep(int period) : period_(period) {}

    void step(Bars bars, int j) {
        if (j < 1) return;
        const DmiMoves entering = dmiMoves(bars, j);
        moves_[j % kRing] = entering;
        sums_.plus += entering.plus;
        sums_.minus += entering.minus;
        sums_.trueRange += entering.trueRange;
        if (const int leaving = j - period_; leaving >= 1) {
            const DmiMoves& left = moves_[leaving % kRing];
            sums_.plus -= left.plus;
            sums_.minus -= left.minus;
            sums_.trueRange -= left.trueRange;
        }
        if (j > period_) storeDmi(bars[j], sums_);
    }

  private:
    static constexpr int kRing = 256;
    int period_;
    DmiMoves sums_;
    std::array<DmiMoves, kRing> moves_{};
};

// Step 9, bar by bar: `adx`, the mean `dx` of the n bars ending at j; 0 up to
// bar n. A zero period has no mean: 0 on every bar.
class AdxStep {
  public:
    explicit AdxStep(int period) : period_(period) {}

    void step(Bars bars, int j) {
        sum_ += bars[j].dx;
        if (j - period_ >= 0) sum_ -= bars[j - period_].dx;
        bars[j].adx = j <= period_ || period_ == 0 ? 0 : toInt32(sum_ / period_);
    }

  private:
    int period_;
    int64_t sum_ = 0;
};

void computeDmi(Bars bars, int period);
void computeAdx(Bars bars, int period);

}  // namespace tav::analysis
