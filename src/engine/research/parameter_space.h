#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/integer_field.h"
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

// A sweep takes at most this many values.
inline constexpr int kMaxSweepValues = 100000;

// The values a parameter may take, as parseSweep checks them.
IntegerField parameterRange(const ParameterAddress& address, const Strategy& strategy);

// A number of the strategy, or an analysis parameter, that a sweep can vary.
struct SweepableParameter {
    std::string name;     // the address parseSweep reads: "1.buy.2.n", "rsiPeriod"
    std::string label;    // for the user: "戦術1 買い 2行目 n", "分析 ＲＳＩ期間"
    std::string rowText;  // the row's sentence; empty for split and analysis numbers
    ParameterAddress address;
    IntegerField range;
    int current = 0;  // the strategy's value; the default for analysis parameters
};

// Every number a sweep of `strategy` can vary: the fields of each condition
// row by its kind, each stop value, the split numbers when the strategy
// splits, then the analysis parameters in block order.
std::vector<SweepableParameter> sweepableParameters(const Strategy& strategy,
                                                    std::span<const std::string> capsuleTitles);

// FROM, FROM + STEP, ... up to TO for `parameter`, checked as parseSweep
// checks a range; otherwise nothing and the reason, for the user, in `message`.
std::optional<ParameterSweep> sweepOf(const SweepableParameter& parameter, int from, int to,
                                      int step, std::string& message);

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
