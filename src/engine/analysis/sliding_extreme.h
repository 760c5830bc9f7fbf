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

namespace tav::analysis {

// Highest (or lowest) values of several windows that all end at the newest
// bar pushed, from one monotonic queue kept for the longest of them. Each
// window keeps a cursor on its first queue entry inside the window; the queue
// holds suffix extremes, so that entry is the window's extreme. Cursors only
// move forward (a push that removes the entry under a cursor leaves the new
// entry, which beats everything it removed, in its place).
template <bool kHighest, int kWindows>
class SharedSlidingExtreme {
  public:
    static constexpr unsigned kCapacity = 512;

    void push(int bar, int64_t value) {
        while (tail_ != head_ && !beats(values_[(tail_ - 1) % kCapacity], value))
            --tail_;
        bars_[tail_ % kCapacity] = bar;
        values_[tail_ % kCapacity] = value;
        ++tail_;
        for (unsigned& cursor : cursors_)
            if (cursor >= tail_) cursor = tail_ - 1;
    }

    // Forgets the bars before `firstBar`; no window may start before it.
    void dropBefore(int firstBar) {
        while (head_ != tail_ && bars_[head_ % kCapacity] < firstBar)
            ++head_;
        for (unsigned& cursor : cursors_)
            if (cursor < head_) cursor = head_;
    }

    // The extreme of window `window` over the bars from `firstBar` to the
    // newest pushed; `firstBar` never decreases from one call to the next.
    int64_t value(int window, int firstBar) {
        unsigned& cursor = cursors_[window];
        while (bars_[cursor % kCapacity] < firstBar)
            ++cursor;
        return values_[cursor % kCapacity];
    }

  private:
    static bool beats(int64_t kept, int64_t incoming) {
        return kHighest ? kept > incoming : kept < incoming;
    }

    std::array<int, kCapacity> bars_{};
    std::array<int64_t, kCapacity> values_{};
    std::array<unsigned, kWindows> cursors_{};
    unsigned head_ = 0;
    unsigned tail_ = 0;
};

}  // namespace tav::analysis
