#include "site_router.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "daily_archive.h"
#include "euc_jp.h"
#include "price_pages.h"
#include "quote_pages.h"
#include "ranking_page.h"
#include "site_symbols.h"

namespace tav::quotesim {

namespace {

constexpr std::string_view kHtml = "text/html; charset=EUC-JP";
constexpr std::string_view kArchive = "application/octet-stream";

std::string param(const QueryParams& params, const std::string& key) {
    auto found = params.find(key);
    return found == params.end() ? std::string() : found->second;
}

int number(const QueryParams& params, const std::string& key) {
    return static_cast<int>(leadingNumber(param(params, key)));
}

int32_t date(const QueryParams& params, const char* year, const char* month, const char* day,
             int monthOffset = 0) {
    return number(params, year) * 10000 + (number(params, month) + monthOffset) * 100 +
           number(params, day);
}

std::optional<PeriodMode> period(const std::string& letter) {
    if (letter == "d") return PeriodMode::Daily;
    if (letter == "w") return PeriodMode::Weekly;
    if (letter == "m") return PeriodMode::Monthly;
    return std::nullopt;
}

SiteResponse page(std::string_view utf8Html) {
    return {200, std::string(kHtml), eucJpFromUtf8(utf8Html)};
}

SiteResponse notFound() {
    return {404, "text/html; charset=Shift_JIS", notFoundPage()};
}

SiteResponse pricePage(PriceQuery query, const SimulatedSecurity* security,
                       const std::string& letter, int rowOffset) {
    auto mode = period(letter);
    query.page = rowOffset / rowsPerPage(query.site);
    if (!mode) return page(noDataPage(query, security ? security->code : 0));
    query.period = *mode;
    return page(renderPricePage(query, security));
}

// "20050315.LZH" (any case) -> 20050315.
int32_t archiveDay(std::string_view name) {
    if (name.size() != 12) return 0;
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.substr(8) != ".lzh") return 0;
    if (!std::all_of(name.begin(), name.begin() + 8, [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return static_cast<int32_t>(leadingNumber(name));
}

// The day an archive path names, 0 for no archive path.
int32_t archivePathDay(std::string_view path) {
    auto slash = path.rfind('/');
    if (slash == std::string_view::npos) return 0;
    int32_t day = archiveDay(path.substr(slash + 1));
    if (day == 0) return 0;
    std::string folder(path.substr(0, slash));
    std::string year = std::to_string(day / 10000);
    if (folder == "/data" || folder == "/data" + year || folder == "/data/" + year) return day;
    return 0;
}

}  // namespace

SiteResponse respond(const Market& market, std::string_view path, const QueryParams& params,
                     const ArchiveStyle& archiveStyle) {
    if (path == "/t") {
        PriceQuery query{PriceSite::YahooJapan, param(params, "s"), date(params, "c", "a", "b"),
                         date(params, "f", "d", "e")};
        return pricePage(query, findYahooJapan(market, query.symbol), param(params, "g"),
                         number(params, "y"));
    }
    if (path == "/MnStock/mn_slast.html" || path == "/MnForex/fxlast.html") {
        bool forex = path == "/MnForex/fxlast.html";
        PriceQuery query{forex ? PriceSite::InfoseekForex : PriceSite::InfoseekStock,
                         param(params, forex ? "fx" : "qt"), date(params, "sy", "sm", "sd"),
                         date(params, "ey", "em", "ed")};
        const SimulatedSecurity* security =
            forex ? findForex(market, query.symbol) : findInfoseek(market, query.symbol);
        return pricePage(query, security, param(params, "k"), number(params, "st"));
    }
    if (path == "/q/hp") {
        PriceQuery query{PriceSite::YahooUs, param(params, "s"), date(params, "c", "a", "b", 1),
                         date(params, "f", "d", "e", 1)};
        return pricePage(query, market.findSymbol(query.symbol), param(params, "g"),
                         number(params, "y"));
    }
    if (path == "/q") {
        std::string symbol = param(params, "s");
        return page(renderQuotePage(findYahooJapan(market, symbol), symbol));
    }
    if (path == "/bt") {
        std::string symbol = param(params, "s");
        return page(renderMarginPage(MarginSite::YahooJapan, findYahooJapan(market, symbol), symbol,
                                     date(params, "c", "a", "b"), date(params, "f", "d", "e")));
    }
    if (path == "/MnStock" && param(params, "pg") == "mn_smargin.html") {
        std::string symbol = param(params, "qt");
        return page(renderMarginPage(MarginSite::Infoseek, findYahooJapan(market, symbol), symbol,
                                     date(params, "sy", "sm", "sd"),
                                     date(params, "ey", "em", "ed")));
    }
    if (path == "/ranking/search") {
        RankingQuery query;
        query.kind = number(params, "kd");
        auto [first, last] = params.equal_range("mk");
        for (auto it = first; it != last; ++it)
            query.markets.push_back(it->second);
        query.term = param(params, "tm");
        return page(renderRankingPage(market, query));
    }
    if (path == "/dist/stock.lzh")
        return {200, std::string(kArchive), masterArchive(market, archiveStyle)};
    if (int32_t day = archivePathDay(path)) {
        std::string archive = dayArchive(market, day, archiveStyle);
        if (archive.empty()) return notFound();
        return {200, std::string(kArchive), std::move(archive)};
    }
    return notFound();
}

}  // namespace tav::quotesim
