#pragma once

#include <string>
#include <string_view>

#include "market.h"

// The symbols each site knows a security by. A site answers only to the exact
// symbol it would use, so a request with a wrong market suffix gets the
// site's no-data page.
namespace tav::quotesim {

// Yahoo! Japan: 998407 for 1010, 998405 for 1001, otherwise the code with the
// suffix of its market (".t", ".o", ".n", ".q", ".j", ".f", ".s"; none for
// other markets).
std::string yahooJapanSymbol(const SimulatedSecurity& security);
// Infoseek: "100000018.i" for 1010, "ksisu1000.i" for 1001, "%d.j" for JASDAQ,
// "%d.q" for ヘラクレス, otherwise the Yahoo! Japan symbol.
std::string infoseekSymbol(const SimulatedSecurity& security);
// Infoseek forex number of a currency pair (1020 -> 1001, 1021 -> 1002,
// 1022 -> 2001, 1023-1029 -> code - 20); 0 for other codes.
int forexNumber(StockCode code);

const SimulatedSecurity* findYahooJapan(const Market& market, std::string_view symbol);
const SimulatedSecurity* findInfoseek(const Market& market, std::string_view symbol);
// fx is "F" and the forex number.
const SimulatedSecurity* findForex(const Market& market, std::string_view fx);

// The leading decimal digits of a text as a number (0 when there are none).
int64_t leadingNumber(std::string_view text);

}  // namespace tav::quotesim
