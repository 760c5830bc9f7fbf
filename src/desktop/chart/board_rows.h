#pragma once

// The text rows of the price board for one bar, apart from their painting.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/daily_bar.h"
#include "core/period_mode.h"
#include "settings/analysis_parameters.h"
#include "settings/options_record.h"

namespace tav::desktop {

struct BoardRow {
    BoardRow() = default;
    BoardRow(std::string label, std::string value = {}, std::string mark = {})
        : label(std::move(label)), value(std::move(value)), mark(std::move(mark)) {}

    std::string label;  // UTF-8
    std::string value;  // empty when it cannot be computed for this bar
    std::string mark;   // trend mark of an indicator row
    std::optional<ColourRef> labelColour;
    std::optional<ColourRef> valueColour;
};

struct BoardRows {
    BoardRow date;
    std::vector<BoardRow> prices;
    std::vector<BoardRow> indicators;  // drawn inside a frame
    // Marker A's change, the clicked bar's pivots, or the overlay's values.
    std::vector<BoardRow> section;
};

struct BoardInput {
    std::span<const DailyBar> bars;
    int bar = 0;  // the bar shown; must lie in bars
    const OptionsRecord& options;
    const AnalysisParameters& parameters;
    PeriodMode period = PeriodMode::Daily;
    DisplaySwitches switches;
    int markerA = -1;
    int clickedBar = -1;
};

BoardRows boardRows(const BoardInput& input);

// "2024/06/14(金)" for the date row, "2024-06-14" for the marker.
std::string boardDate(const DailyBar& bar, char separator, bool weekday);

}  // namespace tav::desktop
