// The production pass slides its windows; the plain pass re-sums them. Both
// must agree on every byte of every slot, on random series and settings, also
// when the slots hold the values of an earlier pass with other settings.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <span>
#include <vector>

#include "analysis/recompute.h"
#include "analysis/slot_math.h"
#include "data/price_store.h"
#include "random_series.h"
#include "slot_fields.h"
#include "support/reference/reference_pass.h"
#include "support/temp_folder.h"

namespace tav {
namespace {

constexpr int kGuardBars = 4;
constexpr unsigned char kGuardByte = 0xA5;

// Bars with guard bars on both sides, to catch a write outside the series.
struct GuardedBars {
    explicit GuardedBars(const std::vector<DailyBar>& bars)
        : storage(bars.size() + 2 * kGuardBars) {
        std::memset(static_cast<void*>(storage.data()), kGuardByte,
                    storage.size() * sizeof(DailyBar));
        std::copy(bars.begin(), bars.end(), storage.begin() + kGuardBars);
    }
    std::span<DailyBar> bars() {
        return std::span<DailyBar>(storage).subspan(kGuardBars, storage.size() - 2 * kGuardBars);
    }
    bool guardsIntact() const {
        const auto* bytes = reinterpret_cast<const unsigned char*>(storage.data());
        const std::size_t guardBytes = kGuardBars * sizeof(DailyBar);
        const std::size_t tail = (storage.size() - kGuardBars) * sizeof(DailyBar);
        for (std::size_t i = 0; i < guardBytes; ++i)
            if (bytes[i] != kGuardByte || bytes[tail + i] != kGuardByte) return false;
        return true;
    }
    std::vector<DailyBar> storage;
};

// Runs both passes on copies of `bars`; returns a description of the first
// difference, empty when they agree.
std::string comparePasses(const std::vector<DailyBar>& bars, const AnalysisSettings& settings) {
    GuardedBars fast(bars);
    GuardedBars plain(bars);
    AnalysisState fastState;
    AnalysisState plainState;
    recomputeIndicators(fast.bars(), settings, fastState);
    recomputeIndicatorsPlain(plain.bars(), settings, plainState);
    if (!fast.guardsIntact()) return "production pass wrote outside the series";
    if (!plain.guardsIntact()) return "plain pass wrote outside the series";
    for (std::size_t i = 0; i < bars.size(); ++i) {
        std::string field = test::firstDifference(fast.bars()[i], plain.bars()[i]);
        if (!field.empty()) return "bar " + std::to_string(i) + " field " + field;
    }
    const auto& a = fastState;
    const auto& b = plainState;
    if (a.values.meanClose != b.values.meanClose || a.values.meanVolume != b.values.meanVolume ||
        a.values.volumeGuide != b.values.volumeGuide)
        return "series-wide values";
    if (a.parabolic.trend != b.parabolic.trend || a.parabolic.af != b.parabolic.af ||
        a.parabolic.ep != b.parabolic.ep)
        return "parabolic state";
    if (a.lastRsiWindow.up != b.lastRsiWindow.up || a.lastRsiWindow.down != b.lastRsiWindow.down)
        return "rsi window";
    return {};
}

TEST(ReferencePass, MatchesOnRandomSeriesAndSettings) {
    std::mt19937_64 random(20240607);
    constexpr int kSeries = 1500;
    for (int run = 0; run < kSeries; ++run) {
        const int kind = std::uniform_int_distribution<int>(0, 9)(random);
        const int count = kind == 0   ? std::uniform_int_distribution<int>(0, 16)(random)
                          : kind == 9 ? std::uniform_int_distribution<int>(300, 1200)(random)
                                      : std::uniform_int_distribution<int>(17, 300)(random);
        std::vector<DailyBar> bars = test::randomBars(random, count);
        AnalysisSettings settings =
            run % 10 == 0 ? AnalysisSettings{} : test::randomSettings(random);
        // Half the runs start from the slots of an earlier pass with other
        // settings, so that the slots a step keeps are not all zero.
        if (run % 2 == 1) {
            AnalysisState earlier;
            recomputeIndicators(bars, test::randomSettings(random), earlier);
        }
        std::string difference = comparePasses(bars, settings);
        ASSERT_TRUE(difference.empty())
            << "series " << run << " (" << count << " bars): " << difference;
    }
}

// Volumes near 2^63 (a hostile page or archive can carry them) overflow
// 64-bit sums: both passes agree, without undefined behaviour, and the
// series-wide mean stays at its ceiling instead of wrapping negative.
TEST(ReferencePass, MatchesWithVolumesNearTheLimit) {
    std::mt19937_64 random(63);
    for (int64_t volume : {INT64_MAX, INT64_MAX - 7, INT64_MIN, INT64_MIN + 1}) {
        std::vector<DailyBar> bars = test::randomBars(random, 120);
        for (std::size_t i = 0; i < bars.size(); i += 1 + i % 3) bars[i].volume = volume;
        std::string difference = comparePasses(bars, AnalysisSettings{});
        ASSERT_TRUE(difference.empty()) << volume << ": " << difference;
    }
    std::vector<DailyBar> bars = test::randomBars(random, 60);
    for (DailyBar& bar : bars) bar.volume = INT64_MAX;
    AnalysisState state;
    recomputeIndicators(bars, AnalysisSettings{}, state);
    EXPECT_EQ(state.values.meanVolume, INT64_MAX);
    EXPECT_EQ(state.values.volumeGuide, INT64_MAX);
}

// The production pass takes its volume sums in 64 bits when the series is
// small enough (`volumesFit64`), else in 128. At the largest volume that
// still fits, and one above it, both paths agree with the plain pass.
TEST(ReferencePass, MatchesOnBothSidesOfTheSixtyFourBitVolumeBound) {
    std::mt19937_64 random(64);
    for (int count : {30, 400}) {
        std::vector<DailyBar> bars = test::randomBars(random, count);
        auto withVolume = [&](int64_t volume) {
            std::vector<DailyBar> changed = bars;
            for (std::size_t i = 0; i < changed.size(); i += 1 + i % 4) changed[i].volume = volume;
            return changed;
        };
        int64_t fits = 0;
        int64_t tooLarge = INT64_MAX;
        while (tooLarge - fits > 1) {
            const int64_t middle = fits + (tooLarge - fits) / 2;
            (analysis::volumesFit64(withVolume(middle)) ? fits : tooLarge) = middle;
        }
        // Ten times the largest daily volume of any real series.
        ASSERT_GT(fits, 10'000'000'000) << "real volumes must take the 64-bit path";
        for (int64_t volume : {fits, -fits, tooLarge}) {
            std::string difference = comparePasses(withVolume(volume), AnalysisSettings{});
            ASSERT_TRUE(difference.empty()) << count << " bars, volume " << volume << ": "
                                            << difference;
        }
    }
}

// A zero-filled parameter block (a short settings file) and the largest
// byte values must neither index outside the series nor divide by zero.
TEST(ReferencePass, MatchesWithEveryParameterAtItsExtremes) {
    std::mt19937_64 random(255);
    for (int value : {0, 1, 2, 254, 255}) {
        AnalysisParameters parameters;
        parameters.bytes.fill(static_cast<uint8_t>(value));
        DisplaySwitches switches{1, 1, static_cast<uint8_t>(value)};
        const AnalysisSettings settings =
            AnalysisSettings::from(parameters, PeriodMode::Weekly, switches);
        for (int count : {0, 1, 2, 13, 14, 27, 60, 300}) {
            std::vector<DailyBar> bars = test::randomBars(random, count);
            std::string difference = comparePasses(bars, settings);
            ASSERT_TRUE(difference.empty())
                << "value " << value << ", " << count << " bars: " << difference;
        }
    }
}

TEST(ReferencePass, MatchesOnRealSeries) {
    const std::filesystem::path folder = test::realDataFolder();
    if (folder.empty()) GTEST_SKIP() << "no real data beside the checkout";
    std::mt19937_64 random(7203);
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "Data")) {
        // Every fifth file keeps the run short; the defaults and random settings alternate.
        if (checked++ % 5 != 0) continue;
        std::vector<DailyBar> bars = loadSeries(entry.path().string());
        AnalysisSettings settings = checked % 2 ? AnalysisSettings{} : test::randomSettings(random);
        std::string difference = comparePasses(bars, settings);
        ASSERT_TRUE(difference.empty()) << entry.path() << ": " << difference;
    }
}

}  // namespace
}  // namespace tav
