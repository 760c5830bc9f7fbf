#include "simulation/simulation_results.h"

#include "simulation/number_formats.h"

namespace tav {

const std::array<ResultColumn, kResultColumnCount> kResultColumns = {{
    {"順位", 40, true, 0, 4},
    {"コード", 45, true, 6, 6},
    {"銘柄名", 170, false, 14, 6},
    {"市場", 80, false, 44, 4},
    {"単元", 50, true, 55, 4},
    {"値洗利益", 60, true, 61, 8},
    {"値洗利益率", 55, true, 72, 10},
    {"取引数", 50, true, 83, 6},
    {"勝数", 40, true, 90, 4},
    {"勝率", 40, true, 96, 4},
    {"勝売買益", 60, true, 103, 8},
    {"負売買損", 60, true, 114, 8},
    {"勝平均益", 60, true, 125, 8},
    {"負平均損", 60, true, 136, 8},
    {"平均利益", 60, true, 147, 8},
    {"最大利益", 60, true, 158, 8},
    {"最大損失", 60, true, 169, 8},
    {"損益比率", 60, true, 180, 8},
}};

int64_t netProfit(const SimulationResult& r) {
    return r.totalProfit - r.tax - r.totalCommission;
}

std::vector<NoteLine> noteLines(const ResultBlock& block) {
    if (!block.available) return {};
    const SimulationResult& r = block.result;
    const int64_t net = netProfit(r);
    return {
        {"当初資金", amountText(r.capital)},
        {"処理日数", std::to_string(r.bars)},
        {"取引数", std::to_string(r.trades) + " [勝 " + std::to_string(r.wins) + "]"},
        {"勝率", ratioPercentText(r.wins, r.trades)},
        {"勝平均益", amountText(r.averageWin)},
        {"負平均損", amountText(r.averageLoss)},
        {"平均利益", amountText(r.averageProfit)},
        {"最大利益", amountText(r.maxProfit)},
        {"最大損失", amountText(r.maxLoss)},
        {"損益比率", profitFactorText(r.profitFactor)},
        {"粗利益", amountText(r.totalProfit)},
        {"粗利益率", ratioPercentText(r.totalProfit, r.capital)},
        {"手数料", amountText(r.totalCommission)},
        {"取引税", amountText(r.tax)},
        {"純利益", amountText(net)},
        {"純利益率", ratioPercentText(net, r.capital)},
        {"現資金", amountText(r.equity - r.tax)},
        {"仕掛値", amountText(r.entryPrice)},
        {"建玉数", std::to_string(r.units)},
        {"利幅", amountText(r.openPerShare)},
        {"含み益", amountText(r.openProfit)},
    };
}

ResultRow ResultRow::from(const SimulationResult& r) {
    ResultRow row;
    row.markedProfit = r.totalProfit;
    row.trades = r.trades;
    row.wins = r.wins;
    row.grossProfit = r.grossProfit;
    row.grossLoss = r.grossLoss;
    row.averageWin = r.averageWin;
    row.averageLoss = r.averageLoss;
    row.averageProfit = r.averageProfit;
    row.maxProfit = r.maxProfit;
    row.maxLoss = r.maxLoss;
    row.profitFactor = r.profitFactor;
    return row;
}

std::array<std::string, kResultColumnCount> resultCells(const ResultRow& row, int64_t capital) {
    return {std::to_string(row.rank),
            codeText(row.code),
            row.name,
            row.market,
            row.unit,
            amountText(row.markedProfit),
            ratioPercentText(row.markedProfit, capital),
            std::to_string(row.trades),
            std::to_string(row.wins),
            ratioPercentText(row.wins, row.trades),
            amountText(row.grossProfit),
            amountText(row.grossLoss),
            amountText(row.averageWin),
            amountText(row.averageLoss),
            amountText(row.averageProfit),
            amountText(row.maxProfit),
            amountText(row.maxLoss),
            profitFactorText(row.profitFactor)};
}

std::string resultListText(std::span<const ResultRow> rows, int64_t capital) {
    std::string out;
    for (std::size_t c = 0; c < kResultColumns.size(); ++c)
        out += std::string(c ? "\t" : "") + std::string(kResultColumns[c].header);
    out += '\n';
    for (const ResultRow& row : rows) {
        const auto cells = resultCells(row, capital);
        for (std::size_t c = 0; c < cells.size(); ++c) out += (c ? "\t" : "") + cells[c];
        out += '\n';
    }
    return out;
}

}  // namespace tav
