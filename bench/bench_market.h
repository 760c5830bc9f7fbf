#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/generated_market.h"
#include "support/test_platform.h"
#include "workspace/workspace.h"

namespace tav::bench {

// A size taken from the environment (TAV_BENCH_SECURITIES, TAV_BENCH_BARS), or the default.
inline int fromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : fallback;
}

// `securities` lines spread evenly over a program folder's "Stock.lst" (all
// when 0 or fewer) and their daily files, copied into root over a generated
// market's rule files, so that the same strategies run on recorded prices.
inline void copyRecordedMarket(const std::filesystem::path& from, const std::filesystem::path& root,
                               int securities) {
    namespace fs = std::filesystem;
    std::ifstream list(from / "Stock.lst", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(list, line);)
        if (!line.empty()) lines.push_back(line);
    const std::size_t total = lines.size();
    const std::size_t wanted =
        securities <= 0 ? total : std::min(total, static_cast<std::size_t>(securities));
    std::string master;
    for (std::size_t n = 0; n < wanted; ++n) {
        const std::string& line = lines[n * total / wanted];
        master += line + '\n';
        const std::string code = line.substr(0, line.find(','));
        fs::copy_file(from / "Data" / (code + ".txt"), root / "Data" / (code + ".txt"),
                      fs::copy_options::overwrite_existing);
    }
    std::ofstream(root / "Stock.lst", std::ios::binary | std::ios::trunc) << master;
}

// A generated market in a folder of its own and a workspace on it, removed
// when it goes. TAV_BENCH_FOLDER names a program folder of recorded prices to
// run on instead (TAV_BENCH_SECURITIES of them when that is set).
struct BenchMarket {
    std::filesystem::path root;
    test::TestPlatform platform;
    std::unique_ptr<Workspace> workspace;
    int securities = 0;
    int bars = 0;

    BenchMarket(const std::string& name, int defaultSecurities, int defaultBars)
        : root(std::filesystem::temp_directory_path() /
               (name + "-" + std::to_string(::getpid()))),
          securities(fromEnvironment("TAV_BENCH_SECURITIES", defaultSecurities)),
          bars(fromEnvironment("TAV_BENCH_BARS", defaultBars)) {
        if (const char* recorded = std::getenv("TAV_BENCH_FOLDER")) {
            test::GeneratedMarket{0, bars, 42}.writeTo(root.string());
            copyRecordedMarket(recorded, root, fromEnvironment("TAV_BENCH_SECURITIES", 0));
        } else {
            test::GeneratedMarket{securities, bars, 42}.writeTo(root.string());
        }
        workspace = std::make_unique<Workspace>(ProgramFolder(root.string()), platform.platform());
        workspace->loadSettings(std::nullopt);
    }
    ~BenchMarket() {
        workspace.reset();
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};

}  // namespace tav::bench
