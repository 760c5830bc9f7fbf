#include "updates/intraday_bar.h"

#include <array>

#include "core/fields.h"
#include "core/file_io.h"

namespace tav {

namespace {

// "Realtime.txt" is read with 512-byte lines.
constexpr std::size_t kMaxLineLength = 511;

}  // namespace

std::optional<IntradayQuote> realtimeQuote(std::string_view fileBytes, StockCode code) {
    std::optional<IntradayQuote> found;
    const std::string wantedCode = codeText(code);
    fileio::forEachLine(fileBytes, [&](std::string_view line) {
        if (found) return;
        if (line.size() > kMaxLineLength) line = line.substr(0, kMaxLineLength);
        std::array<std::string_view, 6> fields;
        splitFields(line, ',', fields);
        if (fields[0] != wantedCode) return;
        found = IntradayQuote{parseLeadingInt32(fields[1]), parseLeadingInt32(fields[2]),
                              parseLeadingInt32(fields[3]), parseLeadingInt32(fields[4]),
                              parseLeadingInt64(fields[5])};
    });
    return found;
}

bool addIntradayBar(BarSeries& series, const std::optional<IntradayQuote>& realtime,
                    const IntradayQuote& given, std::string_view today) {
    IntradayQuote quote;
    if (realtime && realtime->close != 0) {
        quote = *realtime;
    } else if (given.open != 0 && given.high != 0 && given.low != 0 && given.close != 0) {
        quote = given;
    } else {
        return false;
    }
    if (series.empty() || series.cursor != series.count() - 1) return false;

    DailyBar* bar = &series.bars.back();
    if (bar->dateText() != today) {
        series.bars.push_back(DailyBar{});
        bar = &series.bars.back();
        setBarDate(*bar, today);
        series.cursor = series.count() - 1;
    }
    bar->provisional = 1;
    bar->open = quote.open;
    bar->high = quote.high;
    bar->low = quote.low;
    bar->close = quote.close;
    bar->volume = quote.volume;
    return true;
}

}  // namespace tav
