#pragma once

#include <cstdint>
#include <string>

#include "market.h"

// The daily price archives, the master-list archive and the archive server's
// not-found page.
namespace tav::quotesim {

// The CSV of one trading day (Shift-JIS), one line per Japanese stock and
// index with a bar that day: "YYYY/MM/DD,code,name,open,high,low,close,volume".
// The indices go by the archive's own codes, 1010 as "1001" and 1001 as
// "1002", with prices in hundredths and volumes in shares (the store keeps
// the volume without its last four digits). Empty on a day without trading.
std::string dayCsv(const Market& market, int32_t date);

// How an archive is built: as the servers build it, or as a broken server
// would.
struct ArchiveStyle {
    bool upperCaseNames = false;  // "YYYYMMDD.CSV", "STOCK.LST"
    // When set: three other entries and then the real entry's name, each
    // decoding to this many MiB of zero bytes (an archive bomb of a few KB).
    uint32_t bombMiB = 0;
};

// "YYYYMMDD.LZH" holding "YYYYMMDD.csv"; empty on a day without trading.
std::string dayArchive(const Market& market, int32_t date, const ArchiveStyle& style = {});

// "stock.lzh" holding "Stock.lst".
std::string masterArchive(const Market& market, const ArchiveStyle& style = {});

// The archive server's page for a missing file. Its message
// "ページが見つかりません" is there in Shift-JIS, the server's own encoding,
// and once more in EUC-JP.
std::string notFoundPage();

}  // namespace tav::quotesim
