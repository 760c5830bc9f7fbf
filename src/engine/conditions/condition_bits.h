#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "conditions/condition_evaluator.h"

namespace tav {

// The truth of condition rows that read no position, on every bar of a window
// of one series: each distinct row (by its whole content) is evaluated once
// and shared by every run over the series that asks for it, as the variants of
// a parameter sweep do.
class ConditionBits {
  public:
    // Forgets every row and covers bars start ... end - 1 (start at least 0).
    // Call it whenever the bars, their indicators, the inputs or the window
    // change: the rows are not checked against them. A row is worked out when
    // it is asked for the `asks`-th time; before, bits() answers nullptr and
    // the run evaluates it, so that a row a single run uses costs nothing more.
    void reset(int start, int end, int asks = 2);
    int start() const { return start_; }
    int end() const { return end_; }

    // The truth of `row` on bar j of the window as bit j - start of the words
    // (bit k in word k / 64), evaluated with `inputs` when it is worked out;
    // bars past the series are false. nullptr when the row is not worked out
    // yet, or never as it reads the position (conditionReadsPosition). The
    // words stay until the next reset.
    const uint64_t* bits(const ConditionInputs& inputs, const Condition& row);

    static bool test(const uint64_t* words, int index) {
        return ((words[static_cast<std::size_t>(index) / 64] >> (index % 64)) & 1) != 0;
    }

  private:
    struct RowHash {
        std::size_t operator()(const Condition& row) const;
    };

    // A row seen: its words once worked out, else the times it was asked for.
    struct Seen {
        int asks = 0;
        bool readsPosition = false;
        std::size_t words = kNone;
    };
    static constexpr std::size_t kNone = ~std::size_t{0};

    int start_ = 0;
    int end_ = 0;
    int asks_ = 2;
    std::unordered_map<Condition, Seen, RowHash> known_;
    std::vector<std::vector<uint64_t>> words_;  // kept over resets, the first `used_` in use
    std::size_t used_ = 0;
};

}  // namespace tav
