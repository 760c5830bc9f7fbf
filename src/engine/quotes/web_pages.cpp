#include "quotes/web_pages.h"

#include "quotes/quote_addresses.h"

namespace tav {

namespace {

std::string page(const Endpoints& endpoints, std::string_view name, std::string_view path) {
    std::string address = endpoints.address(name);
    while (!address.empty() && address.back() == '/') address.pop_back();
    return address + std::string(path);
}

std::string code(StockCode value) { return codeText(value); }

bool usListing(StockCode value) {
    const SecurityKind kind = securityKind(value);
    return kind == SecurityKind::UsIndex || kind == SecurityKind::UsStock;
}

}  // namespace

std::string quoteWebPage(const Endpoints& endpoints, StockCode value) {
    return page(endpoints, Endpoints::kQuote, "/q?s=" + code(value) + "&d=t");
}

std::string profileWebPage(const Endpoints& endpoints, StockCode value) {
    return page(endpoints, Endpoints::kProfile, "/biz/fundamental/" + code(value) + ".html");
}

std::string boardWebPage(const Endpoints& endpoints, StockCode value) {
    return page(endpoints, Endpoints::kBoard, "/bbs?action=q&board=" + code(value));
}

std::string usChartWebPage(const Endpoints& endpoints, std::string_view symbol) {
    return page(endpoints, Endpoints::kYahooUs,
                "/q/bc?s=" + querySymbol(symbol) + "&t=1d&l=on&z=m&q=l&c=");
}

std::string quoteDetailWebPage(const Endpoints& endpoints, StockCode value) {
    return page(endpoints, Endpoints::kQuoteSearch,
                "/qsearch.exe?F=quote%2Fqdetail2&QCODE=" + code(value));
}

std::string financialsWebPage(const Endpoints& endpoints, StockCode value,
                              std::string_view usSymbol) {
    if (usListing(value)) return usChartWebPage(endpoints, usSymbol);
    const SecurityKind kind = securityKind(value);
    if (kind == SecurityKind::JapaneseStock || kind == SecurityKind::JapaneseIndex)
        return quoteWebPage(endpoints, value);
    return quoteDetailWebPage(endpoints, value);
}

std::string companyWebPage(const Endpoints& endpoints, StockCode value, std::string_view usSymbol) {
    if (usListing(value)) return usChartWebPage(endpoints, usSymbol);
    return profileWebPage(endpoints, value);
}

std::string intradayWebPage(const Endpoints& endpoints, StockCode value,
                            std::string_view usSymbol) {
    if (usListing(value)) return usChartWebPage(endpoints, usSymbol);
    return page(endpoints, Endpoints::kIntradayChart, "/chart?code=" + code(value) + "&tm=1d");
}

}  // namespace tav
