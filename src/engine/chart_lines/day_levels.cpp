#include "chart_lines/day_levels.h"

#include <algorithm>
#include <limits>

#include "core/file_io.h"
#include "core/text.h"
#include "data/program_folder.h"

namespace tav {

namespace {

constexpr int kCloudLag = 50;  // the cloud is read from a fixed distance back, as the conditions do
constexpr std::size_t kLineWidth = 32;
constexpr std::size_t kValueColumn = 11;
constexpr std::size_t kLineColumn = 22;

int32_t clampPrice(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

std::array<LevelEntry, 7> pivotLevels(int32_t high, int32_t low, int32_t close) {
    const int64_t h = high;
    const int64_t l = low;
    const int64_t p = (h + l + close) / 3;
    auto level = [](std::string_view name, int64_t v) {
        return LevelEntry{name, clampPrice(v), true};
    };
    return {level("HBOP", h + 2 * p - 2 * l), level("S2", p + (h - l)),
            level("S1", 2 * p - l),           level("PIVOT", p),
            level("B1", 2 * p - h),           level("B2", p - (h - l)),
            level("LBOP", l + 2 * p - 2 * h)};
}

LevelList levelList(std::span<const DailyBar> bars, int bar) {
    LevelList list{};
    const int count = static_cast<int>(bars.size());
    if (bar < 0 || bar >= count) return list;
    const DailyBar& shown = bars[bar];
    const bool provisional = bar == count - 1 && shown.provisional != 0;
    // A provisional bar's range is still forming: the day's levels come from the bar before.
    const bool usePrevious = provisional && bar > 0;
    const DailyBar& day = usePrevious ? bars[bar - 1] : shown;

    int n = 0;
    for (const LevelEntry& entry : pivotLevels(day.high, day.low, day.close))
        list[n++] = entry;
    auto line = [&](std::string_view name, std::optional<int32_t> value) {
        list[n++] = LevelEntry{name, value, false};
    };
    auto price = [&](std::string_view name, int32_t value) {
        list[n++] = LevelEntry{name, value, true};
    };
    line("長期MA", shown.maLong);
    line("中期MA", shown.maMid);
    line("短期MA", shown.maShort);
    line("転換線", shown.tenkan);
    line("基準線", shown.kijun);
    const bool cloudKnown = bar >= kCloudLag;
    line("雲1", cloudKnown ? std::optional(bars[bar - kCloudLag].senkou1) : std::nullopt);
    line("雲2", cloudKnown ? std::optional(bars[bar - kCloudLag].senkou2) : std::nullopt);
    line("HL高値", shown.hlHigh);
    line("HL安値", shown.hlLow);
    price(usePrevious ? "前日高値" : "当日高値", day.high);
    price(usePrevious ? "前日安値" : "当日安値", day.low);
    price("当日始値", shown.open);
    price(provisional ? "現在値" : "当日終値", shown.close);

    // Highest first; equal values keep their table order, missing ones go last.
    std::stable_sort(list.begin(), list.end(), [](const LevelEntry& a, const LevelEntry& b) {
        if (!a.value || !b.value) return a.value.has_value() && !b.value.has_value();
        return *a.value > *b.value;
    });
    return list;
}

std::string layerFileText(const LevelList& levels) {
    std::string text;
    for (const LevelEntry& entry : levels) {
        std::string line(kLineWidth, ' ');
        const std::string name = text::sjisFromUtf8(entry.name);
        line.replace(entry.priceLevel ? 0 : kLineColumn, name.size(), name);
        if (entry.value) {
            const std::string value = std::to_string(*entry.value);
            line.replace(kValueColumn, value.size(), value);
        }
        line.resize(kLineWidth);
        text += line;
        text += '\n';
    }
    text += "\n\n";
    return text;
}

std::optional<std::string> writeLayerFile(const ProgramFolder& folder, const LevelList& levels) {
    const std::string path = folder.path("Layer.txt");
    if (!fileio::writeFileAtomic(path, layerFileText(levels))) return std::nullopt;
    return path;
}

}  // namespace tav
