#pragma once

#include <array>
#include <cstdint>

namespace tav::analysis {

// Highest (or lowest) value of a window of bars that moves forward one bar at
// a time: a monotonic queue in a fixed ring, so the pass allocates nothing.
// The window may hold at most kCapacity - 1 bars (periods are bytes).
template <bool kHighest>
class SlidingExtreme {
  public:
    static constexpr unsigned kCapacity = 512;

    void clear() { head_ = tail_ = 0; }

    void push(int bar, int64_t value) {
        while (tail_ != head_ && !beats(values_[(tail_ - 1) % kCapacity], value))
            --tail_;
        bars_[tail_ % kCapacity] = bar;
        values_[tail_ % kCapacity] = value;
        ++tail_;
    }

    // Forgets the bars before `firstBar`.
    void dropBefore(int firstBar) {
        while (head_ != tail_ && bars_[head_ % kCapacity] < firstBar)
            ++head_;
    }

    bool empty() const { return head_ == tail_; }
    int64_t value() const { return values_[head_ % kCapacity]; }

  private:
    static bool beats(int64_t kept, int64_t incoming) {
        return kHighest ? kept > incoming : kept < incoming;
    }

    std::array<int, kCapacity> bars_{};
    std::array<int64_t, kCapacity> values_{};
    unsigned head_ = 0;
    unsigned tail_ = 0;
};

using SlidingMax = SlidingExtreme<true>;
using SlidingMin = SlidingExtreme<false>;

}  // namespace tav::analysis
