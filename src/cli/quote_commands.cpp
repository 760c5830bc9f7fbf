#include "quote_commands.h"

#include <cstdio>
#include <iostream>

#include "workspace/quotes.h"

namespace tav::cli {

namespace {

std::optional<int> numberOption(const CommandLine& line, const std::string& name, int fallback) {
    auto value = line.option(name);
    if (!value) return fallback;
    if (value->empty() || value->size() > 6 ||
        value->find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(*value);
}

// A list choice given as its index or its label.
std::optional<int> choice(const std::string& value, std::span<const std::string_view> labels) {
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (value == labels[i]) return static_cast<int>(i);
    if (!value.empty() && value.size() < 3 &&
        value.find_first_not_of("0123456789") == std::string::npos) {
        int index = std::stoi(value);
        if (index < static_cast<int>(labels.size())) return index;
    }
    return std::nullopt;
}

// Bars in a span of years and months, for the progress percentage.
int barsInSpan(PeriodMode period, int years, int months) {
    switch (period) {
        case PeriodMode::Weekly:
            return years * 44 + months * 4;
        case PeriodMode::Monthly:
            return years * 12 + months;
        default:
            return years * 230 + months * 18;
    }
}

int failed(const std::string& failure, const std::string& fallback) {
    std::cerr << "tavrento-cli: " << (failure.empty() ? fallback : failure) << '\n';
    return kExitFailed;
}

}  // namespace

int runFetch(CommandContext& context) {
    const CommandLine& line = context.line;
    const char* usage =
        "usage: fetch CODE --years Y --months M [--end YYYYMMDD] [--period P] [--source "
        "yahoo|infoseek]";
    if (line.words.size() != 2) return usageError(usage);
    auto code = parseCodeArgument(line.words[1]);
    if (!code) return usageError("not a security code: " + line.words[1]);
    auto years = numberOption(line, "years", 0);
    auto months = numberOption(line, "months", 0);
    if (!years || !months) return usageError(usage);
    std::string end = line.option("end").value_or("");
    if (!end.empty() &&
        (end.size() != 8 || end.find_first_not_of("0123456789") != std::string::npos))
        return usageError("--end must be YYYYMMDD");
    Workspace& workspace = context.workspace;
    if (auto source = line.option("source")) {
        if (*source != "yahoo" && *source != "infoseek") return usageError(usage);
        workspace.options().quoteSource = *source == "infoseek" ? 1 : 0;
    }
    const SpanFetch fetched = fetchSpan(workspace, *code, end, *years, *months,
                                        barsInSpan(workspace.periodMode, *years, *months));
    if (workspace.series().empty()) return failed(fetched.failure, "データが見つかりません。");
    std::string out = "date,open,high,low,close,volume\n";
    for (const DailyBar& bar : workspace.series().bars) {
        char text[160];
        std::snprintf(text, sizeof text, "%s,%d,%d,%d,%d,%lld\n", bar.date, bar.open, bar.high,
                      bar.low, bar.close, static_cast<long long>(bar.volume));
        out += text;
    }
    std::cout << out << std::flush;
    // A walk that stopped on a failing page keeps the earlier pages, but the
    // span is not whole: a failure, with the reason.
    if (!fetched.complete) {
        const std::string kept = " (" + std::to_string(workspace.series().count()) + " bars kept)";
        return failed(fetched.failure.empty() ? "" : fetched.failure + kept,
                      "the fetch stopped before the end of the span" + kept);
    }
    return kExitOk;
}

int runQuote(CommandContext& context) {
    if (context.line.words.size() != 2) return usageError("usage: quote CODE");
    auto code = parseCodeArgument(context.line.words[1]);
    if (!code) return usageError("not a security code: " + context.line.words[1]);
    Workspace& workspace = context.workspace;
    std::string failure;
    auto record = fetchQuote(workspace, *code, false, &failure);
    if (!record) return failed(failure, "no quote for " + codeText(*code));
    std::cout << "始値: " << record->open << "\n高値: " << record->high << "\n安値: " << record->low
              << "\n取引値: " << record->price << "\n出来高: " << record->volume << '\n';
    for (std::size_t i = 0; i < kQuoteTextCount; ++i)
        std::cout << kQuoteTextFields[i].label << ": " << record->texts[i] << '\n';
    return kExitOk;
}

int runMargin(CommandContext& context) {
    if (context.line.words.size() != 2) return usageError("usage: margin CODE");
    auto code = parseCodeArgument(context.line.words[1]);
    if (!code) return usageError("not a security code: " + context.line.words[1]);
    Workspace& workspace = context.workspace;
    auto records = fetchMarginTable(workspace, *code);
    if (records.empty()) return kExitFailed;
    std::cout << "日付\t信用売残\t信用買残\t貸借倍率\n";
    for (const MarginRecord& record : records)
        std::cout << record.dateText << '\t' << record.sellText << '\t' << record.buyText << '\t'
                  << record.ratioText << '\n';
    return kExitOk;
}

int runRanking(CommandContext& context) {
    const CommandLine& line = context.line;
    const char* usage =
        "usage: ranking --category C --kind K --market M --period daily|weekly|monthly --output N";
    if (line.words.size() != 1) return usageError(usage);
    Workspace& workspace = context.workspace;
    const auto& saved = workspace.options().rankingChoices;
    RankingChoices choices{saved[0], saved[1], saved[2], saved[3], saved[4]};
    if (auto value = line.option("category")) {
        auto index = choice(*value, kRankingCategories);
        if (!index) return usageError("unknown category (0-2 or its name)");
        choices.category = *index;
    }
    if (auto value = line.option("kind")) {
        auto index = choice(*value, rankingKinds(choices.category));
        if (!index) return usageError("unknown kind for this category");
        choices.kind = *index;
    }
    if (auto value = line.option("market")) {
        std::vector<std::string_view> labels;
        for (const auto& market : kRankingMarkets)
            labels.push_back(market.label);
        auto index = choice(*value, labels);
        if (!index) return usageError("unknown market (0-13 or its name)");
        choices.market = *index;
    }
    if (line.period) choices.period = periodIndex(*line.period);
    if (line.option("output")) {
        auto number = numberOption(line, "output", 0);
        if (!number || *number < 1) return usageError("--output must be a watchlist number");
        choices.output = *number - 1;
    }
    if (!validRankingChoices(choices) ||
        choices.output + 1 > workspace.watchlists().watchlistCount())
        return usageError(usage);
    const int messagesBefore = context.prompter.toldCount();
    if (!downloadRanking(workspace, choices)) {
        // Refusals and failed downloads were told; a watchlist that could not
        // be written was not.
        if (context.prompter.toldCount() > messagesBefore) return kExitFailed;
        return failed(
            "cannot write " + workspace.folder().path(watchlistFileName(choices.output + 1)), "");
    }
    for (const auto& entry : workspace.watchlists().entries())
        std::cout << entry.text << '\n';
    return kExitOk;
}

}  // namespace tav::cli
