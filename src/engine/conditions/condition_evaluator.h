#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/bands.h"
#include "conditions/condition.h"
#include "core/daily_bar.h"

namespace tav {

// The bar under test and the position state of a running simulation. The
// simulation fills the position fields; screening and the command line leave
// them 0 (no open position).
struct EvaluationContext {
    int32_t evaluationBar = 0;  // index of the bar under test, 0 = oldest
    int32_t entryPrice = 0;     // average entry price of the open position, 0 when flat
    int32_t entryBar = 0;       // bar the open position was entered on, 0 when flat
    int32_t exitBar = 0;        // bar of the last exit, 0 after an entry
    int32_t limitFill = 0;      // written by evaluation: the fill of a hit limit price
};

// What evaluation reads besides the context: the recomputed series, its
// series-wide volume guide, the band settings of the current period and the
// capsules that category 5 rows refer to.
struct ConditionInputs {
    std::span<const DailyBar> bars;
    int64_t volumeGuide = 1;
    int bollingerPeriod = 13;
    int envelopePercent = 10;
    int maBandPercent = 25;
    // Capsule k for a category 5 row naming k; a capsule past the end is empty.
    std::span<const ConditionCapsule> capsules;

    // Bollinger levels already computed in this run, so that rows on one bar
    // and crossings on successive bars share them. Inputs belong to one run
    // over an unchanging series: build new ones after the series changes.
    struct BollingerMemo {
        const DailyBar* series = nullptr;
        int bar = -1;
        int period = 0;
        BandLevels levels{};
    };
    mutable std::array<BollingerMemo, 2> bollingerMemo{};
};

// Whether the condition holds on bar evaluationBar - dayOffset (at least 0).
// Sets limitFill (0 unless a limit price is hit). Reads only the bars inside
// the series and only what the condition needs; codes outside the tables are
// false. Allocates nothing.
bool evaluateCondition(const ConditionInputs& inputs, EvaluationContext& context,
                       const Condition& condition);

// Whether evaluating the condition may read or write the position fields of
// the context: the entry price, the entry bar, the exit bar or the limit fill
// (a capsule reference when any row of its capsule does). A condition that
// does not holds or fails on a bar whatever the position, and evaluating it
// changes nothing but the inputs' Bollinger memo.
bool conditionReadsPosition(const ConditionInputs& inputs, const Condition& condition);

// Combines the capsule's rows by their roles and its logic. A category 5 row
// inside a capsule is false, so capsules naming capsules always end.
bool evaluateCapsule(const ConditionInputs& inputs, EvaluationContext& context,
                     const ConditionCapsule& capsule);

// Whether the condition (or the capsule) holds on each bar of the inputs, the
// oldest first, each bar evaluated on its own with no open position: 1 or 0.
std::vector<uint8_t> evaluateEveryBar(const ConditionInputs& inputs, const Condition& condition);
std::vector<uint8_t> evaluateEveryBar(const ConditionInputs& inputs,
                                      const ConditionCapsule& capsule);

}  // namespace tav
