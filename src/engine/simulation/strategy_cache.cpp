#include "simulation/strategy_cache.h"

#include "core/file_io.h"

namespace tav {

const StrategyReading* StrategyCache::strategy(const std::string& folder, int number) {
    const std::string path = fileio::joinPath(folder, strategyFileName(number));
    if (path != path_ || !stamps_ || !stamps_->current()) {
        path_ = path;
        stamps_.emplace();
        stamps_->add(path);
        reading_ = readStrategyFile(path);
    }
    return reading_ ? &*reading_ : nullptr;
}

}  // namespace tav
