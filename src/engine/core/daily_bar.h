#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace tav {

// One bar (a day, a week or a month) of a security. The price fields come from
// the data files and quote pages; every other field is a computed slot written
// by the recompute pass, or a trade slot written by a simulation run. A new bar
// is all zero. Fields stand in record order.
struct DailyBar {
    char date[12];  // YYYYMMDD, NUL-terminated; compared byte-wise
    int32_t open;
    int32_t high;
    int32_t low;
    int32_t close;
    int32_t change;  // close - previous close
    int32_t body;    // close - open
    int64_t volume;
    int32_t marginSell;
    int32_t marginBuy;
    uint8_t provisional;  // 1: intraday bar, never written to a data file
    int16_t splitRatio;   // percent, 200 = one share became two

    int32_t maLong;
    int32_t maMid;
    int32_t maShort;
    int32_t waveLine;
    int32_t bollingerMid;
    int32_t kijun;
    int32_t tenkan;
    int32_t chikou;
    int32_t senkou1;
    int32_t senkou2;
    float macdLongEma;
    float macdShortEma;
    int32_t macd;
    int32_t macdSignal;
    int32_t forceIndex;
    uint8_t sarTrend;
    int32_t sar;
    int32_t sarBand;
    int32_t hlHigh;
    int32_t hlLow;
    int16_t turnMark;
    int16_t turnConfirmed;
    int16_t turnDistance;
    int16_t turnRatio;
    uint8_t psychUpCount;
    uint8_t upBar;
    int16_t williamsR;
    int16_t rsi;
    int16_t rsiLong;
    int16_t rsiMid;
    int16_t rsiShort;
    int16_t rci;
    int16_t rciLong;
    int16_t rciMid;
    int16_t rciShort;
    double volatility5;
    int16_t vlRsi;
    int16_t deviationLong;
    int16_t deviationMid;
    int16_t roc;
    int16_t vr;
    int16_t wakoVr;
    int16_t pvr;
    int32_t dx;
    int32_t adx;
    int32_t plusDi;
    int32_t minusDi;
    int32_t stochK;
    int32_t stochD;
    int32_t stochSlowD;
    int64_t volumeMaShort;
    int64_t volumeMaLong;
    int32_t range;
    int32_t rangeAverage;
    // Turning marks in this order: williamsR, rsi, rci, roc, pvr, wakoVr, vlRsi.
    uint8_t turnMarks[7];

    uint8_t tradeMark;
    uint8_t tradeReentry;
    // Units traded on this bar. Wider than a 16-bit count so that all-in sizing
    // of cheap units cannot wrap.
    int32_t tradeUnits;
    int32_t tradePerShare;

    std::string_view dateText() const { return std::string_view(date, strnlen(date, sizeof date)); }
};

static_assert(std::is_trivially_copyable_v<DailyBar>);

// Index of each oscillator in DailyBar::turnMarks.
enum class TurnMarkSlot : uint8_t { WilliamsR, Rsi, Rci, Roc, Pvr, WakoVr, VlRsi };

// Sets the date text, cut to the 11 characters the field holds.
inline void setBarDate(DailyBar& bar, std::string_view text) {
    std::memset(bar.date, 0, sizeof bar.date);
    std::memcpy(bar.date, text.data(), std::min(text.size(), sizeof bar.date - 1));
}

}  // namespace tav
