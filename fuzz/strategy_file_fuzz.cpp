// The strategy reader must accept any bytes and give a record that writes and
// reads back unchanged (the spare field is not stored, nor the logic and fill
// price of an empty column). Whatever codes it yields, the strategy must run
// over a short series in every mode without reading outside anything.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "simulation/simulation_engine.h"
#include "simulation/strategy_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const StrategyReading reading = parseStrategyFile(input);
    Strategy expected = reading.strategy;
    for (Tactic& tactic : expected.tactics) {
        if (tactic.name.empty()) std::abort();
        for (TacticColumns* columns : {&tactic.buy, &tactic.sell, &tactic.stop}) {
            if (columns->count < 0 || columns->count > kMaxColumnConditions) std::abort();
            if (columns->count == 0) *columns = TacticColumns{};
            for (Condition& row : columns->conditions)
                row.spare = 0;
        }
    }
    if (!(parseStrategyFile(formatStrategyFile(reading.strategy)).strategy == expected))
        std::abort();

    std::vector<DailyBar> bars(8);
    for (int i = 0; i < 8; ++i) {
        DailyBar& bar = bars[static_cast<std::size_t>(i)];
        const char date[] = {'2', '0', '2', '4', '0', '1', '0', static_cast<char>('1' + i)};
        setBarDate(bar, std::string_view(date, sizeof date));
        bar.open = i == 5 ? 0 : 1000 + 7 * i;
        bar.high = 1010 + 9 * i;
        bar.low = i == 6 ? 0 : 990 - 3 * i;
        bar.close = 1005 - (i % 3) * 11;
        bar.volume = 1000 * (i + 1);
    }
    Strategy strategy = reading.strategy;
    const ConditionCapsule capsules[] = {ConditionCapsule{}};
    const ConditionInputs inputs{bars, 3000, 13, 10, 25, capsules};
    SimulationSettings settings;
    settings.commissionKind = kCommissionRate;
    settings.taxKind = 1;
    for (uint8_t mode = 0; mode < kTradingModeCount; ++mode) {
        strategy.tradingMode = mode;
        const SimulationInputs run{strategy, settings, 100, inputs};
        runSimulation(bars, run, RunWindow{3, 8, false}, RunKind::Signal, true);
        runSimulation(bars, run, RunWindow{3, 7, false}, RunKind::Display);
    }
    return 0;
}
