#pragma once

#include <optional>
#include <string>
#include <vector>

#include "conditions/condition.h"
#include "core/file_stamp.h"

namespace tav {

// The folder's capsules kept in memory, so that evaluation does not read the
// disk. They are read again when another folder is asked for, when
// "Capsel.inf" or a capsule file changed size or time (another program or
// window changed it), or after forget(): the program's own write may keep both.
class CapsuleCache {
  public:
    // Capsule k from "Capsel%d.pat" for each title of "Capsel.inf".
    const std::vector<ConditionCapsule>& capsules(const std::string& folder);
    void forget() { stamps_.reset(); }

  private:
    std::string folder_;
    std::optional<FileStamps> stamps_;  // none: read on the next request
    std::vector<ConditionCapsule> capsules_;
};

}  // namespace tav
