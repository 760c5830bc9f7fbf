#pragma once

#include <array>
#include <utility>

#include "analysis/slot_math.h"

namespace tav::analysis {

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

inline constexpr std::array<TurnZones, 7> kTurnZones = {{
    {&DailyBar::williamsR, TurnMarkSlot::WilliamsR, false, 250, 750, true},
    {&DailyBar::rsi, TurnMarkSlot::Rsi, true, 250, 750, true},
    {&DailyBar::rci, TurnMarkSlot::Rci, false, -500, 500, true},
    {&DailyBar::roc, TurnMarkSlot::Roc, false, 90, 110, false},
    {&DailyBar::pvr, TurnMarkSlot::Pvr, false, -50, 50, false},
    {&DailyBar::wakoVr, TurnMarkSlot::WakoVr, false, -500, 500, false},
    {&DailyBar::vlRsi, TurnMarkSlot::VlRsi, true, 250, 750, true},
}};

// One oscillator on bar k >= 1: clears its mark, then mark 2 when the line
// turns up in its lower zone and mark 1 when it turns down in its upper zone,
// unless bar k-1 got the same mark; mark 1 is tested last and wins.
template <int kOscillator>
void markTurnAt(Bars bars, int k) {
    static constexpr TurnZones zones = kTurnZones[kOscillator];
    constexpr int mark = static_cast<int>(zones.mark);
    auto inLow = [](int value) -> int {
        return zones.lowStrict ? value < zones.low : value <= zones.low;
    };
    const int prev = bars[k - 1].*zones.slot;
    const int cur = bars[k].*zones.slot;
    const uint8_t previousMark = bars[k - 1].turnMarks[mark];
    // Bitwise rather than short-circuit tests on 0/1 integers: the outcomes are
    // as good as random, and the branches would cost more than the tests.
    const int notCurrentToo = zones.currentToo ? 0 : 1;
    const int lowZone = inLow(prev) & (notCurrentToo | inLow(cur));
    const int highZone = int{prev >= zones.high} & (notCurrentToo | int{cur >= zones.high});
    const int turnedUp = lowZone & int{prev < cur} & int{previousMark != kMarkTurnedUp};
    const int turnedDown = highZone & int{prev > cur} & int{previousMark != kMarkTurnedDown};
    // The upper-zone mark is tested last and wins.
    bars[k].turnMarks[mark] = static_cast<uint8_t>(turnedDown * kMarkTurnedDown +
                                                   (turnedUp & ~turnedDown) * kMarkTurnedUp);
}

// Step 16 for bars begin .. end-1: the turning marks of the seven
// oscillators, all seven side by side with the tests of `markTurnAt`. Each
// oscillator's walk reads only its own marks, so walking them bar by bar
// together gives what seven walks one after another would.
void computeTurnMarksRange(Bars bars, int begin, int end);

void computeTurnMarks(Bars bars);

}  // namespace tav::analysis
