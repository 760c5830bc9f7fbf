#include "portfolio_command.h"

#include <unistd.h>

#include <charconv>
#include <iostream>

#include "core/integer_field.h"
#include "json_output.h"
#include "portfolio/portfolio_run.h"
#include "simulation/trade_insight.h"
#include "watchlists/watchlist_files.h"
#include "workspace/screening.h"

namespace tav::cli {

namespace {

constexpr const char* kPortfolioUsage =
    "usage: portfolio --strategy N [--watchlist W | --market [M]] --capital Y --max-positions K "
    "--size fixed:Y|equity:P|strategy --score value|slot:NAME|bars|random:SEED [--from D --to D] "
    "[--trades] [--equity] [--format text|csv|json] [--threads T]";

// A number option within [low, high]; nothing after a usage error.
std::optional<int64_t> numberOption(const CommandLine& line, const char* name, int64_t low,
                                    int64_t high) {
    const auto word = line.option(name);
    const auto value = word ? parseWholeNumber(*word) : std::nullopt;
    if (!value || *value < low || *value > high) {
        usageError(std::string("--") + name + " takes a number from " + std::to_string(low) +
                   " to " + std::to_string(high));
        return std::nullopt;
    }
    return value;
}

std::optional<int32_t> dateOption(const CommandLine& line, const char* name) {
    const auto word = line.option(name);
    if (!word) return 0;
    const auto value = parseWholeNumber(*word);
    if (word->size() != 8 || !value || *value < 19000101) {
        usageError(std::string("--") + name + " takes a date YYYYMMDD: " + *word);
        return std::nullopt;
    }
    return static_cast<int32_t>(*value);
}

bool sizeOption(const std::string& word, PortfolioSettings& settings) {
    if (parsePositionSizing(word, settings)) return true;
    usageError("--size takes fixed:YEN, equity:PERCENT (1-100) or strategy: " + word);
    return false;
}

bool scoreOption(const std::string& word, PortfolioSettings& settings) {
    if (parsePositionScore(word, settings)) return true;
    std::string slots;
    for (const ScoreSlot& slot : scoreSlots())
        slots += (slots.empty() ? "" : ", ") + std::string(slot.name);
    usageError("--score takes value, bars, random:SEED or slot:NAME with NAME one of " + slots +
               ": " + word);
    return false;
}

std::string dateText(int32_t date) {
    return date == 0 ? std::string() : std::to_string(date);
}

Table tradeTable(const PortfolioOutcome& out, bool japanese) {
    Table table;
    for (const char* name :
         {"code", "name", "side", "entryDate", "exitDate", "entryPrice", "exitPrice", "units",
          "profit", "commission", "net", "reason", "outcome", "score"}) {
        const std::string_view column = name;
        table.columns.push_back({name, column == "code" || column == "name" || column == "side" ||
                                           column.ends_with("Date") || column == "reason" ||
                                           column == "outcome"});
    }
    for (const PortfolioTrade& t : out.trades) {
        const PortfolioSecurity& s = out.securities[static_cast<std::size_t>(t.security)];
        const bool taken = t.outcome == EntryOutcome::Taken;
        const bool closed = taken && t.exitDate != 0;
        std::string reason;
        if (taken) reason = japanese ? exitReasonLabel(t.reason) : exitReasonName(t.reason);
        table.rows.push_back(
            {codeText(s.code), s.name,
             japanese ? (t.side == 1 ? "買" : "売") : (t.side == 1 ? "long" : "short"),
             dateText(t.entryDate), dateText(t.exitDate), std::to_string(t.entryPrice),
             taken ? std::to_string(t.exitPrice) : "", std::to_string(t.units),
             taken ? std::to_string(t.profit) : "", taken ? std::to_string(t.commission) : "",
             taken ? std::to_string(t.net()) : "", closed || taken ? reason : "",
             std::string(japanese ? entryOutcomeLabel(t.outcome) : entryOutcomeName(t.outcome)),
             std::to_string(t.score)});
    }
    return table;
}

Table equityTable(const PortfolioOutcome& out) {
    Table table{{{"date", true}, {"equity"}, {"cash"}, {"drawdown"}, {"positions"}}, {}};
    for (const PortfolioDay& d : out.days)
        table.rows.push_back({std::to_string(d.date), std::to_string(d.equity),
                              std::to_string(d.cash), std::to_string(d.drawdown),
                              std::to_string(d.positions)});
    return table;
}

Table securityTable(const PortfolioOutcome& out) {
    Table table{{{"code", true}, {"name", true}, {"trades"}, {"net"}}, {}};
    for (const PortfolioSecurity& s : out.securities)
        if (s.trades > 0)
            table.rows.push_back(
                {codeText(s.code), s.name, std::to_string(s.trades), std::to_string(s.net)});
    return table;
}

}  // namespace

int runPortfolioCommand(CommandContext& context) {
    const CommandLine& line = context.line;
    if (line.words.size() != 1) return usageError(kPortfolioUsage);
    for (const char* required : {"strategy", "capital", "max-positions", "size", "score"})
        if (!line.option(required))
            return usageError(std::string("--") + required + " is needed\n" + kPortfolioUsage);
    const std::string format = line.option("format").value_or("text");
    if (format != "text" && format != "csv" && format != "json")
        return usageError("--format must be text, csv or json");
    const bool trades = line.flag("trades");
    const bool equity = line.flag("equity");
    if (format != "text" && trades && equity)
        return usageError("--trades and --equity exclude each other with --format csv or json");
    if (line.option("watchlist") && line.option("market"))
        return usageError("--watchlist and --market exclude each other");

    Workspace& workspace = context.workspace;
    MultiRunSettings multi;
    PortfolioSettings settings;
    const auto strategy = numberOption(line, "strategy", 1, 256);
    const auto capital = numberOption(line, "capital", 1, int64_t{1} << 50);
    const auto positions = numberOption(line, "max-positions", 0, 100000);
    if (!strategy || !capital || !positions) return kExitUsage;
    multi.strategy = static_cast<int>(*strategy) - 1;
    settings.capital = *capital;
    settings.maxPositions = static_cast<int>(*positions);
    if (!sizeOption(*line.option("size"), settings) ||
        !scoreOption(*line.option("score"), settings))
        return kExitUsage;
    const auto from = dateOption(line, "from");
    const auto to = dateOption(line, "to");
    if (!from || !to) return kExitUsage;
    if (*to != 0 && *from > *to) return usageError("--from lies after --to");
    settings.from = *from;
    settings.to = *to;
    int threads = 0;
    if (line.option("threads")) {
        const auto value = numberOption(line, "threads", 0, 256);
        if (!value) return kExitUsage;
        threads = static_cast<int>(*value);
    }
    if (line.option("watchlist")) {
        const auto number = numberOption(line, "watchlist", 1, kMaxWatchlists);
        if (!number) return kExitUsage;
        const auto titles = readTitles(workspace.folder());
        if (*number > static_cast<int64_t>(titles.size()))
            return usageError("no watchlist " + std::to_string(*number) + " (there are " +
                              std::to_string(titles.size()) + ")");
        multi.input = static_cast<int>(*number);
    }
    // --market alone is the whole master list; with a value, one market of it.
    if (const auto market = line.option("market"); market && !market->empty()) {
        bool found = false;
        for (std::size_t i = 0; i < kMarketLabels.size() && !found; ++i)
            if (*market == kMarketLabels[i])
                multi.filters.market = static_cast<int>(i), found = true;
        const auto number = parseWholeNumber(*market);
        if (!found && number && *number >= 0 &&
            *number < static_cast<int64_t>(kMarketLabels.size()))
            multi.filters.market = static_cast<int>(*number), found = true;
        if (!found) return usageError("--market takes a market (index or label): " + *market);
    }

    auto prepared = prepareMultiRun(workspace, multi, threads);
    if (!prepared) return kExitFailed;
    PortfolioJob job{std::move(prepared->scan), std::move(prepared->strategy.strategy),
                     prepared->simulation, prepared->currentYear, settings};
    RunControl control;
    if (::isatty(STDERR_FILENO))
        control.progress = [](int done, int total) {
            std::cerr << "\r  " << done << " / " << total << std::flush;
        };
    const auto outcome = runPortfolio(job, control);
    if (control.progress) std::cerr << '\n';
    if (!outcome) return kExitFailed;

    if (format == "text") {
        std::cout << "ポートフォリオ\t" << prepared->strategyName << '\n';
        for (const NoteLine& note : portfolioNoteLines(*outcome))
            std::cout << note.label << '\t' << note.value << '\n';
        std::cout << '\n';
        std::cout << tabText(securityTable(*outcome), {"コード", "銘柄名", "取引数", "損益"});
        if (trades) {
            std::cout << '\n';
            std::cout << tabText(
                tradeTable(*outcome, true),
                {"コード", "銘柄名", "売買", "仕掛日", "手仕舞日", "仕掛値", "手仕舞値", "単元数",
                 "損益", "手数料", "純損益", "理由", "結果", "スコア"});
        }
        if (equity) {
            std::cout << '\n';
            std::cout << tabText(equityTable(*outcome),
                                 {"日付", "資産", "現金", "ドローダウン", "建玉数"});
        }
    } else {
        const OutputFormat as = format == "csv" ? OutputFormat::Csv : OutputFormat::Json;
        const Table table = trades   ? tradeTable(*outcome, false)
                            : equity ? equityTable(*outcome)
                                     : securityTable(*outcome);
        std::cout << formatTable(table, as);
    }
    std::cout << std::flush;
    std::cerr << summaryText(outcome->counts) << '\n';
    return kExitOk;
}

}  // namespace tav::cli
