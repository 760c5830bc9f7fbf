#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "chart/chart_geometry.h"
#include "core/daily_bar.h"
#include "core/period_mode.h"
#include "data/stock_master.h"

namespace tav::desktop {

// One date label under the chart: `back` bars left of the newest shown bar;
// `lower` labels (the year) sit 9 pixels below the month row.
struct DateLabel {
    int back = 0;
    std::string text;
    bool lower = false;
    friend bool operator==(const DateLabel&, const DateLabel&) = default;
};

// Labels for the shown bars, walking from bar `newest` back over `visible`
// bars. Monthly: months 3, 6, 9, 12 by number and the two-digit year at
// month 7. Daily and weekly: the month number where the month changes from
// the bar before, and the two-digit year where a new year starts.
std::vector<DateLabel> dateLabels(std::span<const DailyBar> bars, int newest, int visible,
                                  PeriodMode period);

// A date label placed in the one row under the chart, its left edge at x.
struct PlacedDate {
    int x = 0;
    std::string text;
    friend bool operator==(const PlacedDate&, const PlacedDate&) = default;
};

// Places the labels in one row between `left` and `right`, each centred on
// its bar (newestX - back * pitch). A year takes its bar's place as "26年"
// (the month it starts is plain); years are placed before months, and a
// label that would touch one placed before it or cross an end is left out,
// so dense bars thin out instead of overprinting.
std::vector<PlacedDate> placeDateLabels(const std::vector<DateLabel>& labels, int newestX,
                                        int pitch, int left, int right,
                                        const std::function<int(const std::string&)>& widthOf);

// The scale of one indicator graph at its top, middle and bottom rows
// (3gU, (3g + 2)U, (3g + 4)U); centred scales without a fixed range label
// only their zero. Inverted drawing turns the scale over where the graph has
// an inverted form.
std::array<std::string, 3> indicatorScaleLabels(IndicatorId indicator, bool inverted);

// Baselines of each graph's top, middle and bottom scale labels, every one
// inside its own graph's span: the top label under the top row, the middle
// one centred on the middle row, the bottom one resting on the bottom row.
// Neighbouring graphs share a unit, so on a short pane a label that would
// overlap one placed before it is left out (nullopt) rather than overprinted.
using GraphLabelBaselines = std::array<std::optional<int>, 3>;
std::vector<GraphLabelBaselines> indicatorLabelBaselines(const IndicatorLayout& layout, int graphs,
                                                         int ascent, int descent);

// The header line: "name （market : unit 株 : symbol）".
std::string headerText(const SecurityInfo& security);

}  // namespace tav::desktop
