#include "analysis/rci.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tav::analysis {

namespace {

constexpr int kLanes = 4;
using Lanes = int32_t __attribute__((vector_size(kLanes * sizeof(int32_t))));
using Halves = int16_t __attribute__((vector_size(kLanes * sizeof(int32_t))));
using TwoInts = int32_t __attribute__((vector_size(2 * sizeof(int32_t))));
using TwoDoubles = double __attribute__((vector_size(2 * sizeof(double))));

Lanes load(const int32_t* values) {
    Lanes lanes;
    std::memcpy(&lanes, values, sizeof lanes);
    return lanes;
}

// Lane-wise product of values below 2^16 whose product stays below 2^16:
// a 16-bit multiply (the upper halves are 0 and multiply to 0).
Lanes smallProduct(Lanes a, Lanes b) {
    return reinterpret_cast<Lanes>(reinterpret_cast<Halves>(a) * reinterpret_cast<Halves>(b));
}

// Rows to columns: row j, lane b becomes row b, lane j.
void transpose(std::array<Lanes, 4>& rows) {
    const Lanes t0 = __builtin_shufflevector(rows[0], rows[1], 0, 4, 1, 5);
    const Lanes t1 = __builtin_shufflevector(rows[2], rows[3], 0, 4, 1, 5);
    const Lanes t2 = __builtin_shufflevector(rows[0], rows[1], 2, 6, 3, 7);
    const Lanes t3 = __builtin_shufflevector(rows[2], rows[3], 2, 6, 3, 7);
    rows[0] = __builtin_shufflevector(t0, t1, 0, 1, 4, 5);
    rows[1] = __builtin_shufflevector(t0, t1, 2, 3, 6, 7);
    rows[2] = __builtin_shufflevector(t2, t3, 0, 1, 4, 5);
    rows[3] = __builtin_shufflevector(t2, t3, 2, 3, 6, 7);
}

// The comparisons of four consecutive slides (bars k .. k+3, one per lane)
// for the lines sorted by period, longest first. `entering` points at the
// close of bar k; the close of age a (time rank a before the slide) sits at
// entering - a and the leaving close of line j at entering - n_j.
struct GroupCounts {
    std::array<Lanes, kRciLines> leavingAbove{};
    std::array<Lanes, kRciLines> leavingBelow{};
    std::array<Lanes, kRciLines> enteringAbove{};
    std::array<Lanes, kRciLines> enteringBelow{};
};

// Ages fromAge .. toAge-1, which the first kLines lines all include. The
// entering close is the same for every line, so its sums run once and each
// line takes them where its window ends.
template <int kLines>
[[gnu::always_inline]] inline void countAges(const int32_t* entering, int fromAge, int toAge,
                                             const std::array<Lanes, kRciLines>& leaving,
                                             GroupCounts& counts, Lanes& enteringAbove,
                                             Lanes& enteringBelow) {
    const Lanes newest = load(entering);
    // Local sums, so that they stay in registers through the loop.
    std::array<Lanes, kLines> above{};
    std::array<Lanes, kLines> below{};
    Lanes aboveNewest{};
    Lanes belowNewest{};
    Lanes split = Lanes{} + ((1 << 16) + fromAge);  // one count and the time rank
    for (int age = fromAge; age < toAge; ++age) {
        const Lanes own = load(entering - age);
        // Comparisons give -1 (true) or 0 per lane.
        aboveNewest += split & (own > newest);
        belowNewest += split & (own < newest);
#pragma GCC unroll 4
        for (int j = 0; j < kLines; ++j) {
            above[j] += split & (own > leaving[j]);
            below[j] += split & (own < leaving[j]);
        }
        split += 1;
    }
#pragma GCC unroll 4
    for (int j = 0; j < kLines; ++j) {
        counts.leavingAbove[j] += above[j];
        counts.leavingBelow[j] += below[j];
    }
    enteringAbove += aboveNewest;
    enteringBelow += belowNewest;
    counts.enteringAbove[kLines - 1] = enteringAbove;
    counts.enteringBelow[kLines - 1] = enteringBelow;
}

GroupCounts countGroup(const int32_t* entering, const std::array<int, kRciLines>& periods,
                       int lines) {
    std::array<Lanes, kRciLines> leaving{};
    for (int j = 0; j < lines; ++j)
        leaving[j] = load(entering - periods[j]);
    GroupCounts counts;
    Lanes enteringAbove{};
    Lanes enteringBelow{};
    int age = 1;
    auto agesOf = [&]<int kLines>() {
        countAges<kLines>(entering, age, periods[kLines - 1], leaving, counts, enteringAbove,
                          enteringBelow);
        age = periods[kLines - 1];
    };
    if (lines >= 4) agesOf.template operator()<4>();
    if (lines >= 3) agesOf.template operator()<3>();
    if (lines >= 2) agesOf.template operator()<2>();
    agesOf.template operator()<1>();
    return counts;
}

// The counts of one slide of a window of n closes onto bar k, by looking.
RankCounts countSlide(Bars bars, int k, int n) {
    RankCounts counts{};
    const int32_t leaving = bars[k - n].close;
    const int32_t entering = bars[k].close;
    for (int age = 1; age < n; ++age) {
        const int32_t own = bars[k - age].close;
        const int32_t split = (1 << 16) + age;
        counts.leavingAbove += own > leaving ? split : 0;
        counts.leavingBelow += own < leaving ? split : 0;
        counts.enteringAbove += own > entering ? split : 0;
        counts.enteringBelow += own < entering ? split : 0;
    }
    return counts;
}

// (1000 D - 60 S) / D truncated, lane by lane, in double: exact, because D
// < 2^24 and the numerator lies within +-1000 D, far below 2^53, where the
// rounded quotient could reach the next integer. A double divide costs far
// less than a 64-bit integer one.
Lanes rciValues(Lanes squares, const TwoDoubles (&scaledThousand)[2],
                const TwoDoubles (&divisor)[2]) {
#if defined(__SSE2__)
    // The generic conversions below go through scalar registers on x86.
    const __m128i packed = reinterpret_cast<__m128i>(squares);
    const __m128d low = _mm_cvtepi32_pd(packed);
    const __m128d high = _mm_cvtepi32_pd(_mm_shuffle_epi32(packed, 0x0E));
    const __m128d sixty = _mm_set1_pd(60.0);
    const __m128d lowValues =
        _mm_div_pd(_mm_sub_pd(scaledThousand[0], _mm_mul_pd(sixty, low)), divisor[0]);
    const __m128d highValues =
        _mm_div_pd(_mm_sub_pd(scaledThousand[1], _mm_mul_pd(sixty, high)), divisor[1]);
    return reinterpret_cast<Lanes>(
        _mm_unpacklo_epi64(_mm_cvttpd_epi32(lowValues), _mm_cvttpd_epi32(highValues)));
#else
    const TwoInts low = __builtin_shufflevector(squares, squares, 0, 1);
    const TwoInts high = __builtin_shufflevector(squares, squares, 2, 3);
    const TwoInts lowValues = __builtin_convertvector(
        (scaledThousand[0] - 60.0 * __builtin_convertvector(low, TwoDoubles)) / divisor[0],
        TwoInts);
    const TwoInts highValues = __builtin_convertvector(
        (scaledThousand[1] - 60.0 * __builtin_convertvector(high, TwoDoubles)) / divisor[1],
        TwoInts);
    return __builtin_shufflevector(lowValues, highValues, 0, 1, 2, 3);
#endif
}

int16_t rciValue(const RankSums& sums, int n) {
    return rciFromScaledSum(scaledSquares(sums, n), rciDivisor(n));
}

}  // namespace

