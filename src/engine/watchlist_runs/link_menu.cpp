#include "watchlist_runs/link_menu.h"

#include "core/file_io.h"
#include "core/text.h"
#include "quotes/web_pages.h"
#include "watchlists/watchlist_files.h"

namespace tav {

namespace {

std::string hostPage(const Endpoints& endpoints, std::string_view name, std::string_view path) {
    std::string address = endpoints.address(name);
    while (!address.empty() && address.back() == '/') address.pop_back();
    return address + std::string(path);
}

}  // namespace

std::vector<LinkEntry> parseUrlList(std::string_view sjisBytes) {
    std::vector<LinkEntry> entries;
    fileio::forEachLine(sjisBytes, [&](std::string_view line) {
        line = fitLine(line, kUrlLineBuffer);
        const auto comma = line.find(',');
        if (comma == std::string_view::npos) return;
        std::string_view address = line.substr(comma + 1);
        address = address.substr(0, address.find(','));
        while (!address.empty() && address.front() == ' ') address.remove_prefix(1);
        while (!address.empty() && address.back() == ' ') address.remove_suffix(1);
        if (address.empty()) return;
        entries.push_back(
            {text::utf8FromSjis(line.substr(0, comma)), text::utf8FromSjis(address)});
    });
    return entries;
}

std::optional<std::vector<LinkEntry>> linkMenu(const ProgramFolder& folder,
                                               const Endpoints& endpoints, StockCode shown,
                                               std::string_view usSymbol) {
    auto bytes = fileio::readFile(folder.path(kUrlListFileName));
    if (!bytes) return std::nullopt;
    std::vector<LinkEntry> menu = {
        {"財務指標", financialsWebPage(endpoints, shown, usSymbol)},
        {"銘柄検索", hostPage(endpoints, Endpoints::kQuote, "/")},
        {"ランキング", hostPage(endpoints, Endpoints::kBusiness, "/ranking/up/day/all.html")},
        {"掲示板", hostPage(endpoints, Endpoints::kSupport, "/board/")},
        {"ヘルプ", hostPage(endpoints, Endpoints::kSupport, "/help/")},
    };
    for (LinkEntry& entry : parseUrlList(*bytes))
        menu.push_back(std::move(entry));
    return menu;
}

}  // namespace tav
