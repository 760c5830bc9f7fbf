#include "data/endpoints.h"

#include "core/file_io.h"

namespace tav {

namespace {

constexpr std::string_view kAllNames[] = {
    Endpoints::kMasterArchive, Endpoints::kYahooJapan,  Endpoints::kInfoseek,
    Endpoints::kYahooUs,       Endpoints::kDailyArchive, Endpoints::kQuote,
    Endpoints::kMarginYahoo,   Endpoints::kMarginInfoseek, Endpoints::kRanking,
    Endpoints::kMemberArchive, Endpoints::kMarketApi,  Endpoints::kProfile,
    Endpoints::kBoard,         Endpoints::kQuoteSearch, Endpoints::kBusiness,
    Endpoints::kIntradayChart, Endpoints::kSupport,
};

std::string defaultAddress(std::string_view name, std::string_view host) {
    std::string address(host);
    if (name == Endpoints::kMasterArchive) address += "/dist/stock.lzh";
    if (name == Endpoints::kMarketApi) address += "/v2";
    return address;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

}  // namespace

Endpoints Endpoints::load(const std::string& programFolder) {
    auto bytes = fileio::readFile(fileio::joinPath(programFolder, kFileName));
    return bytes ? parse(*bytes) : Endpoints();
}

Endpoints Endpoints::parse(std::string_view bytes) {
    Endpoints endpoints;
    fileio::forEachLine(bytes, [&](std::string_view line) {
        line = trim(line);
        if (line.empty() || line.front() == '#') return;
        auto comma = line.find(',');
        if (comma == std::string_view::npos) return;
        auto name = trim(line.substr(0, comma));
        auto address = trim(line.substr(comma + 1));
        if (!name.empty() && !address.empty())
            endpoints.addresses_[std::string(name)] = std::string(address);
    });
    return endpoints;
}

std::string Endpoints::address(std::string_view name) const {
    auto found = addresses_.find(name);
    if (found != addresses_.end()) return found->second;
    if (name == kMarketApi) return std::string(kMarketApiDefault);
    return defaultAddress(name, kDefaultHost);
}

std::string Endpoints::fileTextForHost(std::string_view host) {
    std::string text;
    for (auto name : kAllNames) {
        text += name;
        text += ',';
        text += defaultAddress(name, host);
        text += '\n';
    }
    return text;
}

}  // namespace tav
