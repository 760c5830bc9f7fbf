#include "chart/scale_labels.h"

#include <algorithm>
#include <utility>

namespace tav::desktop {

namespace {

// Month and two-digit year of a YYYYMMDD date; 0 when the text is too short.
int monthOf(const DailyBar& bar) {
    const std::string_view date = bar.dateText();
    if (date.size() < 6) return 0;
    return (date[4] - '0') * 10 + (date[5] - '0');
}

std::string yearOf(const DailyBar& bar) {
    const std::string_view date = bar.dateText();
    return date.size() >= 4 ? std::string(date.substr(2, 2)) : std::string();
}

}  // namespace

std::vector<DateLabel> dateLabels(std::span<const DailyBar> bars, int newest, int visible,
                                  PeriodMode period) {
    std::vector<DateLabel> labels;
    const int count = static_cast<int>(bars.size());
    if (newest >= count) newest = count - 1;
    for (int back = 0; back < visible && newest - back >= 0; ++back) {
        const DailyBar& bar = bars[newest - back];
        const int month = monthOf(bar);
        if (period == PeriodMode::Monthly) {
            if (month % 3 == 0 && month > 0) labels.push_back({back, std::to_string(month), false});
            if (month == 7) labels.push_back({back, yearOf(bar), true});
            continue;
        }
        const int index = newest - back;
        if (index == 0) continue;  // the oldest bar has no neighbour to differ from
        if (monthOf(bars[index - 1]) == month) continue;
        labels.push_back({back, std::to_string(month), false});
        if (yearOf(bars[index - 1]) != yearOf(bar)) labels.push_back({back, yearOf(bar), true});
    }
    return labels;
}

std::vector<PlacedDate> placeDateLabels(const std::vector<DateLabel>& labels, int newestX,
                                        int pitch, int left, int right,
                                        const std::function<int(const std::string&)>& widthOf) {
    std::vector<PlacedDate> placed;
    LabelRow row(4);
    const auto place = [&](const DateLabel& label, const std::string& text) {
        const int width = widthOf(text);
        const int x = newestX - label.back * pitch - width / 2;
        if (x < left || x + width > right || !row.take(x, x + width)) return;
        placed.push_back({x, text});
    };
    for (const DateLabel& label : labels)
        if (label.lower) place(label, label.text + "年");
    for (const DateLabel& label : labels) {
        if (label.lower) continue;
        const bool yearThere = std::any_of(
            labels.begin(), labels.end(),
            [&](const DateLabel& other) { return other.lower && other.back == label.back; });
        if (!yearThere) place(label, label.text);
    }
    return placed;
}

std::array<std::string, 3> indicatorScaleLabels(IndicatorId indicator, bool inverted) {
    std::array<std::string, 3> labels;
    switch (indicator) {
        case IndicatorId::Rsi:
        case IndicatorId::Stochastics:
        case IndicatorId::Dmi:
        case IndicatorId::Psychological:
        case IndicatorId::MultiRsi:
        case IndicatorId::VlRsi:
            labels = {"100", "50", "0"};
            break;
        case IndicatorId::Rci:
        case IndicatorId::WakoVr:
        case IndicatorId::MultiRci:
        case IndicatorId::Pvr:
            labels = {"100", "0", "-100"};
            break;
        case IndicatorId::Roc:
            labels = {"120", "100", "80"};
            break;
        case IndicatorId::WilliamsR:
            labels = {"0", "50", "100"};
            break;
        case IndicatorId::Vr:
            // VR has no inverted form.
            return {"200", "100", "0"};
        case IndicatorId::Deviation:
        case IndicatorId::Macd:
        case IndicatorId::MacdHistogram:
        case IndicatorId::ForceIndex:
            return {"", "0", ""};
    }
    if (inverted) std::swap(labels[0], labels[2]);
    return labels;
}

std::string headerText(const SecurityInfo& security) {
    if (security.unit == 0) return security.name + " （--- : --- 株）";
    std::string text =
        security.name + " （" + security.market + " : " + std::to_string(security.unit) + " 株";
    if (!security.symbol.empty() && security.symbol != "-") text += " : " + security.symbol;
    return text + "）";
}

std::vector<GraphLabelBaselines> indicatorLabelBaselines(const IndicatorLayout& layout, int graphs,
                                                         int ascent, int descent) {
    std::vector<GraphLabelBaselines> baselines(static_cast<std::size_t>(std::max(graphs, 0)));
    // Graphs overlap by a unit, so a graph's top label lies above the bottom
    // label of the graph before: check against every box placed so far.
    std::vector<std::pair<int, int>> placed;  // text rows [top, bottom]
    for (int g = 0; g < graphs; ++g) {
        const int wanted[] = {layout.graphTop(g) + ascent + 1,
                              layout.graphMiddle(g) + ascent / 2 - 1,
                              layout.graphBottom(g) - descent - 1};
        for (int row = 0; row < 3; ++row) {
            const int top = wanted[row] - ascent;
            const int bottom = wanted[row] + descent;
            const bool overlaps = std::any_of(placed.begin(), placed.end(), [&](const auto& box) {
                return top <= box.second && bottom >= box.first;
            });
            if (overlaps) continue;
            baselines[g][row] = wanted[row];
            placed.emplace_back(top, bottom);
        }
    }
    return baselines;
}

}  // namespace tav::desktop
