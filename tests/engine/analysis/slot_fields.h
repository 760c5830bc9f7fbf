#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string>

#include "core/daily_bar.h"

namespace tav::test {

// Every field of a bar by name, so two bars can be compared byte for byte
// without looking at padding.
struct BarField {
    const char* name;
    std::size_t offset;
    std::size_t size;
};

#define TAV_BAR_FIELD(field)                                       \
    BarField {                                                     \
#field, offsetof(DailyBar, field), sizeof(DailyBar::field) \
    }

inline constexpr std::array kBarFields = {
    TAV_BAR_FIELD(date),
    TAV_BAR_FIELD(open),
    TAV_BAR_FIELD(high),
    TAV_BAR_FIELD(low),
    TAV_BAR_FIELD(close),
    TAV_BAR_FIELD(change),
    TAV_BAR_FIELD(body),
    TAV_BAR_FIELD(volume),
    TAV_BAR_FIELD(marginSell),
    TAV_BAR_FIELD(marginBuy),
    TAV_BAR_FIELD(provisional),
    TAV_BAR_FIELD(splitRatio),
    TAV_BAR_FIELD(maLong),
    TAV_BAR_FIELD(maMid),
    TAV_BAR_FIELD(maShort),
    TAV_BAR_FIELD(waveLine),
    TAV_BAR_FIELD(bollingerMid),
    TAV_BAR_FIELD(kijun),
    TAV_BAR_FIELD(tenkan),
    TAV_BAR_FIELD(chikou),
    TAV_BAR_FIELD(senkou1),
    TAV_BAR_FIELD(senkou2),
    TAV_BAR_FIELD(macdLongEma),
    TAV_BAR_FIELD(macdShortEma),
    TAV_BAR_FIELD(macd),
    TAV_BAR_FIELD(macdSignal),
    TAV_BAR_FIELD(forceIndex),
    TAV_BAR_FIELD(sarTrend),
    TAV_BAR_FIELD(sar),
    TAV_BAR_FIELD(sarBand),
    TAV_BAR_FIELD(hlHigh),
    TAV_BAR_FIELD(hlLow),
    TAV_BAR_FIELD(turnMark),
    TAV_BAR_FIELD(turnConfirmed),
    TAV_BAR_FIELD(turnDistance),
    TAV_BAR_FIELD(turnRatio),
    TAV_BAR_FIELD(psychUpCount),
    TAV_BAR_FIELD(upBar),
    TAV_BAR_FIELD(williamsR),
    TAV_BAR_FIELD(rsi),
    TAV_BAR_FIELD(rsiLong),
    TAV_BAR_FIELD(rsiMid),
    TAV_BAR_FIELD(rsiShort),
    TAV_BAR_FIELD(rci),
    TAV_BAR_FIELD(rciLong),
    TAV_BAR_FIELD(rciMid),
    TAV_BAR_FIELD(rciShort),
    TAV_BAR_FIELD(volatility5),
    TAV_BAR_FIELD(vlRsi),
    TAV_BAR_FIELD(deviationLong),
    TAV_BAR_FIELD(deviationMid),
    TAV_BAR_FIELD(roc),
    TAV_BAR_FIELD(vr),
    TAV_BAR_FIELD(wakoVr),
    TAV_BAR_FIELD(pvr),
    TAV_BAR_FIELD(dx),
    TAV_BAR_FIELD(adx),
    TAV_BAR_FIELD(plusDi),
    TAV_BAR_FIELD(minusDi),
    TAV_BAR_FIELD(stochK),
    TAV_BAR_FIELD(stochD),
    TAV_BAR_FIELD(stochSlowD),
    TAV_BAR_FIELD(volumeMaShort),
    TAV_BAR_FIELD(volumeMaLong),
    TAV_BAR_FIELD(range),
    TAV_BAR_FIELD(rangeAverage),
    TAV_BAR_FIELD(turnMarks),
    TAV_BAR_FIELD(tradeMark),
    TAV_BAR_FIELD(tradeReentry),
    TAV_BAR_FIELD(tradeUnits),
    TAV_BAR_FIELD(tradePerShare),
};

#undef TAV_BAR_FIELD

// Name of the first field in which the bars differ; empty when they are equal.
inline std::string firstDifference(const DailyBar& a, const DailyBar& b) {
    const auto* left = reinterpret_cast<const unsigned char*>(&a);
    const auto* right = reinterpret_cast<const unsigned char*>(&b);
    for (const BarField& field : kBarFields)
        if (std::memcmp(left + field.offset, right + field.offset, field.size) != 0)
            return field.name;
    return {};
}

}  // namespace tav::test
