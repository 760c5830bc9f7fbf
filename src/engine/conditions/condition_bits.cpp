#include "conditions/condition_bits.h"

#include <algorithm>
#include <cstring>

namespace tav {

std::size_t ConditionBits::RowHash::operator()(const Condition& row) const {
    uint64_t words[3] = {};
    std::memcpy(words, &row, sizeof row);
    uint64_t hash = 0x9e3779b97f4a7c15u;
    for (uint64_t word : words) {
        hash ^= word;
        hash *= 0xff51afd7ed558ccdu;
        hash ^= hash >> 32;
    }
    return static_cast<std::size_t>(hash);
}

void ConditionBits::reset(int start, int end, int asks) {
    start_ = std::max(start, 0);
    end_ = std::max(end, start_);
    asks_ = asks;
    known_.clear();
    used_ = 0;
}

const uint64_t* ConditionBits::bits(const ConditionInputs& inputs, const Condition& row) {
    auto [found, added] = known_.try_emplace(row);
    Seen& seen = found->second;
    if (seen.words != kNone) return words_[seen.words].data();
    if (added) seen.readsPosition = conditionReadsPosition(inputs, row);
    if (seen.readsPosition || ++seen.asks < asks_) return nullptr;
    if (used_ == words_.size()) words_.emplace_back();
    std::vector<uint64_t>& words = words_[used_];
    words.assign(static_cast<std::size_t>(end_ - start_ + 63) / 64, 0);
    EvaluationContext context;
    const int last = std::min(end_, static_cast<int>(inputs.bars.size()));
    for (int bar = start_; bar < last; ++bar) {
        context.evaluationBar = bar;
        if (evaluateCondition(inputs, context, row)) {
            const auto index = static_cast<std::size_t>(bar - start_);
            words[index / 64] |= uint64_t{1} << (index % 64);
        }
    }
    seen.words = used_;
    return words_[used_++].data();
}

}  // namespace tav
