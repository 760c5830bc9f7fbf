#include "quote_pages.h"

#include <algorithm>
#include <cstdio>

#include "page_format.h"

namespace tav::quotesim {

namespace {

std::string format(const char* pattern, double value) {
    char text[48];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string pageHead(std::string_view title) {
    return "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
           "charset=EUC-JP\">\n"
           "<title>" +
           std::string(title) + "</title>\n</head>\n<body>\n";
}

constexpr std::string_view kPageFoot = "</body>\n</html>\n";

// A cell of the quote line: label, a four-character break, the value. The
// readers take the value at the label's length plus four.
std::string quoteCell(std::string_view label, std::string_view value) {
    return "<td><small>" + std::string(label) + "<br>" + std::string(value) + "</small></td>";
}

int64_t averageVolume(const SimulatedSecurity& security, std::size_t lastIndex) {
    std::size_t first = lastIndex >= 19 ? lastIndex - 19 : 0;
    int64_t sum = 0;
    for (std::size_t i = first; i <= lastIndex; ++i)
        sum += security.bars[i].volume;
    return sum / static_cast<int64_t>(lastIndex - first + 1);
}

std::string ratioText(const MarginRow& row) {
    return row.sell == 0 ? std::string("-")
                         : format("%.2f", static_cast<double>(row.buy) / row.sell);
}

}  // namespace

uint64_t mix(uint64_t a, uint64_t b, uint64_t c) {
    uint64_t x =
        a * 0x9E3779B97F4A7C15ULL ^ (b + 0x632BE59BD9B4E019ULL) * 0xBF58476D1CE4E5B9ULL ^ c;
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

Fundamentals fundamentalsOf(const SimulatedSecurity& security) {
    Fundamentals f;
    if (securityKind(security.code) != SecurityKind::JapaneseStock || security.bars.empty()) {
        for (std::string* text : {&f.marketCap, &f.sharesIssued, &f.dividendYield,
                                  &f.dividendPerShare, &f.per, &f.eps, &f.pbr, &f.equityPerShare,
                                  &f.equityRatio, &f.roe, &f.roa, &f.adjustedEps, &f.fiscalYearEnd})
            *text = "---";
        return f;
    }
    uint64_t h = mix(static_cast<uint64_t>(security.code), 17);
    double close = security.bars.back().close;
    int64_t shares = static_cast<int64_t>(20 + h % 980) * 1000000;
    f.marketCapMillions = static_cast<int64_t>(close * static_cast<double>(shares) / 1e6);
    f.marketCap = withCommas(f.marketCapMillions) + "百万円";
    f.sharesIssued = withCommas(shares) + "株";
    double dividend = std::max(1.0, close * static_cast<double>((h >> 10) % 30) / 1000.0);
    f.yieldValue = dividend / close * 100.0;
    f.dividendPerShare = format("%.2f円", dividend);
    f.dividendYield = format("%.2f%%", f.yieldValue);
    f.perValue = 6.0 + static_cast<double>((h >> 20) % 600) / 10.0;
    double eps = close / f.perValue;
    f.per = format("(連)%.2f倍", f.perValue);
    f.eps = format("(連)%.2f", eps);
    f.pbrValue = 0.4 + static_cast<double>((h >> 30) % 60) / 10.0;
    f.pbr = format("(連)%.2f倍", f.pbrValue);
    f.equityPerShare = format("(連)%.2f", close / f.pbrValue);
    double equityRatio = 15.0 + static_cast<double>((h >> 40) % 700) / 10.0;
    f.equityRatio = format("(連)%.1f%%", equityRatio);
    double roe = f.pbrValue / f.perValue * 100.0;
    f.roe = format("(連)%.2f%%", roe);
    f.roa = format("(連)%.2f%%", roe * equityRatio / 100.0);
    f.adjustedEps = format("(連)%.2f", eps * 0.98);
    f.fiscalYearEnd = std::to_string(security.bars.back().date / 10000) + "年" +
                      std::to_string((h >> 50) % 4 == 0 ? 12 : 3) + "月";
    return f;
}

std::string renderQuotePage(const SimulatedSecurity* security, std::string_view symbol) {
    std::string html = pageHead(std::string(symbol) + " - 株価 - Yahoo!ファイナンス");
    if (!security || security->bars.empty()) {
        html += "<p>" + std::string(symbol) + " に一致する銘柄はありません。</p>\n";
        return html + std::string(kPageFoot);
    }
    const PriceBar& last = security->bars.back();
    Fundamentals f = fundamentalsOf(*security);
    StockCode code = security->code;
    html += "<table border=0 cellspacing=0 cellpadding=0 width=\"100%\">\n";
    html += "<tr><td><b>" + security->name + "</b> (" + std::string(symbol) + ") " +
            slashDate(last.date) + "</td></tr>\n";
    // Every figure sits on the one line the readers take them from.
    html += "<tr align=right>";
    html += "<td><small>取引値<br><b>" + priceText(code, last.close) + "</b></small></td>";
    html += quoteCell(
        "出来高", withCommas(securityKind(code) == SecurityKind::JapaneseIndex ? 0 : last.volume));
    html += quoteCell("時価総額", f.marketCap);
    html += quoteCell("始値", priceText(code, last.open));
    html += quoteCell("高値", priceText(code, last.high));
    html += quoteCell("安値", priceText(code, last.low));
    html += quoteCell("発行済株式数", f.sharesIssued);
    html += quoteCell("配当利回り", f.dividendYield);
    html += quoteCell("1株配当", f.dividendPerShare);
    html += quoteCell("株価収益率", f.per);
    html += quoteCell("1株利益", f.eps);
    html += quoteCell("純資産倍率", f.pbr);
    html += quoteCell("1株株主資本", f.equityPerShare);
    html += quoteCell("株主資本比率", f.equityRatio);
    html += quoteCell("株主資本利益率", f.roe);
    html += quoteCell("総資産利益率", f.roa);
    html += quoteCell("調整1株益", f.adjustedEps);
    html += quoteCell("決算年月", f.fiscalYearEnd);
    html += "</tr>\n</table>\n";
    return html + std::string(kPageFoot);
}

std::vector<MarginRow> marginRows(const SimulatedSecurity& security, int32_t start, int32_t end) {
    std::vector<MarginRow> rows;
    if (securityKind(security.code) != SecurityKind::JapaneseStock) return rows;
    const auto& bars = security.bars;
    for (std::size_t i = bars.size(); i-- > 0;) {
        if (bars[i].date > end) continue;
        if (bars[i].date < start) break;
        // The week's last trading day: the next bar starts another week (the
        // last bar closes its week only on a Friday).
        bool weekEnds =
            i + 1 == bars.size()
                ? weekday(bars[i].date) == 5
                : dayNumber(bars[i + 1].date) - dayNumber(bars[i].date) + weekday(bars[i].date) > 6;
        if (!weekEnds) continue;
        int64_t base = averageVolume(security, i);
        uint64_t h =
            mix(static_cast<uint64_t>(security.code), static_cast<uint64_t>(bars[i].date), 29);
        MarginRow row{bars[i].date, base * static_cast<int64_t>(20 + h % 80) / 100,
                      base * static_cast<int64_t>(50 + (h >> 16) % 250) / 100};
        row.sell -= row.sell % 100;
        row.buy -= row.buy % 100;
        rows.push_back(row);
    }
    return rows;
}

std::string renderMarginPage(MarginSite site, const SimulatedSecurity* security,
                             std::string_view symbol, int32_t start, int32_t end) {
    std::vector<MarginRow> rows;
    if (security) rows = marginRows(*security, start, end);
    std::string title = security ? security->name : std::string(symbol);
    std::string html = pageHead(title + " 信用取引残高");
    if (rows.empty()) {
        html += "<p>" + std::string(symbol) + " の信用取引残高はありません。</p>\n";
        return html + std::string(kPageFoot);
    }
    html += "<h1>" + title + " (" + std::string(symbol) + ")</h1>\n";
    if (site == MarginSite::YahooJapan) {
        html += "<table border=0 cellpadding=2 cellspacing=1 width=\"100%\">\n";
        html +=
            "<tr bgcolor=\"#dcdcdc\"><th><small>日付</small></th><th><small>売残</small></th>\n"
            "<th><small>買残</small></th>\n<th><small>信用倍率</small></th>\n</tr>\n<tr\n";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const MarginRow& row = rows[i];
            html += "align=right  bgcolor=\"#ffffff\"><td><small>" + japaneseDate(row.date) +
                    "</small></td><td><small>" + withCommas(row.sell) + "</small></td><td><small>" +
                    withCommas(row.buy) + "</small></td><td><small>" + ratioText(row) +
                    "</small></td></tr>";
            html += i + 1 < rows.size() ? "<tr\n" : "\n";
        }
        html += "</table>\n";
    } else {
        html += "<table class=\"margin\">\n<tr>\n";
        html +=
            "<th class=\"date\">日付</th><th class=\"num\">信用売残</th>\n"
            "<th class=\"num\">信用買残</th>\n<th class=\"num\">貸借倍率</th>\n</tr>\n";
        for (const MarginRow& row : rows) {
            html += "<tr class=\"row\">\n<td align=\"center\">" + dashDate(row.date) + "</td>\n";
            html += "<td>" + withCommas(row.sell) + "</td>\n<td>" + withCommas(row.buy) + "</td>\n";
            html += "<td>" + ratioText(row) + "</td>\n</tr>\n";
        }
        html += "</table>\n";
    }
    return html + std::string(kPageFoot);
}

}  // namespace tav::quotesim
