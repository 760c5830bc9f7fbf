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

enum class LzhHeaderLevel : uint8_t { Level0 = 0, Level2 = 2 };

// CRC-16 of LZH archives: polynomial 0xA001 (reflected 0x8005), initial 0.
uint16_t lzhCrc16(std::string_view bytes, uint16_t crc = 0);

// An LZH archive holding the entries stored uncompressed (method "-lh0-"),
// stamped with the given MS-DOS date (level 0) or Unix time (level 2).
// Level 0 headers carry the one-byte header sum; level 2 headers a header CRC.
std::string writeLzhArchive(const std::vector<LzhEntry>& entries,
                            LzhHeaderLevel level = LzhHeaderLevel::Level0,
                            uint32_t unixTime = 1104537600);

}  // namespace tav::quotesim
