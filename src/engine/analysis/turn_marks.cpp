#include <array>

#include "analysis/indicators.h"

namespace tav::analysis {

namespace {

constexpr uint8_t kMarkTurnedDown = 1;  // turned down in its upper zone
constexpr uint8_t kMarkTurnedUp = 2;    // turned up in its lower zone

// The zone tests of one oscillator: the previous value (and, with
// `currentToo`, the current one) lies below `low` (strictly with `lowStrict`)
// or at or above `high`.
struct TurnZones {
    int16_t DailyBar::*slot;
    TurnMarkSlot mark;
    bool lowStrict;
    int low;
    int high;
    bool currentToo;
};

constexpr std::array<TurnZones, 7> kTurnZones = {{
    {&DailyBar::williamsR, TurnMarkSlot::WilliamsR, false, 250, 750, true},
    {&DailyBar::rsi, TurnMarkSlot::Rsi, true, 250, 750, true},
    {&DailyBar::rci, TurnMarkSlot::Rci, false, -500, 500, true},
    {&DailyBar::roc, TurnMarkSlot::Roc, false, 90, 110, false},
    {&DailyBar::pvr, TurnMarkSlot::Pvr, false, -50, 50, false},
    {&DailyBar::wakoVr, TurnMarkSlot::WakoVr, false, -500, 500, false},
    {&DailyBar::vlRsi, TurnMarkSlot::VlRsi, true, 250, 750, true},
}};

void markTurns(Bars bars, const TurnZones& zones) {
    const int mark = static_cast<int>(zones.mark);
    auto inLow = [&](int value) {
        return zones.lowStrict ? value < zones.low : value <= zones.low;
    };
    for (int k = 1; k < count(bars); ++k) {
        const int prev = bars[k - 1].*zones.slot;
        const int cur = bars[k].*zones.slot;
        const uint8_t previousMark = bars[k - 1].turnMarks[mark];
        const bool lowZone = inLow(prev) && (!zones.currentToo || inLow(cur));
        const bool highZone = prev >= zones.high && (!zones.currentToo || cur >= zones.high);
        uint8_t& current = bars[k].turnMarks[mark];
        current = 0;
        if (lowZone && prev < cur && previousMark != kMarkTurnedUp) current = kMarkTurnedUp;
        // Tested last: it wins when both hold.
        if (highZone && prev > cur && previousMark != kMarkTurnedDown) current = kMarkTurnedDown;
    }
}

}  // namespace

void computeTurnMarks(Bars bars) {
    for (const TurnZones& zones : kTurnZones)
        markTurns(bars, zones);
}

}  // namespace tav::analysis
