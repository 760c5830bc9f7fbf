#include "ranking_page.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "page_format.h"
#include "quote_pages.h"
#include "site_symbols.h"

namespace tav::quotesim {

namespace {

constexpr int kKinds = 26;

// The market names each mk value stands for.
bool inMarkets(std::string_view market, const std::vector<std::string>& values) {
    static constexpr std::pair<std::string_view, std::string_view> kValues[] = {
        {"11", "東証1部"},    {"12", "東証2部"},    {"21", "大証1部"},        {"22", "大証2部"},
        {"31", "名証1部"},    {"32", "名証2部"},    {"43", "札幌ア"},         {"47", "札幌ア"},
        {"83", "福岡Ｑ"},     {"87", "福岡Ｑ"},     {"94", "JASDAQ"},         {"17", "マザーズ"},
        {"A1", "ヘラクレス"}, {"A7", "ヘラクレス"}, {"37", "セントレックス"},
    };
    for (const auto& value : values)
        for (const auto& [key, name] : kValues)
            if (value == key && name == market) return true;
    return false;
}

int termBars(std::string_view term) {
    return term == "month" ? 20 : term == "week" ? 5 : 1;
}

double movingAverage(const std::vector<PriceBar>& bars, std::size_t count) {
    double sum = 0;
    for (std::size_t i = bars.size() - count; i < bars.size(); ++i)
        sum += bars[i].close;
    return sum / static_cast<double>(count);
}

// The kind's figure for a security, and whether a higher figure ranks first;
// nullopt leaves the security out.
std::optional<double> figure(const SimulatedSecurity& security, const RankingQuery& query,
                             bool& descending) {
    const auto& bars = security.bars;
    std::size_t back = static_cast<std::size_t>(termBars(query.term));
    if (bars.size() <= back) return std::nullopt;
    const PriceBar& last = bars.back();
    Fundamentals f = fundamentalsOf(security);
    int kind = query.kind;
    descending = true;
    switch (kind) {
        case 1:
        case 2: {
            descending = kind == 1;
            double before = bars[bars.size() - 1 - back].close;
            return (last.close - before) / before * 100.0;
        }
        case 3:
            return static_cast<double>(last.volume);
        case 4:
        case 5:
            descending = kind == 4;
            return static_cast<double>(f.marketCapMillions);
        case 6:
        case 7:
            descending = kind == 6;
            return last.close * std::max(1.0, std::atof(security.unit.c_str()));
        case 8:
            return f.yieldValue;
        case 9:
        case 10:
            descending = kind == 9;
            return f.perValue;
        case 11:
        case 12:
            descending = kind == 11;
            return f.pbrValue;
        default:
            break;
    }
    if (kind <= 18) {
        auto rows = marginRows(security, 0, last.date);
        if (rows.size() < 2) return std::nullopt;
        const MarginRow& now = rows[0];
        const MarginRow& before = rows[1];
        switch (kind) {
            case 13:
            case 14:
                descending = kind == 13;
                return static_cast<double>(now.buy - before.buy);
            case 15:
            case 16:
                descending = kind == 15;
                return static_cast<double>(now.sell - before.sell);
            default:
                descending = kind == 17;
                return now.sell == 0 ? 0.0
                                     : static_cast<double>(now.buy) / static_cast<double>(now.sell);
        }
    }
    // 19-26: deviation from the 25- or 75-day average; "高" ranks the largest
    // distance first, "低" the smallest, each among the stocks above (＋) or
    // below (－) their average.
    int technical = kind - 19;
    std::size_t days = (technical / 2) % 2 == 0 ? 25 : 75;
    if (bars.size() < days) return std::nullopt;
    double average = movingAverage(bars, days);
    double deviation = (last.close - average) / average * 100.0;
    bool above = technical % 2 == 0;
    if (above ? deviation < 0 : deviation >= 0) return std::nullopt;
    descending = technical < 4;
    return std::fabs(deviation);
}

}  // namespace

std::vector<StockCode> rankCodes(const Market& market, const RankingQuery& query) {
    std::vector<std::pair<double, StockCode>> ranked;
    bool descending = true;
    for (StockCode code : market.codes()) {
        if (securityKind(code) != SecurityKind::JapaneseStock) continue;
        const SimulatedSecurity* security = market.find(code);
        if (!security || !inMarkets(security->market, query.markets)) continue;
        auto value = figure(*security, query, descending);
        if (value) ranked.emplace_back(*value, code);
    }
    std::stable_sort(ranked.begin(), ranked.end(), [descending](const auto& a, const auto& b) {
        return descending ? a.first > b.first : a.first < b.first;
    });
    std::vector<StockCode> codes;
    for (std::size_t i = 0; i < ranked.size() && i < static_cast<std::size_t>(kRankingRows); ++i)
        codes.push_back(ranked[i].second);
    return codes;
}

std::string renderRankingPage(const Market& market, const RankingQuery& query) {
    std::string html =
        "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">\n"
        "<title>ランキング - Yahoo!ファイナンス</title>\n</head>\n<body>\n";
    if (query.kind < 1 || query.kind > kKinds) {
        html += "<p>指定された条件のランキングはありません。</p>\n</body>\n</html>\n";
        return html;
    }
    html += "<h1>ランキング</h1>\n<h2>関連情報</h2>\n";
    html +=
        "<table class=\"ranking\">\n<tr class=\"head\"><th>順位</th><th>コード</th><th>名称</th>"
        "<th>市場</th><th>取引値</th></tr>\n";
    int rank = 0;
    for (StockCode code : rankCodes(market, query)) {
        const SimulatedSecurity* security = market.find(code);
        html += "<tr>\n<td>" + std::to_string(++rank) + "</td>\n";
        html += "<td><a href=\"/q?s=" + yahooJapanSymbol(*security) + "&amp;d=t\">" +
                codeText(code) + "</a></td>\n";
        html += "<td>" + security->name + "</td>\n<td>" + security->market + "</td>\n";
        html += "<td>" + priceText(code, security->bars.back().close) + "</td>\n</tr>\n";
    }
    html += "</table>\n</body>\n</html>\n";
    return html;
}

}  // namespace tav::quotesim
