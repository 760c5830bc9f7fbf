#include "quotes/quote_addresses.h"

#include <cstdio>

#include "data/endpoints.h"

namespace tav {

namespace {

struct MarketSuffix {
    std::string_view market;
    std::string_view suffix;
};

constexpr MarketSuffix kSuffixes[] = {
    {"東証1部", ".t"},    {"東証2部", ".t"}, {"大証1部", ".o"}, {"大証2部", ".o"},
    {"名証1部", ".n"},    {"名証2部", ".n"}, {"JASDAQ", ".q"},  {"マザーズ", ".t"},
    {"ヘラクレス", ".j"}, {"福岡Ｑ", ".f"},  {"札幌ア", ".s"},  {"プライム", ".t"},
    {"スタンダード", ".t"}, {"グロース", ".t"},
};

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char buffer[512];
    int length = std::snprintf(buffer, sizeof buffer, pattern, args...);
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < sizeof buffer) return std::string(buffer, length);
    std::string out(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(out.data(), out.size(), pattern, args...);
    out.resize(static_cast<std::size_t>(length));
    return out;
}

}  // namespace

QuoteSite quoteSiteFor(StockCode code, bool useInfoseek) {
    switch (securityKind(code)) {
        case SecurityKind::CurrencyPair:
            return QuoteSite::InfoseekForex;
        case SecurityKind::UsIndex:
        case SecurityKind::UsStock:
            return QuoteSite::YahooUs;
        default:
            return useInfoseek ? QuoteSite::InfoseekStock : QuoteSite::YahooJapan;
    }
}

int pageRows(QuoteSite site) {
    return site == QuoteSite::YahooUs ? 66 : 50;
}

std::string_view endpointName(QuoteSite site) {
    switch (site) {
        case QuoteSite::YahooJapan:
            return Endpoints::kYahooJapan;
        case QuoteSite::YahooUs:
            return Endpoints::kYahooUs;
        default:
            return Endpoints::kInfoseek;
    }
}

bool siteHasPeriod(QuoteSite site, PeriodMode period) {
    if (site == QuoteSite::InfoseekForex || site == QuoteSite::YahooUs)
        return period == PeriodMode::Daily;
    return true;
}

std::string_view yahooJapanSuffix(std::string_view market) {
    for (const auto& entry : kSuffixes)
        if (entry.market == market) return entry.suffix;
    return {};
}

int yahooJapanNumber(StockCode code) {
    if (code == 1010) return 998407;
    if (code == 1001) return 998405;
    return code;
}

std::string marketSymbol(StockCode code, std::string_view market) {
    return codeText(code) + std::string(yahooJapanSuffix(market));
}

std::string yahooJapanSymbol(StockCode code, std::string_view market) {
    if (code == 1010 || code == 1001) return std::to_string(yahooJapanNumber(code));
    return marketSymbol(code, market);
}

std::string infoseekSymbol(StockCode code, std::string_view market) {
    if (code == 1010) return "100000018.i";
    if (code == 1001) return "ksisu1000.i";
    if (market == "JASDAQ") return codeText(code) + ".j";
    if (market == "ヘラクレス") return codeText(code) + ".q";
    return yahooJapanSymbol(code, market);
}

int forexNumber(StockCode code) {
    if (code == 1020) return 1001;
    if (code == 1021) return 1002;
    if (code == 1022) return 2001;
    return code - 20;
}

DateSpan spanEnding(const LocalDate& end, int years, int months) {
    LocalDate start{end.year - years, end.month - months, end.day};
    while (start.month <= 0) {
        start.month += 12;
        start.year -= 1;
    }
    return {start, end};
}

std::string querySymbol(std::string_view symbol) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : symbol) {
        auto byte = static_cast<unsigned char>(c);
        bool plain = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
                     (byte >= 'a' && byte <= 'z') || c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

std::string historyPageAddress(const PageRequest& request, int page) {
    const LocalDate& s = request.span.start;
    const LocalDate& e = request.span.end;
    const std::string symbol = querySymbol(request.symbol);
    const char* g = periodLetter(request.period).data();
    std::string path;
    switch (request.site) {
        case QuoteSite::YahooJapan:
            path = page == 0
                       ? format("/t?c=%d&a=%d&b=%d&f=%d&d=%d&e=%d&g=%s&s=%s&y=0&z=", s.year,
                                s.month, s.day, e.year, e.month, e.day, g, symbol.c_str())
                       : format("/t?s=%s&a=%d&b=%d&c=%d&d=%d&e=%d&f=%d&g=%s&q=t&y=%d&z=%d&x=.csv",
                                symbol.c_str(), s.month, s.day, s.year, e.month, e.day, e.year, g,
                                50 * page, request.number);
            break;
        case QuoteSite::InfoseekStock:
            path = format("/MnStock/mn_slast.html?qt=%s&sy=%d&sm=%d&sd=%d&ey=%d&em=%d&ed=%d&k=%s",
                          symbol.c_str(), s.year, s.month, s.day, e.year, e.month, e.day, g);
            if (page > 0) path += format("&st=%d", 50 * page);
            break;
        case QuoteSite::InfoseekForex:
            path = format("/MnForex/fxlast.html?fx=F%d&sy=%d&sm=%d&sd=%d&ey=%d&em=%d&ed=%d&k=%s",
                          request.number, s.year, s.month, s.day, e.year, e.month, e.day, g);
            if (page > 0) path += format("&st=%d", 50 * page);
            break;
        case QuoteSite::YahooUs:
            path = format("/q/hp?s=%s&a=%02d&b=%d&c=%d&d=%02d&e=%d&f=%d&g=%s", symbol.c_str(),
                          s.month - 1, s.day, s.year, e.month - 1, e.day, e.year, g);
            if (page > 0) path += format("&z=%d&y=%d", 66, 66 * page);
            break;
    }
    return request.host + path;
}

std::string quotePageAddress(std::string_view host, std::string_view symbol) {
    return std::string(host) + "/q?s=" + querySymbol(symbol) + "&d=t";
}

std::string yahooMarginAddress(std::string_view host, std::string_view symbol,
                               const DateSpan& span) {
    const LocalDate& s = span.start;
    const LocalDate& e = span.end;
    return std::string(host) + format("/bt?s=%s&a=%d&b=%d&c=%d&d=%d&e=%d&f=%d&g=d",
                                      querySymbol(symbol).c_str(), s.month, s.day, s.year, e.month,
                                      e.day, e.year);
}

std::string infoseekMarginAddress(std::string_view host, std::string_view symbol,
                                  const DateSpan& span) {
    const LocalDate& s = span.start;
    const LocalDate& e = span.end;
    return std::string(host) +
           format("/MnStock?pg=mn_smargin.html&sv=MN&qt=%s&sy=%d&sm=%d&sd=%d&ey=%d&em=%d&ed=%d",
                  querySymbol(symbol).c_str(), s.year, s.month, s.day, e.year, e.month, e.day);
}

}  // namespace tav
