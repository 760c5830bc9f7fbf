#pragma once

#include <string>
#include <vector>

#include "core/text.h"
#include "market.h"
#include "site_router.h"

namespace tav::quotesim::test {

// A small hand-made market: prices that are easy to read back, a 1:2 split,
// an index, two currency pairs and a US stock.
inline std::vector<PriceBar> steadyBars(int32_t firstDate, int days, int32_t base, int64_t volume) {
    std::vector<PriceBar> bars;
    for (int64_t day = dayNumber(firstDate); std::ssize(bars) < days; ++day) {
        int32_t date = dateOfDay(day);
        if (weekday(date) == 0 || weekday(date) == 6) continue;
        int32_t i = static_cast<int32_t>(bars.size());
        bars.push_back({date, base + i, base + i + 7, base + i - 5, base + i + 2, volume + i});
    }
    return bars;
}

inline std::vector<SimulatedSecurity> smallMarket() {
    std::vector<SimulatedSecurity> securities;
    SimulatedSecurity stock{
        7203, "トヨタ自動車", "東証1部", "100", "-", steadyBars(20040105, 130, 4000, 50000), {}};
    // Split 1:2 on the 100th day: the bars before trade at twice the price.
    int32_t splitDay = stock.bars[100].date;
    for (int i = 0; i < 100; ++i) {
        PriceBar& bar = stock.bars[i];
        bar.open *= 2, bar.high *= 2, bar.low *= 2, bar.close *= 2, bar.volume /= 2;
    }
    stock.splits.push_back({splitDay, 1, "2"});
    securities.push_back(std::move(stock));
    securities.push_back(
        {4779, "中央製薬", "ヘラクレス", "100", "-", steadyBars(20040105, 130, 900, 7000), {}});
    securities.push_back(
        {1010, "日経平均株価", "-", "-", "-", steadyBars(20040105, 130, 11000, 100000), {}});
    securities.push_back(
        {1020, "米ドル/円", "-", "-", "-", steadyBars(20040105, 130, 10523, 100000), {}});
    securities.push_back(
        {1022, "ユーロ/米ドル", "-", "-", "-", steadyBars(20040105, 130, 12500, 100000), {}});
    securities.push_back(
        {10101, "アップル", "-", "1", "AAPL", steadyBars(20040105, 130, 1230, 3000000000), {}});
    return securities;
}

// The Shift-JIS text of a page as the system reads it (EUC-JP converted).
inline std::string sjisPage(const SiteResponse& response) {
    return text::sjisFromEucJp(response.body);
}

// The non-empty lines of a page.
inline std::vector<std::string> pageLines(const std::string& page) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < page.size()) {
        std::size_t end = page.find('\n', start);
        if (end == std::string::npos) break;
        if (end > start) lines.push_back(page.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

inline std::string sjis(const std::string& utf8) {
    return text::sjisFromUtf8(utf8);
}

inline QueryParams params(std::initializer_list<std::pair<const std::string, std::string>> list) {
    return QueryParams(list);
}

}  // namespace tav::quotesim::test
