// tavrento-quotesim: a local stand-in for the quote sites and archive servers
// the system reads, for tests and for the demo market.
#include <signal.h>

#include <algorithm>
#include <iterator>

#include <filesystem>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "core/file_io.h"
#include "data/endpoints.h"
#include "data/price_store.h"
#include "data/program_folder.h"
#include "market_generator.h"
#include "platform/linux/system_clock.h"
#include "sim_server.h"

namespace {

using namespace tav;

int usage() {
    std::cerr
        << "usage: tavrento-quotesim (--generate N [--years Y] [--seed S] [--end YYYYMMDD] | "
           "--market DIR)\n"
           "                         [--write-store DIR] [--port P [--endpoints DIR] [--log]\n"
           "                          [--fault FAULT] [--refuse-after N]]\n"
           "  --generate N        a deterministic market of N Japanese stocks besides the\n"
           "                      indices, US listings and currency pairs\n"
           "  --market DIR        the market of a program folder (Stock.lst, Data/*.txt)\n"
           "  --write-store DIR   write the market as a program folder\n"
           "  --port P            serve the sites on 127.0.0.1:P (0 picks a free port);\n"
           "                      prints \"listening on http://127.0.0.1:PORT\"\n"
           "  --endpoints DIR     write DIR/Endpoints.lst pointing every server here\n"
           "  --log               print each request\n"
           "  --fault FAULT       inject a fault into every response: notfound, slow-MS,\n"
           "                      stall-MS, truncate, size-BYTES, drip-MS (a byte every\n"
           "                      MS ms), status-CODE, bomb-MIB (archives that unpack to\n"
           "                      MIB MiB per entry) or upper (archive entry names in\n"
           "                      capitals), optionally @PAGE\n"
           "                      (also per request: a path starting /fault/FAULT/)\n"
           "  --refuse-after N    stop listening after N requests (later ones are refused)\n"
           "  --plan PLAN         the data API answers as for a key of PLAN (free, light,\n"
           "                      standard, premium): its dates, its indices and its rate\n"
           "                      (5, 60, 120 or 500 requests a minute, then 429)\n"
           "The data API under /v2 takes the key in TAVRENTO_QUOTESIM_API_KEY, else in\n"
           "TAVRENTO_JQUANTS_KEY; without either it takes any key.\n";
    return 2;
}

bool parseNumber(const std::string& text, long long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 12)
        return false;
    value = std::stoll(text);
    return true;
}

DailyBar dailyBar(const quotesim::PriceBar& bar) {
    DailyBar daily{};
    setBarDate(daily, std::to_string(bar.date));
    daily.open = bar.open;
    daily.high = bar.high;
    daily.low = bar.low;
    daily.close = bar.close;
    daily.volume = bar.volume;
    return daily;
}

bool writeStore(const quotesim::Market& market, const std::string& storeFolder) {
    ProgramFolder folder(storeFolder);
    std::error_code error;
    std::filesystem::create_directories(folder.path("Data"), error);
    if (error) {
        std::cerr << "tavrento-quotesim: cannot create " << folder.path("Data") << '\n';
        return false;
    }
    if (!fileio::writeFileAtomic(folder.path("Stock.lst"), market.masterListText())) return false;
    for (StockCode code : market.codes()) {
        std::vector<DailyBar> bars;
        for (const auto& bar : market.find(code)->bars)
            bars.push_back(dailyBar(bar));
        std::string path = dataFilePath(folder, code, PeriodMode::Daily, StorageMode::Accumulate);
        if (!fileio::writeFileAtomic(path, formatSeries(bars))) return false;
    }
    std::cout << "wrote " << market.codes().size() << " securities to " << storeFolder << '\n';
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    quotesim::GeneratorSettings settings;
    settings.end = SystemClock().today();
    std::string storeFolder, marketFolder, endpointsFolder;
    bool generate = false;
    long long port = -1;
    quotesim::ServerOptions options;
    for (const char* variable : {"TAVRENTO_QUOTESIM_API_KEY", "TAVRENTO_JQUANTS_KEY"}) {
        const char* key = std::getenv(variable);
        if (key && *key && options.apiKey.empty()) options.apiKey = key;
    }
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        long long number = 0;
        if (word == "--help") {
            usage();
            return 0;
        }
        if (word == "--generate" && parseNumber(value(), number) && number <= 9000) {
            settings.stocks = static_cast<int>(number);
            generate = true;
        } else if (word == "--years" && parseNumber(value(), number) && number >= 1 &&
                   number <= 40) {
            settings.years = static_cast<int>(number);
        } else if (word == "--seed" && parseNumber(value(), number)) {
            settings.seed = static_cast<uint64_t>(number);
        } else if (word == "--end") {
            if (!parseDate8(value(), settings.end)) return usage();
        } else if (word == "--market") {
            marketFolder = value();
        } else if (word == "--write-store") {
            storeFolder = value();
        } else if (word == "--port" && parseNumber(value(), number) && number <= 65535) {
            port = number;
        } else if (word == "--endpoints") {
            endpointsFolder = value();
        } else if (word == "--log") {
            options.log = &std::cout;
        } else if (word == "--fault") {
            options.fault = quotesim::parseFault(value());
            if (!options.fault) return usage();
        } else if (word == "--plan") {
            static const std::pair<const char*, int> kPlans[] = {
                {"free", 5}, {"light", 60}, {"standard", 120}, {"premium", 500}};
            std::string plan = value();
            auto found = std::find_if(std::begin(kPlans), std::end(kPlans),
                                      [&](const auto& entry) { return plan == entry.first; });
            if (found == std::end(kPlans)) return usage();
            options.apiPlan = plan;
            options.apiRequestsPerMinute = found->second;
        } else if (word == "--refuse-after" && parseNumber(value(), number) && number > 0) {
            options.refuseAfter = static_cast<int>(number);
        } else {
            return usage();
        }
    }
    if (generate == !marketFolder.empty()) return usage();
    if (storeFolder.empty() && port < 0) return usage();

    std::unique_ptr<quotesim::Market> market;
    if (generate) {
        market = std::make_unique<quotesim::Market>(quotesim::generateMarket(settings));
    } else {
        market = quotesim::Market::fromFolder(marketFolder);
        if (!market) {
            std::cerr << "tavrento-quotesim: no Stock.lst in " << marketFolder << '\n';
            return 1;
        }
    }
    if (!storeFolder.empty() && !writeStore(*market, storeFolder)) return 1;
    if (port < 0) return 0;

    // Block the stop signals before any thread starts; one thread waits for them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    quotesim::SimServer server(*market, options);
    if (server.bind(static_cast<int>(port)) < 0) {
        std::cerr << "tavrento-quotesim: cannot listen on 127.0.0.1:" << port << '\n';
        return 1;
    }
    if (!endpointsFolder.empty() &&
        !fileio::writeFileAtomic(fileio::joinPath(endpointsFolder, Endpoints::kFileName),
                                 Endpoints::fileTextForHost(server.host()))) {
        std::cerr << "tavrento-quotesim: cannot write " << endpointsFolder << "/Endpoints.lst\n";
        return 1;
    }
    std::cout << "listening on " << server.host() << std::endl;
    std::thread waiter([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    });
    server.listen();
    // Stopped without a signal (--refuse-after): wake the waiter.
    pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    return 0;
}
