#pragma once

#include <algorithm>
#include <string_view>
#include <vector>

#include "simulation/simulation_engine.h"

namespace tav::test {

// Bars from a pattern, one letter a bar: u a small rise (1000 -> 1010), d a
// small fall, U a big rise (1000 -> 1060), D a big fall, - no change. High and
// low lie 5 beyond the body.
inline std::vector<DailyBar> candles(std::string_view pattern) {
    std::vector<DailyBar> bars;
    int day = 0;
    for (char c : pattern) {
        DailyBar bar{};
        const int month = 1 + day / 28 % 12;
        const int dayOfMonth = 1 + day % 28;
        ++day;
        const char date[] = {'2',
                             '0',
                             '2',
                             '4',
                             static_cast<char>('0' + month / 10),
                             static_cast<char>('0' + month % 10),
                             static_cast<char>('0' + dayOfMonth / 10),
                             static_cast<char>('0' + dayOfMonth % 10)};
        setBarDate(bar, std::string_view(date, sizeof date));
        int open = 1000, close = 1000;
        switch (c) {
            case 'u':
                close = 1010;
                break;
            case 'd':
                open = 1010;
                break;
            case 'U':
                close = 1060;
                break;
            case 'D':
                open = 1060;
                break;
            default:
                break;
        }
        bar.open = open;
        bar.close = close;
        bar.high = std::max(open, close) + 5;
        bar.low = std::min(open, close) - 5;
        bars.push_back(bar);
    }
    return bars;
}

// Conditions on the bar's candle (category 3).
inline Condition rising(int16_t role = kRoleNormal, int16_t daysBack = 0) {
    return Condition{3, role, daysBack, 0, 0, 0, 0, 0, 0, 0};
}
inline Condition falling(int16_t role = kRoleNormal, int16_t daysBack = 0) {
    return Condition{3, role, daysBack, 1, 0, 0, 0, 0, 0, 0};
}
// A rise of at least 5 %.
inline Condition bigRise(int16_t role = kRoleNormal) {
    return Condition{3, role, 0, 2, 5, 0, 0, 0, 0, 0};
}

inline void addRow(TacticColumns& columns, const Condition& condition) {
    columns.conditions[static_cast<std::size_t>(columns.count++)] = condition;
}

// A strategy and settings run over all bars from bar 3.
struct SimulationCase {
    std::vector<DailyBar> bars;
    Strategy strategy;
    SimulationSettings settings;
    std::vector<ConditionCapsule> capsules;
    int32_t unitShares = 1;
    TradeJournal journal;

    Tactic& tactic(std::size_t index = 0) {
        while (strategy.tactics.size() <= index)
            strategy.tactics.emplace_back();
        return strategy.tactics[index];
    }
    RunOutcome run(RunKind kind = RunKind::Display, bool exits = false, int end = -1) {
        ConditionInputs inputs{bars, 1, 13, 10, 25, capsules};
        const SimulationInputs simulation{strategy, settings, unitShares, inputs, &journal};
        RunWindow window{3, end < 0 ? static_cast<int>(bars.size()) : end, false};
        return runSimulation(bars, simulation, window, kind, exits);
    }
    const DailyBar& bar(int index) const { return bars[static_cast<std::size_t>(index)]; }
};

}  // namespace tav::test
