#pragma once

#include <cstdint>

#include "conditions/condition.h"
#include "core/daily_bar.h"

namespace tav {

// What a stop rule reads on the bar under test.
struct StopInputs {
    const DailyBar* bar = nullptr;
    int barIndex = 0;
    int entryBar = 0;
    int32_t entryPrice = 0;
    bool shortPosition = false;
    // Highest high and lowest low from the entry bar to the bar before; 0 when
    // there is no such bar.
    int64_t trailHigh = 0;
    int64_t trailLow = 0;
};

// Whether the stop rule (category = kind, item, p1 = value) fires. A rule with
// a limit item sets limitFill to its fill price when it fires, others leave
// it alone. A rule that would divide by a zero price does not fire, and codes
// outside the tables never fire.
//
// Trailing stops with limit items mirror the plain ones on both sides: the
// level trails the highest high (long) or lowest low (short) since the entry,
// the bar's low (long) or high (short) reaching it fires, and the fill is the
// level itself.
bool stopRuleFires(const Condition& rule, const StopInputs& in, int32_t& limitFill);

}  // namespace tav
