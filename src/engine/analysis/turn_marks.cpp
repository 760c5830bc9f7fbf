#include "analysis/turn_marks.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace tav::analysis {

namespace {

constexpr int kOscillators = static_cast<int>(kTurnZones.size());

// One 16-bit lane per oscillator in the order of kTurnZones (the order of
// the marks too); the eighth lane is unused.
using Lanes = int16_t __attribute__((vector_size(16)));

static_assert([] {
    for (int i = 0; i < kOscillators; ++i)
        if (static_cast<int>(kTurnZones[i].mark) != i) return false;
    return true;
}());

template <class Value>
Lanes perOscillator(Value value) {
    return [&]<std::size_t... kIndex>(std::index_sequence<kIndex...>) {
        return Lanes{static_cast<int16_t>(value(kTurnZones[kIndex]))..., 0};
    }
    (std::make_index_sequence<kOscillators>{});
}

Lanes oscillatorValues(const DailyBar& bar) {
    return [&]<std::size_t... kIndex>(std::index_sequence<kIndex...>) {
        return Lanes{bar.*kTurnZones[kIndex].slot..., 0};
    }
    (std::make_index_sequence<kOscillators>{});
}

Lanes storedMarks(const DailyBar& bar) {
    return [&]<std::size_t... kIndex>(std::index_sequence<kIndex...>) {
        return Lanes{static_cast<int16_t>(bar.turnMarks[kIndex])..., 0};
    }
    (std::make_index_sequence<kOscillators>{});
}

void storeMarks(DailyBar& bar, Lanes marks) {
#if defined(__SSE2__) && defined(__x86_64__)
    // Marks are 0, 1 or 2: packing to bytes keeps them.
    const __m128i bytes = _mm_packus_epi16(reinterpret_cast<__m128i>(marks), __m128i{});
    uint64_t packed = static_cast<uint64_t>(_mm_cvtsi128_si64(bytes));
    std::memcpy(bar.turnMarks, &packed, kOscillators);
#else
    for (int i = 0; i < kOscillators; ++i)
        bar.turnMarks[i] = static_cast<uint8_t>(marks[i]);
#endif
}

}  // namespace

void computeTurnMarksRange(Bars bars, int begin, int end) {
    int k = std::max(begin, 1);
    if (k >= end) return;
    // A comparison of lanes gives -1 (all bits) where it holds, 0 elsewhere.
    // "below low" (strictly or not) is "low limit > value".
    const Lanes lowLimit =
        perOscillator([](const TurnZones& z) { return z.lowStrict ? z.low : z.low + 1; });
    const Lanes highLimit = perOscillator([](const TurnZones& z) { return z.high - 1; });
    const Lanes previousOnly =
        perOscillator([](const TurnZones& z) { return z.currentToo ? 0 : -1; });
    const Lanes turnedUpMark = perOscillator([](const TurnZones&) { return kMarkTurnedUp; });
    const Lanes turnedDownMark = perOscillator([](const TurnZones&) { return kMarkTurnedDown; });
    Lanes previous = oscillatorValues(bars[k - 1]);
    Lanes previousMarks = storedMarks(bars[k - 1]);
    for (; k < end; ++k) {
        const Lanes current = oscillatorValues(bars[k]);
        const Lanes lowZone = (lowLimit > previous) & (previousOnly | (lowLimit > current));
        const Lanes highZone = (previous > highLimit) & (previousOnly | (current > highLimit));
        const Lanes turnedUp = lowZone & (previous < current) & (previousMarks != turnedUpMark);
        const Lanes turnedDown =
            highZone & (previous > current) & (previousMarks != turnedDownMark);
        // Up and down exclude each other (previous < current, previous > current).
        const Lanes marks = (turnedDown & turnedDownMark) | (turnedUp & turnedUpMark);
        storeMarks(bars[k], marks);
        previous = current;
        previousMarks = marks;
    }
}

void computeTurnMarks(Bars bars) {
    computeTurnMarksRange(bars, 0, count(bars));
}

}  // namespace tav::analysis
