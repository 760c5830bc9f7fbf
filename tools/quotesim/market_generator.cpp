#include "market_generator.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "core/calendar.h"

namespace tav::quotesim {

namespace {

bool before(const LocalDate& a, const LocalDate& b) {
    return formatDate(a) < formatDate(b);
}

// Every tenth stock splits, one share into these, in the second half of the span.
constexpr int kSplitEvery = 10;
constexpr std::string_view kSplitShares[] = {"2", "1.5", "3", "2"};

// Makes the bars before dayIndex trade at the price before the split: prices
// times the new share count, volumes divided by it.
void splitAt(SimulatedSecurity& security, std::string_view toShares, std::size_t dayIndex) {
    if (dayIndex == 0 || dayIndex >= security.bars.size()) return;
    double factor = std::stod(std::string(toShares));
    for (std::size_t i = 0; i < dayIndex; ++i) {
        PriceBar& bar = security.bars[i];
        for (int32_t* price : {&bar.open, &bar.high, &bar.low, &bar.close})
            *price = static_cast<int32_t>(*price * factor);
        bar.volume =
            std::max<int64_t>(1, static_cast<int64_t>(static_cast<double>(bar.volume) / factor));
    }
    security.splits.push_back({security.bars[dayIndex].date, 1, std::string(toShares)});
}

// Prices move by a daily return drawn from a normal distribution; each bar's
// open, high and low are drawn around the previous and new close.
struct PriceWalk {
    double level;
    double volatility;
    int64_t baseVolume;
    int decimals;  // digits kept after the point: 0 whole units, 2 hundredths
};

std::vector<PriceBar> walk(const std::vector<LocalDate>& days, PriceWalk shape,
                           std::mt19937_64& rng, bool placeholderVolume) {
    std::normal_distribution<double> move(0.0002, shape.volatility);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<PriceBar> bars;
    bars.reserve(days.size());
    double close = shape.level;
    for (const LocalDate& day : days) {
        double open = close * (1.0 + move(rng) * 0.3);
        close = std::max(1.0, close * (1.0 + move(rng)));
        double high = std::max(open, close) * (1.0 + unit(rng) * shape.volatility);
        double low = std::min(open, close) * (1.0 - unit(rng) * shape.volatility);
        double scale = std::pow(10.0, shape.decimals);
        PriceBar bar;
        bar.date = day.year * 10000 + day.month * 100 + day.day;
        bar.open = static_cast<int32_t>(open * scale);
        bar.close = static_cast<int32_t>(close * scale);
        bar.high = std::max({static_cast<int32_t>(high * scale), bar.open, bar.close});
        bar.low = std::max<int32_t>(
            1, std::min({static_cast<int32_t>(low * scale), bar.open, bar.close}));
        bar.volume = placeholderVolume
                         ? 100000
                         : static_cast<int64_t>(static_cast<double>(shape.baseVolume) *
                                                (0.3 + unit(rng) * 1.7));
        bars.push_back(bar);
    }
    return bars;
}

std::string japaneseName(std::mt19937_64& rng) {
    static const char* const kHeads[] = {"東和", "日本", "大和", "三協", "北陸", "中央",
                                         "太平", "富士", "新光", "昭和", "関西", "丸紅",
                                         "朝日", "明治", "山陽", "常盤"};
    static const char* const kTails[] = {
        "工業", "精機", "電機", "化学",   "製薬", "商事", "建設", "食品",
        "運輸", "銀行", "証券", "不動産", "電工", "鋼管", "薬品", "ホールディングス"};
    std::uniform_int_distribution<std::size_t> head(0, std::size(kHeads) - 1);
    std::uniform_int_distribution<std::size_t> tail(0, std::size(kTails) - 1);
    return std::string(kHeads[head(rng)]) + kTails[tail(rng)];
}

}  // namespace

std::vector<LocalDate> tradingDays(const LocalDate& first, const LocalDate& last) {
    std::vector<LocalDate> days;
    for (LocalDate day = first; !before(last, day); day = addDays(day, 1)) {
        int weekday = weekdayOf(day);
        bool newYear = (day.month == 12 && day.day == 31) || (day.month == 1 && day.day <= 3);
        if (weekday != 0 && weekday != 6 && !newYear) days.push_back(day);
    }
    return days;
}

std::vector<SimulatedSecurity> generateMarket(const GeneratorSettings& settings) {
    std::mt19937_64 rng(settings.seed);
    LocalDate first{settings.end.year - std::max(1, settings.years), settings.end.month, 1};
    std::vector<LocalDate> days = tradingDays(first, settings.end);

    std::vector<SimulatedSecurity> market;
    auto add = [&](StockCode code, std::string name, std::string marketName, std::string unit,
                   std::string symbol, PriceWalk shape, bool placeholderVolume) {
        SimulatedSecurity security{
            code, std::move(name), std::move(marketName), std::move(unit), std::move(symbol), {},
            {}};
        security.bars = walk(days, shape, rng, placeholderVolume);
        market.push_back(std::move(security));
    };
    // Index volumes in units of 10,000 shares: the daily archives carry them with
    // four more digits, the price pages show none.
    add(1010, "日経平均株価", "-", "-", "-", {20000, 0.012, 150000, 0}, false);
    add(1001, "TOPIX", "-", "-", "-", {1600, 0.010, 200000, 0}, false);
    add(1002, "NYダウ", "-", "-", "^DJI", {30000, 0.010, 300000000, 2}, false);
    // Above 2^31 shares a day, as the composite's volume is.
    add(1003, "NASDAQ総合", "-", "-", "^IXIC", {12000, 0.013, 4000000000, 2}, false);
    add(1004, "S&P500", "-", "-", "^GSPC", {4000, 0.011, 2500000000, 2}, false);
    add(1020, "米ドル/円", "-", "-", "-", {130, 0.005, 0, 2}, true);
    add(1021, "ユーロ/円", "-", "-", "-", {140, 0.005, 0, 2}, true);
    add(1022, "ユーロ/米ドル", "-", "-", "-", {1.1, 0.004, 0, 4}, true);
    add(10101, "アップル", "-", "1", "AAPL", {150, 0.018, 60000000, 2}, false);
    add(10102, "マイクロソフト", "-", "1", "MSFT", {300, 0.016, 25000000, 2}, false);
    add(10103, "エヌビディア", "-", "1", "NVDA", {400, 0.025, 40000000, 2}, false);

    static const char* const kMarkets[] = {"東証1部", "東証2部", "大証1部",  "大証2部",   "名証1部",
                                           "名証2部", "JASDAQ",  "マザーズ", "ヘラクレス"};
    static const char* const kUnits[] = {"1000", "100", "100", "100", "1"};
    std::uniform_real_distribution<double> level(2.0, 9.5);
    std::uniform_int_distribution<int> unitPick(0, std::size(kUnits) - 1);
    for (int i = 0; i < settings.stocks; ++i) {
        // Four-digit codes spread over 1300-9999, always distinct.
        StockCode code = 1300 + static_cast<StockCode>((static_cast<int64_t>(i) * 8699) /
                                                       std::max(1, settings.stocks));
        const char* marketName = kMarkets[i % std::size(kMarkets)];
        double price = std::exp(level(rng));
        int64_t volume = static_cast<int64_t>(2e7 / price) * 10 + 1000;
        add(code, japaneseName(rng), marketName, kUnits[unitPick(rng)], "-",
            {price, 0.02, volume, 0}, false);
        if (i % kSplitEvery == kSplitEvery / 2 && i / kSplitEvery < std::ssize(kSplitShares))
            splitAt(market.back(), kSplitShares[i / kSplitEvery], days.size() * (i % 5 + 5) / 10);
    }
    std::sort(
        market.begin(), market.end(),
        [](const SimulatedSecurity& a, const SimulatedSecurity& b) { return a.code < b.code; });
    return market;
}

}  // namespace tav::quotesim
