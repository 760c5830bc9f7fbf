#pragma once

#include <optional>
#include <string>

#include "core/file_stamp.h"
#include "simulation/strategy_file.h"

namespace tav {

// The rule file of one strategy kept in memory, so that the display run does
// not read the disk on every recompute. Read again when another strategy is
// asked for, when its file changed size or time, or after forget() (the
// program's own write may keep both).
class StrategyCache {
  public:
    // Strategy `number` ("Trade{number}.pat"); null when it cannot be read.
    const StrategyReading* strategy(const std::string& folder, int number);
    void forget() { stamps_.reset(); }

  private:
    std::string path_;
    std::optional<FileStamps> stamps_;  // none: read on the next request
    std::optional<StrategyReading> reading_;
};

}  // namespace tav
