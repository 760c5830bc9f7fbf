#include "simulation/stop_rules.h"

#include "simulation/strategy.h"

namespace tav {

namespace {

// x * 100 / divisor >= f, false for a zero divisor.
bool ratioAtLeast(int64_t x, int64_t divisor, int64_t f) {
    return divisor != 0 && x * 100 / divisor >= f;
}

bool fireAt(int64_t fill, int32_t& limitFill) {
    limitFill = static_cast<int32_t>(fill);
    return true;
}

// A move against the reference price: down from g for a long (`falling`),
// up from g for a short. Items 0, 1 close-based, 2, 3 limits.
bool adverse(int item, int64_t g, int64_t v, const DailyBar& d, bool falling, int32_t& limitFill) {
    const int64_t f = 100 + v;
    if (falling) {
        switch (item) {
            case 0:
                return ratioAtLeast(g, d.close, f);
            case 1:
                return g - d.close >= v;
            case 2:
                return ratioAtLeast(g, d.low, f) && fireAt(g - v * g / 100, limitFill);
            case 3:
                return g - d.low >= v && fireAt(g - v, limitFill);
            default:
                return false;
        }
    }
    switch (item) {
        case 0:
            return ratioAtLeast(d.close, g, f);
        case 1:
            return d.close - g >= v;
        case 2:
            return ratioAtLeast(d.high, g, f) && fireAt(g + v * g / 100, limitFill);
        case 3:
            return d.high - g >= v && fireAt(g + v, limitFill);
        default:
            return false;
    }
}

}  // namespace

bool stopRuleFires(const Condition& rule, const StopInputs& in, int32_t& limitFill) {
    if (!in.bar) return false;
    const DailyBar& d = *in.bar;
    const int64_t g = in.entryPrice;
    const int64_t v = rule.p1;
    switch (rule.category) {
        case kStopLoss:
            return adverse(rule.item, g, v, d, !in.shortPosition, limitFill);
        case kStopProfit:
            if (g == 0) return false;
            return adverse(rule.item, g, v, d, in.shortPosition, limitFill);
        case kStopTrailing: {
            const int64_t extreme = in.shortPosition ? in.trailLow : in.trailHigh;
            if (extreme == 0) return false;
            return adverse(rule.item, extreme, v, d, !in.shortPosition, limitFill);
        }
        case kStopTimeOver:
            return rule.item == 0 && in.barIndex - in.entryBar > v;
        default:
            return false;
    }
}

}  // namespace tav
