#include <array>
#include <utility>

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

template <int kOscillator>
void markTurns(Bars bars) {
    constexpr TurnZones zones = kTurnZones[kOscillator];
    constexpr int mark = static_cast<int>(zones.mark);
    auto inLow = [&](int value) {
        return zones.lowStrict ? value < zones.low : value <= zones.low;
    };
    if (bars.empty()) return;
    uint8_t previousMark = bars[0].turnMarks[mark];
    int prev = bars[0].*zones.slot;
    for (int k = 1; k < count(bars); ++k) {
        const int cur = bars[k].*zones.slot;
        const bool lowZone = inLow(prev) && (!zones.currentToo || inLow(cur));
        const bool highZone = prev >= zones.high && (!zones.currentToo || cur >= zones.high);
        uint8_t& current = bars[k].turnMarks[mark];
        current = 0;
        if (lowZone && prev < cur && previousMark != kMarkTurnedUp) current = kMarkTurnedUp;
        // Tested last: it wins when both hold.
        if (highZone && prev > cur && previousMark != kMarkTurnedDown) current = kMarkTurnedDown;
        previousMark = current;
        prev = cur;
    }
}

}  // namespace

template <int... kOscillators>
void markAllTurns(Bars bars, std::integer_sequence<int, kOscillators...>) {
    (markTurns<kOscillators>(bars), ...);
}

void computeTurnMarks(Bars bars) {
    markAllTurns(bars, std::make_integer_sequence<int, kTurnZones.size()>{});
}

}  // namespace tav::analysis
