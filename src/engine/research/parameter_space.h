#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/period_mode.h"
#include "settings/analysis_parameters.h"
#include "simulation/strategy.h"

namespace tav {

// Where a swept number lives. Strategy fields change only the rules, so the
// recomputed indicators of a security stay valid across them; analysis
// parameters change the indicators themselves.
struct ParameterAddress {
    enum class Kind : uint8_t { ConditionField, StopValue, SplitAmount, SplitStep, Analysis };
    Kind kind = Kind::ConditionField;
    int tactic = 0;  // counted from 0
    TacticTab column = TacticTab::Buy;
    int row = 0;  // counted from 0
    int16_t Condition::*field = nullptr;
    int analysis = 0;  // the parameter in block order, chart ones first

    bool changesIndicators() const { return kind == Kind::Analysis; }
};

// One swept parameter: its address, the values to try, and the name the
// user wrote, which the results show.
struct ParameterSweep {
    std::string name;
    ParameterAddress address;
    std::vector<int> values;
};

// Reads "ADDRESS=FROM..TO/STEP" or "ADDRESS=V1,V2,...". ADDRESS is
// TACTIC.buy|sell.ROW.FIELD (FIELD n, value, range, day, percent or ticks, as
// the row's category has them), TACTIC.stop.ROW.value, split.amount,
// split.step, or the name of an analysis parameter (rsiPeriod, maShortPeriod,
// ...). Tactics and rows count from 1. Every value is checked against the
// field's range and the strategy's rows, so a bad sweep is refused before
// anything runs; the reason in `error`.
std::optional<ParameterSweep> parseSweep(std::string_view text, const Strategy& strategy,
                                         std::string& error);

// Writes `value` into the strategy or the analysis parameters (for `period`).
void applyParameter(const ParameterAddress& address, int value, Strategy& strategy,
                    AnalysisParameters& parameters, PeriodMode period);

// The number of points of the grid; saturates at INT64_MAX.
int64_t gridSize(const std::vector<ParameterSweep>& sweeps);

// A point of the grid: one value index per sweep.
using ParameterPoint = std::vector<int>;

// Point `index` of the grid, the last sweep varying fastest.
ParameterPoint gridPoint(const std::vector<ParameterSweep>& sweeps, int64_t index);

}  // namespace tav
