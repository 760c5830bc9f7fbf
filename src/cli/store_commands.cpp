#include "store_commands.h"

#include <cstdio>
#include <iostream>

#include "core/file_io.h"
#include "json_output.h"
#include "update_commands.h"
#include "workspace/updates.h"

#include "api_commands.h"
#include "workspace/market_api.h"

namespace tav::cli {

namespace {

// A dialog choice given as its index or its text ("東証1部", "1000株" or "1000").
std::optional<int> choiceIndex(const std::string& value, std::span<const std::string_view> choices) {
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (value == choices[i]) return static_cast<int>(i);
        if (choices[i].ends_with("株") && value + "株" == choices[i]) return static_cast<int>(i);
    }
    if (!value.empty() && value.find_first_not_of("0123456789") == std::string::npos &&
        value.size() < 3) {
        int index = std::stoi(value);
        if (index >= 0 && index < static_cast<int>(choices.size())) return index;
    }
    return std::nullopt;
}

}  // namespace

int runInit(CommandContext& context) {
    if (context.line.words.size() != 1) return usageError("usage: init [--from YYYYMMDD]");
    bool storeMissing = context.workspace.initProgramFolder();
    std::cout << "program folder: " << context.workspace.folder().root() << '\n';
    // The first start builds the store from the daily archives.
    return exitCode(!storeMissing || createStoreOnFirstStart(context));
}

int runSeries(CommandContext& context) {
    if (context.line.words.size() != 2) return usageError("usage: series CODE [--period daily|weekly|monthly] [--format csv|json]");
    auto code = parseCodeArgument(context.line.words[1]);
    if (!code) return usageError("not a security code: " + context.line.words[1]);
    const auto format = outputFormat(context.line);
    if (!format) return kExitUsage;
    Workspace& workspace = context.workspace;
    workspace.loadStoredSeries(*code);
    std::string out = "date,open,high,low,close,volume\n";
    for (const DailyBar& bar : workspace.series().bars) {
        char line[160];
        std::snprintf(line, sizeof line, "%s,%d,%d,%d,%d,%lld\n", bar.date, bar.open, bar.high,
                      bar.low, bar.close, static_cast<long long>(bar.volume));
        out += line;
    }
    std::cout << formatTable(out, *format) << std::flush;
    workspace.seriesChanged();
    return kExitOk;
}

int runLookup(CommandContext& context) {
    if (context.line.words.size() != 2) return usageError("usage: lookup CODE");
    auto code = parseCodeArgument(context.line.words[1]);
    if (!code) return usageError("not a security code: " + context.line.words[1]);
    SecurityInfo info;
    LookupResult result = context.workspace.master().lookupSecurity(*code, info);
    if (result == LookupResult::CannotOpen) {
        std::cerr << "tavrento-cli: cannot open " << context.workspace.master().path() << '\n';
        return kExitFailed;
    }
    std::cout << "code: " << codeText(*code) << "\nname: " << info.name << "\nmarket: " << info.market
              << "\nunit: " << info.unit << "\nsymbol: " << info.symbol << '\n';
    return result == LookupResult::Found ? kExitOk : kExitFailed;
}

int runAdd(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() != 3) return usageError("usage: add CODE NAME --market M --unit U");
    AddSecurityRequest request;
    auto code = parseCodeArgument(words[1]);
    if (!code) return usageError("not a security code: " + words[1]);
    request.code = *code;
    request.name = words[2];
    auto market = choiceIndex(context.line.option("market").value_or("0"), kAddMarketChoices);
    if (!market) return usageError("unknown market (0-10 or 東証1部, 東証2部, 大証2部, 名証2部, JASDAQ, マザーズ, ヘラクレス, その他, プライム, スタンダード, グロース)");
    auto unit = choiceIndex(context.line.option("unit").value_or("0"), kAddUnitChoices);
    if (!unit) return usageError("unknown unit (0-6 or 1000, 100, 10, 1, 500, 50, その他)");
    request.marketIndex = *market;
    request.unitIndex = *unit;
    return addSecurity(context.workspace, request) ? kExitOk : kExitFailed;
}

int runDelete(CommandContext& context) {
    if (context.line.words.size() != 2) return usageError("usage: delete CODE");
    auto code = parseCodeArgument(context.line.words[1]);
    if (!code) return usageError("not a security code: " + context.line.words[1]);
    context.workspace.loadStoredSeries(*code);
    return context.workspace.deleteSecurity() ? kExitOk : kExitFailed;
}

int runUpdateMaster(CommandContext& context) {
    if (context.line.words.size() != 1) return usageError("usage: update-master [--source api]");
    if (auto source = context.line.option("source")) {
        if (*source != "api") return usageError("usage: update-master [--source api]");
        if (!applyApiPlanOption(context)) return kExitUsage;
        return updateMasterFromApi(context.workspace) ? kExitOk : kExitFailed;
    }
    return context.workspace.updateMasterFromArchive(false) ? kExitOk : kExitFailed;
}

}  // namespace tav::cli
