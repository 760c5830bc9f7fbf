#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <utility>

namespace tav::analysis {

// Highest high and lowest low of any window of up to kLongest bars that ends
// at or before the newest bar pushed, answered without branches: level j
// keeps, for each of the last kRing bars, the extremes of the 2^j bars ending
// there, and a window is covered by two overlapping blocks of one level.
// A queue of candidates would do less arithmetic, but how far it pops on each
// bar depends on the prices, and those mispredicted branches cost more than
// the whole table update. Bars before bar 0 read as neither highest nor
// lowest, so windows reaching before bar 0 are cut there.
class BlockExtremes {
  public:
    static constexpr int kLongest = 256;  // a period (a byte) plus the bar itself
    static constexpr int kRing = 256;
    static constexpr int kLevels = 9;  // blocks of 1, 2, 4 .. 256 bars

    // Windows up to `longestWindow` bars are asked for.
    explicit BlockExtremes(int longestWindow)
        : levels_(std::bit_width(static_cast<unsigned>(std::clamp(longestWindow, 1, kLongest)))) {
        for (int level = 0; level < levels_; ++level) {
            highs_[level].fill(INT32_MIN);
            lows_[level].fill(INT32_MAX);
        }
    }

    // Bars arrive in order from 0.
    void push(int bar, int32_t high, int32_t low) {
        const unsigned at = slot(bar);
        highs_[0][at] = high;
        lows_[0][at] = low;
        // Unrolled, so that every block size is a constant.
#pragma GCC unroll 8
        for (int level = 1; level < kLevels; ++level) {
            if (level >= levels_) break;
            // Bars before 0 map to ring entries not yet written: neutral values.
            const unsigned half = slot(bar - (1 << (level - 1)));
            highs_[level][at] = std::max(highs_[level - 1][at], highs_[level - 1][half]);
            lows_[level][at] = std::min(lows_[level - 1][at], lows_[level - 1][half]);
        }
    }

    // Highest high and lowest low of the bars first .. last (first cut at 0,
    // at most kLongest bars, last among the last kRing bars pushed).
    std::pair<int64_t, int64_t> extremes(int first, int last) const {
        first = std::max(first, 0);
        const int level = std::bit_width(static_cast<unsigned>(last - first + 1)) - 1;
        const unsigned end = slot(last);
        const unsigned start = slot(first + (1 << level) - 1);
        return {std::max(highs_[level][end], highs_[level][start]),
                std::min(lows_[level][end], lows_[level][start])};
    }

    // A window of a fixed number of bars (1 .. kLongest), with its level and
    // the start of its second block worked out once.
    class Window {
      public:
        explicit Window(int length)
            : length_(std::clamp(length, 1, kLongest)),
              level_(std::bit_width(static_cast<unsigned>(length_)) - 1),
              offset_(length_ - (1 << level_)) {}

      private:
        friend class BlockExtremes;
        int length_;
        int level_;
        int offset_;  // the second block ends this many bars before the last
    };

    // `extremes(last - length + 1, last)`.
    std::pair<int64_t, int64_t> extremes(const Window& window, int last) const {
        if (last < window.length_ - 1) return extremes(last - window.length_ + 1, last);
        const unsigned end = slot(last);
        const unsigned start = slot(last - window.offset_);
        return {std::max(highs_[window.level_][end], highs_[window.level_][start]),
                std::min(lows_[window.level_][end], lows_[window.level_][start])};
    }

  private:
    static unsigned slot(int bar) { return static_cast<unsigned>(bar) % kRing; }

    int levels_;
    std::array<std::array<int32_t, kRing>, kLevels> highs_;
    std::array<std::array<int32_t, kRing>, kLevels> lows_;
};

}  // namespace tav::analysis
