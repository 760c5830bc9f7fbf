#pragma once

#include <string>
#include <string_view>

#include "core/stock_code.h"
#include "data/endpoints.h"

// Addresses of the web pages the program opens in the browser: each is the
// host of an endpoint followed by a fixed path.
//
//   quote           /q?s=CODE&d=t                                   quote page
//   profile         /biz/fundamental/CODE.html                      company profile
//   board           /bbs?action=q&board=CODE                        message board
//   yahoo-us        /q/bc?s=SYMBOL&t=1d&l=on&z=m&q=l&c=             chart of a US listing
//   quote-search    /qsearch.exe?F=quote%2Fqdetail2&QCODE=CODE      quote detail
//   intraday-chart  /chart?code=CODE&tm=1d                          the day's chart
namespace tav {

std::string quoteWebPage(const Endpoints& endpoints, StockCode code);
std::string profileWebPage(const Endpoints& endpoints, StockCode code);
std::string boardWebPage(const Endpoints& endpoints, StockCode code);
// symbol: the master list's ticker of the US index or stock.
std::string usChartWebPage(const Endpoints& endpoints, std::string_view symbol);
std::string quoteDetailWebPage(const Endpoints& endpoints, StockCode code);

// The page "財務指標" opens for a code: the quote page for Japanese stocks and
// indices, the chart of a US listing, the quote detail for anything else.
std::string financialsWebPage(const Endpoints& endpoints, StockCode code, std::string_view usSymbol);

// The page "企業情報" opens: the company profile, or the chart of a US listing.
std::string companyWebPage(const Endpoints& endpoints, StockCode code, std::string_view usSymbol);

// The page "日中" opens: the day's chart of a Japanese security, the one-day
// chart of a US listing.
std::string intradayWebPage(const Endpoints& endpoints, StockCode code, std::string_view usSymbol);

}  // namespace tav
