#include "data/price_store.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#include "core/fields.h"
#include "core/file_io.h"

namespace tav {

namespace {

// The longest line a data file may hold, and the longest date text.
constexpr std::size_t kMaxLineLength = 511;
constexpr std::size_t kMaxDateLength = sizeof(DailyBar::date) - 1;

bool parseBarLine(std::string_view line, DailyBar& bar) {
    // A NUL ends the text of a line as in any C string.
    line = line.substr(0, line.find('\0'));
    if (line.size() > kMaxLineLength) return false;
    std::array<std::string_view, 6> fields;
    splitFields(line, ',', fields, /*stopAtEmpty=*/true);
    int32_t open = parseLeadingInt32(fields[1]);
    int32_t high = parseLeadingInt32(fields[2]);
    int32_t low = parseLeadingInt32(fields[3]);
    int32_t close = parseLeadingInt32(fields[4]);
    if (open == 0 && high == 0 && low == 0 && close == 0) return false;
    if (fields[0].size() > kMaxDateLength) return false;
    bar = DailyBar{};
    std::memcpy(bar.date, fields[0].data(), fields[0].size());
    bar.open = open;
    bar.high = high;
    bar.low = low;
    bar.close = close;
    bar.volume = parseLeadingInt64(fields[5]);
    return true;
}

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
    // Data lines are about 40 bytes; reserving avoids most regrowth.
    bars.reserve(bytes.size() / 32 + 1);
    DailyBar bar;
    fileio::forEachLine(bytes, [&](std::string_view line) {
        if (parseBarLine(line, bar)) bars.push_back(bar);
    });
    bars.shrink_to_fit();
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

bool coversStoredBars(std::span<const DailyBar> bars, std::span<const DailyBar> stored) {
    if (stored.empty()) return true;
    auto last = std::find_if(bars.rbegin(), bars.rend(),
                             [](const DailyBar& bar) { return !bar.provisional; });
    if (last == bars.rend()) return false;
    return bars.front().dateText() <= stored.front().dateText() &&
           last->dateText() >= stored.back().dateText();
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
    return std::erase_if(bars, [&](const DailyBar& bar) {
        return !isStorableDate(bar.dateText(), today);
    });
}

int firstDateDisorder(std::span<const DailyBar> bars) {
    for (std::size_t i = 1; i < bars.size(); ++i) {
        if (std::strcmp(bars[i - 1].date, bars[i].date) > 0) return static_cast<int>(i - 1);
    }
    return -1;
}

}  // namespace tav
