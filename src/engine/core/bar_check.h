#pragma once

#include <cstdint>
#include <string_view>

#include "core/daily_bar.h"
#include "core/local_date.h"

// The one gate every new bar passes before it may enter the store, whatever it
// came from: a quote page, a daily archive, a CSV file or the data API. The
// checks run on the numbers as parsed, before they are narrowed to the bar's
// fields, so that a price too large for 32 bits is refused rather than stored
// as the largest one that fits.
namespace tav {

// Why a bar was refused. Stored values: never; the order is the order in
// which the checks run, so a bar with several faults reports the first.
enum class BarFault : uint8_t {
    None,
    BadDate,           // not an 8-digit YYYYMMDD naming a calendar day
    FutureDate,        // after today
    PriceNotPositive,  // an open, high, low or close of 0 or below
    PriceOutOfRange,   // a price beyond the 32-bit field (or saturated by its parser)
    HighBelowLow,
    OpenOutsideRange,   // open below low or above high
    CloseOutsideRange,  // close below low or above high
    NegativeVolume,
    VolumeOutOfRange,  // a volume beyond the 64-bit field (or saturated by its parser)
};

// Largest price a bar may carry. The 32-bit maximum itself is what saturating
// parsers give for any longer number, so it is refused with them.
constexpr int64_t kMaxBarPrice = INT32_MAX - 1;
// Largest volume; INT64_MAX is the saturated value of an overlong number.
constexpr int64_t kMaxBarVolume = INT64_MAX - 1;

// Checks the numbers of one bar. Prices and volume as parsed, in 64 bits; a
// parser whose number overflowed 64 bits passes its saturated value.
BarFault checkBarValues(std::string_view date, int64_t open, int64_t high, int64_t low,
                        int64_t close, int64_t volume, const LocalDate& today);

// The price and volume checks alone, for a source whose date is checked on
// its own (a day's archive, all of whose lines carry that day).
BarFault checkBarNumbers(int64_t open, int64_t high, int64_t low, int64_t close, int64_t volume);

// The same checks on a bar already built (its prices narrowed by a saturating
// parser, so a clamped price reads as out of range).
BarFault checkBar(const DailyBar& bar, const LocalDate& today);

// A short Japanese text of the fault for summaries ("高値が安値より低い").
std::string_view barFaultText(BarFault fault);

// Counts of refused bars by fault, for a summary line.
struct BarRejections {
    int total = 0;
    int byFault[static_cast<int>(BarFault::VolumeOutOfRange) + 1] = {};

    void add(BarFault fault) {
        if (fault == BarFault::None) return;
        ++total;
        ++byFault[static_cast<int>(fault)];
    }
    void add(const BarRejections& other) {
        total += other.total;
        for (int i = 0; i <= static_cast<int>(BarFault::VolumeOutOfRange); ++i)
            byFault[i] += other.byFault[i];
    }
};

// "3 行を除外 (日付が不正 2, 高値が安値より低い 1)"; empty when nothing was refused.
std::string describeRejections(const BarRejections& rejections);

}  // namespace tav
