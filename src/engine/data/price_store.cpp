#include "data/price_store.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>

#include "core/fields.h"
#include "core/file_io.h"

namespace tav {

namespace {

// The longest line a data file may hold, and the longest date text.
constexpr std::size_t kMaxLineLength = 511;
constexpr std::size_t kMaxDateLength = sizeof(DailyBar::date) - 1;

// The bars of a text, written into records zeroed a block at a time just
// before lines fill them (so the block is still in cache), within the room
// reserved for the expected count; a record is taken only for a line that
// holds a bar, so every field a line does not set stays zero.
class BarSink {
  public:
    BarSink(std::vector<DailyBar>& bars, std::size_t expected) : bars_(bars) {
        bars_.reserve(expected);
    }
    DailyBar& add() {
        if (used_ == bars_.size()) {
            const std::size_t room = bars_.capacity() - bars_.size();
            bars_.resize(bars_.size() + (room > 0 ? std::min(room, kBlock) : kBlock));
        }
        return bars_[used_++];
    }
    // Drops the records no line took.
    void finish() { bars_.resize(used_); }

  private:
    static constexpr std::size_t kBlock = 128;
    std::vector<DailyBar>& bars_;
    std::size_t used_ = 0;
};

// Any line: the NUL cut, the length limit, the double-byte aware field split
// and the C-style conversions with saturation. The bar is added only when the
// line holds one.
void parseLineInto(std::string_view line, BarSink& bars) {
    // A NUL ends the text of a line as in any C string.
    line = line.substr(0, line.find('\0'));
    if (line.size() > kMaxLineLength) return;
    std::array<std::string_view, 6> fields;
    splitFields(line, ',', fields, /*stopAtEmpty=*/true);
    int32_t open = parseLeadingInt32(fields[1]);
    int32_t high = parseLeadingInt32(fields[2]);
    int32_t low = parseLeadingInt32(fields[3]);
    int32_t close = parseLeadingInt32(fields[4]);
    if (open == 0 && high == 0 && low == 0 && close == 0) return;
    if (fields[0].size() > kMaxDateLength) return;
    DailyBar& bar = bars.add();
    std::memcpy(bar.date, fields[0].data(), fields[0].size());
    bar.open = open;
    bar.high = high;
    bar.low = low;
    bar.close = close;
    bar.volume = parseLeadingInt64(fields[5]);
}

// The form nearly every line has: "digits,digits,digits,digits,digits,digits"
// then "\n", "\r\n" or the end of the text. Digit counts are held where no
// value can overflow (9 for a price, 18 for the volume) and the date to the
// field's 11 characters; such a line is short, holds no blank, sign, NUL,
// double-byte character or empty field, so the general reading gives the very
// same bar. Anything else is left to it.
constexpr std::ptrdiff_t kMaxPlainPriceDigits = 9;
constexpr std::ptrdiff_t kMaxPlainVolumeDigits = 18;

inline bool isDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

// Whether the eight bytes at p are all digits, tested together: a byte below
// '0' sets its top bit in the difference, one above '9' in the sum; the lowest
// such byte is exact whatever the bytes above it carry or borrow.
inline bool eightDigits(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    constexpr uint64_t kTop = 0x8080808080808080;
    return (((word - 0x3030303030303030) | (word + 0x4646464646464646)) & kTop) == 0;
}

struct PlainLine {
    const char* date;
    std::size_t dateLength;
    int32_t prices[4];
    int64_t volume;
};

// Reads one plain-form line at p; the position after its line end, or null
// when the line is not of that form.
inline const char* parsePlainLine(const char* p, const char* end, PlainLine& out) {
    const char* start = p;
    if (end - p > 8 && eightDigits(p)) p += 8;  // the usual YYYYMMDD
    while (p != end && isDigit(*p))
        ++p;
    out.date = start;
    out.dateLength = static_cast<std::size_t>(p - start);
    if (out.dateLength == 0 || out.dateLength > kMaxDateLength || p == end || *p != ',')
        return nullptr;
    ++p;
    for (int32_t& price : out.prices) {
        start = p;
        uint32_t value = 0;
        while (p != end && isDigit(*p))
            value = value * 10 + static_cast<uint32_t>(*p++ - '0');
        if (p == start || p - start > kMaxPlainPriceDigits || p == end || *p != ',') return nullptr;
        price = static_cast<int32_t>(value);
        ++p;
    }
    start = p;
    uint64_t volume = 0;
    while (p != end && isDigit(*p))
        volume = volume * 10 + static_cast<uint64_t>(*p++ - '0');
    if (p == start || p - start > kMaxPlainVolumeDigits) return nullptr;
    out.volume = static_cast<int64_t>(volume);
    if (p == end) return p;
    if (*p == '\n') return p + 1;
    if (*p == '\r' && p + 1 != end && p[1] == '\n') return p + 2;
    return nullptr;
}

// Lines in the text (a last line without "\n" counts), for the reservation.
// Sixteen bytes compared at a time: a byte-wise count would cost a good part
// of the whole read.
std::size_t countLines(std::string_view bytes) {
    using Bytes16 = unsigned char __attribute__((vector_size(16)));
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    std::size_t lines = 0;
    while (end - p >= 16) {
        // Each lane counts up to 255 line ends, then the lanes are summed.
        Bytes16 counts{};
        for (int block = 0; block < 255 && end - p >= 16; ++block, p += 16) {
            Bytes16 chunk;
            std::memcpy(&chunk, p, sizeof chunk);
            counts -= std::bit_cast<Bytes16>(chunk == '\n');  // a match is all ones: -1
        }
        for (int lane = 0; lane < 16; ++lane)
            lines += counts[lane];
    }
    lines += static_cast<std::size_t>(std::count(p, end, '\n'));
    return lines + (bytes.back() != '\n' ? 1 : 0);
}

// A text of blank or tiny lines must not reserve far more room than its size
// warrants: at most one record per this many bytes (a dated line is longer),
// so only a text of tinier lines regrows the vector.
constexpr std::size_t kShortBarLine = 16;

void appendNumber(std::string& out, int64_t value) {
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

}  // namespace

std::string dataFilePath(const ProgramFolder& folder, StockCode code, PeriodMode period,
                         StorageMode mode) {
    if (mode == StorageMode::Scratch) return folder.dataPath("Last.txt");
    std::string name(periodFilePrefix(period));
    name += codeText(code);
    name += ".txt";
    return folder.dataPath(name);
}

std::vector<DailyBar> parseSeries(std::string_view bytes) {
    std::vector<DailyBar> bars;
    if (bytes.empty()) return bars;
    BarSink sink(bars, std::min(countLines(bytes), bytes.size() / kShortBarLine + 1));
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    PlainLine plain;
    while (p != end) {
        if (const char* next = parsePlainLine(p, end, plain)) {
            p = next;
            if ((plain.prices[0] | plain.prices[1] | plain.prices[2] | plain.prices[3]) == 0)
                continue;
            DailyBar& bar = sink.add();
            std::memcpy(bar.date, plain.date, plain.dateLength);
            bar.open = plain.prices[0];
            bar.high = plain.prices[1];
            bar.low = plain.prices[2];
            bar.close = plain.prices[3];
            bar.volume = plain.volume;
            continue;
        }
        const void* newline = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        const char* lineEnd = newline ? static_cast<const char*>(newline) : end;
        parseLineInto(std::string_view(p, static_cast<std::size_t>(lineEnd - p)), sink);
        p = newline ? lineEnd + 1 : end;
    }
    sink.finish();
    // Only a text of mostly skipped lines leaves much unused room.
    if (bars.capacity() > 2 * bars.size() + 64) bars.shrink_to_fit();
    return bars;
}

std::vector<DailyBar> loadSeries(const std::string& path) {
    auto bytes = fileio::readFile(path);
    if (!bytes) return {};
    return parseSeries(*bytes);
}

std::string formatSeries(std::span<const DailyBar> bars) {
    std::string out;
    out.reserve(bars.size() * 48);
    for (const DailyBar& bar : bars) {
        if (bar.provisional) continue;
        out.append(bar.dateText());
        for (int64_t value : {int64_t{bar.open}, int64_t{bar.high}, int64_t{bar.low},
                              int64_t{bar.close}, bar.volume}) {
            out.push_back(',');
            appendNumber(out, value);
        }
        out.push_back('\n');
    }
    return out;
}

int storedDaysMissing(std::span<const DailyBar> bars, std::span<const DailyBar> stored) {
    std::vector<std::string_view> days;
    days.reserve(bars.size());
    for (const DailyBar& bar : bars)
        if (!bar.provisional) days.push_back(bar.dateText());
    std::sort(days.begin(), days.end());
    int missing = 0;
    for (const DailyBar& bar : stored) {
        LocalDate date;
        if (!parseDate8(bar.dateText(), date)) continue;
        if (!std::binary_search(days.begin(), days.end(), bar.dateText())) ++missing;
    }
    return missing;
}

bool coversStoredBars(std::span<const DailyBar> bars, std::span<const DailyBar> stored) {
    return storedDaysMissing(bars, stored) == 0;
}

bool saveIfChanged(const ProgramFolder& folder, BarSeries& series, StorageMode mode) {
    if (mode == StorageMode::Accumulate && series.savedCount == series.count()) return true;
    std::string path = dataFilePath(folder, series.code, series.period, mode);
    if (mode == StorageMode::Accumulate && !coversStoredBars(series.bars, loadSeries(path)))
        return false;
    return fileio::writeFileAtomic(path, formatSeries(series.bars));
}

bool saveAll(const ProgramFolder& folder, BarSeries& series) {
    std::string path = dataFilePath(folder, series.code, series.period, StorageMode::Accumulate);
    return fileio::writeFileAtomic(path, formatSeries(series.bars));
}

bool appendBars(const ProgramFolder& folder, const BarSeries& series,
                std::span<const DailyBar> newBars) {
    std::string path = dataFilePath(folder, series.code, series.period, StorageMode::Accumulate);
    if (!fileio::fileExists(path)) return fileio::writeFileAtomic(path, formatSeries(series.bars));
    // Appended bars are fetched bars, written even if flagged provisional.
    std::string text;
    for (DailyBar bar : newBars) {
        bar.provisional = 0;
        text += formatSeries(std::span<const DailyBar>(&bar, 1));
    }
    return fileio::appendToFile(path, text);
}

int checkLastDate(const BarSeries& series, const LocalDate& today) {
    std::string todayText = formatDate(today);
    if (series.empty()) return 1;
    return std::strcmp(todayText.c_str(), series.bars.back().date);
}

bool isStorableDate(std::string_view date, const LocalDate& today) {
    LocalDate parsed;
    return parseDate8(date, parsed) && date <= std::string_view(formatDate(today));
}

std::size_t dropImpossibleDates(std::vector<DailyBar>& bars, const LocalDate& today) {
    return std::erase_if(
        bars, [&](const DailyBar& bar) { return !isStorableDate(bar.dateText(), today); });
}

int firstDateDisorder(std::span<const DailyBar> bars) {
    for (std::size_t i = 1; i < bars.size(); ++i) {
        if (std::strcmp(bars[i - 1].date, bars[i].date) > 0) return static_cast<int>(i - 1);
    }
    return -1;
}

}  // namespace tav
