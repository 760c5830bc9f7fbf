#include "conditions/condition_evaluator.h"

#include <algorithm>
#include <array>
#include <type_traits>

#include "analysis/bands.h"
#include "analysis/moving_averages.h"
#include "analysis/tick.h"
#include "core/calendar.h"
#include "core/local_date.h"

namespace tav {

namespace {

// All arithmetic is done in 64 bits: prices times percentages and volume
// targets overflow 32 bits, and comparisons must see the true values.
using Value = int64_t;
using Slot = Value (*)(const DailyBar&);

constexpr Value low32(int64_t value) {
    return static_cast<int32_t>(value);
}

// Item values of category 0 (item 4, the limit price, has none).
constexpr std::array<Slot, 13> kPriceItemValues = {
    [](const DailyBar& d) -> Value { return d.close; },
    [](const DailyBar& d) -> Value { return d.high; },
    [](const DailyBar& d) -> Value { return d.low; },
    [](const DailyBar& d) -> Value { return d.open; },
    nullptr,
    [](const DailyBar& d) -> Value { return low32(d.volume); },
    [](const DailyBar& d) -> Value { return d.rsiLong; },
    [](const DailyBar& d) -> Value { return d.rsiMid; },
    [](const DailyBar& d) -> Value { return d.rsiShort; },
    [](const DailyBar& d) -> Value { return d.rciLong; },
    [](const DailyBar& d) -> Value { return d.rciMid; },
    [](const DailyBar& d) -> Value { return d.rciShort; },
    [](const DailyBar& d) -> Value { return d.waveLine; },
};
constexpr int kLimitItem = 4;
constexpr int kVolumeItem = 5;
constexpr int kLastPriceItem = 4;

// Category 2: the value of each single-line item, and whether it is a per
// mille slot compared with ten times the entered numbers.
struct ValueItem {
    Slot value;
    bool perMille;
};
constexpr std::array<ValueItem, 33> kValueItems = {{
    {nullptr, false},  // 手仕舞日
    {nullptr, false},  // 仕掛日
    {[](const DailyBar& d) -> Value { return d.rsi; }, true},
    {[](const DailyBar& d) -> Value { return d.rci; }, true},
    {[](const DailyBar& d) -> Value { return d.williamsR; }, true},
    {[](const DailyBar& d) -> Value { return d.roc; }, false},
    {[](const DailyBar& d) -> Value { return d.forceIndex; }, false},
    {[](const DailyBar& d) -> Value { return d.macd; }, false},
    {[](const DailyBar& d) -> Value { return Value{d.macd} - d.macdSignal; }, false},
    {[](const DailyBar& d) -> Value { return d.adx; }, true},
    {[](const DailyBar& d) -> Value { return d.psychUpCount; }, false},
    {[](const DailyBar& d) -> Value { return d.deviationLong; }, true},
    {[](const DailyBar& d) -> Value { return d.deviationMid; }, true},
    {[](const DailyBar& d) -> Value { return d.vr; }, false},
    {[](const DailyBar& d) -> Value { return d.wakoVr; }, true},
    {[](const DailyBar& d) -> Value { return d.pvr; }, false},
    {[](const DailyBar& d) -> Value { return d.vlRsi; }, true},
    {nullptr, false},  // 17 to 24 are two-line crossings
    {nullptr, false},
    {nullptr, false},
    {nullptr, false},
    {nullptr, false},
    {nullptr, false},
    {nullptr, false},
    {nullptr, false},
    {[](const DailyBar& d) -> Value { return d.stochD; }, true},
    {[](const DailyBar& d) -> Value { return d.stochSlowD; }, true},
    {[](const DailyBar& d) -> Value { return d.rsiLong; }, true},
    {[](const DailyBar& d) -> Value { return d.rsiMid; }, true},
    {[](const DailyBar& d) -> Value { return d.rsiShort; }, true},
    {[](const DailyBar& d) -> Value { return d.rciLong; }, true},
    {[](const DailyBar& d) -> Value { return d.rciMid; }, true},
    {[](const DailyBar& d) -> Value { return d.rciShort; }, true},
}};

// Category 2 items 17 to 24: the first and the second line.
struct LinePair {
    Slot first;
    Slot second;
};
constexpr Slot kRsiShort = [](const DailyBar& d) -> Value { return d.rsiShort; };
constexpr Slot kRsiMid = [](const DailyBar& d) -> Value { return d.rsiMid; };
constexpr Slot kRsiLong = [](const DailyBar& d) -> Value { return d.rsiLong; };
constexpr Slot kRciShort = [](const DailyBar& d) -> Value { return d.rciShort; };
constexpr Slot kRciMid = [](const DailyBar& d) -> Value { return d.rciMid; };
constexpr Slot kRciLong = [](const DailyBar& d) -> Value { return d.rciLong; };
constexpr int kFirstCrossItem = 17;
constexpr std::array<LinePair, 8> kCrossItems = {{
    {[](const DailyBar& d) -> Value { return d.stochD; },
     [](const DailyBar& d) -> Value { return d.stochSlowD; }},
    {[](const DailyBar& d) -> Value { return d.macd; },
     [](const DailyBar& d) -> Value { return d.macdSignal; }},
    {kRsiShort, kRsiLong},
    {kRsiShort, kRsiMid},
    {kRsiMid, kRsiLong},
    {kRciShort, kRciLong},
    {kRciShort, kRciMid},
    {kRciMid, kRciLong},
}};

// Category 4 values (item 12, the parabolic, is tested on its trend).
constexpr std::array<Slot, 35> kMovementValues = {
    [](const DailyBar& d) -> Value { return d.rsi; },
    [](const DailyBar& d) -> Value { return d.rci; },
    [](const DailyBar& d) -> Value { return d.williamsR; },
    [](const DailyBar& d) -> Value { return d.roc; },
    [](const DailyBar& d) -> Value { return d.forceIndex; },
    [](const DailyBar& d) -> Value { return d.tenkan; },
    [](const DailyBar& d) -> Value { return d.kijun; },
    [](const DailyBar& d) -> Value { return d.maLong; },
    [](const DailyBar& d) -> Value { return d.maMid; },
    [](const DailyBar& d) -> Value { return d.maShort; },
    [](const DailyBar& d) -> Value { return low32(d.volumeMaLong); },
    [](const DailyBar& d) -> Value { return low32(d.volumeMaShort); },
    nullptr,
    [](const DailyBar& d) -> Value { return d.macd; },
    [](const DailyBar& d) -> Value { return d.macdSignal; },
    [](const DailyBar& d) -> Value { return Value{d.macd} - d.macdSignal; },
    [](const DailyBar& d) -> Value { return d.adx; },
    [](const DailyBar& d) -> Value { return d.deviationLong; },
    [](const DailyBar& d) -> Value { return d.deviationMid; },
    [](const DailyBar& d) -> Value { return d.vr; },
    [](const DailyBar& d) -> Value { return d.wakoVr; },
    [](const DailyBar& d) -> Value { return d.pvr; },
    [](const DailyBar& d) -> Value { return d.vlRsi; },
    [](const DailyBar& d) -> Value { return d.stochD; },
    [](const DailyBar& d) -> Value { return d.stochSlowD; },
    kRsiLong,
    kRsiMid,
    kRsiShort,
    kRciLong,
    kRciMid,
    kRciShort,
    [](const DailyBar& d) -> Value { return d.hlHigh; },
    [](const DailyBar& d) -> Value { return d.hlLow; },
    [](const DailyBar& d) -> Value { return (Value{d.hlHigh} + d.hlLow) / 2; },
    [](const DailyBar& d) -> Value { return d.waveLine; },
};
constexpr int kParabolicItem = 12;

constexpr int kCloudShift = 50;    // the cloud of today is stored 50 bars back
constexpr int kMaxCandleRun = 10;  // runs of more bars are never true
constexpr int kBandSteps = 3;      // band levels run from -3 to +3
constexpr std::size_t kTopLevel = 2 * kBandSteps;

// The six actions of categories 0 and 1 on today's and yesterday's value
// against one target. Only the crossings read yesterday.
enum Action : int { kCrossUp, kCrossDown, kAtLeast, kAtMost, kAbove, kBelow, kActionCount };

constexpr bool actionReadsYesterday(int action) {
    return action == kCrossUp || action == kCrossDown;
}

bool applyAction(int action, Value today, Value yesterday, Value target) {
    switch (action) {
        case kCrossUp:
            return today > target && yesterday <= target;
        case kCrossDown:
            return today < target && yesterday >= target;
        case kAtLeast:
            return today >= target;
        case kAtMost:
            return today <= target;
        case kAbove:
            return today > target;
        case kBelow:
            return today < target;
        default:
            return false;
    }
}

BandLevels bollingerAt(const ConditionInputs& in, int bar) {
    auto& memo = in.bollingerMemo[static_cast<std::size_t>(bar & 1)];
    if (memo.series != in.bars.data() || memo.bar != bar || memo.period != in.bollingerPeriod) {
        memo.series = in.bars.data();
        memo.bar = bar;
        memo.period = in.bollingerPeriod;
        memo.levels = bollingerLevels(in.bars, in.bollingerPeriod, bar);
    }
    return memo.levels;
}

// One evaluation: the inputs, the context and the resolved bar b.
class Evaluation {
  public:
    Evaluation(const ConditionInputs& inputs, EvaluationContext& context, const Condition& c, int b)
        : in_(inputs), context_(context), c_(c), b_(b), bars_(inputs.bars) {}

