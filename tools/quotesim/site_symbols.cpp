#include "site_symbols.h"

#include <utility>

namespace tav::quotesim {

namespace {

std::string_view marketSuffix(std::string_view market) {
    static constexpr std::pair<std::string_view, std::string_view> kSuffixes[] = {
        {"東証1部", ".t"},    {"東証2部", ".t"}, {"大証1部", ".o"}, {"大証2部", ".o"},
        {"名証1部", ".n"},    {"名証2部", ".n"}, {"JASDAQ", ".q"},  {"マザーズ", ".t"},
        {"ヘラクレス", ".j"}, {"福岡Ｑ", ".f"},  {"札幌ア", ".s"},  {"プライム", ".t"},
        {"スタンダード", ".t"}, {"グロース", ".t"},
    };
    for (const auto& [name, suffix] : kSuffixes)
        if (name == market) return suffix;
    return {};
}

const SimulatedSecurity* findBySymbol(const Market& market, std::string_view symbol, StockCode code,
                                      std::string (*symbolOf)(const SimulatedSecurity&)) {
    const SimulatedSecurity* security = market.find(code);
    return security && symbolOf(*security) == symbol ? security : nullptr;
}

}  // namespace

int64_t leadingNumber(std::string_view text) {
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || value > 100000000000) break;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string yahooJapanSymbol(const SimulatedSecurity& security) {
    if (security.code == 1010) return "998407";
    if (security.code == 1001) return "998405";
    return codeText(security.code) + std::string(marketSuffix(security.market));
}

std::string infoseekSymbol(const SimulatedSecurity& security) {
    if (security.code == 1010) return "100000018.i";
    if (security.code == 1001) return "ksisu1000.i";
    if (security.market == "JASDAQ") return codeText(security.code) + ".j";
    if (security.market == "ヘラクレス") return codeText(security.code) + ".q";
    return yahooJapanSymbol(security);
}

int forexNumber(StockCode code) {
    if (code == 1020) return 1001;
    if (code == 1021) return 1002;
    if (code == 1022) return 2001;
    if (code >= 1023 && code <= 1029) return code - 20;
    return 0;
}

const SimulatedSecurity* findYahooJapan(const Market& market, std::string_view symbol) {
    int64_t number = leadingNumber(symbol);
    StockCode code = number == 998407   ? 1010
                     : number == 998405 ? 1001
                                        : parseLeadingCode(symbol);
    return findBySymbol(market, symbol, code, yahooJapanSymbol);
}

const SimulatedSecurity* findInfoseek(const Market& market, std::string_view symbol) {
    StockCode code = symbol == "100000018.i"   ? 1010
                     : symbol == "ksisu1000.i" ? 1001
                                               : parseLeadingCode(symbol);
    return findBySymbol(market, symbol, code, infoseekSymbol);
}

const SimulatedSecurity* findForex(const Market& market, std::string_view fx) {
    if (fx.size() < 2 || fx[0] != 'F') return nullptr;
    int64_t number = leadingNumber(fx.substr(1));
    for (StockCode code = 1020; code <= 1029; ++code)
        if (forexNumber(code) == number && std::to_string(number) == fx.substr(1))
            return market.find(code);
    return nullptr;
}

}  // namespace tav::quotesim
