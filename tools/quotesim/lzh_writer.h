#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav::quotesim {

// One file of an archive: a plain name (at most 230 bytes) and its bytes.
struct LzhEntry {
    std::string name;
    std::string data;
};

// The time stamp of archives that have no day of their own (2005-01-01).
inline constexpr uint32_t kDefaultArchiveTime = 1104537600;

enum class LzhHeaderLevel : uint8_t { Level0 = 0, Level2 = 2 };

// CRC-16 of LZH archives: polynomial 0xA001 (reflected 0x8005), initial 0.
uint16_t lzhCrc16(std::string_view bytes, uint16_t crc = 0);

// An LZH archive holding the entries stored uncompressed (method "-lh0-"),
// stamped with the given MS-DOS date (level 0) or Unix time (level 2).
// Level 0 headers carry the one-byte header sum; level 2 headers a header CRC.
std::string writeLzhArchive(const std::vector<LzhEntry>& entries,
                            LzhHeaderLevel level = LzhHeaderLevel::Level0,
                            uint32_t unixTime = kDefaultArchiveTime);

// An archive bomb: level-0 entries of the given names, each decoding to size
// zero bytes from a few bytes of "-lh5-" data per 16 MiB. The headers state
// the true size and CRC, so a careful reader can refuse them unread.
std::string writeLzhBomb(const std::vector<std::string>& names, uint32_t size,
                         uint32_t unixTime = kDefaultArchiveTime);

}  // namespace tav::quotesim