    bool run(bool insideCapsule) {
        switch (c_.category) {
            case kPriceComparison:
                return priceComparison();
            case kIndicatorComparison:
                return indicatorComparison();
            case kValueComparison:
                return valueComparison();
            case kCandleShape:
                return candleShape();
            case kIndicatorMovement:
                return indicatorMovement();
            case kCapsuleReference:
                return !insideCapsule && capsuleReference();
            default:
                return false;
        }
    }

  private:
    const DailyBar& bar(int index) const { return bars_[static_cast<std::size_t>(index)]; }
    const DailyBar& today() const { return bar(b_); }
    Value tickAt(int index) const { return tickSizeForClose(bar(index).close); }
    // X + tick t + X m / 100.
    Value priced(Value x, Value tick) const { return x + tick * c_.ticks + x * c_.percent / 100; }
    Value scaled(Value x) const { return x + x * c_.percent / 100; }

    // n' of category 0: p3 when it lies inside the bars before b, else 0. A
    // negative p3 would name a later bar: no value then.
    bool daysBack(int& n) const {
        if (c_.p3 < 0) return false;
        n = c_.p3 < b_ ? c_.p3 : 0;
        return true;
    }

    bool priceTarget(Value& target) const;
    bool volumeTarget(Value& target) const;
    bool priceComparison();
    bool indicatorComparison() const;
    bool bollingerFrame() const;
    bool valueComparison() const;
    bool elapsed() const;
    bool candleShape() const;
    bool candleRun(int n) const;
    bool indicatorMovement() const;
    bool capsuleReference();

