#pragma once

#include <cstdint>

#include "platform/lzh.h"

namespace tav {

// Lzh on liblhasa. Only regular files are written (never directories or
// symlinks), each under the raw bytes of its plain stored name, and only once
// its CRC has been checked.
class LhasaLzh : public Lzh {
  public:
    static constexpr std::uint64_t kDefaultMaxEntryBytes = std::uint64_t{1} << 30;

    // An entry claiming more than maxEntryBytes fails the archive: a few bytes
    // of compressed data can claim gigabytes.
    explicit LhasaLzh(std::uint64_t maxEntryBytes = kDefaultMaxEntryBytes);

    LzhResult extract(const std::string& archivePath, const std::string& folder) override;
    LzhResult extractEntry(const std::string& archivePath, const std::string& folder,
                           std::string_view entryName, std::uint64_t maxBytes) override;

  private:
    // The entries to write: every one (an empty name) or those of one name.
    struct Selection {
        std::string_view name;
        std::uint64_t maxTotalBytes = UINT64_MAX;
    };
    LzhResult run(const std::string& archivePath, const std::string& folder,
                  const Selection& selection);

    std::uint64_t maxEntryBytes_;
};

}  // namespace tav
