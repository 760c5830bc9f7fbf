#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tav {

// Addresses of the servers the system reads: "Endpoints.lst" in the program
// folder, one "name,address" per line. Names without a line fall back to the
// built-in default, the local quote-site simulator on its default port.
class Endpoints {
public:
    // Known names.
    static constexpr std::string_view kMasterArchive = "master-archive";  // the "stock.lzh" address
    static constexpr std::string_view kYahooJapan = "yahoo-jp";
    static constexpr std::string_view kInfoseek = "infoseek";
    static constexpr std::string_view kYahooUs = "yahoo-us";
    static constexpr std::string_view kDailyArchive = "daily-archive";
    static constexpr std::string_view kMemberArchive = "member-archive";  // the member data server
    static constexpr std::string_view kQuote = "quote";
    static constexpr std::string_view kMarginYahoo = "margin-yahoo";
    static constexpr std::string_view kMarginInfoseek = "margin-infoseek";
    static constexpr std::string_view kRanking = "ranking";
    // Pages opened in the browser, never fetched by the program.
    static constexpr std::string_view kProfile = "profile";            // company profiles
    static constexpr std::string_view kBoard = "board";                // message boards
    static constexpr std::string_view kQuoteSearch = "quote-search";   // quote detail of other codes
    static constexpr std::string_view kBusiness = "business";          // the daily rankings page
    static constexpr std::string_view kIntradayChart = "intraday-chart";
    static constexpr std::string_view kSupport = "support";            // our own board and help
    // The exchange's data API up to its version; the only name whose default
    // is the real service (its key must not go to whatever listens locally).
    static constexpr std::string_view kMarketApi = "market-api";
    static constexpr std::string_view kMarketApiDefault = "https://api.jquants.com/v2";

    static constexpr std::string_view kFileName = "Endpoints.lst";
    static constexpr std::string_view kDefaultHost = "http://127.0.0.1:8470";

    // Reads folder/Endpoints.lst; a missing or unreadable file gives the defaults.
    static Endpoints load(const std::string& programFolder);
    // Parses the file's bytes; blank lines, lines without "," and "#" comments are ignored.
    static Endpoints parse(std::string_view bytes);

    // The configured address, or the default for a known name.
    std::string address(std::string_view name) const;

    // The file text for the given host (what the simulator writes).
    static std::string fileTextForHost(std::string_view host);

private:
    std::map<std::string, std::string, std::less<>> addresses_;
};

}  // namespace tav
