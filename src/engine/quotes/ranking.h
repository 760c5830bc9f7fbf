#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/endpoints.h"
#include "data/stock_master.h"
#include "platform/http.h"
#include "platform/prompter.h"

namespace tav {

// The ranking dialog's five choices, each an index into its list; output k
// is watchlist k + 1.
struct RankingChoices {
    int category = 0;
    int kind = 0;
    int market = 0;
    int period = 0;
    int output = 0;
};

struct RankingMarket {
    std::string_view label;
    std::string_view query;  // the mk value(s)
};

inline constexpr std::array<std::string_view, 3> kRankingCategories = {
    "マーケット関連", "信用取引関連", "テクニカル関連"};
std::span<const std::string_view> rankingKinds(int category);
extern const std::array<RankingMarket, 14> kRankingMarkets;
inline constexpr std::array<std::string_view, 3> kRankingPeriods = {"デイリー", "週次", "月次"};

// At most this many securities are taken from a page.
inline constexpr std::size_t kMaxRankingEntries = 20;
// The page is read into a buffer of 65536 bytes that also holds its
// terminating zero; later bytes are dropped.
inline constexpr std::size_t kRankingPageBytes = 65535;

// True when category, kind, market and period name entries of their lists.
bool validRankingChoices(const RankingChoices& choices);

// "b=1&kd=%d&mk=%s&ca=1&tm=%s&".
std::string rankingQuery(const RankingChoices& choices);
std::string rankingAddress(std::string_view host, const RankingChoices& choices);

// The four-character codes (digits, or alphanumeric as "130A") of the ranking
// rows (Shift-JIS page), in page order, at most kMaxRankingEntries. Rows start after the line naming "関連情報"; in
// each, the line after the next one after "<tr>" holds the code just before
// its first "</a>". A row with something else there is skipped; a row without
// "</a>", or with nothing before it, ends the list.
std::vector<std::string> parseRankingPage(std::string_view page);

// Fetches the ranking and returns its entries as watchlist lines ("code
// name", the name from the master list or "-----"), in page order. A failed
// download (an answer other than success included) is told and gives nullopt;
// a page cut at kRankingPageBytes keeps what it holds. Writing the entries is
// left to the caller, which owns the watchlists and the folder lock.
std::optional<std::vector<std::string>> fetchRanking(Http& http, Prompter& prompter,
                                                     const Endpoints& endpoints,
                                                     const StockMaster& master,
                                                     const RankingChoices& choices);

}  // namespace tav
