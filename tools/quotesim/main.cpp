// tavrento-quotesim: a local stand-in for the quote sites and archive servers
// the system reads, for tests and for the demo market.
#include <filesystem>
#include <iostream>
#include <string>

#include "core/file_io.h"
#include "data/price_store.h"
#include "data/program_folder.h"
#include "market_generator.h"
#include "platform/system_clock.h"

namespace {

int usage() {
    std::cerr << "usage: tavrento-quotesim --generate N [--years Y] [--seed S] [--end YYYYMMDD]\n"
                 "                         --write-store DIR\n"
                 "  --write-store DIR  write the generated market as a program folder\n"
                 "                     (Stock.lst and one daily file per security in Data/)\n";
    return 2;
}

bool parseNumber(const std::string& text, long long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 12)
        return false;
    value = std::stoll(text);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tav;
    quotesim::GeneratorSettings settings;
    settings.end = SystemClock().today();
    std::string storeFolder;
    bool generate = false;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        long long number = 0;
        if (word == "--generate" && parseNumber(value(), number) && number <= 9000) {
            settings.stocks = static_cast<int>(number);
            generate = true;
        } else if (word == "--years" && parseNumber(value(), number) && number >= 1 && number <= 40) {
            settings.years = static_cast<int>(number);
        } else if (word == "--seed" && parseNumber(value(), number)) {
            settings.seed = static_cast<uint64_t>(number);
        } else if (word == "--end") {
            if (!parseDate8(value(), settings.end)) return usage();
        } else if (word == "--write-store") {
            storeFolder = value();
        } else {
            return usage();
        }
    }
    if (!generate || storeFolder.empty()) return usage();

    auto market = quotesim::generateMarket(settings);
    ProgramFolder folder(storeFolder);
    std::error_code error;
    std::filesystem::create_directories(folder.path("Data"), error);
    if (error) {
        std::cerr << "tavrento-quotesim: cannot create " << folder.path("Data") << '\n';
        return 1;
    }
    if (!fileio::writeFileAtomic(folder.path("Stock.lst"), quotesim::masterListText(market))) return 1;
    for (const auto& security : market) {
        std::string path = dataFilePath(folder, security.code, PeriodMode::Daily, StorageMode::Accumulate);
        if (!fileio::writeFileAtomic(path, formatSeries(security.bars))) return 1;
    }
    std::cout << "wrote " << market.size() << " securities to " << storeFolder << '\n';
    return 0;
}
