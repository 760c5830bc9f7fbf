#include "support/generated_market.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "conditions/capsule_file.h"
#include "core/text.h"
#include "simulation/strategy_file.h"
#include "support/temp_folder.h"

namespace tav::test {

std::string randomWalkBars(uint32_t seed, int count) {
    std::string text;
    text.reserve(static_cast<std::size_t>(count) * 48);
    int32_t close = 300 + static_cast<int32_t>(seed % 3000);
    for (int i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int32_t move = static_cast<int32_t>(seed >> 24) % 41 - 20;
        const int32_t open = close;
        close = std::max<int32_t>(50, close + move);
        const int32_t high = std::max(open, close) + static_cast<int32_t>((seed >> 8) % 15);
        const int32_t low =
            std::max<int32_t>(1, std::min(open, close) - static_cast<int32_t>((seed >> 16) % 15));
        const long long volume = 1000 + (seed >> 4) % 900000;
        // 28-day months from 1990 keep every date a calendar day.
        const int year = 1990 + i / 336, month = i / 28 % 12 + 1, day = i % 28 + 1;
        char line[96];
        std::snprintf(line, sizeof line, "%04d%02d%02d,%d,%d,%d,%d,%lld\n", year, month, day, open,
                      high, low, close, volume);
        text += line;
    }
    return text;
}

void GeneratedMarket::writeTo(const std::string& root) const {
    namespace fs = std::filesystem;
    fs::create_directories(fs::path(root) / "Data");
    static const char* const kMarkets[] = {"東証1部", "東証2部", "JASDAQ", "マザーズ"};
    static const char* const kUnits[] = {"1000", "100", "500", "1", "-"};
    static const char* const kMargins[] = {"貸借", "信用", "-"};
    std::string master;
    uint32_t state = seed;
    for (int s = 0; s < securities; ++s) {
        state = state * 22695477u + 1u;
        const StockCode code = kFirstCode + s;
        master += std::to_string(code) + ",銘柄" + std::to_string(code) + ',' +
                  kMarkets[(state >> 16) % 4] + ',' + kUnits[(state >> 8) % 5] + ',' +
                  kMargins[(state >> 4) % 3] + '\n';
        writeFile(fs::path(root) / "Data" / (std::to_string(code) + ".txt"),
                  randomWalkBars(state ^ 0x9e3779b9u, bars));
    }
    writeFile(fs::path(root) / "Stock.lst", text::sjisFromUtf8(master));
    writeFile(fs::path(root) / "Focus.inf", text::sjisFromUtf8("入力\n出力\n"));

    // Tenkan over kijun, short over mid MA, mid over long MA: any of them.
    ConditionCapsule capsule;
    capsule.logic = kLogicOr;
    const Condition rows[] = {{1, 0, 0, 1, 5, 0, 0, 0, 0, 0},
                              {1, 0, 0, 2, 5, 0, 0, 0, 0, 0},
                              {1, 0, 0, 3, 0, 0, 0, 0, 0, 0}};
    for (const Condition& row : rows) capsule.rows[static_cast<std::size_t>(capsule.rowCount++)] = row;
    writeCapsuleFile((fs::path(root) / capsuleFileName(0)).string(), capsule);
    writeCapsuleTitles(root, {"三条件"});

    // Three tactics entering on those crosses, leaving on a bearish bar or a 5 % loss.
    Strategy strategy;
    for (int t = 0; t < 3; ++t) {
        Tactic tactic;
        tactic.name = "戦術" + std::to_string(t + 1);
        tactic.buy.conditions[0] = rows[t];
        tactic.buy.count = 1;
        tactic.sell.conditions[0] = Condition{3, 0, 0, 1, 0, 0, 0, 0, 0, 0};
        tactic.sell.count = 1;
        tactic.stop.conditions[0] = stopRule(kStopLoss, 0, 5);
        tactic.stop.count = 1;
        strategy.tactics.push_back(tactic);
    }
    saveStrategy(root, 1, strategy);
    writeStrategyNames(root, {"三戦術"});
}

}  // namespace tav::test
