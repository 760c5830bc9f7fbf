#include "lzh_writer.h"

#include <algorithm>
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

std::string level0Header(std::string_view name, std::string_view method, uint32_t packedSize,
                         uint32_t originalSize, uint16_t crc, uint32_t unixTime) {
    std::string header(2, '\0');  // size and sum, filled below
    header += method;
    putLe32(header, packedSize);
    putLe32(header, originalSize);
    putLe32(header, dosTime(unixTime));
    header += static_cast<char>(kArchiveAttribute);
    header += '\0';  // level
    header += static_cast<char>(name.size());
    header += name;
    putLe16(header, crc);
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

// Bits, most significant first, as the "-lh5-" decoder reads them.
class BitWriter {
  public:
    void put(uint32_t value, int bits) {
        for (int bit = bits - 1; bit >= 0; --bit) {
            current_ = static_cast<uint8_t>((current_ << 1) | ((value >> bit) & 1));
            if (++used_ == 8) flush();
        }
    }
    std::string finish() {
        if (used_ > 0) {
            current_ = static_cast<uint8_t>(current_ << (8 - used_));
            flush();
        }
        return std::move(bytes_);
    }

  private:
    void flush() {
        bytes_ += static_cast<char>(current_);
        current_ = 0;
        used_ = 0;
    }
    std::string bytes_;
    uint8_t current_ = 0;
    int used_ = 0;
};

// One "-lh5-" block of count copies of one symbol. Each of its three Huffman
// tables holds a single code, which takes no bits at all: the block header
// is all there is.
void putSingleSymbolBlock(BitWriter& bits, uint32_t count, uint32_t symbol) {
    bits.put(count, 16);
    bits.put(0, 5);  // the table that codes the symbol table: one code (unused)
    bits.put(0, 5);
    bits.put(0, 9);  // the symbol table: one code, the symbol
    bits.put(symbol, 9);
    bits.put(0, 4);  // the offset table: one code, offset 0 (the byte before)
    bits.put(0, 4);
}

// size zero bytes: one literal zero, then copies of the byte before, 256 at a time.
std::string zeroRunLh5(uint32_t size) {
    constexpr uint32_t kLongestCopy = 256;
    constexpr uint32_t kShortestCopy = 3;
    constexpr uint32_t kCopySymbolBase =
        256 - kShortestCopy;  // symbol of a copy of length n: base + n
    constexpr uint32_t kMaxBlockSymbols = 65535;
    BitWriter bits;
    if (size == 0) return bits.finish();
    putSingleSymbolBlock(bits, 1, 0);
    uint32_t left = size - 1;
    while (left >= kLongestCopy) {
        uint32_t copies = std::min(kMaxBlockSymbols, left / kLongestCopy);
        putSingleSymbolBlock(bits, copies, kCopySymbolBase + kLongestCopy);
        left -= copies * kLongestCopy;
    }
    if (left >= kShortestCopy) {
        putSingleSymbolBlock(bits, 1, kCopySymbolBase + left);
    } else if (left > 0) {
        putSingleSymbolBlock(bits, left, 0);
    }
    return bits.finish();
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
        auto size = static_cast<uint32_t>(entry.data.size());
        archive += level == LzhHeaderLevel::Level0
                       ? level0Header(entry.name, kStoredMethod, size, size, lzhCrc16(entry.data),
                                      unixTime)
                       : level2Header(entry, unixTime);
        archive += entry.data;
    }
    archive += '\0';  // end of archive
    return archive;
}

}  // namespace tav::quotesim

namespace tav::quotesim {

std::string writeLzhBomb(const std::vector<std::string>& names, uint32_t size, uint32_t unixTime) {
    constexpr uint16_t kZeroRunCrc = 0;  // zero bytes leave a CRC that starts at 0 unchanged
    std::string packed = zeroRunLh5(size);
    std::string archive;
    for (const std::string& name : names) {
        archive += level0Header(name, "-lh5-", static_cast<uint32_t>(packed.size()), size,
                                kZeroRunCrc, unixTime);
        archive += packed;
    }
    archive += '\0';
    return archive;
}

}  // namespace tav::quotesim
