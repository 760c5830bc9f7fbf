#include "strategy_commands.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "conditions/capsule_file.h"
#include "core/file_io.h"
#include "simulation/insight_export.h"
#include "simulation/strategy_file.h"
#include "simulation/strategy_list.h"

namespace tav::cli {

namespace {

constexpr const char* kBacktestUsage =
    "usage: backtest CODE --strategy N [--period P] [--summary | --trades | --equity]";
constexpr const char* kStrategiesUsage =
    "usage: strategies list | show N | add NAME | rename N NAME | delete N | copy N M | init N | "
    "move N up|down | mode N M | split N METHOD AMOUNT STEP CAPSULE | add-tactic N | "
    "delete-tactic N T | move-tactic N T up|down | tactic N T NAME [on|off] [buy|sell] | "
    "add-condition N T buy|sell|stop \"F1 ... F10\" | delete-condition N T TAB I | "
    "logic N T TAB and|or | fill N T TAB P";

std::optional<TacticTab> parseTab(const std::string& word) {
    if (word == "buy") return TacticTab::Buy;
    if (word == "sell") return TacticTab::Sell;
    if (word == "stop") return TacticTab::Stop;
    return std::nullopt;
}

void printResult(const SimulationResult& r) {
    char factor[64];
    std::snprintf(factor, sizeof factor, "%.6g", static_cast<double>(r.profitFactor));
    std::cout << "capital " << r.capital << "\nequity " << r.equity << "\nbars " << r.bars
              << "\ntrades " << r.trades << "\nwins " << r.wins << "\ngrossProfit " << r.grossProfit
              << "\ngrossLoss " << r.grossLoss << "\naverageWin " << r.averageWin
              << "\naverageLoss " << r.averageLoss << "\naverageProfit " << r.averageProfit
              << "\nmaxProfit " << r.maxProfit << "\nmaxLoss " << r.maxLoss << "\nprofitFactor "
              << factor << "\nposition " << r.position << "\nentryPrice " << r.entryPrice
              << "\nunits " << r.units << "\nopenPerShare " << r.openPerShare << "\nopenProfit "
              << r.openProfit << "\ntotalProfit " << r.totalProfit << "\ntotalCommission "
              << r.totalCommission << "\ntax " << r.tax << '\n';
}

void showStrategy(const StrategyList& list, const std::string& folder) {
    const Strategy& s = list.strategy();
    const auto titles = readCapsuleTitles(folder);
    std::cout << strategyFileName(list.current() + 1) << ' '
              << list.names()[static_cast<std::size_t>(list.current())]
              << "\nmode: " << static_cast<int>(s.tradingMode) << ' '
              << (s.tradingMode < kTradingModeCount ? strategy_labels::tradingModes()[s.tradingMode]
                                                    : std::string_view("?"))
              << '\n';
    for (const std::string& line : strategy_labels::splitSummary(s.split, titles))
        std::cout << line << '\n';
    constexpr std::pair<const char*, TacticTab> kTabs[] = {
        {"buy", TacticTab::Buy}, {"sell", TacticTab::Sell}, {"stop", TacticTab::Stop}};
    for (std::size_t t = 0; t < s.tactics.size(); ++t) {
        const Tactic& tactic = s.tactics[t];
        std::cout << t + 1 << ": " << strategy_labels::displayName(s.tradingMode, tactic) << '\n';
        for (const auto& [label, tab] : kTabs) {
            const TacticColumns& columns = tactic.columns(tab);
            if (columns.count == 0) continue;
            std::cout << "  " << label << " logic " << columns.logic << " fill "
                      << columns.fillPrice << '\n';
            const auto texts = list.conditionTexts(static_cast<int>(t), tab, titles);
            const auto rows = columns.rows();
            for (std::size_t r = 0; r < rows.size(); ++r) {
                const Condition& c = rows[r];
                std::cout << "    " << r + 1 << ": " << c.category << ' ' << c.role << ' '
                          << c.dayOffset << ' ' << c.item << ' ' << c.p1 << ' ' << c.p2 << ' '
                          << c.p3 << ' ' << c.percent << ' ' << c.ticks << ' ' << texts[r] << '\n';
            }
        }
    }
}

}  // namespace

int runBacktest(CommandContext& context) {
    const auto& words = context.line.words;
    const auto strategyOption = context.line.option("strategy");
    if (words.size() != 2 || !strategyOption) return usageError(kBacktestUsage);
    auto code = parseCodeArgument(words[1]);
    if (!code) return usageError("not a security code: " + words[1]);
    auto number = parseInt(*strategyOption);
    if (!number || *number < 1) return usageError("--strategy takes a file number from 1");
    const bool trades = context.line.flag("trades");
    const bool equity = context.line.flag("equity");
    if (int{trades} + int{equity} + int{context.line.flag("summary")} > 1)
        return usageError("--summary, --trades and --equity exclude each other");

    Workspace& workspace = context.workspace;
    if (!fileio::fileExists(workspace.folder().path(strategyFileName(*number)))) {
        std::cerr << "tavrento-cli: no " << strategyFileName(*number) << '\n';
        return kExitFailed;
    }
    if (!workspace.loadStoredSeries(*code)) {
        std::cerr << "tavrento-cli: no stored series for " << codeText(*code) << '\n';
        return kExitFailed;
    }
    // Only strategy N runs over the freshly loaded bars, not the chart's.
    workspace.seriesChanged(StrategyRun::None);
    workspace.strategyDisplay.view = ChartView{};
    if (!workspace.runStrategyDisplay(*number)) return kExitFailed;
    const StrategyDisplay& display = workspace.strategyDisplay;
    if (display.shortOfData) std::cerr << "シミュレーションデータ不足\n";

    if (context.line.flag("summary")) {
        for (const NoteLine& line : noteLines(display.results))
            std::cout << line.label << ' ' << line.value << '\n';
        return kExitOk;
    }
    if (trades || equity) {
        const auto& bars = workspace.series().bars;
        TradeInsight insight;
        computeInsight(bars, display.journal, insight);
        std::cout << (trades ? tripsCsv(insight, bars, display.tacticNames)
                             : equityCsv(insight, bars))
                  << std::flush;
        return kExitOk;
    }
    std::string out = "date,tradeMark,tradeReentry,tradeUnits,tradePerShare\n";
    for (const DailyBar& bar : workspace.series().bars) {
        out += bar.dateText();
        out += ',' + std::to_string(bar.tradeMark) + ',' + std::to_string(bar.tradeReentry) + ',' +
               std::to_string(bar.tradeUnits) + ',' + std::to_string(bar.tradePerShare) + '\n';
    }
    std::cout << out << '\n';
    printResult(display.results.result);
    return kExitOk;
}

int runStrategies(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() < 2) return usageError(kStrategiesUsage);
    // Edits go through the folder lock like the store's.
    if (words[1] != "list" && words[1] != "show" && !context.workspace.requireWritableStore())
        return kExitFailed;
    StrategyList list(context.workspace.folder().root(), context.prompter);
    list.open(0);
    const std::string& action = words[1];
    const std::size_t count = words.size();
    // Every operation ends like the dialog's 終了: the edited strategy is saved.
    int told = context.prompter.toldCount();
    auto finish = [&](bool ok) {
        const bool saved = list.close();
        return editExitCode(context, saved && ok, told);
    };

