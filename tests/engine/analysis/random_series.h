#pragma once

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "analysis/analysis_settings.h"
#include "core/daily_bar.h"

namespace tav::test {

// Random daily bars that reach the corners the indicators care about: price
// levels from single digits to hundreds of millions, zero closes, flat runs,
// zero volumes and volumes far above a million.
inline std::vector<DailyBar> randomBars(std::mt19937_64& random, int count) {
    auto chance = [&](double p) { return std::bernoulli_distribution(p)(random); };
    auto uniform = [&](int64_t lo, int64_t hi) {
        return std::uniform_int_distribution<int64_t>(lo, hi)(random);
    };
    static constexpr int64_t kLevels[] = {5, 300, 2'500, 28'000, 600'000, 3'000'000, 400'000'000};
    int64_t level = kLevels[uniform(0, 6)];
    const double zeroCloses = chance(0.3) ? 0.05 : 0.0;
    const double zeroVolumes = chance(0.3) ? 0.1 : 0.0;
    const int64_t volumeTop = chance(0.5) ? 2'000'000'000 : 900'000;
    std::vector<DailyBar> bars(count);
    int flatLeft = 0;
    for (int i = 0; i < count; ++i) {
        DailyBar& bar = bars[i];
        std::snprintf(bar.date, sizeof bar.date, "2%07d", i);
        if (flatLeft > 0) {
            --flatLeft;
        } else if (chance(0.05)) {
            flatLeft = static_cast<int>(uniform(2, 30));
        } else {
            const int64_t step = std::max<int64_t>(1, level / 25);
            level = std::max<int64_t>(1, level + uniform(-step, step));
        }
        const int64_t spread = flatLeft > 0 ? 0 : uniform(0, std::max<int64_t>(1, level / 20));
        bar.close = static_cast<int32_t>(level);
        bar.open = static_cast<int32_t>(std::max<int64_t>(0, level + uniform(-spread, spread)));
        bar.high = static_cast<int32_t>(std::max<int64_t>(level, bar.open) + uniform(0, spread));
        bar.low = static_cast<int32_t>(
            std::max<int64_t>(0, std::min<int64_t>(level, bar.open) - uniform(0, spread)));
        if (chance(zeroCloses)) {
            bar.close = 0;
            if (chance(0.5)) bar.low = 0;
        }
        bar.volume = chance(zeroVolumes) ? 0 : uniform(0, volumeTop);
        if (chance(0.01)) bar.volume = 1'000'001;
    }
    return bars;
}

// Random parameters: mostly small periods (0 and 1 included), sometimes any byte.
inline AnalysisSettings randomSettings(std::mt19937_64& random) {
    auto value = [&]() {
        const int kind = std::uniform_int_distribution<int>(0, 9)(random);
        const int top = kind < 6 ? 30 : kind < 9 ? 60 : 255;
        return std::uniform_int_distribution<int>(0, top)(random);
    };
    AnalysisSettings s;
    for (int* field : {&s.spTurnPercent,
                       &s.parabolicBandPercent,
                       &s.maBandPercent,
                       &s.envelopePercent,
                       &s.hlBandPeriod,
                       &s.bollingerPeriod,
                       &s.maLongPeriod,
                       &s.maMidPeriod,
                       &s.maShortPeriod,
                       &s.volumeMaLongPeriod,
                       &s.volumeMaShortPeriod,
                       &s.kijunPeriod,
                       &s.tenkanPeriod,
                       &s.chikouShift,
                       &s.senkouPeriod,
                       &s.parabolicInitialAf,
                       &s.parabolicStepAf,
                       &s.parabolicMaxAf,
                       &s.rsiPeriod,
                       &s.rciPeriod,
                       &s.rocPeriod,
                       &s.williamsPeriod,
                       &s.psychPeriod,
                       &s.macdLongPeriod,
                       &s.macdShortPeriod,
                       &s.macdSignalPeriod,
                       &s.dmiPeriod,
                       &s.stochPeriod,
                       &s.stochSlowPeriod,
                       &s.forceIndexPeriod,
                       &s.vrPeriod,
                       &s.wakoVrPeriod,
                       &s.pvrPeriod,
                       &s.multiRsiLongPeriod,
                       &s.multiRsiMidPeriod,
                       &s.multiRsiShortPeriod,
                       &s.multiRciLongPeriod,
                       &s.multiRciMidPeriod,
                       &s.multiRciShortPeriod,
                       &s.vlRsiPeriod})
        *field = value();
    s.parabolicOnClose = std::bernoulli_distribution(0.3)(random);
    s.waveLineDays = std::bernoulli_distribution(0.5)(random) ? value() : 0;
    return s;
}

}  // namespace tav::test