RankSums countRankSums(const int32_t* closes, int n) {
    int64_t a = 0;
    int64_t b = 0;
    int64_t g = 0;
    int64_t m2 = 0;
    for (int i = 0; i < n; ++i) {
        const int32_t own = closes[n - 1 - i];  // time rank i + 1
        int64_t higher = 0;
        int64_t equal = 0;
        for (int j = 0; j < n; ++j) {
            higher += closes[j] > own;
            equal += closes[j] == own;
        }
        a += (i + 1) * higher;
        b += (i + 1) * equal;
        // Each member of a group of m adds m^2 - 1 and m: over the group m^3 - m and m^2.
        g += equal * equal - 1;
        m2 += equal;
    }
    // m^3 - m = (m - 1) m (m + 1) is a multiple of 3.
    return {static_cast<int32_t>(a), static_cast<int32_t>(b), static_cast<int32_t>(g / 3),
            static_cast<int32_t>(m2)};
}

// The lines whose windows are not yet full everywhere (bars before the longest
// period) slide one at a time; from there on all lines move together. Their
// slides are counted four bars at a time from a contiguous copy of the closes
// (they read nothing else), then the sums of all lines move bar by bar in the
// lanes of one vector, line j in lane j.
void computeRcis(Bars bars, std::span<const RciLine> requested) {
    const int total = count(bars);
    std::array<RciLine, kRciLines> lines{};
    int active = 0;
    for (const RciLine& line : requested) {
        if (line.clearFirst) {
            const int cleared = line.period <= 1 ? total : std::min(line.period, total);
            for (int k = 0; k < cleared; ++k)
                bars[k].*line.slot = 0;
        }
        if (line.period > 1 && active < kRciLines) lines[active++] = line;
    }
    // Longest period first, equal periods in their requested order. At most
    // four lines: an insertion sort (std::sort here draws a false bounds
    // warning from g++ 12).
    for (int i = 1; i < active; ++i)
        for (int j = i; j > 0 && lines[j - 1].period < lines[j].period; --j)
            std::swap(lines[j - 1], lines[j]);
    if (active == 0 || total <= lines[active - 1].period) return;
    const int longest = lines[0].period;

    std::array<RankSums, kRciLines> sums{};
    std::array<int, kRciLines> periods{};
    for (int j = 0; j < active; ++j) {
        const int n = lines[j].period;
        periods[j] = n;
        if (total < n) continue;
        std::array<int32_t, 256> first;
        for (int i = 0; i < n; ++i)
            first[i] = bars[i].close;
        sums[j] = countRankSums(first.data(), n);
        for (int k = n; k < std::min(longest, total); ++k) {
            slideRankSums(sums[j], n, countSlide(bars, k, n));
            bars[k].*lines[j].slot = rciValue(sums[j], n);
        }
    }
    if (total <= longest) return;

    // Lane j holds line j; unused lanes have period 0 and stay at 0.
    Lanes a{};
    Lanes b{};
    Lanes gThird{};
    Lanes m2{};
    Lanes period{};
    Lanes othersSquared{};
    Lanes othersSplit{};
    Lanes constantPart{};
    TwoDoubles scaledThousand[2]{};
    TwoDoubles divisor[2] = {TwoDoubles{} + 1.0, TwoDoubles{} + 1.0};
    for (int j = 0; j < active; ++j) {
        const int n = periods[j];
        a[j] = sums[j].a;
        b[j] = sums[j].b;
        gThird[j] = sums[j].gThird;
        m2[j] = sums[j].m2;
        period[j] = n;
        othersSquared[j] = (n - 1) * (n - 1);
        othersSplit[j] = allOthersSplit(n);
        constantPart[j] = static_cast<int32_t>(rankConstantPart(n));
        scaledThousand[j / 2][j % 2] = static_cast<double>(1000 * rciDivisor(n));
        divisor[j / 2][j % 2] = static_cast<double>(rciDivisor(n));
    }
    const Lanes othersCount = period - 1;

    constexpr int kChunk = 256;
    constexpr int kLongestPeriod = 255;  // periods are bytes
    std::array<int32_t, kLongestPeriod + kChunk + kLanes> closes;
    for (int first = longest; first < total; first += kChunk) {
        const int end = std::min(first + kChunk, total);
        // closes[i] is the close of bar first - longest + i; lanes past the
        // last bar read zeros and are not used.
        const int copied = end - first + longest;
        for (int i = 0; i < copied; ++i)
            closes[i] = bars[first - longest + i].close;
        std::fill_n(closes.begin() + copied, kLanes, 0);
        for (int k = first; k < end; k += kLanes) {
            GroupCounts counts = countGroup(&closes[k - first + longest], periods, active);
            transpose(counts.leavingAbove);
            transpose(counts.leavingBelow);
            transpose(counts.enteringAbove);
            transpose(counts.enteringBelow);
            const int lanes = std::min(kLanes, end - k);
            for (int bar = 0; bar < lanes; ++bar) {
                const Lanes leavingAbove = counts.leavingAbove[bar];
                const Lanes enteringAbove = counts.enteringAbove[bar];
                const Lanes leavingEqualSplit =
                    othersSplit - leavingAbove - counts.leavingBelow[bar];
                const Lanes enteringEqualSplit =
                    othersSplit - enteringAbove - counts.enteringBelow[bar];
                const Lanes leavingHigher = leavingAbove >> 16;
                const Lanes timeBelowLeaving = counts.leavingBelow[bar] & 0xFFFF;
                const Lanes leavingGroup = (leavingEqualSplit >> 16) + 1;
                const Lanes timeEqualLeaving = leavingEqualSplit & 0xFFFF;
                const Lanes timeBelowEntering = counts.enteringBelow[bar] & 0xFFFF;
                const Lanes enteringEqual = enteringEqualSplit >> 16;
                const Lanes timeEqualEntering = enteringEqualSplit & 0xFFFF;
                // As slideRankSums, for every line at once.
                a -= smallProduct(period, leavingHigher) + timeBelowLeaving;
                b -= smallProduct(period, leavingGroup) + timeEqualLeaving;
                gThird -= smallProduct(leavingGroup, leavingGroup - 1);
                m2 -= 2 * leavingGroup - 1;
                a += (othersSquared - m2) >> 1;  // never negative
                b += m2;
                a += timeBelowEntering + (othersCount - enteringEqual);
                b += timeEqualEntering + 2 * enteringEqual + 1;
                gThird += smallProduct(enteringEqual, enteringEqual + 1);
                m2 += 2 * enteringEqual + 1;
                // Below 2^31 for every period up to 255 (see RankSums).
                const Lanes squares = constantPart - 100 * (2 * a + b) - 25 * gThird;
                const Lanes values = rciValues(squares, scaledThousand, divisor);
                DailyBar& target = bars[k + bar];
                for (int j = 0; j < active; ++j)
                    target.*lines[j].slot = toInt16(values[j]);
            }
        }
    }
}

void computeRci(Bars bars, int period, int16_t DailyBar::*slot, bool clearFirst) {
    const RciLine line{period, slot, clearFirst};
    computeRcis(bars, {&line, 1});
}

int16_t rciAt(Bars bars, int bar, int period) {
    const int first = bar - period + 1;
    int64_t squares = 0;
    for (int i = 0; i < period; ++i) {
        const int32_t close = bars[first + i].close;
        int higher = 0;
        int equal = 0;
        for (int other = 0; other < period; ++other) {
            const int32_t otherClose = bars[first + other].close;
            if (otherClose > close) ++higher;
            if (otherClose == close) ++equal;
        }
        const int64_t timeRank = int64_t{period - i} * 10;
        const int64_t priceRank = 10 + 10 * int64_t{higher} + 5 * int64_t{equal - 1};
        squares += (timeRank - priceRank) * (timeRank - priceRank);
    }
    return rciFromScaledSum(squares, rciDivisor(period));
}

}  // namespace tav::analysis
