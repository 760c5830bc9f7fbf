#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "market.h"

// The quote page and the margin-balance pages, as UTF-8 text laid out for the
// system's readers (offsets in Shift-JIS bytes).
namespace tav::quotesim {

// A deterministic 64-bit mix of its inputs: the simulator's figures that the
// bars do not give (fundamentals, margin balances) come from it, so they are
// the same on every request.
uint64_t mix(uint64_t a, uint64_t b = 0, uint64_t c = 0);

// Fundamental figures shown on the quote page, as texts.
struct Fundamentals {
    std::string marketCap, sharesIssued, dividendYield, dividendPerShare, per, eps, pbr,
        equityPerShare, equityRatio, roe, roa, adjustedEps, fiscalYearEnd;
    double perValue = 0;  // for the rankings
    double pbrValue = 0;
    double yieldValue = 0;
    int64_t marketCapMillions = 0;
};
Fundamentals fundamentalsOf(const SimulatedSecurity& security);

// The quote page: the last bar's open, high, low, close ("取引値") and volume
// with the fundamentals, all on the one line that starts with "<tr align=".
// nullptr or a security without bars gives a page without that line.
std::string renderQuotePage(const SimulatedSecurity* security, std::string_view symbol);

// One week's margin balances (the week's last trading day).
struct MarginRow {
    int32_t date = 0;
    int64_t sell = 0;
    int64_t buy = 0;
};
// The weeks whose last trading day lies in [start, end], newest first. Only
// Japanese stocks have margin balances.
std::vector<MarginRow> marginRows(const SimulatedSecurity& security, int32_t start, int32_t end);

enum class MarginSite { YahooJapan, Infoseek };
// The margin page; without rows (unknown symbol, no balances) the page has no table.
std::string renderMarginPage(MarginSite site, const SimulatedSecurity* security,
                             std::string_view symbol, int32_t start, int32_t end);

}  // namespace tav::quotesim
