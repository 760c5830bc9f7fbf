#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "support/generated_market.h"
#include "support/test_platform.h"
#include "workspace/workspace.h"

namespace tav::bench {

// A size taken from the environment (TAV_BENCH_SECURITIES, TAV_BENCH_BARS), or the default.
inline int fromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : fallback;
}

// A generated market in a folder of its own and a workspace on it, removed
// when it goes.
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
        test::GeneratedMarket{securities, bars, 42}.writeTo(root.string());
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