    const ConditionInputs& in_;
    EvaluationContext& context_;
    const Condition& c_;
    const int b_;
    std::span<const DailyBar> bars_;
};

bool Evaluation::priceTarget(Value& target) const {
    const int code = c_.p1;
    int n = 0;
    Value x = 0;
    switch (code) {
        case 0:
        case 1:
        case 2:
        case 3: {
            if (!daysBack(n)) return false;
            const DailyBar& back = bar(b_ - n);
            constexpr std::array<int32_t DailyBar::*, 4> kPrices = {
                &DailyBar::close, &DailyBar::high, &DailyBar::low, &DailyBar::open};
            target = priced(back.*kPrices[static_cast<std::size_t>(code)], tickAt(b_ - n));
            return true;
        }
        case 4:
        case 5: {
            // The n' bars before today; with n' = 0 yesterday alone.
            if (!daysBack(n) || b_ < 1) return false;
            const int first = b_ - std::max(n, 1);
            x = code == 4 ? bar(b_ - 1).high : bar(b_ - 1).low;
            for (int t = first; t < b_ - 1; ++t)
                x = code == 4 ? std::max<Value>(x, bar(t).high) : std::min<Value>(x, bar(t).low);
            break;
        }
        case 6: {
            if (!daysBack(n)) return false;
            const DailyBar& back = bar(b_ - n);
            target = priced((Value{back.high} + back.low) / 2, tickAt(b_ - n));
            return true;
        }
        case 8:
        case 9:
            if (context_.entryPrice == 0) return false;
            x = context_.entryPrice;
            break;
        case 10:
        case 11: {
            const int entry = context_.entryBar;
            if (entry <= 0 || entry > b_ - 1) return false;
            x = code == 10 ? bar(b_ - 1).high : bar(b_ - 1).low;
            for (int t = entry; t < b_ - 1; ++t)
                x = code == 10 ? std::max<Value>(x, bar(t).high) : std::min<Value>(x, bar(t).low);
            break;
        }
        case 12:
        case 13:
        case 14:
        case 15:
        case 16:
        case 17:
        case 33: {
            if (b_ < 1) return false;
            const DailyBar& y = bar(b_ - 1);
            const Value h = y.high;
            const Value l = y.low;
            const Value p = (h + l + y.close) / 3;
            constexpr int kPivotCodes[] = {12, 13, 14, 15, 16, 17};
            const std::array<Value, 6> levels = {
                p + (p - l) + (h - l),  // HBOP
                p - (h - l) - (h - p),  // LBOP
                p + (p - l),            // S1
                p + (h - l),            // S2
                p - (h - p),            // B1
                p - (h - l),            // B2
            };
            x = p;
            for (std::size_t i = 0; i < levels.size(); ++i)
                if (kPivotCodes[i] == code) x = levels[i];
            break;
        }
        case 18:
            x = today().maLong;
            break;
        case 19:
            x = today().maMid;
            break;
        case 20:
            x = today().maShort;
            break;
        case 21:
            x = today().kijun;
            break;
        case 22:
            x = today().tenkan;
            break;
        case 23:
        case 24: {
            if (c_.p3 < -kBandSteps || c_.p3 > kBandSteps) return false;
            const BandLevels levels =
                code == 23 ? bollingerAt(in_, b_) : envelopeLevels(bars_, in_.envelopePercent, b_);
            const int line = c_.p3 + kBandSteps;
            x = levels[static_cast<std::size_t>(line)];
            break;
        }
        case 25:
            x = today().hlHigh;
            break;
        case 26:
            x = today().hlLow;
            break;
        case 37:
            x = (Value{today().hlHigh} + today().hlLow) / 2;
            break;
        case 27:
        case 28: {
            const Value mid = today().maMid;
            const Value band = mid * in_.maBandPercent / 100;
            x = code == 27 ? mid + band : mid - band;
            break;
        }
        case 29:
        case 35:
            if (today().sarTrend != 0) return false;
            x = code == 29 ? today().sarBand : today().sar;
            break;
        case 30:
        case 36:
            if (today().sarTrend == 0) return false;
            x = code == 30 ? today().sarBand : today().sar;
            break;
        case 31:
        case 32: {
            if (b_ < kCloudShift + 1) return false;
            const DailyBar& cloud = bar(b_ - kCloudShift);
            x = code == 31 ? std::max(cloud.senkou1, cloud.senkou2)
                           : std::min(cloud.senkou1, cloud.senkou2);
            break;
        }
        case 34:
            x = (Value{today().sar} + today().sarBand) / 2;
            break;
        case 38:
            x = today().waveLine;
            break;
        default:  // the separator line and codes past the list
            return false;
    }
    target = priced(x, tickAt(b_));
    return true;
}

bool Evaluation::volumeTarget(Value& target) const {
    int n = 0;
    if (!daysBack(n)) return false;
    Value x = 0;
    if (c_.p1 == 0) {
        x = bar(b_ - n).volume;
    } else if (c_.p1 == 1) {
        if (n == 0) {
            x = today().volume;
        } else {
            // The n' bars ending yesterday (all at index 1 or above, since
            // n' < b), averaged as the volume moving averages are.
            int64_t sum = 0;
            int64_t thousandsSum = 0;
            bool thousands = false;
            for (int t = b_ - n; t < b_; ++t) {
                if (bar(t).volume > analysis::kThousandsVolume) thousands = true;
                const int64_t volume = bar(t).volume != 0 ? bar(t).volume : bar(t - 1).volume;
                sum += volume;
                thousandsSum += volume / 1000;
            }
            x = analysis::volumeAverageFromSums(sum, thousandsSum, thousands, n);
        }
    } else {
        return false;
    }
    target = scaled(x);
    return true;
}

bool Evaluation::priceComparison() {
    const int item = c_.item;
    if (item < 0 || item >= static_cast<int>(kPriceItemValues.size())) return false;
    Value target = 0;
    if (item <= kLastPriceItem) {
        if (!priceTarget(target)) return false;
    } else if (item == kVolumeItem) {
        if (!volumeTarget(target)) return false;
    } else {
        int n = 0;
        if (c_.p1 != 0 || !daysBack(n)) return false;
        target = scaled(kPriceItemValues[static_cast<std::size_t>(item)](bar(b_ - n)));
        if (target == 0) target = 1;
    }

    if (item == kLimitItem) {
        if (c_.p2 != 0 || target == 0) return false;
        if (!(today().low < target && target < today().high)) return false;
        context_.limitFill = static_cast<int32_t>(target);
        return true;
    }
    const int action = c_.p2;
    if (action < 0 || action >= kActionCount) return false;
    const Slot value = kPriceItemValues[static_cast<std::size_t>(item)];
    Value yesterday = 0;
    if (actionReadsYesterday(action)) {
        if (b_ < 1) return false;
        yesterday = value(bar(b_ - 1));
    }
    return applyAction(action, value(today()), yesterday, target);
}

bool Evaluation::bollingerFrame() const {
    const Value mid = today().bollingerMid;
    if (mid == 0 || c_.p1 != 0) return false;
    const Value upper = mid + mid * c_.p3 / 100;
    const Value lower = mid - mid * c_.p3 / 100;
    const BandLevels now = bollingerAt(in_, b_);
    const Value up = now[kTopLevel];
    const Value down = now[0];
    auto outside = [&](Value top, Value bottom) { return top > upper && bottom < lower; };
    auto inside = [&](Value top, Value bottom) { return top < upper && bottom > lower; };
    switch (c_.p2) {
        case kCrossUp:
        case kCrossDown: {
            if (b_ < 1) return false;
            const BandLevels before = bollingerAt(in_, b_ - 1);
            const Value upBefore = before[kTopLevel];
            const Value downBefore = before[0];
            if (c_.p2 == kCrossUp) return inside(upBefore, downBefore) && outside(up, down);
            return outside(upBefore, downBefore) && inside(up, down);
        }
        case kAtLeast:
            return up >= upper && down <= lower;
        case kAtMost:
            return up <= upper && down >= lower;
        case kAbove:
            return outside(up, down);
        case kBelow:
            return inside(up, down);
        default:
            return false;
    }
}

bool Evaluation::indicatorComparison() const {
    const DailyBar& d = today();
    const int target = c_.p1;
    Slot value = nullptr;
    Value goal = 0;
    switch (c_.item) {
        case 0:
            value = [](const DailyBar& e) -> Value { return low32(e.volume); };
            if (target == 0) {
                goal = in_.volumeGuide;
            } else if (target == 1) {
                goal = Value{c_.p3} * (in_.volumeGuide / 3);
            } else {
                return false;
            }
            break;
        case 1:
            if (target != 0) return false;
            value = [](const DailyBar& e) -> Value { return e.tenkan; };
            goal = d.kijun;
            break;
        case 2:
        case 3:
            if (target != 0 && target != 1) return false;
            value = c_.item == 2 ? +[](const DailyBar& e) -> Value { return e.maShort; }
                                 : +[](const DailyBar& e) -> Value { return e.maMid; };
            goal = target == 0 ? d.maLong : (c_.item == 2 ? d.maMid : d.maShort);
            break;
        case 4:
            return bollingerFrame();
        case 5:
            if (target != 0) return false;
            value = [](const DailyBar& e) -> Value { return low32(e.volumeMaShort); };
            goal = low32(d.volumeMaLong);
            break;
        case 6:
        case 7:
            if (target != 0 && target != 1) return false;
            value = c_.item == 6 ? +[](const DailyBar& e) -> Value { return e.plusDi; }
                                 : +[](const DailyBar& e) -> Value { return e.minusDi; };
            goal = target == 1 ? d.adx : (c_.item == 6 ? d.minusDi : d.plusDi);
            break;
        case 8: {
            LocalDate date;
            if (target < 0 || target > 6 || (c_.p2 != 0 && c_.p2 != 1)) return false;
            if (!parseDate8(d.dateText(), date)) return false;
            return (weekdayOf(date) == target) == (c_.p2 == 0);
        }
        case 9: {
            if (target != 0 || c_.p2 != 0) return false;
            const Value hi = std::max({d.maLong, d.maMid, d.maShort});
            const Value lo = std::min({d.maLong, d.maMid, d.maShort});
            return lo + lo * c_.p3 / 100 >= hi;
        }
        case 10: {
            if (target != 0 && target != 1) return false;
            value = [](const DailyBar& e) -> Value { return Value{e.high} - e.low; };
            // The p3 bars before today; none when they would reach past bar 0.
            if (c_.p3 > 0 && c_.p3 < b_) {
                goal = value(bar(b_ - 1));
                for (int t = b_ - c_.p3; t < b_ - 1; ++t)
                    goal =
                        target == 0 ? std::max(goal, value(bar(t))) : std::min(goal, value(bar(t)));
            }
            break;
        }
        case 11:
            if (target != 0) return false;
            value = [](const DailyBar& e) -> Value { return (Value{e.hlHigh} + e.hlLow) / 2; };
            goal = d.waveLine;
            break;
        default:
            return false;
    }
    const int action = c_.p2;
    if (action < 0 || action >= kActionCount) return false;
    Value yesterday = 0;
    if (actionReadsYesterday(action)) {
        if (b_ < 1) return false;
        yesterday = value(bar(b_ - 1));
    }
    return applyAction(action, value(d), yesterday, goal);
}

bool Evaluation::elapsed() const {
    if (c_.p2 != 0 || b_ == 0) return false;
    const Value reference = c_.item == 0 ? context_.exitBar : context_.entryBar;
    // Without a reference bar the count starts today.
    const Value from = reference == 0 ? b_ : reference;
    return b_ >= from + c_.p1;
}

bool Evaluation::valueComparison() const {
    const int item = c_.item;
    if (item == 0 || item == 1) return elapsed();
    if (item >= kFirstCrossItem && item < kFirstCrossItem + static_cast<int>(kCrossItems.size())) {
        if (b_ < 1) return false;
        const LinePair& lines = kCrossItems[static_cast<std::size_t>(item - kFirstCrossItem)];
        const Value level = Value{c_.p1} * 10;
        const Value x0 = lines.first(today());
        const Value y0 = lines.second(today());
        const Value x1 = lines.first(bar(b_ - 1));
        const Value y1 = lines.second(bar(b_ - 1));
        if (c_.p2 == 0) return x0 >= level && x1 > y1 && x0 < y0;
        if (c_.p2 == 1) return x0 <= level && x1 < y1 && x0 > y0;
        return false;
    }
    if (item < 0 || item >= static_cast<int>(kValueItems.size())) return false;
    const ValueItem& entry = kValueItems[static_cast<std::size_t>(item)];
    const Value scale = entry.perMille ? 10 : 1;
    const Value a = Value{c_.p1} * scale;
    const Value upper = Value{c_.p3} * scale;
    const Value v0 = entry.value(today());
    switch (c_.p2) {
        case 0:
        case 1:
            if (b_ < 1) return false;
            return applyAction(c_.p2, v0, entry.value(bar(b_ - 1)), a);
        case 2:
        case 3:
        case 4:
        case 5:
            return applyAction(c_.p2, v0, 0, a);
        case 6:
            return a < v0 && v0 < upper;
        case 7:
        case 8: {
            if (b_ < 2) return false;
            const Value v1 = entry.value(bar(b_ - 1));
            const Value v2 = entry.value(bar(b_ - 2));
            if (c_.p2 == 7) return v0 < v1 && v1 >= a && v1 >= v2;
            return v0 > v1 && v1 <= a && v2 >= v1;
        }
        default:
            return false;
    }
}

// Items 26 to 29: runs of gaps or of candles of one colour ending today.
bool Evaluation::candleRun(int n) const {
    if (n > kMaxCandleRun || n < 1) return false;
    switch (c_.item) {
        case 26:
        case 27: {
            // The n pairs ending today, from the pair that starts at b - n.
            if (b_ < 1) return false;
            for (int t = std::max(0, b_ - n); t < b_; ++t) {
                const DailyBar& earlier = bar(t);
                const DailyBar& later = bar(t + 1);
                if (c_.item == 26 ? !(earlier.high < later.low) : !(later.high < earlier.low))
                    return false;
            }
            return true;
        }
        default: {
            // The last n bars, today included.
            for (int t = std::max(0, b_ - n + 1); t <= b_; ++t) {
                const DailyBar& candle = bar(t);
                if (c_.item == 28 ? !(candle.open < candle.close) : !(candle.close < candle.open))
                    return false;
            }
            return true;
        }
    }
}

bool Evaluation::candleShape() const {
    const DailyBar& d = today();
    const Value o = d.open;
    const Value h = d.high;
    const Value l = d.low;
    const Value c = d.close;
    if (c == 0) return false;
    const Value n = c_.p1 == 0 ? 1 : c_.p1;
    const int item = c_.item;
    if (item >= 26 && item <= 29) return candleRun(static_cast<int>(n));
    // Items 13 and above compare with yesterday.
    if (item >= 13 && b_ < 1) return false;
    const DailyBar& y = item >= 13 ? bar(b_ - 1) : d;
    const Value o1 = y.open;
    const Value h1 = y.high;
    const Value l1 = y.low;
    const Value c1 = y.close;
    const Value mid = (h + l) / 2;
    const bool wide = h > l + l * n / 100;
    const bool doji = o - o / 200 <= c && c <= o + o / 200;
    switch (item) {
        case 0:
            return o < c;
        case 1:
            return c < o;
        case 2:
            return c >= o + o * n / 100;
        case 3:
            return o - o * n / 100 >= c;
        case 4:
            return o <= l + l / 200 && c >= h - h / 200 && c >= o + o * n / 100;
        case 5:
            return o >= h - h / 200 && c <= l + l / 200 && o - o * n / 100 >= c;
        case 6:
            return wide && l < o && o <= mid && c == h;
        case 7:
            return wide && mid <= o && o < h && c == l;
        case 8:
            return wide && mid <= c && c < h && o == l;
        case 9:
            return wide && l < c && c <= mid && o == h;
        case 10:
            return wide && doji;
        case 11: {
            const Value q = (h + mid) / 2;
            return wide && o >= q && c >= q && doji;
        }
        case 12: {
            const Value q = (l + mid) / 2;
            return wide && o <= q && c <= q && doji;
        }
        case 13:
            return c1 < o1 && o < c && o < l1 && c > h1;
        case 14:
            return o1 < c1 && c < o && o > h1 && c < l1;
        case 15:
            return c1 < o1 && o < c && l > c1 && h < o1;
        case 16:
            return o1 < c1 && c < o && l > o1 && h < c1;
        case 17:
            return c1 < o1 && o < c && l > c1 && h < o1 && doji;
        case 18:
            return o1 < c1 && c < o && l > o1 && h < c1 && doji;
        case 19:
            return l > l1 && h < h1;
        case 20:
            return l < l1 && h > h1;
        case 21:
            return h < l + l * n / 100;
        case 22:
            return l > h1 + h1 * n / 100;
        case 23:
            return h < l1 - l1 * n / 100;
        case 24:
            return l > h1 && c1 > o1 + o1 * n / 100 && h < l + 2 * l / 100;
        case 25:
            return h < l1 && c1 < o1 - o1 * n / 100 && h < l + 2 * l / 100;
        default:
            return false;
    }
}

bool Evaluation::indicatorMovement() const {
    const int item = c_.item;
    const int state = c_.p1;
    if (item == kParabolicItem) {
        const bool fallingToday = today().sarTrend != 0;
        switch (state) {
            case 0:
                return !fallingToday;
            case 1:
                return fallingToday;
            case 2:
            case 3: {
                if (b_ < 1) return false;
                const bool fallingBefore = bar(b_ - 1).sarTrend != 0;
                return state == 2 ? fallingBefore && !fallingToday : !fallingBefore && fallingToday;
            }
            default:
                return false;
        }
    }
    if (item < 0 || item >= static_cast<int>(kMovementValues.size())) return false;
    if (state < 0 || state > 7) return false;
    const Slot value = kMovementValues[static_cast<std::size_t>(item)];
    // States 0 to 3 look two bars back, the others one.
    if (b_ < (state <= 3 ? 2 : 1)) return false;
    const Value v0 = value(today());
    const Value v1 = value(bar(b_ - 1));
    const Value v2 = state <= 3 ? value(bar(b_ - 2)) : 0;
    switch (state) {
        case 0:
            return v0 > v1 && v1 > v2;
        case 1:
            return v0 < v1 && v1 < v2;
        case 2:
            return v0 > v1 && v2 >= v1;
        case 3:
            return v0 < v1 && v1 >= v2;
        case 4:
            return v0 >= v1;
        case 5:
            return v0 <= v1;
        case 6:
            return v0 > v1;
        default:
            return v0 < v1;
    }
}

// The capsule a category 5 row names. One that does not exist is empty: no
// rows, OR logic, false.
const ConditionCapsule& capsuleNamed(const ConditionInputs& inputs, int index) {
    static constexpr ConditionCapsule kEmpty{};
    return index >= 0 && index < static_cast<int>(inputs.capsules.size())
               ? inputs.capsules[static_cast<std::size_t>(index)]
               : kEmpty;
}

bool Evaluation::capsuleReference() {
    return evaluateCapsule(in_, context_, capsuleNamed(in_, c_.item));
}

// Kept wide on purpose: a code that cannot reach the position (an entry-price
// target code on an item without targets) still counts as reading it.
bool rowReadsPosition(const Condition& c) {
    constexpr int kFirstPositionTarget = 8;  // entry price, then the high and low since the entry
    constexpr int kLastPositionTarget = 11;
    switch (c.category) {
        case kPriceComparison:
            return c.item == kLimitItem ||
                   (c.p1 >= kFirstPositionTarget && c.p1 <= kLastPositionTarget);
        case kValueComparison:
            return c.item == 0 || c.item == 1;  // days since the exit or the entry
        default:
            return false;
    }
}

bool evaluate(const ConditionInputs& inputs, EvaluationContext& context, const Condition& c,
              bool insideCapsule) {
    context.limitFill = 0;
    const int count = static_cast<int>(inputs.bars.size());
    const int b = std::max(0, context.evaluationBar - c.dayOffset);
    if (b >= count) return false;
    return Evaluation(inputs, context, c, b).run(insideCapsule);
}

}  // namespace

bool evaluateCondition(const ConditionInputs& inputs, EvaluationContext& context,
                       const Condition& condition) {
    return evaluate(inputs, context, condition, false);
}

bool conditionReadsPosition(const ConditionInputs& inputs, const Condition& condition) {
    if (condition.category != kCapsuleReference) return rowReadsPosition(condition);
    // Every row counts, whatever its role; a reference inside is false.
    const ConditionCapsule& capsule = capsuleNamed(inputs, condition.item);
    const int rows = std::clamp<int>(capsule.rowCount, 0, kMaxCapsuleRows);
    for (int i = 0; i < rows; ++i)
        if (rowReadsPosition(capsule.rows[static_cast<std::size_t>(i)])) return true;
    return false;
}

bool evaluateCapsule(const ConditionInputs& inputs, EvaluationContext& context,
                     const ConditionCapsule& capsule) {
    const bool isAnd = capsule.logic == kLogicAnd;
    const int rows = std::clamp<int>(capsule.rowCount, 0, kMaxCapsuleRows);
    int count = 0;
    for (int i = 0; i < rows; ++i) {
        const Condition& row = capsule.rows[static_cast<std::size_t>(i)];
        switch (row.role) {
            case kRoleNormal:
                if (evaluate(inputs, context, row, true)) ++count;
                break;
            case kRoleFilter:
                if (!evaluate(inputs, context, row, true)) return false;
                if (isAnd) ++count;
                break;
            case kRoleCapsuleDisabled:
                if (isAnd) ++count;
                break;
            default:
                break;
        }
    }
    return isAnd ? count == rows : count > 0;
}

namespace {

template <class Rule>
std::vector<uint8_t> holdsOnEveryBar(const ConditionInputs& inputs, const Rule& rule) {
    std::vector<uint8_t> holds(inputs.bars.size());
    for (std::size_t bar = 0; bar < holds.size(); ++bar) {
        EvaluationContext context;
        context.evaluationBar = static_cast<int32_t>(bar);
        if constexpr (std::is_same_v<Rule, Condition>)
            holds[bar] = evaluateCondition(inputs, context, rule) ? 1 : 0;
        else
            holds[bar] = evaluateCapsule(inputs, context, rule) ? 1 : 0;
    }
    return holds;
}

}  // namespace

std::vector<uint8_t> evaluateEveryBar(const ConditionInputs& inputs, const Condition& condition) {
    return holdsOnEveryBar(inputs, condition);
}

std::vector<uint8_t> evaluateEveryBar(const ConditionInputs& inputs,
                                      const ConditionCapsule& capsule) {
    return holdsOnEveryBar(inputs, capsule);
}

}  // namespace tav
