#pragma once

#include <map>
#include <string>
#include <string_view>

#include "daily_archive.h"
#include "market.h"

// Which page a request asks for, and the page's bytes as the site sends them.
namespace tav::quotesim {

using QueryParams = std::multimap<std::string, std::string>;

struct SiteResponse {
    int status = 200;
    std::string contentType;
    std::string body;  // EUC-JP pages, LZH archives, the Shift-JIS not-found page
};

// Routes (path, query keys):
//   /t                      Yahoo! Japan price history   s c a b f d e g y
//   /MnStock/mn_slast.html  Infoseek price history       qt sy sm sd ey em ed k st
//   /MnForex/fxlast.html    Infoseek forex history       fx sy sm sd ey em ed k st
//   /q/hp                   Yahoo Finance US history     s a b c d e f g y
//   /q                      quote page                   s
//   /bt                     Yahoo! Japan margin page     s a b c d e f
//   /MnStock                Infoseek margin page         pg=mn_smargin.html qt sy sm sd ey em ed
//   /ranking/search         ranking page                 kd mk (repeated) tm
//   /dataYYYY/D.LZH, /data/YYYY/D.LZH, /data/D.LZH      daily archive of day D
//   /dist/stock.lzh         master-list archive
// Anything else, and archives of days without trading, get the not-found page
// with status 404. Archives are built in the given style.
SiteResponse respond(const Market& market, std::string_view path, const QueryParams& params,
                     const ArchiveStyle& archiveStyle = {});

}  // namespace tav::quotesim
