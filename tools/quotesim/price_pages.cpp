#include "price_pages.h"

#include <algorithm>
#include <cstdio>

#include "core/calendar.h"
#include "page_format.h"
#include "site_symbols.h"

namespace tav::quotesim {

namespace {

constexpr int kJapanRows = 50;
constexpr int kUsRows = 66;

char letterOf(PeriodMode period) {
    return periodLetter(period)[0];
}

// The last calendar day of the week or month a period bar stands for.
int64_t periodLastDay(int32_t date, PeriodMode period) {
    switch (period) {
        case PeriodMode::Daily:
            return dayNumber(date);
        case PeriodMode::Weekly:
            return mondayOfWeek(dayNumber(date)) + 6;
        case PeriodMode::Monthly:
            return dayNumber(date / 100 * 100 + 1) + 30;  // at or past the end
    }
    return dayNumber(date);
}

std::string volumeText(StockCode code, int64_t volume) {
    // The index pages show no volume; readers put their placeholder in.
    return securityKind(code) == SecurityKind::JapaneseIndex ? "0" : withCommas(volume);
}

int32_t adjustedClose(const SimulatedSecurity& security, const PriceBar& bar) {
    double close = bar.close;
    for (const StockSplit& split : security.splits)
        if (split.date > bar.date) close = close * split.from / std::stod(split.to);
    return static_cast<int32_t>(close);
}

std::string dateQuery(const char* format, const PriceQuery& query) {
    char text[160];
    int sy = query.start / 10000, sm = query.start / 100 % 100, sd = query.start % 100;
    int ey = query.end / 10000, em = query.end / 100 % 100, ed = query.end % 100;
    std::snprintf(text, sizeof text, format, sy, sm, sd, ey, em, ed);
    return text;
}

std::string yahooJapanPageAddress(const PriceQuery& query, int page) {
    char text[240];
    std::snprintf(
        text, sizeof text, "/t?s=%s&a=%d&b=%d&c=%d&d=%d&e=%d&f=%d&g=%c&q=t&y=%d&z=%lld&x=.csv",
        query.symbol.c_str(), query.start / 100 % 100, query.start % 100, query.start / 10000,
        query.end / 100 % 100, query.end % 100, query.end / 10000, letterOf(query.period),
        page * kJapanRows, static_cast<long long>(leadingNumber(query.symbol)));
    return text;
}

std::string infoseekPageAddress(const PriceQuery& query, int page) {
    bool forex = query.site == PriceSite::InfoseekForex;
    std::string address = forex ? "/MnForex/fxlast.html?fx=" : "/MnStock/mn_slast.html?qt=";
    address += query.symbol + dateQuery("&sy=%d&sm=%d&sd=%d&ey=%d&em=%d&ed=%d", query);
    address +=
        "&k=" + std::string(1, letterOf(query.period)) + "&st=" + std::to_string(page * kJapanRows);
    return address;
}

std::string yahooUsPageAddress(const PriceQuery& query, std::string_view offset) {
    char text[240];
    std::snprintf(text, sizeof text,
                  "/q/hp?s=%s&a=%02d&b=%d&c=%d&d=%02d&e=%d&f=%d&g=%c&z=%d&y=", query.symbol.c_str(),
                  query.start / 100 % 100 - 1, query.start % 100, query.start / 10000,
                  query.end / 100 % 100 - 1, query.end % 100, query.end / 10000,
                  letterOf(query.period), kUsRows);
    return text + std::string(offset);
}

std::string pageHead(std::string_view title) {
    return "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
           "charset=EUC-JP\">\n"
           "<title>" +
           std::string(title) + "</title>\n</head>\n<body>\n";
}

constexpr std::string_view kPageFoot = "</body>\n</html>\n";

std::string yahooJapanPage(const PriceQuery& query, const SimulatedSecurity& security,
                           const std::vector<PriceBar>& bars, const PageRows& page) {
    auto splits = splitRows(security, bars, query.period);
    std::string html = pageHead(query.symbol + ": 時系列 - Yahoo!ファイナンス");
    html += "<b>" + security.name + "</b> (" + query.symbol + ")<br>\n";
    html += "<table border=0 cellpadding=2 cellspacing=1 width=\"100%\">\n";
    html +=
        "<tr bgcolor=\"#dcdcdc\"><th><small>日付</small></th><th><small>始値</small></th>"
        "<th><small>高値</small></th><th><small>安値</small></th><th><small>終値</small></th>"
        "<th><small>出来高</small></th><th><small>調整後終値*</small></th></tr>\n";
    // Each row line opens the next row at its end, so that every row line
    // starts with the row's attributes.
    html += "<tr\n";
    for (std::size_t i = 0; i < page.rows.size(); ++i) {
        const PriceBar& bar = page.rows[i];
        std::string date = japaneseDate(bar.date);
        html += "align=right bgcolor=\"#ffffff\"><td><small>" + date + "</small></td>";
        for (int32_t price : {bar.open, bar.high, bar.low})
            html += "<td><small>" + priceText(security.code, price) + "</small></td>";
        html += "<td><small><b>" + priceText(security.code, bar.close) + "</b></small></td>";
        html += "<td><small>" + volumeText(security.code, bar.volume) + "</small></td>";
        html += "<td><small>" + priceText(security.code, adjustedClose(security, bar)) +
                "</small></td></tr>";
        auto split = splits.find(bar.date);
        if (split != splits.end()) {
            html += "<tr bgcolor=\"#ffffff\"><td align=center colspan=7><small><font size=-1>" +
                    japaneseDate(split->second->date) +
                    "</font> 分割: " + std::to_string(split->second->from) + "株 -> " +
                    split->second->to + "株</small></td></tr>";
        }
        html += i + 1 < page.rows.size() ? "<tr\n" : "\n";
    }
    html += "</table>";
    if (query.page > 0)
        html += "<a href=\"" + yahooJapanPageAddress(query, query.page - 1) + "\">前の50件</a> ";
    if (page.further)
        html += "<a href=\"" + yahooJapanPageAddress(query, query.page + 1) + "\">次の50件</a>";
    html += "\n<p><small>* 分割・併合を考慮した終値です。</small></p>\n";
    return html + std::string(kPageFoot);
}

std::string infoseekStockPage(const PriceQuery& query, const SimulatedSecurity& security,
                              const PageRows& page) {
    std::string html = pageHead(security.name + " 株価履歴 - 楽天infoseekマネー");
    html += "<h1>" + security.name + "（" + query.symbol + "）</h1>\n";
    html +=
        "  <table class=\"history\">\n  <tr>\n    <th>日付</th>\n    <th>終値</th>\n"
        "    <th>始値</th>\n    <th>高値</th>\n    <th>安値</th>\n    <th>出来高</th>\n  </tr>\n";
    for (std::size_t i = 0; i < page.rows.size(); ++i) {
        const PriceBar& bar = page.rows[i];
        html += std::string("            <tr align=\"right\" bgcolor=\"") +
                (i % 2 ? "#f0f0f0" : "#ffffff") + "\">\n";
        html += "              <td>" + slashDate(bar.date) + "</td>\n";
        for (int32_t price : {bar.close, bar.open, bar.high, bar.low})
            html += "              <td>" + priceText(security.code, price) + "</td>\n";
        html += "              <td>" + volumeText(security.code, bar.volume) + "</td>\n";
        html += "            </tr>\n";
    }
    // The pager's eighth line after the table holds the link to the next page.
    html += "    </table>\n";
    html += "    <div class=\"pager\">\n      <ul>\n";
    html += "        <li>" + std::to_string(query.page + 1) + "ページ目</li>\n";
    html += "        <li>" + std::to_string(page.rows.size()) + "件</li>\n";
    if (query.page > 0)
        html += "        <li><a href=\"" + infoseekPageAddress(query, query.page - 1) +
                "\">前へ</a></li>\n";
    else
        html += "        <li>前へ</li>\n";
    html += "      </ul>\n      <p class=\"next\">\n";
    if (page.further)
        html +=
            "        <a href=\"" + infoseekPageAddress(query, query.page + 1) + "\">次の50件</a>\n";
    else
        html += "        <span>次の50件</span>\n";
    html += "      </p>\n    </div>\n";
    return html + std::string(kPageFoot);
}

std::string infoseekForexPage(const PriceQuery& query, const SimulatedSecurity& security,
                              const PageRows& page) {
    std::string html = pageHead(security.name + " 為替レート履歴 - 楽天infoseekマネー");
    html += "<h1>" + security.name + "</h1>\n";
    html +=
        "<table class=\"fx\">\n<tr>\n<th>日付</th>\n<th>終値</th>\n<th>始値</th>\n"
        "<th>高値</th>\n<th>安値</th>\n<th>出来高</th>\n</tr>\n";
    for (std::size_t i = 0; i < page.rows.size(); ++i) {
        const PriceBar& bar = page.rows[i];
        html += std::string("<tr align=\"right\" bgcolor=\"") + (i % 2 ? "#f0f0f0" : "#ffffff") +
                "\">\n";
        html += "<td>" + slashDate(bar.date) + "</td>\n";
        for (int32_t price : {bar.close, bar.open, bar.high, bar.low})
            html += "<td>" + priceText(security.code, price) + "</td>\n";
        html += "<td>-</td>\n</tr>\n";
    }
    html += "</table>\n<div class=\"note\">\n<p>\n-　レートは東京市場の終値です。\n";
    if (page.further)
        html += "<a href=\"" + infoseekPageAddress(query, query.page + 1) + "\">次の50件</a>\n";
    else
        html += "<span>次の50件</span>\n";
    html += "</p>\n</div>\n";
    return html + std::string(kPageFoot);
}

std::string yahooUsPage(const PriceQuery& query, const SimulatedSecurity& security,
                        const PageRows& page) {
    std::string html = pageHead(query.symbol + ": Historical Prices - Yahoo! Finance");
    html += "<p><b>" + query.symbol + "</b></p>\n";
    // Header and rows share one line.
    html +=
        "<table class=\"yfnc_datamodoutline1\" width=\"100%\" cellpadding=\"2\" "
        "cellspacing=\"1\"><tr>"
        "<th class=\"yfnc_tablehead1\" align=\"left\">Date</th>";
    for (const char* head : {"Open", "High", "Low", "Close", "Volume", "Adj Close*"})
        html += std::string("<th class=\"yfnc_tablehead1\" align=\"right\">") + head + "</th>";
    html += "</tr>";
    for (const PriceBar& bar : page.rows) {
        html += "<tr><td class=\"yfnc_tabledata1\" nowrap align=\"right\">" + usDate(bar.date) +
                "</td>";
        for (int32_t price : {bar.open, bar.high, bar.low, bar.close})
            html += "<td class=\"yfnc_tabledata1\" align=\"right\">" +
                    priceText(security.code, price) + "</td>";
        html += "<td class=\"yfnc_tabledata1\" align=\"right\">" + withCommas(bar.volume) + "</td>";
        html += "<td class=\"yfnc_tabledata1\" align=\"right\">" +
                priceText(security.code, bar.close) + "</td></tr>";
    }
    html += "</table>\n";
    // The next link's offset reads 999999 on the last page.
    std::string next = page.further ? std::to_string((query.page + 1) * kUsRows) : "999999";
    html += "<p class=\"pager\"><a href=\"" + yahooUsPageAddress(query, "0") + "\">First</a> | ";
    if (query.page > 0)
        html += "<a href=\"" +
                yahooUsPageAddress(query, std::to_string((query.page - 1) * kUsRows)) +
                "\">Prev</a> | ";
    html += "<a href=\"" + yahooUsPageAddress(query, next) + "\">Next</a></p>\n";
    html += "<p><small>* Close price adjusted for dividends and splits.</small></p>\n";
    return html + std::string(kPageFoot);
}

}  // namespace

int rowsPerPage(PriceSite site) {
    return site == PriceSite::YahooUs ? kUsRows : kJapanRows;
}

PageRows selectRows(const std::vector<PriceBar>& periodBars, PeriodMode period, int32_t start,
                    int32_t end, int page, int rowsPerPage) {
    PageRows result;
    if (page < 0 || rowsPerPage <= 0) return result;
    int64_t firstDay = dayNumber(start);
    std::size_t skip = static_cast<std::size_t>(page) * static_cast<std::size_t>(rowsPerPage);
    for (auto bar = periodBars.rbegin(); bar != periodBars.rend(); ++bar) {
        if (bar->date > end) continue;
        if (periodLastDay(bar->date, period) < firstDay) break;
        if (skip > 0) {
            --skip;
            continue;
        }
        if (std::ssize(result.rows) == rowsPerPage) {
            result.further = true;
            break;
        }
        result.rows.push_back(*bar);
    }
    return result;
}

std::map<int32_t, const StockSplit*> splitRows(const SimulatedSecurity& security,
                                               const std::vector<PriceBar>& periodBars,
                                               PeriodMode period) {
    std::map<int32_t, const StockSplit*> rows;
    for (const StockSplit& split : security.splits) {
        // The period bar holding the split day: the last one dated on or before it.
        auto after =
            std::upper_bound(periodBars.begin(), periodBars.end(), split.date,
                             [](int32_t date, const PriceBar& bar) { return date < bar.date; });
        if (after == periodBars.begin()) continue;
        auto holding = after - 1;
        if (period == PeriodMode::Daily) {
            if (holding->date == split.date) rows[holding->date] = &split;
        } else if (after != periodBars.end()) {
            rows[after->date] = &split;
        }
    }
    return rows;
}

std::string noDataPage(const PriceQuery& query, StockCode code) {
    std::string html = pageHead("データがありません");
    if (query.site == PriceSite::YahooJapan || query.site == PriceSite::YahooUs) {
        // Index symbols are numbers of their own: say it for both numbers.
        int64_t number = leadingNumber(query.symbol);
        if (number != 0 && number != code)
            html +=
                "<p class=\"error\">" + std::to_string(number) + " のデータはありません。</p>\n";
        html += "<p class=\"error\">" + codeText(code) + " のデータはありません。</p>\n";
    } else {
        html += "<p class=\"error\">「" + query.symbol +
                "」と一致するデータが見つかりませんでした。</p>\n";
    }
    return html + std::string(kPageFoot);
}

std::string renderPricePage(const PriceQuery& query, const SimulatedSecurity* security) {
    if (!security) return noDataPage(query, parseLeadingCode(query.symbol));
    std::vector<PriceBar> bars = periodBars(security->bars, query.period);
    PageRows page =
        selectRows(bars, query.period, query.start, query.end, query.page, rowsPerPage(query.site));
    if (page.rows.empty()) return noDataPage(query, security->code);
    switch (query.site) {
        case PriceSite::YahooJapan:
            return yahooJapanPage(query, *security, bars, page);
        case PriceSite::InfoseekStock:
            return infoseekStockPage(query, *security, page);
        case PriceSite::InfoseekForex:
            return infoseekForexPage(query, *security, page);
        case PriceSite::YahooUs:
            return yahooUsPage(query, *security, page);
    }
    return noDataPage(query, security->code);
}

}  // namespace tav::quotesim
