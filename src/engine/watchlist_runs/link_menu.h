#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/stock_code.h"
#include "data/endpoints.h"
#include "data/program_folder.h"

// The "投資情報" menu: a few fixed pages, then the user's own links from
// "url.lst" ("title,address" per line).
namespace tav {

inline constexpr std::string_view kUrlListFileName = "url.lst";
inline constexpr std::string_view kUrlListMissing =
    "[url.lst]　が見つかりませんので投資情報は使えません。";
// A line of "url.lst" is read with a buffer of this many Shift-JIS bytes.
inline constexpr std::size_t kUrlLineBuffer = 512;

struct LinkEntry {
    std::string title;    // UTF-8
    std::string address;  // as written in the file
};

// The lines of "url.lst": title = field 0, address = field 1. Lines without
// an address give no entry.
std::vector<LinkEntry> parseUrlList(std::string_view sjisBytes);

// The menu for the security on display: "財務指標", "銘柄検索", "ランキング",
// "掲示板", "ヘルプ", then the lines of "url.lst". Nothing when "url.lst" is
// missing (the caller shows kUrlListMissing).
std::optional<std::vector<LinkEntry>> linkMenu(const ProgramFolder& folder,
                                               const Endpoints& endpoints, StockCode shown,
                                               std::string_view usSymbol);

}  // namespace tav
