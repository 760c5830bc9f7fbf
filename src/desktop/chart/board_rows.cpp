#include "chart/board_rows.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "analysis/bands.h"
#include "chart/chart_geometry.h"
#include "chart/chart_view_state.h"
#include "chart_lines/day_levels.h"
#include "core/calendar.h"
#include "core/local_date.h"

namespace tav::desktop {

namespace {

constexpr ColourRef kRed = 0x0000FF;
constexpr ColourRef kBlue = 0xFF0000;
constexpr ColourRef kGreen = 0x007F00;
constexpr ColourRef kVolume = 0xC800C8;
constexpr int kCloudLag = 50;  // the cloud is read from a fixed distance back, as the conditions do
constexpr int16_t kUndefinedDeviation = -10000;

[[gnu::format(printf, 1, 2)]] std::string format(const char* pattern, ...) {
    char buffer[128];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, arguments);
    va_end(arguments);
    return buffer;
}

std::string number(int64_t v) {
    return std::to_string(v);
}
// Overlay lines are 0 until they are defined.
std::string price(int64_t v) {
    return v == 0 ? std::string() : number(v);
}

// Percent of a change relative to a base; nothing for a zero base.
std::optional<double> percent(int64_t change, int64_t base) {
    if (base == 0) return std::nullopt;
    return static_cast<double>(change) * 100.0 / static_cast<double>(base);
}

std::string deviation(int32_t close, int32_t line) {
    const auto p = percent(int64_t{close} - line, line);
    return p ? format("%+.1f%%", *p) : std::string();
}

std::string trendMark(int64_t now, int64_t before) {
    if (now > before) return "／";
    if (now < before) return "＼";
    return "―";
}

struct IndicatorRowStyle {
    const char* label;
    bool perMille;
};
constexpr IndicatorRowStyle kIndicatorRows[kIndicatorCount] = {
    {"ＲＳＩ", true},   {"ＲＣＩ", true}, {"ROC", false},   {"乖離率", true}, {"STC", true},
    {"％Ｒ", true},     {"MACD", false},  {"MACDh", false}, {"DMI", true},    {"ｻｲｺﾛ", false},
    {"勢力", false},    {"VR", false},    {"WVR", true},    {"PVR", false},   {"ＲＳＩ３", true},
    {"ＲＣＩ３", true}, {"VLRSI", true},
};

// The value an indicator row shows; nothing while it is not defined.
std::optional<int64_t> indicatorValue(IndicatorId id, const DailyBar& b) {
    auto oscillator = [](int64_t v) { return v < 0 ? std::nullopt : std::optional(v); };
    switch (id) {
        case IndicatorId::Rsi:
            return oscillator(b.rsi);
        case IndicatorId::Rci:
            return b.rci;
        case IndicatorId::Roc:
            return b.roc;
        case IndicatorId::Deviation:
            return b.deviationLong == kUndefinedDeviation ? std::nullopt
                                                          : std::optional<int64_t>(b.deviationLong);
        case IndicatorId::Stochastics:
            return b.stochD;
        case IndicatorId::WilliamsR:
            return oscillator(b.williamsR);
        case IndicatorId::Macd:
            return b.macd;
        case IndicatorId::MacdHistogram:
            return int64_t{b.macd} - b.macdSignal;
        case IndicatorId::Dmi:
            return b.adx;
        case IndicatorId::Psychological:
            return b.psychUpCount;
        case IndicatorId::ForceIndex:
            return b.forceIndex;
        case IndicatorId::Vr:
            return b.vr;
        case IndicatorId::WakoVr:
            return b.wakoVr;
        case IndicatorId::Pvr:
            return b.pvr;
        case IndicatorId::MultiRsi:
            return oscillator(b.rsiShort);
        case IndicatorId::MultiRci:
            return b.rciShort;
        case IndicatorId::VlRsi:
            return oscillator(b.vlRsi);
    }
    return std::nullopt;
}

std::optional<ColourRef> rocColour(int64_t v) {
    if ((v >= 81 && v <= 90) || (v >= 120 && v <= 129)) return kBlue;
    if (v >= 91 && v <= 119) return std::nullopt;
    return kRed;
}

std::vector<BoardRow> priceRows(const DailyBar& bar, const DailyBar* before) {
    std::vector<BoardRow> rows;
    rows.push_back({"始値", number(bar.open)});
    rows.push_back({"高値", number(bar.high)});
    rows.push_back({"安値", number(bar.low)});
    BoardRow close{"終値", number(bar.close)};
    if (before) close.valueColour = bar.close > before->close ? kRed : kBlue;
    rows.push_back(close);

    BoardRow change{"前日比"};
    if (before) {
        const int64_t diff = int64_t{bar.close} - before->close;
        if (const auto p = percent(diff, before->close)) {
            change.value = format("%lld / %.2f%%", static_cast<long long>(diff), *p);
            change.valueColour = diff < 1 ? kBlue : kRed;
        }
    }
    rows.push_back(change);

    BoardRow range{"高安差"};
    range.valueColour = kGreen;
    const int64_t spread = int64_t{bar.high} - bar.low;
    if (const auto p = percent(spread, bar.low))
        range.value =
            format("%lld / %.2f%% / %d", static_cast<long long>(spread), *p, bar.rangeAverage);
    rows.push_back(range);

    BoardRow volume{"出来高", number(bar.volume)};
    volume.valueColour = kVolume;
    rows.push_back(volume);
    BoardRow volumeChange{"前日比"};
    if (before) {
        const int64_t diff = bar.volume - before->volume;
        if (const auto p = percent(diff, before->volume)) {
            volumeChange.value =
                format(*p < 0 ? "%lld/%.1f%%" : "%lld / %.1f%%", static_cast<long long>(diff), *p);
            volumeChange.valueColour = *p > 0 ? kRed : kBlue;
        }
    }
    rows.push_back(volumeChange);
    return rows;
}

std::vector<BoardRow> indicatorRows(const BoardInput& in, const DailyBar& bar,
                                    const DailyBar* before) {
    std::vector<BoardRow> rows;
    IndicatorLayout layout{0, std::max(1, +in.options.graphsPerScreen), 0};
    layout.screen = std::clamp(+in.options.indicatorScreen, 0, layout.screenCount() - 1);
    const int psychPeriod = in.parameters.indicator(IndicatorParam::psychPeriod, in.period);
    for (int g = 0; g < layout.graphsPerScreen; ++g) {
        const int entry = layout.orderEntry(g);
        if (entry < 0 || in.options.indicatorOrder[entry] >= kIndicatorCount) continue;
        const auto id = static_cast<IndicatorId>(in.options.indicatorOrder[entry]);
        const IndicatorRowStyle& style = kIndicatorRows[static_cast<int>(id)];
        BoardRow row{style.label};
        const auto value = indicatorValue(id, bar);
        if (value) {
            if (id == IndicatorId::Psychological) {
                if (psychPeriod != 0)
                    row.value = format("%lld勝%lld敗", static_cast<long long>(*value),
                                       static_cast<long long>(psychPeriod - *value));
            } else if (style.perMille) {
                row.value = format("%.1f", static_cast<double>(*value) / 10.0);
            } else {
                row.value = number(*value);
            }
            if (id == IndicatorId::Roc) row.valueColour = rocColour(*value);
            if (before && !row.value.empty())
                if (const auto previous = indicatorValue(id, *before))
                    row.mark = trendMark(*value, *previous);
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<BoardRow> markerRows(const BoardInput& in, const DailyBar& bar) {
    const DailyBar& marker = in.bars[in.markerA];
    std::vector<BoardRow> rows;
    rows.push_back({"基準日", boardDate(marker, '-', false)});
    rows.push_back({"経過日", number(in.bar - in.markerA)});
    const auto p = percent(int64_t{bar.close} - marker.close, marker.close);
    rows.push_back({"変動率", p ? format("%.2f%%", *p) : std::string()});
    for (BoardRow& row : rows) {
        row.labelColour = kRed;
        row.valueColour = kBlue;
    }
    return rows;
}

std::vector<BoardRow> overlayRows(const BoardInput& in, const DailyBar& bar,
                                  const DailyBar* before) {
    std::vector<BoardRow> rows;
    const int k = in.bar;
    switch (static_cast<Overlay>(in.options.chartOverlay)) {
        case Overlay::MovingAverages:
            rows.push_back({"長期", price(bar.maLong)});
            rows.push_back({"中期", price(bar.maMid)});
            rows.push_back({"短期", price(bar.maShort)});
            rows.push_back({"長乖離", deviation(bar.close, bar.maLong)});
            rows.push_back({"中乖離", deviation(bar.close, bar.maMid)});
            rows.push_back({"短乖離", deviation(bar.close, bar.maShort)});
            break;
        case Overlay::Ichimoku: {
            const DailyBar* cloud = k >= kCloudLag ? &in.bars[k - kCloudLag] : nullptr;
            rows.push_back(
                {"基準", price(bar.kijun), before ? trendMark(bar.kijun, before->kijun) : ""});
            rows.push_back(
                {"転換", price(bar.tenkan), before ? trendMark(bar.tenkan, before->tenkan) : ""});
            rows.push_back({"先行１", cloud ? price(cloud->senkou1) : ""});
            rows.push_back({"先行２", cloud ? price(cloud->senkou2) : ""});
            rows.push_back({"基乖離", deviation(bar.close, bar.kijun)});
            rows.push_back({"転乖離", deviation(bar.close, bar.tenkan)});
            break;
        }
        case Overlay::Parabolic:
            rows.push_back({"SAR", price(bar.sar)});
            rows.push_back({"方向", bar.sarTrend != 0 ? "下降" : "上昇"});
            if (in.switches.parabolicOnClose != 0) rows.push_back({"バンド", price(bar.sarBand)});
            break;
        case Overlay::HlBand:
            rows.push_back({"抵抗線", price(bar.hlHigh)});
            rows.push_back({"中央線", price((int64_t{bar.hlHigh} + bar.hlLow) / 2)});
            rows.push_back({"支持線", price(bar.hlLow)});
            break;
        case Overlay::Bollinger: {
            const BandLevels levels = bollingerLevels(
                in.bars, in.parameters.chart(ChartParam::bollingerPeriod, in.period), k);
            static const char* const kNames[] = {"－３σ", "－２σ", "－１σ", "中心",
                                                 "＋１σ", "＋２σ", "＋３σ"};
            for (int i = 6; i >= 0; --i)
                rows.push_back({kNames[i], price(levels[i])});
            break;
        }
        case Overlay::Envelope: {
            const int step = in.parameters.chart(ChartParam::envelopePercent, in.period);
            const BandLevels levels = envelopeLevels(in.bars, step, k);
            for (int i = 6; i >= 0; --i) {
                const int steps = i - 3;
                const std::string label =
                    steps == 0 ? "中心"
                               : format("%s%d％", steps > 0 ? "＋" : "－", std::abs(steps) * step);
                rows.push_back({label, price(levels[i])});
            }
            break;
        }
        case Overlay::MaBand: {
            const int64_t width = in.parameters.chart(ChartParam::maBandPercent, in.period);
            rows.push_back({"MA上限", price(bar.maMid + bar.maMid * width / 100)});
            rows.push_back({"MA下限", price(bar.maMid - bar.maMid * width / 100)});
            break;
        }
    }
    if (in.switches.waveLineDays != 0) rows.push_back({"波動線", price(bar.waveLine)});
    return rows;
}

}  // namespace

std::string boardDate(const DailyBar& bar, char separator, bool weekday) {
    LocalDate date;
    if (!parseDate8(bar.dateText(), date)) return std::string(bar.dateText());
    std::string text =
        format("%d%c%02d%c%02d", date.year, separator, date.month, separator, date.day);
    if (weekday) {
        static const char* const kDays[] = {"日", "月", "火", "水", "木", "金", "土"};
        text += format("(%s)", kDays[weekdayOf(date)]);
    }
    return text;
}

BoardRows boardRows(const BoardInput& in) {
    BoardRows rows;
    const int count = static_cast<int>(in.bars.size());
    if (in.bar < 0 || in.bar >= count) return rows;
    const DailyBar& bar = in.bars[in.bar];
    // The oldest bar has no previous bar: the fields that compare with it stay empty.
    const DailyBar* before = in.bar > 0 ? &in.bars[in.bar - 1] : nullptr;
    rows.date = {"日付", boardDate(bar, '/', true)};
    rows.prices = priceRows(bar, before);
    rows.indicators = indicatorRows(in, bar, before);
    if (in.markerA >= 0 && in.markerA < count) {
        rows.section = markerRows(in, bar);
    } else if (in.clickedBar >= 0 && in.clickedBar < count) {
        const DailyBar& clicked = in.bars[in.clickedBar];
        rows.section.push_back({"ﾋﾟﾎﾞｯﾄ"});
        for (const LevelEntry& level : pivotLevels(clicked.high, clicked.low, clicked.close))
            rows.section.push_back({std::string(level.name), number(level.value.value_or(0))});
    } else {
        rows.section = overlayRows(in, bar, before);
    }
    return rows;
}

}  // namespace tav::desktop
