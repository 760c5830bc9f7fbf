#include "security/loaded_security.h"

#include <algorithm>

#include "analysis/tick.h"
#include "core/file_io.h"
#include "updates/day_import.h"

namespace tav {

bool LoadedSecurity::loadStored(const ProgramFolder& folder, StockCode code, StorageMode mode,
                                bool readFile) {
    series.bars.clear();
    if (readFile) {
        std::string path = dataFilePath(folder, code, period, mode);
        auto bytes = fileio::readFile(path);
        // A day another instance is importing counts once it is whole.
        std::string name = path.substr(path.rfind('/') + 1);
        if (bytes && mode == StorageMode::Accumulate) {
            if (auto before = sizeBeforeImport(folder, name))
                bytes->resize(std::min<std::size_t>(bytes->size(), static_cast<std::size_t>(*before)));
        }
        if (bytes) series.bars = parseSeries(*bytes);
    }
    series.code = code;
    series.period = period;
    series.savedCount = series.count();
    series.cursor = series.count() - 1;
    return !series.empty();
}

void LoadedSecurity::lookUp(const StockMaster& master) {
    master.lookupSecurity(series.code, security);
    series.name = security.name;
}

void LoadedSecurity::recompute(const DisplaySwitches& switches) {
    recomputeIndicators(series.bars, analysisSettings(switches), analysis);
}

ConditionInputs LoadedSecurity::conditionInputs(const DisplaySwitches& switches,
                                                std::span<const ConditionCapsule> capsules) const {
    const AnalysisSettings settings = analysisSettings(switches);
    return ConditionInputs{series.bars,           analysis.values.volumeGuide,
                           settings.bollingerPeriod, settings.envelopePercent,
                           settings.maBandPercent,   capsules};
}

bool LoadedSecurity::runStrategyDisplay(const StrategyReading* strategy,
                                        const ConditionInputs& inputs,
                                        const SimulationSettings& settings, int currentYear,
                                        StrategyDisplay& display) {
    return runDisplay(strategy, series.bars, inputs, settings, security.unit, currentYear, display);
}

int32_t LoadedSecurity::tickSize(int bar) const {
    if (bar < 0 || bar >= series.count()) return tickSizeForClose(0);
    return tickSizeForClose(series.bars[bar].close);
}

int32_t LoadedSecurity::roundToTick(int32_t value, int bar) const {
    if (bar < 0 || bar >= series.count()) return roundToTickForClose(value, 0);
    return roundToTickForClose(value, series.bars[bar].close);
}

}  // namespace tav
