#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simulation/strategy.h"

// The strategy files in the program folder: "Trade.inf" holds one name per
// line (line k names strategy k), "Trade%d.pat" the rules of strategy %d.
// Text is Shift-JIS on disk, UTF-8 in memory.
namespace tav {

inline constexpr std::string_view kStrategyListFileName = "Trade.inf";
inline constexpr std::string_view kStrategySwapFileName = "Trade.bak";
// A name line keeps at most this many Shift-JIS bytes.
inline constexpr std::size_t kMaxStrategyNameBytes = 259;

// "Trade%d.pat" of strategy `number` (counted from 1).
std::string strategyFileName(int number);

std::string formatStrategyFile(const Strategy& strategy);

struct StrategyReading {
    Strategy strategy;
    // Conditions past the twentieth of a column line, which were dropped.
    int droppedConditions = 0;
};
// Reads rule file bytes. Lines are read whole; a tactic name is the rest of
// its line after the ten leading fields; a nameless tactic line is dropped;
// an empty column line still counts as its tactic's line. Any bytes give a
// valid record.
StrategyReading parseStrategyFile(std::string_view bytes);

// nullopt when the file cannot be read.
std::optional<StrategyReading> readStrategyFile(const std::string& path);
bool writeStrategyFile(const std::string& path, const Strategy& strategy);

// loadStrategy / saveStrategy by number in a folder.
std::optional<StrategyReading> loadStrategy(const std::string& folder, int number);
bool saveStrategy(const std::string& folder, int number, const Strategy& strategy);

std::vector<std::string> parseStrategyNames(std::string_view sjisBytes);
// A missing file is an empty list.
std::vector<std::string> readStrategyNames(const std::string& folder);
bool writeStrategyNames(const std::string& folder, const std::vector<std::string>& names);
// The strategy selector's items: "（戦略なし）", then the names as the list
// holds them (blank ones too), so that item k selects strategy k.
std::vector<std::string> strategySelectorItems(const std::string& folder);

}  // namespace tav
