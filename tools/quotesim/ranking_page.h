#pragma once

#include <string>
#include <vector>

#include "market.h"

// The ranking page of the finance site ("/ranking/search").
namespace tav::quotesim {

struct RankingQuery {
    int kind = 1;                      // kd: 1-12 market, 13-18 margin, 19-26 technical
    std::vector<std::string> markets;  // mk values ("11", "A1", ...)
    std::string term = "day";          // tm: "day", "week" or "month"
};

// At most this many rows, more than the readers keep.
inline constexpr int kRankingRows = 30;

// The codes ranked, best first: the Japanese stocks of the chosen markets
// ordered by the kind's figure over the term.
std::vector<StockCode> rankCodes(const Market& market, const RankingQuery& query);

// The page: a heading "関連情報" before the table, then per entry the lines
// "<tr>", the rank cell, and the code cell ending "CODE</a></td>", each on its
// own line. An unknown kind gives a page without "関連情報".
std::string renderRankingPage(const Market& market, const RankingQuery& query);

}  // namespace tav::quotesim
