#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/stock_code.h"
#include "simulation/simulation_engine.h"

namespace tav {

// The result block of the last display run, with the flag that says one is
// available.
struct ResultBlock {
    bool available = false;
    SimulationResult result;
};

// One line of the note pane: the label at the left edge, the value at a third
// of the pane's width.
struct NoteLine {
    std::string label;
    std::string value;
    friend bool operator==(const NoteLine&, const NoteLine&) = default;
};

// The summary lines of a result block; none when no block is available.
std::vector<NoteLine> noteLines(const ResultBlock& block);

// profit - tax - commission.
int64_t netProfit(const SimulationResult& result);

// One security of a market-wide run.
struct ResultRow {
    int16_t rank = 0;
    StockCode code = 0;
    std::string name;          // UTF-8
    std::string market;        // UTF-8
    std::string unit;          // trading unit as text
    int64_t markedProfit = 0;  // the run's total profit
    int32_t trades = 0;
    int32_t wins = 0;
    int64_t grossProfit = 0;
    int64_t grossLoss = 0;
    int64_t averageWin = 0;
    int64_t averageLoss = 0;
    int64_t averageProfit = 0;
    int64_t maxProfit = 0;
    int64_t maxLoss = 0;
    float profitFactor = 0;

    // A row from the statistics of a run.
    static ResultRow from(const SimulationResult& result);
};

inline constexpr int kResultColumnCount = 18;

struct ResultColumn {
    std::string_view header;
    int width;  // pixels in the list
    bool rightAligned;
    int reportStart;        // byte column in the report
    int reportHeaderBytes;  // the header is cut to this many bytes in the report
};
extern const std::array<ResultColumn, kResultColumnCount> kResultColumns;

// The list's cell texts of a row, column by column.
std::array<std::string, kResultColumnCount> resultCells(const ResultRow& row, int64_t capital);

// The list as text for a spreadsheet: the headers, then one line per row, a
// tab between cells (UTF-8).
std::string resultListText(std::span<const ResultRow> rows, int64_t capital);

}  // namespace tav
