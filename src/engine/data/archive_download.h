#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/http.h"
#include "platform/lzh.h"

// Fetched archives: what a failed download tells the user, and taking the one
// file that matters out of the archive.
namespace tav {

// The message for a download that did not end Ok (empty for Ok).
std::string_view downloadFailureText(HttpStatus status);

enum class ArchiveEntryStatus { Ok, Damaged, TooLarge, Missing, CannotWrite };

struct ArchiveEntry {
    ArchiveEntryStatus status = ArchiveEntryStatus::Damaged;
    std::string bytes;  // the entry's bytes when Ok
};

// The archive's entry entryName (its ASCII letters in any case). It is
// extracted into a private folder made in workFolder and removed again, so
// nothing else the archive holds is written anywhere, and nothing at all is
// written past maxBytes (TooLarge). A corrupt archive is Damaged even when the
// entry itself came out whole.
ArchiveEntry readArchiveEntry(Lzh& lzh, const std::string& archivePath,
                              const std::string& workFolder, std::string_view entryName,
                              std::uint64_t maxBytes);

}  // namespace tav