    if (action == "list" && count == 2) {
        for (int k = 0; k < list.count(); ++k)
            std::cout << k + 1 << ' ' << list.names()[static_cast<std::size_t>(k)] << '\n';
        return kExitOk;
    }
    if (action == "add" && count == 3) {
        context.prompter.presetInput = words[2];
        return finish(list.addStrategy());
    }
    if (count < 3) return usageError(kStrategiesUsage);
    auto number = parseInt(words[2]);
    if (!number || *number < 1 || *number > list.count())
        return usageError("no strategy " + words[2] + " (there are " +
                          std::to_string(list.count()) + ")");
    list.select(*number - 1);
    told = context.prompter.toldCount();

    if (action == "show" && count == 3) {
        showStrategy(list, context.workspace.folder().root());
        return kExitOk;
    }
    if (action == "rename" && count == 4) {
        context.prompter.presetInput = words[3];
        return finish(list.renameStrategy());
    }
    if (action == "copy" && count == 4) {
        auto target = parseInt(words[3]);
        if (!target || *target < 1 || *target > list.count())
            return usageError("no strategy " + words[3]);
        return finish(list.copyStrategyTo(*target - 1));
    }
    if (action == "init" && count == 3) return finish(list.initialiseStrategy());
    if (action == "delete" && count == 3) return finish(list.deleteStrategy());
    if (action == "move" && count == 4 && (words[3] == "up" || words[3] == "down")) {
        const bool up = words[3] == "up";
        if (*number == (up ? 1 : list.count())) {
            std::cerr << "tavrento-cli: strategy " << *number << " is already the "
                      << (up ? "first" : "last") << '\n';
            return kExitFailed;
        }
        return finish(up ? list.moveStrategyUp() : list.moveStrategyDown());
    }
    if (action == "mode" && count == 4) {
        auto mode = parseInt(words[3]);
        if (!mode || *mode < 0 || *mode >= kTradingModeCount)
            return usageError("a trading mode is 0 to 3");
        list.setTradingMode(static_cast<uint8_t>(*mode));
        return finish(true);
    }
    if (action == "split" && count == 7) {
        auto method = parseInt(words[3]);
        auto amount = parseInt(words[4]);
        auto step = parseInt(words[5]);
        auto capsule = parseInt(words[6]);
        if (!method || !amount || !step || !capsule || *method < 0 || *method > 3 || *capsule < 1 ||
            *capsule > 255)
            return usageError("split METHOD(0-3) AMOUNT STEP CAPSULE(from 1)");
        list.setSplit(
            {static_cast<uint8_t>(*method), *amount, *step, static_cast<uint8_t>(*capsule - 1)});
        return finish(true);
    }
    if (action == "add-tactic" && count == 3) return finish(list.addTactic());
    if (count < 4) return usageError(kStrategiesUsage);
    auto row = parseInt(words[3]);
    if (!row) return usageError("not a tactic number: " + words[3]);
    const int t = *row - 1;
    if (action == "delete-tactic" && count == 4) return finish(list.deleteTactic(t));
    if (action == "move-tactic" && count == 5 && (words[4] == "up" || words[4] == "down"))
        return finish(words[4] == "up" ? list.moveTacticUp(t) : list.moveTacticDown(t));
    if (action == "tactic" && count >= 5 && count <= 7) {
        bool disabled = false;
        uint8_t side = kBuyTactic;
        for (std::size_t w = 5; w < count; ++w) {
            if (words[w] == "on" || words[w] == "off") {
                disabled = words[w] == "off";
            } else if (words[w] == "buy" || words[w] == "sell") {
                side = words[w] == "sell" ? kSellTactic : kBuyTactic;
            } else {
                return usageError(kStrategiesUsage);
            }
        }
        return finish(list.setTactic(t, words[4], disabled, side));
    }
    if (count < 5) return usageError(kStrategiesUsage);
    auto tab = parseTab(words[4]);
    if (!tab) return usageError("a tab is buy, sell or stop");
    if (action == "add-condition" && count == 6) {
        auto condition = parseCondition(words[5]);
        if (!condition) return usageError("a condition is up to ten 16-bit numbers");
        return finish(list.addCondition(t, *tab, *condition));
    }
    if (action == "delete-condition" && count == 6) {
        auto index = parseInt(words[5]);
        if (!index) return usageError("not a condition number: " + words[5]);
        return finish(list.deleteCondition(t, *tab, *index - 1));
    }
    if (action == "logic" && count == 6 && (words[5] == "and" || words[5] == "or")) {
        list.setLogic(t, *tab, words[5] == "and" ? kLogicAnd : kLogicOr);
        return finish(true);
    }
    if (action == "fill" && count == 6) {
        auto fill = parseInt(words[5]);
        if (!fill || *fill < 0 || *fill >= kFillPriceCount)
            return usageError("a fill price is 0 to 13");
        list.setFillPrice(t, *tab, static_cast<int16_t>(*fill));
        return finish(true);
    }
    return usageError(kStrategiesUsage);
}

}  // namespace tav::cli
