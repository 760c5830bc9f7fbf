#include "conditions/capsule_cache.h"

#include "conditions/capsule_file.h"
#include "core/file_io.h"

namespace tav {

const std::vector<ConditionCapsule>& CapsuleCache::capsules(const std::string& folder) {
    if (folder == folder_ && stamps_ && stamps_->current()) return capsules_;
    folder_ = folder;
    stamps_.emplace();
    stamps_->add(fileio::joinPath(folder, kCapsuleTitleFileName));
    const std::size_t count = readCapsuleTitles(folder).size();
    capsules_.assign(count, ConditionCapsule{});
    for (std::size_t k = 0; k < count; ++k) {
        const std::string path = fileio::joinPath(folder, capsuleFileName(static_cast<int>(k)));
        stamps_->add(path);
        capsules_[k] = readCapsuleFile(path);
    }
    return capsules_;
}

}  // namespace tav
