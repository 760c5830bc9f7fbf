#include "daily_archive.h"

#include <algorithm>
#include <cstdio>

#include "core/text.h"
#include "euc_jp.h"
#include "lzh_writer.h"
#include "page_format.h"
#include "quote_pages.h"

namespace tav::quotesim {

namespace {

const PriceBar* barOn(const SimulatedSecurity& security, int32_t date) {
    auto found = std::lower_bound(security.bars.begin(), security.bars.end(), date,
                                  [](const PriceBar& bar, int32_t day) { return bar.date < day; });
    return found != security.bars.end() && found->date == date ? &*found : nullptr;
}

// Archive times are the day's close, so that an archive is the same on every request.
uint32_t unixTimeOf(int32_t date) {
    return static_cast<uint32_t>(dayNumber(date) * 86400 + 15 * 3600);
}

// The archive of one entry, built in the given style.
std::string archiveOf(std::string name, std::string data, const ArchiveStyle& style,
                      uint32_t unixTime) {
    if (style.upperCaseNames)
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    if (style.bombMiB > 0) {
        uint32_t size = std::min<uint32_t>(style.bombMiB, 4095) << 20;
        return writeLzhBomb({"bomb1.csv", "bomb2.csv", "bomb3.csv", name}, size, unixTime);
    }
    return writeLzhArchive({{std::move(name), std::move(data)}}, LzhHeaderLevel::Level0, unixTime);
}

}  // namespace

std::string dayCsv(const Market& market, int32_t date) {
    std::string csv;
    char line[512];
    for (StockCode code : market.codes()) {
        SecurityKind kind = securityKind(code);
        if (kind != SecurityKind::JapaneseStock && kind != SecurityKind::JapaneseIndex) continue;
        const SimulatedSecurity* security = market.find(code);
        const PriceBar* bar = security ? barOn(*security, date) : nullptr;
        if (!bar) continue;
        // Empty fields would shift the columns (readers skip them).
        std::string name = text::sjisFromUtf8(security->name.empty() ? "-" : security->name);
        std::replace(name.begin(), name.end(), ',', ' ');
        if (kind == SecurityKind::JapaneseIndex) {
            auto hundredths = [](int32_t price) {
                char text[24];
                std::snprintf(text, sizeof text, "%d.%02d", price, static_cast<int>(price % 97));
                return std::string(text);
            };
            unsigned shares = static_cast<unsigned>(
                mix(static_cast<uint64_t>(code), static_cast<uint64_t>(date)) % 10000);
            std::snprintf(line, sizeof line, "%s,%s,%s,%s,%s,%s,%s,%lld%04u\n",
                          slashDate(date).c_str(), code == 1010 ? "1001" : "1002", name.c_str(),
                          hundredths(bar->open).c_str(), hundredths(bar->high).c_str(),
                          hundredths(bar->low).c_str(), hundredths(bar->close).c_str(),
                          static_cast<long long>(bar->volume), shares);
        } else {
            std::snprintf(line, sizeof line, "%s,%s,%s,%d,%d,%d,%d,%lld\n", slashDate(date).c_str(),
                          codeText(code).c_str(), name.c_str(), bar->open, bar->high, bar->low, bar->close,
                          static_cast<long long>(bar->volume));
        }
        csv += line;
    }
    return csv;
}

std::string dayArchive(const Market& market, int32_t date, const ArchiveStyle& style) {
    std::string csv = dayCsv(market, date);
    if (csv.empty()) return {};
    return archiveOf(std::to_string(date) + ".csv", std::move(csv), style, unixTimeOf(date));
}

std::string masterArchive(const Market& market, const ArchiveStyle& style) {
    return archiveOf("Stock.lst", market.masterListText(), style, kDefaultArchiveTime);
}

std::string notFoundPage() {
    std::string page = "<html>\n<head>\n<title>404 Not Found</title>\n</head>\n<body>\n";
    page += text::sjisFromUtf8(
        "<h1>ページが見つかりません</h1>\n<p>お探しのファイルはこのサーバーにありません。</p>\n");
    page += "<!-- " + eucJpFromUtf8("ページが見つかりません") + " -->\n";
    page += "</body>\n</html>\n";
    return page;
}

}  // namespace tav::quotesim
