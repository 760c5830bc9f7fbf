#pragma once

#include <string>
#include <vector>

namespace tav {

struct LzhResult {
    bool ok = false;
    std::string error;               // why it failed (for logs and tests; not a user message)
    std::vector<std::string> files;  // plain names written into the folder, in archive order
};

// LZH archive extraction. Entry names are reduced to their plain file name (no
// directories, no "..", no absolute paths), so an archive never writes outside
// the target folder.
class Lzh {
public:
    virtual ~Lzh() = default;
    // Extracts every file entry into folder (which must exist). An entry whose
    // plain name is empty, "." or ".." is skipped. A truncated, corrupt or
    // non-LZH archive fails; files written before the failure stay listed.
    virtual LzhResult extract(const std::string& archivePath, const std::string& folder) = 0;
};

}  // namespace tav
