#include "workspace/quotes.h"

#include "core/fields.h"
#include "quotes/history_parsers.h"
#include "quotes/price_fetch.h"

namespace tav {

namespace {

// The year, month and day digits of a date text; today when it has fewer
// than eight characters.
LocalDate dateOf(std::string_view text, Workspace& workspace) {
    if (text.size() < 8) return workspace.platform().clock.today();
    return {parseLeadingInt32(text.substr(0, 4)), parseLeadingInt32(text.substr(4, 2)),
            parseLeadingInt32(text.substr(6, 2))};
}

SecurityInfo lookup(Workspace& workspace, StockCode code) {
    SecurityInfo info;
    workspace.master().lookupSecurity(code, info);
    return info;
}

}  // namespace

QuoteContext quoteContext(Workspace& workspace) {
    return QuoteContext{workspace.platform().http, workspace.prompter(), workspace.endpoints(),
                        workspace.options().quoteSource != 0};
}

SpanFetch fetchSpan(Workspace& workspace, StockCode code, std::string_view endDate, int years,
                    int months, int requestedBars, bool splitAdjust) {
    SpanFetch result;
    BarSeries& series = workspace.series();
    series.bars.clear();
    workspace.splitAdjusted = false;
    series.cursor = -1;
    series.code = code;
    series.period = workspace.periodMode;

    QuoteContext context = quoteContext(workspace);
    if (!siteHasPeriod(quoteSiteFor(code, context.useInfoseek), workspace.periodMode))
        return result;
    HistoryRequest request;
    request.code = code;
    request.security = lookup(workspace, code);
    request.period = workspace.periodMode;
    request.span = spanEnding(dateOf(endDate, workspace), years, months);
    request.showProgress = true;
    request.requestedBars = requestedBars;
    request.today = workspace.platform().clock.today();
    std::vector<DailyBar> batch =
        fetchHistory(context, request, &result.complete, &result.rejected);
    // Split adjustment reads the split marks of the Yahoo! Japan pages only.
    result.adjusted = normaliseBatch(batch, splitAdjust && !context.useInfoseek);
    workspace.splitAdjusted = result.adjusted;
    workspace.prompter().status("");
    series.bars = std::move(batch);
    series.cursor = series.count() - 1;
    result.failure = std::move(context.failure);
    return result;
}

FetchedBars fetchSince(Workspace& workspace, StockCode code, const DailyBar& last) {
    QuoteContext context = quoteContext(workspace);
    HistoryRequest request;
    request.code = code;
    request.security = lookup(workspace, code);
    request.period = workspace.periodMode;
    request.span = {dateOf(last.dateText(), workspace), workspace.platform().clock.today()};
    request.today = request.span.end;
    FetchedBars fetched;
    fetched.bars = fetchHistory(context, request, nullptr, &fetched.rejected);
    normaliseBatch(fetched.bars, false);
    fetched.failure = std::move(context.failure);
    return fetched;
}

std::optional<QuoteRecord> fetchQuote(Workspace& workspace, StockCode code, bool pricesOnly,
                                      std::string* failure) {
    QuoteContext context = quoteContext(workspace);
    auto record = fetchQuote(context, code, lookup(workspace, code), pricesOnly);
    if (failure) *failure = std::move(context.failure);
    return record;
}

bool refreshQuote(Workspace& workspace) {
    auto record = fetchQuote(workspace, workspace.series().code, false);
    if (!record) return false;
    workspace.quoteInfo = std::move(record);
    return true;
}

std::vector<MarginRecord> fetchMarginTable(Workspace& workspace, StockCode code) {
    workspace.prompter().status("ダウンロード中");
    QuoteContext context = quoteContext(workspace);
    auto records =
        fetchMargin(context, code, lookup(workspace, code), workspace.platform().clock.today());
    workspace.prompter().status("");
    if (records.empty())
        workspace.prompter().message("信用取組情報は存在していません。", MessageIcon::Stop);
    return records;
}

void showMarginOnChart(Workspace& workspace, std::span<const MarginRecord> records) {
    applyMarginBalances(workspace.series().bars, records);
    workspace.seriesChanged();
}

bool downloadRanking(Workspace& workspace, const RankingChoices& choices) {
    if (!validRankingChoices(choices)) return false;
    const int number = choices.output + 1;
    if (number > workspace.watchlists().watchlistCount()) return false;
    // A second instance may not write the watchlist: no download for nothing.
    if (!workspace.requireWritableStore()) return false;
    auto lines = fetchRanking(workspace.platform().http, workspace.prompter(),
                              workspace.endpoints(), workspace.master(), choices);
    return lines && workspace.watchlists().replaceWatchlist(number, std::move(*lines));
}

}  // namespace tav
