#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

struct LzhResult {
    bool ok = false;
    bool tooLarge = false;           // failed at the size cap, before writing past it
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
    // Extracts only the file entries whose plain name is entryName, its ASCII
    // letters in any case, each as folder/entryName (a later one replacing an
    // earlier one); every other entry is passed over undecoded. The archive
    // fails with tooLarge instead of writing more than maxBytes in all. ok with
    // no files when the archive holds no such entry.
    virtual LzhResult extractEntry(const std::string& archivePath, const std::string& folder,
                                   std::string_view entryName, std::uint64_t maxBytes) = 0;
};

}  // namespace tav
