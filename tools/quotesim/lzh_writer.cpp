#include "lzh_writer.h"

#include <ctime>

namespace tav::quotesim {

namespace {

constexpr std::string_view kStoredMethod = "-lh0-";
constexpr unsigned char kArchiveAttribute = 0x20;
constexpr char kUnixOs = 'U';

void putLe16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void putLe32(std::string& out, uint32_t value) {
    putLe16(out, value & 0xFFFF);
    putLe16(out, value >> 16);
}

// MS-DOS date and time (time in the low word), in UTC so that archives are
// the same wherever they are built.
uint32_t dosTime(uint32_t unixTime) {
    std::time_t seconds = unixTime;
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    uint32_t date = static_cast<uint32_t>(((parts.tm_year - 80) << 9) | ((parts.tm_mon + 1) << 5) |
                                          parts.tm_mday);
    uint32_t time =
        static_cast<uint32_t>((parts.tm_hour << 11) | (parts.tm_min << 5) | (parts.tm_sec / 2));
    return (date << 16) | time;
}

std::string level0Header(const LzhEntry& entry, uint32_t unixTime) {
    std::string header(2, '\0');  // size and sum, filled below
    header += kStoredMethod;
    putLe32(header, static_cast<uint32_t>(entry.data.size()));  // packed
    putLe32(header, static_cast<uint32_t>(entry.data.size()));  // original
    putLe32(header, dosTime(unixTime));
    header += static_cast<char>(kArchiveAttribute);
    header += '\0';  // level
    header += static_cast<char>(entry.name.size());
    header += entry.name;
    putLe16(header, lzhCrc16(entry.data));
    unsigned sum = 0;
    for (std::size_t i = 2; i < header.size(); ++i)
        sum += static_cast<unsigned char>(header[i]);
    header[0] = static_cast<char>(header.size() - 2);
    header[1] = static_cast<char>(sum & 0xFF);
    return header;
}

std::string level2Header(const LzhEntry& entry, uint32_t unixTime) {
    std::string header(2, '\0');  // total size, filled below
    header += kStoredMethod;
    putLe32(header, static_cast<uint32_t>(entry.data.size()));
    putLe32(header, static_cast<uint32_t>(entry.data.size()));
    putLe32(header, unixTime);
    header += static_cast<char>(kArchiveAttribute);
    header += '\x02';  // level
    putLe16(header, lzhCrc16(entry.data));
    header += kUnixOs;
    // Extended headers, each announced by the size field before it: the
    // header CRC (computed with its own field zero) and the file name.
    putLe16(header, 5);
    std::size_t crcField = header.size() + 1;
    header += '\x00';
    putLe16(header, 0);
    putLe16(header, static_cast<uint32_t>(entry.name.size() + 3));
    header += '\x01';
    header += entry.name;
    putLe16(header, 0);  // no further extended header
    // A total size ending in 0x00 would read as the archive's end mark.
    if ((header.size() & 0xFF) == 0) header += '\0';
    header[0] = static_cast<char>(header.size() & 0xFF);
    header[1] = static_cast<char>(header.size() >> 8);
    uint16_t crc = lzhCrc16(header);
    header[crcField] = static_cast<char>(crc & 0xFF);
    header[crcField + 1] = static_cast<char>(crc >> 8);
    return header;
}

}  // namespace

uint16_t lzhCrc16(std::string_view bytes, uint16_t crc) {
    for (char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

std::string writeLzhArchive(const std::vector<LzhEntry>& entries, LzhHeaderLevel level,
                            uint32_t unixTime) {
    std::string archive;
    for (const LzhEntry& entry : entries) {
        archive += level == LzhHeaderLevel::Level0 ? level0Header(entry, unixTime)
                                                   : level2Header(entry, unixTime);
        archive += entry.data;
    }
    archive += '\0';  // end of archive
    return archive;
}

}  // namespace tav::quotesim
