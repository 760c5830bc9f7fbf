#pragma once

// Addresses of the quote sites. Each is the host of an endpoint in
// "Endpoints.lst" followed by one of these paths (n = page number from 0):
//
//   yahoo-jp         /t?c=Y&a=M&b=D&f=Y&d=M&e=D&g=P&s=SYMBOL&y=0&z=             page 0
//                    /t?s=SYMBOL&a=M&b=D&c=Y&d=M&e=D&f=Y&g=P&q=t&y=50n&z=NUMBER&x=.csv
//   infoseek         /MnStock/mn_slast.html?qt=SYMBOL&sy=Y&sm=M&sd=D&ey=Y&em=M&ed=D&k=P[&st=50n]
//                    /MnForex/fxlast.html?fx=F1001&sy=Y&sm=M&sd=D&ey=Y&em=M&ed=D&k=P[&st=50n]
//   yahoo-us         /q/hp?s=SYMBOL&a=MM&b=D&c=Y&d=MM&e=D&f=Y&g=P[&z=66&y=66n]  (MM = month - 1)
//   quote            /q?s=SYMBOL&d=t
//   margin-yahoo     /bt?s=SYMBOL&a=M&b=D&c=Y&d=M&e=D&f=Y&g=d
//   margin-infoseek  /MnStock?pg=mn_smargin.html&sv=MN&qt=SYMBOL&sy=Y&sm=M&sd=D&ey=Y&em=M&ed=D
//   ranking          /ranking/search?b=1&kd=K&mk=MARKET&ca=1&tm=day|week|month&
//
// P is the period letter d, w or m; the first date is the start of the span.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/local_date.h"
#include "core/period_mode.h"
#include "core/stock_code.h"

namespace tav {

enum class QuoteSite : uint8_t { YahooJapan, InfoseekStock, InfoseekForex, YahooUs };

// The site a code's price history comes from; useInfoseek is the QuoteSource setting.
QuoteSite quoteSiteFor(StockCode code, bool useInfoseek);
// Rows of one history page: 50, or 66 on the US site.
int pageRows(QuoteSite site);
// The Endpoints name of the site's host.
std::string_view endpointName(QuoteSite site);
// Currency pairs and US listings have daily pages only.
bool siteHasPeriod(QuoteSite site, PeriodMode period);

// ".t", ".o", ... for a market name of the master list (UTF-8); empty otherwise.
std::string_view yahooJapanSuffix(std::string_view market);
// The number the Yahoo! Japan pages know a code by: the indices 1010 and 1001
// are 998407 and 998405.
int yahooJapanNumber(StockCode code);
std::string yahooJapanSymbol(StockCode code, std::string_view market);
std::string infoseekSymbol(StockCode code, std::string_view market);
// The forex number of a currency pair (F%d).
int forexNumber(StockCode code);
// The code with its market suffix, without the index numbers (margin pages).
std::string marketSymbol(StockCode code, std::string_view market);

struct DateSpan {
    LocalDate start;
    LocalDate end;
};

// The span of years and months ending on end: same day of month, the month
// borrowing years while it is not above 0.
DateSpan spanEnding(const LocalDate& end, int years, int months);

// One history page of one security.
struct PageRequest {
    QuoteSite site = QuoteSite::YahooJapan;
    std::string host;
    std::string symbol;  // stock symbol; unused for forex
    int number = 0;      // Yahoo! Japan code number, or the forex number
    DateSpan span;
    PeriodMode period = PeriodMode::Daily;
};

std::string historyPageAddress(const PageRequest& request, int page);
std::string quotePageAddress(std::string_view host, std::string_view symbol);
std::string yahooMarginAddress(std::string_view host, std::string_view symbol,
                               const DateSpan& span);
std::string infoseekMarginAddress(std::string_view host, std::string_view symbol,
                                  const DateSpan& span);

// A symbol as a query value: bytes outside letters, digits and "-._~" are
// percent-encoded (US index symbols carry "^").
std::string querySymbol(std::string_view symbol);

}  // namespace tav
