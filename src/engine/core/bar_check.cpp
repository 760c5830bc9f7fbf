#include "core/bar_check.h"

#include <string>

namespace tav {

namespace {

bool priceInRange(int64_t price) {
    return price <= kMaxBarPrice;
}

}  // namespace

BarFault checkBarValues(std::string_view date, int64_t open, int64_t high, int64_t low,
                        int64_t close, int64_t volume, const LocalDate& today) {
    LocalDate parsed;
    if (date.size() != 8 || !parseDate8(date, parsed)) return BarFault::BadDate;
    if (date > std::string_view(formatDate(today))) return BarFault::FutureDate;
    return checkBarNumbers(open, high, low, close, volume);
}

BarFault checkBarNumbers(int64_t open, int64_t high, int64_t low, int64_t close, int64_t volume) {
    if (open <= 0 || high <= 0 || low <= 0 || close <= 0) return BarFault::PriceNotPositive;
    if (!priceInRange(open) || !priceInRange(high) || !priceInRange(low) || !priceInRange(close))
        return BarFault::PriceOutOfRange;
    if (high < low) return BarFault::HighBelowLow;
    if (open < low || open > high) return BarFault::OpenOutsideRange;
    if (close < low || close > high) return BarFault::CloseOutsideRange;
    if (volume < 0) return BarFault::NegativeVolume;
    if (volume > kMaxBarVolume) return BarFault::VolumeOutOfRange;
    return BarFault::None;
}

BarFault checkBar(const DailyBar& bar, const LocalDate& today) {
    return checkBarValues(bar.dateText(), bar.open, bar.high, bar.low, bar.close, bar.volume,
                          today);
}

std::string_view barFaultText(BarFault fault) {
    switch (fault) {
        case BarFault::None:
            return "";
        case BarFault::BadDate:
            return "日付が不正";
        case BarFault::FutureDate:
            return "日付が未来";
        case BarFault::PriceNotPositive:
            return "価格が0以下";
        case BarFault::PriceOutOfRange:
            return "価格が範囲外";
        case BarFault::HighBelowLow:
            return "高値が安値より低い";
        case BarFault::OpenOutsideRange:
            return "始値が高値・安値の外";
        case BarFault::CloseOutsideRange:
            return "終値が高値・安値の外";
        case BarFault::NegativeVolume:
            return "出来高が負";
        case BarFault::VolumeOutOfRange:
            return "出来高が範囲外";
    }
    return "";
}

std::string describeRejections(const BarRejections& rejections) {
    if (rejections.total == 0) return {};
    std::string text = std::to_string(rejections.total) + " 行を除外 (";
    bool first = true;
    for (int i = 1; i <= static_cast<int>(BarFault::VolumeOutOfRange); ++i) {
        if (rejections.byFault[i] == 0) continue;
        if (!first) text += ", ";
        first = false;
        text += barFaultText(static_cast<BarFault>(i));
        text += ' ';
        text += std::to_string(rejections.byFault[i]);
    }
    text += ')';
    return text;
}

}  // namespace tav
