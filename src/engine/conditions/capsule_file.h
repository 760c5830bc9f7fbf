#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "conditions/condition.h"

// The capsule files in the program folder: "Capsel.inf" holds one title per
// line (line k+1 names capsule k), "Capsel%d.pat" the rows of capsule
// %d - 1. Text is Shift-JIS on disk, UTF-8 in memory.
namespace tav {

inline constexpr std::string_view kCapsuleTitleFileName = "Capsel.inf";
inline constexpr std::string_view kCapsuleSwapFileName = "Capsel.bak";
// A title line keeps at most this many Shift-JIS bytes.
inline constexpr std::size_t kMaxCapsuleTitleBytes = 259;

// "Capsel%d.pat" of capsule k (counted from 0), so the first file is 1.
std::string capsuleFileName(int capsule);

// The file bytes of a capsule: the reserve section with one line of ten zeros,
// then the data section with the header group (`logic`) and one group per row,
// fields 1 to 8; `ticks` and `spare` are written as 0. A capsule without rows
// writes an empty data line and loses its logic.
std::string formatCapsuleFile(const ConditionCapsule& capsule);

// Reads capsule file bytes. Lines are read whole, whatever their length; junk
// reads as 0, numbers are cut to 16 bits, groups past the twentieth row are
// dropped. Any bytes give a valid record.
ConditionCapsule parseCapsuleFile(std::string_view bytes);

// A missing or unreadable file is an empty capsule.
ConditionCapsule readCapsuleFile(const std::string& path);
bool writeCapsuleFile(const std::string& path, const ConditionCapsule& capsule);

// The titles of "Capsel.inf" bytes, one per line (blank lines too, since line
// k+1 names capsule k). An overlong line is cut to kMaxCapsuleTitleBytes
// rather than split into two titles.
std::vector<std::string> parseCapsuleTitles(std::string_view sjisBytes);
// A missing file is an empty list.
std::vector<std::string> readCapsuleTitles(const std::string& folder);
bool writeCapsuleTitles(const std::string& folder, const std::vector<std::string>& titles);

}  // namespace tav
