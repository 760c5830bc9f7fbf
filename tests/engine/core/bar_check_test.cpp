#include "core/bar_check.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

constexpr LocalDate kToday{2026, 12, 7};

struct Case {
    const char* why;
    const char* date;
    int64_t open, high, low, close, volume;
    BarFault fault;
};

// Each row breaks one rule next to its limit, so an off-by-one in any bound shows.
constexpr Case kCases[] = {
    {"a plain bar", "20261204", 100, 110, 90, 105, 1000, BarFault::None},
    {"all four prices equal, no volume", "20261207", 5, 5, 5, 5, 0, BarFault::None},
    {"largest price and volume", "20261204", kMaxBarPrice, kMaxBarPrice, 1, 1, kMaxBarVolume, BarFault::None},
    {"no such day", "20260230", 100, 110, 90, 105, 1, BarFault::BadDate},
    {"short date", "2026124", 100, 110, 90, 105, 1, BarFault::BadDate},
    {"long date", "202612040", 100, 110, 90, 105, 1, BarFault::BadDate},
    {"tomorrow", "20261208", 100, 110, 90, 105, 1, BarFault::FutureDate},
    {"zero low", "20261204", 100, 110, 0, 105, 1, BarFault::PriceNotPositive},
    {"negative open", "20261204", -1, 110, 90, 105, 1, BarFault::PriceNotPositive},
    {"saturated 32-bit high", "20261204", 100, INT32_MAX, 90, 105, 1, BarFault::PriceOutOfRange},
    {"beyond 32 bits", "20261204", 100, 110, 90, int64_t{1} << 40, 1, BarFault::PriceOutOfRange},
    {"high below low", "20261204", 100, 89, 90, 95, 1, BarFault::HighBelowLow},
    {"open above high", "20261204", 111, 110, 90, 105, 1, BarFault::OpenOutsideRange},
    {"open below low", "20261204", 89, 110, 90, 105, 1, BarFault::OpenOutsideRange},
    {"close above high", "20261204", 100, 110, 90, 111, 1, BarFault::CloseOutsideRange},
    {"close below low", "20261204", 100, 110, 90, 89, 1, BarFault::CloseOutsideRange},
    {"negative volume", "20261204", 100, 110, 90, 105, -1, BarFault::NegativeVolume},
    {"saturated volume", "20261204", 100, 110, 90, 105, INT64_MAX, BarFault::VolumeOutOfRange},
};

TEST(BarCheck, EachRuleAtItsLimit) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(checkBarValues(c.date, c.open, c.high, c.low, c.close, c.volume, kToday), c.fault);
    }
}

TEST(BarCheck, RejectionSummaryCountsByFault) {
    BarRejections rejections;
    EXPECT_EQ(describeRejections(rejections), "");
    rejections.add(BarFault::None);
    rejections.add(BarFault::BadDate);
    rejections.add(BarFault::HighBelowLow);
    rejections.add(BarFault::BadDate);
    EXPECT_EQ(describeRejections(rejections), "3 行を除外 (日付が不正 2, 高値が安値より低い 1)");
}

}  // namespace
}  // namespace tav
